#include "support/Jet4Writer.h"
#include "support/TestSupport.h"
#include "support/WindowTest.h"
#include "gui/data/frmSelectie.h"
#include "gui/data/TextTableDialog.h"
#include "core/records/RecordSources.h"
#include "widgets/DataControl.h"
#include "widgets/DataGrid.h"
#include "widgets/Units.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTableWidget>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QtTest>

using namespace formulix;
using namespace formulix::test;

Q_DECLARE_METATYPE(formulix::CsvOptions)

namespace {

const QString Cnp1 = QStringLiteral("1800512123456");

// Elevi: four pupils (the third with a NULL personal number and a 60-character locality),
// Clase: a class with its emblem (a picture), Gol: no rows.
QString writeSchoolDatabase(const QString &path)
{
    Jet4Writer writer(path);
    writer.beginTable(QStringLiteral("Elevi"), {{QStringLiteral("Nume"), Jet4Type::Text, 60},
                                                {QStringLiteral("CNP"), Jet4Type::Text, 13},
                                                {QStringLiteral("Cod"), Jet4Type::Text, 5},
                                                {QStringLiteral("Localitate"), Jet4Type::Text, 80}});
    writer.addRow({QStringLiteral("Popescu Ion"), Cnp1, QStringLiteral("ABCDE"), QStringLiteral("Cluj-Napoca")});
    writer.addRow({QStringLiteral("Ionescu Ștefania"), QStringLiteral("2990101223344"), QStringLiteral("FGHIJ"),
                   QStringLiteral("Timișoara")});
    writer.addRow({QStringLiteral("Țăranu Ana"), nullptr, QStringLiteral("KLMNO"), QString(60, u'L')});
    writer.addRow({QStringLiteral("Dumitru Radu"), QStringLiteral("5010203040506"), QStringLiteral("PQRST"),
                   QStringLiteral("Iași")});
    writer.endTable();
    writer.beginTable(QStringLiteral("Clase"), {{QStringLiteral("Clasa"), Jet4Type::Text, 10},
                                                {QStringLiteral("Diriginte"), Jet4Type::Text, 40},
                                                {QStringLiteral("Sigla"), Jet4Type::Ole}});
    writer.addRow({QStringLiteral("VIII A"), QStringLiteral("Maria Ionescu"), QByteArray("\x89PNG", 4)});
    writer.endTable();
    writer.beginTable(QStringLiteral("Gol"), {{QStringLiteral("Nume"), Jet4Type::Text, 20}});
    writer.endTable();
    QString error;
    if (!writer.finish(&error))
        qFatal("cannot write the test database: %s", qPrintable(error));
    return path;
}

QStringList items(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

} // namespace

class TestRecords : public WindowTest
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void loadingListsEveryTable();
    void extensionDecidesWhatLoads_data();
    void extensionDecidesWhatLoads();
    void loadingAgainListsOnlyTheNewFile();
    void choosingATableListsItsColumns();
    void aTableThatCannotOpenLeavesTheMenus();
    void choosingATableReadsTheFileAsItIsNow();
    void columnClickArmsADatabaseField();
    void anotherTableCancelsThePendingField();
    void undoRemovesTheLastDatabaseField();
    void recordSelectionFillsTheFields_data();
    void recordSelectionFillsTheFields();
    void movingToTheThirdRecord();
    void aFileChangedWhileReadIsTold();
    void activationReturnsToTheFirstRecord();
    void missingDatabaseAtActivationIsReported();
    void selectionWindowLaysOutGridAndControl();
    void protectedDatabaseAsksForItsPassword_data();
    void protectedDatabaseAsksForItsPassword();
    void hostileTablesShowAtOnce_data();
    void hostileTablesShowAtOnce();
    void aStoppedLoadKeepsWhatWasShown_data();
    void aStoppedLoadKeepsWhatWasShown();
    void textTableDialogShowsWhatWillBeRead_data();
    void textTableDialogShowsWhatWillBeRead();
    void textTableChoiceIsRememberedForTheFile();

private:
    void loadDatabase(const QString &path);
    void chooseTable(const QString &name);
    frmSelectie *openRecords();
    frmSelectie *openRecords(const QString &table, const QString &column = QString(), int rangMin = 0,
                             int rangMax = 0);
    QStringList drawn() const;

    QString m_database;
};

void TestRecords::init()
{
    QVERIFY(openWindow(QSize(1000, 700)));
    m_database = writeSchoolDatabase(m_dir->filePath("scoala.mdb"));
    QVERIFY(loadScan(QSize(1240, 877)));
}

void TestRecords::cleanup()
{
    closeWindow();
}

void TestRecords::loadDatabase(const QString &path)
{
    CommonDialog::queueAnswer(path);
    m_window->mnuIncarcaBaza->trigger();
}

void TestRecords::chooseTable(const QString &name)
{
    const QList<QListWidgetItem *> found = m_window->List1->findItems(name, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    m_window->List1->setCurrentItem(found.first());
    QTest::mouseClick(m_window->List1->viewport(), Qt::LeftButton, {},
                      m_window->List1->visualItemRect(found.first()).center());
}

frmSelectie *TestRecords::openRecords()
{
    m_window->mnuSelInreg->setEnabled(true); // as choosing the table does
    m_window->mnuSelInreg->trigger();
    frmSelectie *records = m_window->recordWindow();
    if (records) {
        records->activateWindow();
        if (!QTest::qWaitForWindowActive(records))
            qWarning("the record window did not become active");
    }
    return records;
}

// The record window on `table` of the school database, with one database field on `column`
// (none when empty) that holds "vechi" until a record fills it.
frmSelectie *TestRecords::openRecords(const QString &table, const QString &column, int rangMin, int rangMax)
{
    m_model->CaleBazaDate = m_database;
    m_model->NumeTabela = table;
    if (!column.isEmpty()) {
        *m_model->CampuriBD.at(1) = databaseField(column, 10, 20, rangMin, rangMax);
        m_model->CampuriBD.at(1)->Text = QStringLiteral("vechi");
        m_model->NrCampuriBD = 1;
    }
    return openRecords();
}

QStringList TestRecords::drawn() const
{
    QStringList texts;
    for (const PictureBox::PrintedText &printed : m_window->Picture1->printedTexts())
        texts << printed.text;
    return texts;
}

void TestRecords::loadingListsEveryTable()
{
    loadDatabase(m_database);
    QCOMPARE(m_model->CaleBazaDate, m_database);
    QCOMPARE(items(m_window->List1), QStringList({"MSysObjects", "Elevi", "Clase", "Gol"}));
    QVERIFY(m_window->Frame2->isVisible() && m_window->Frame1->isHidden());
    QCOMPARE(mm::left(m_window->Frame2), 0.0);
    QCOMPARE(mm::height(m_window->Frame2), 40.0);
    QCOMPARE(m_window->Frame2->width(), m_window->centralWidget()->width());
    const QList<MessageBox::Shown> shown = MessageBox::shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].title, QStringLiteral("Formulix"));
    QCOMPARE(shown[0].text, QStringLiteral("Selectati tabela din care preluati date!"));
    const CommonDialog::Shown dialog = CommonDialog::shown().constLast();
    QCOMPARE(dialog.filter, QStringLiteral("Access Date|*.mdb;*.accdb|Registre Excel|*.xlsx|Registre OpenDocument|*.ods|"
                                          "Registre Excel 97-2003|*.xls|Tabele text|*.csv;*.txt"));
    QVERIFY(!dialog.save);
    QVERIFY(InputBox::shown().isEmpty()); // no password to ask for
}

void TestRecords::extensionDecidesWhatLoads_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("loads");
    QTest::addColumn<bool>("damaged");
    QTest::newRow("capitals") << "SCOALA.MDB" << true << false;
    QTest::newRow("mixed") << "scoala.Mdb" << true << false;
    QTest::newRow("Access 2007") << "scoala.accdb" << true << false;
    QTest::newRow("Access 2007, capitals") << "SCOALA.ACCDB" << true << false;
    QTest::newRow("another kind") << "scoala.doc" << false << false;
    QTest::newRow("a copy") << "scoala.mdb.bak" << false << false;
    QTest::newRow("damaged") << "stricat.mdb" << true << true;
}

// Any other extension is refused without a word, as before; a damaged file lists nothing and
// keeps the layout.
void TestRecords::extensionDecidesWhatLoads()
{
    QFETCH(QString, name);
    QFETCH(bool, loads);
    QFETCH(bool, damaged);
    m_model->NrCampuriGen = 1;
    m_model->CampuriGen.at(1)->Text = QStringLiteral("Scoala");
    const QString path = m_dir->filePath(name);
    QVERIFY(damaged ? writeFile(path, QByteArray(8192, 'x')) : QFile::copy(m_database, path));
    loadDatabase(path);
    QCOMPARE(m_model->CaleBazaDate, loads ? path : QString());
    QCOMPARE(m_window->Frame2->isVisible(), loads);
    QCOMPARE(m_window->List1->count(), loads && !damaged ? 4 : 0);
    QCOMPARE(MessageBox::shown().size(), loads ? 1 : 0);
    // The engine's reason, naming the file; the record question follows only a good open.
    if (damaged)
        QVERIFY(MessageBox::shown()[0].text.contains(path));
    QCOMPARE(m_model->NrCampuriGen, qint16(1));
}

void TestRecords::loadingAgainListsOnlyTheNewFile()
{
    loadDatabase(m_database);
    Jet4Writer other(m_dir->filePath("alta.mdb"));
    other.beginTable(QStringLiteral("Profesori"), {{QStringLiteral("Nume"), Jet4Type::Text, 30}});
    QVERIFY(other.finish());
    loadDatabase(m_dir->filePath("alta.mdb"));
    QCOMPARE(items(m_window->List1), QStringList({"MSysObjects", "Profesori"}));
}

void TestRecords::choosingATableListsItsColumns()
{
    loadDatabase(m_database);
    chooseTable(QStringLiteral("Elevi"));
    QCOMPARE(m_model->NumeTabela, QStringLiteral("Elevi"));
    QCOMPARE(items(m_window->List2), QStringList({"Nume", "CNP", "Cod", "Localitate"}));
    QVERIFY(m_window->TabelaAleasa && m_window->PermiteCampuriBD);
    QVERIFY(m_window->mnuSelInreg->isEnabled());
    QVERIFY(m_window->mnuDefCampBazaDate->isEnabled());
    QVERIFY(!m_window->mnuIncarcaBaza->isEnabled());

    chooseTable(QStringLiteral("Gol")); // no records, still its columns
    QCOMPARE(items(m_window->List2), QStringList({"Nume"}));
    chooseTable(QStringLiteral("Clase"));
    QCOMPARE(items(m_window->List2), QStringList({"Clasa", "Diriginte", "Sigla"}));
    QCOMPARE(m_model->NumeTabela, QStringLiteral("Clase"));
}

void TestRecords::aTableThatCannotOpenLeavesTheMenus()
{
    loadDatabase(m_database);
    QVERIFY(QFile::remove(m_database));
    DialogSeam::reset();
    chooseTable(QStringLiteral("Elevi"));
    QCOMPARE(m_window->List2->count(), 0);
    QCOMPARE(m_model->NumeTabela, QStringLiteral("Elevi"));
    QVERIFY(m_window->mnuSelInreg->isEnabled());
    QVERIFY(!m_window->TabelaAleasa && !m_window->PermiteCampuriBD);
    QVERIFY(m_window->mnuIncarcaBaza->isEnabled());
    QCOMPARE(MessageBox::shown().size(), 1);
    QVERIFY(MessageBox::shown()[0].text.contains(m_database));
}

void TestRecords::choosingATableReadsTheFileAsItIsNow()
{
    loadDatabase(m_database);
    // Rewritten meanwhile: Elevi has other columns, Clase is gone, Profesori is new.
    Jet4Writer rewritten(m_database);
    rewritten.beginTable(QStringLiteral("Elevi"), {{QStringLiteral("Nume"), Jet4Type::Text, 30},
                                                   {QStringLiteral("Prenume"), Jet4Type::Text, 30}});
    rewritten.endTable();
    rewritten.beginTable(QStringLiteral("Profesori"), {{QStringLiteral("Nume"), Jet4Type::Text, 30}});
    QVERIFY(rewritten.finish());
    DialogSeam::reset();
    chooseTable(QStringLiteral("Elevi"));
    QCOMPARE(items(m_window->List2), QStringList({"Nume", "Prenume"}));
    QCOMPARE(items(m_window->List1), QStringList({"MSysObjects", "Elevi", "Profesori"}));
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestRecords::columnClickArmsADatabaseField()
{
    loadDatabase(m_database);
    chooseTable(QStringLiteral("Elevi"));
    m_window->Text3->setText(QStringLiteral("12"));
    m_window->Text4->setText(QStringLiteral("4"));
    m_window->Text5->setText(QStringLiteral("4"));
    QTest::mouseClick(m_window->List2->viewport(), Qt::LeftButton, {},
                      m_window->List2->visualItemRect(m_window->List2->item(0)).center());
    QTest::mouseClick(m_window->List2->viewport(), Qt::LeftButton, {},
                      m_window->List2->visualItemRect(m_window->List2->item(1)).center());
    QVERIFY(m_window->AsteaptaCampBD);
    QCOMPARE(mousePointer(m_window.get()), MousePointer::Cross);
    m_window->Command5->click(); // "Terminat" waits for the field
    QVERIFY(m_window->Frame2->isVisible());

    m_window->Picture1_MouseDown(LeftButton, 0, 82.5f, 119.4f);
    QCOMPARE(m_model->NrCampuriBD, qint16(1));
    const Camp &camp = *m_model->CampuriBD.at(1);
    QCOMPARE(camp.NumeCamp.shown(), QStringLiteral("CNP"));
    QCOMPARE(camp.X, qint16(82));
    QCOMPARE(camp.Y, qint16(119));
    QCOMPARE(camp.MarimeFont, quint8(12));
    QCOMPARE(camp.RangMin, quint8(4));
    QCOMPARE(camp.RangMax, quint8(4));
    QCOMPARE(m_window->Picture1->printedTexts().constLast().text, QStringLiteral("C"));
    QVERIFY(!m_window->AsteaptaCampBD);
    QCOMPARE(mousePointer(m_window.get()), MousePointer::Arrow);

    // The same column clicked again arms the next field.
    QTest::mouseClick(m_window->List2->viewport(), Qt::LeftButton, {},
                      m_window->List2->visualItemRect(m_window->List2->item(1)).center());
    QVERIFY(m_window->AsteaptaCampBD);
    m_window->Picture1_MouseDown(LeftButton, 0, 90, 119);
    QCOMPARE(m_model->NrCampuriBD, qint16(2));
    m_window->Command5->click();
    QVERIFY(m_window->Frame2->isHidden());
    QVERIFY(m_window->mnuDefCampGen->isEnabled());
}

void TestRecords::anotherTableCancelsThePendingField()
{
    loadDatabase(m_database);
    chooseTable(QStringLiteral("Elevi"));
    m_window->List2->setCurrentRow(0);
    m_window->List2_Click();
    QVERIFY(m_window->AsteaptaCampBD);
    chooseTable(QStringLiteral("Clase"));
    QVERIFY(!m_window->AsteaptaCampBD);
    QCOMPARE(mousePointer(m_window.get()), MousePointer::Cross);
    m_window->Picture1_MouseDown(LeftButton, 0, 50, 50);
    QCOMPARE(m_model->NrCampuriBD, qint16(0));
}

void TestRecords::undoRemovesTheLastDatabaseField()
{
    m_model->NrCampuriGen = 1;
    m_model->CampuriGen.at(1)->Text = QStringLiteral("Scoala");
    m_model->CampuriGen.at(1)->MarimeFont = 10;
    *m_model->CampuriBD.at(1) = databaseField(QStringLiteral("Nume"), 10, 40);
    *m_model->CampuriBD.at(2) = databaseField(QStringLiteral("CNP"), 10, 60);
    m_model->NrCampuriBD = 2;
    m_window->mnuDefCampBazaDate->setEnabled(true);
    m_window->mnuDefCampBazaDate->trigger();
    m_window->Picture1_MouseUp(RightButton, 0, 11, 61);
    QCOMPARE(m_model->CampSelectat, (SelectieCamp{false, 2}));
    m_window->Command4->click();
    QCOMPARE(m_model->NrCampuriBD, qint16(1));
    QCOMPARE(m_model->CampSelectat.Index, qint16(0)); // the selected field went with it
    QVERIFY(m_window->Command6->isHidden());
    QCOMPARE(drawn(), QStringList({"Scoala", "Nume"}));
    m_window->Command4->click();
    m_window->Command4->click();
    QCOMPARE(m_model->NrCampuriBD, qint16(0));
}

void TestRecords::recordSelectionFillsTheFields_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("rangMin");
    QTest::addColumn<int>("rangMax");
    QTest::addColumn<int>("record"); // 1-based, 0 for none
    QTest::addColumn<QString>("text"); // what the field holds afterwards, without trailing blanks
    QTest::newRow("whole value") << "Elevi" << "Nume" << 0 << 0 << 2 << "Ionescu Ștefania";
    QTest::newRow("fourth of 13 digits") << "Elevi" << "CNP" << 4 << 4 << 1 << "0";
    QTest::newRow("3..10 of 5 characters") << "Elevi" << "Cod" << 3 << 10 << 1 << "CDE";
    QTest::newRow("7.. of 5 characters") << "Elevi" << "Cod" << 7 << 9 << 1 << "";
    QTest::newRow("5..0 keeps the old text") << "Elevi" << "Cod" << 5 << 0 << 1 << "vechi";
    QTest::newRow("0..7 takes the whole value") << "Elevi" << "Localitate" << 0 << 7 << 2 << "Timișoara";
    QTest::newRow("60 characters keep 50") << "Elevi" << "Localitate" << 0 << 0 << 3 << QString(50, u'L');
    QTest::newRow("NULL gives empty text") << "Elevi" << "CNP" << 0 << 0 << 3 << "";
    QTest::newRow("column with trailing blanks") << "Elevi" << "Nume      " << 0 << 0 << 4 << "Dumitru Radu";
    QTest::newRow("a table of no records") << "Gol" << "Nume" << 0 << 0 << 0 << "vechi";
    QTest::newRow("column the table lacks") << "Elevi" << "Prenume" << 0 << 0 << 1 << "vechi";
    QTest::newRow("a picture prints nothing") << "Clase" << "Sigla" << 0 << 0 << 1 << "";
}

void TestRecords::recordSelectionFillsTheFields()
{
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(int, rangMin);
    QFETCH(int, rangMax);
    QFETCH(int, record);
    QFETCH(QString, text);
    frmSelectie *records = openRecords(table, column, rangMin, rangMax);
    QVERIFY(records);
    QVERIFY(record == 0 || records->Data1->moveTo(record - 1));
    QCOMPARE(records->Data1->caption(), QStringLiteral("Record: %1").arg(record));
    QCOMPARE(m_model->CampuriBD.at(1)->Text.shown(), text);
    QCOMPARE(!drawn().isEmpty(), text != QStringLiteral("vechi"));
    // The grid still says what the cell holds.
    if (table == QLatin1String("Clase"))
        QCOMPARE(records->DBGrid1->view()->model()->index(0, 2).data().toString(), QStringLiteral("(obiect OLE)"));
}

void TestRecords::movingToTheThirdRecord()
{
    m_model->NrCampuriGen = 1;
    m_model->CampuriGen.at(1)->Text = QStringLiteral("Scoala");
    m_model->CampuriGen.at(1)->MarimeFont = 10;
    frmSelectie *records = openRecords(QStringLiteral("Elevi"), QStringLiteral("Nume"));
    QVERIFY(records);
    QCOMPARE(records->windowTitle(), QStringLiteral("Tabel cu inregistrari"));
    QCOMPARE(records->DBGrid1->caption(), QStringLiteral("Selectati inregistrarea dorita"));
    QCOMPARE(records->Data1->caption(), QStringLiteral("Record: 1"));
    QCOMPARE(m_model->CampuriBD.at(1)->Text.shown(), QStringLiteral("Popescu Ion"));

    // A click on the third row of the grid.
    QTableView *view = records->DBGrid1->view();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(2, 0)).center());
    QCOMPARE(records->Data1->caption(), QStringLiteral("Record: 3"));
    QCOMPARE(m_model->CampuriBD.at(1)->Text.shown(), QStringLiteral("Țăranu Ana"));
    QCOMPARE(drawn(), QStringList({"Scoala", "Țăranu Ana"}));

    records->Data1->lastButton()->click();
    QCOMPARE(records->Data1->caption(), QStringLiteral("Record: 4"));
    QCOMPARE(view->currentIndex().row(), 3);
    records->Data1->nextButton()->click(); // stays on the last record
    QCOMPARE(records->Data1->caption(), QStringLiteral("Record: 4"));

    // A redraw shows column names again; the values stay in the fields.
    m_window->RedeseneazaCampuri();
    QCOMPARE(m_window->Picture1->printedTexts().constLast().text, QStringLiteral("Nume"));
    QCOMPARE(m_model->CampuriBD.at(1)->Text.shown(), QStringLiteral("Dumitru Radu"));
}

void TestRecords::aFileChangedWhileReadIsTold()
{
    const QString path = m_dir->filePath(QStringLiteral("mare.mdb"));
    Jet4Writer writer(path);
    writer.beginTable(QStringLiteral("Elevi"), {{QStringLiteral("Nume"), Jet4Type::Text, 30}});
    for (int i = 1; i <= 3000; ++i)
        writer.addRow({QStringLiteral("Elev %1").arg(i)});
    QVERIFY(writer.finish());
    m_model->CaleBazaDate = path;
    m_model->NumeTabela = QStringLiteral("Elevi");
    frmSelectie *records = openRecords();
    QVERIFY(records);
    DialogSeam::reset();
    QFile file(path);
    QVERIFY(file.resize(file.size() / 2)); // cut in place while the grid reads
    records->Data1->moveLast();
    records->Data1->moveLast();
    QCOMPARE(MessageBox::shown().size(), 1);
    QVERIFY2(MessageBox::shown()[0].text.contains(path), qPrintable(MessageBox::shown()[0].text));
    QVERIFY(records->Data1->recordset()->failed());
}

void TestRecords::activationReturnsToTheFirstRecord()
{
    frmSelectie *records = openRecords(QStringLiteral("Elevi"), QStringLiteral("Nume"));
    records->Data1->moveTo(2);
    QCOMPARE(records->Data1->caption(), QStringLiteral("Record: 3"));
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QCOMPARE(records->Data1->caption(), QStringLiteral("Record: 3")); // leaving changes nothing
    records->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(records));
    QTRY_COMPARE(records->Data1->caption(), QStringLiteral("Record: 1"));
    QCOMPARE(m_model->CampuriBD.at(1)->Text.shown(), QStringLiteral("Popescu Ion"));

    // Chosen again while open, it is the same window.
    m_window->mnuSelInreg->setEnabled(true);
    m_window->mnuSelInreg->trigger();
    QCOMPARE(m_window->recordWindow(), records);
}

void TestRecords::missingDatabaseAtActivationIsReported()
{
    m_model->CaleBazaDate = m_dir->filePath("mutata.mdb");
    m_model->NumeTabela = QStringLiteral("Elevi");
    frmSelectie *records = openRecords();
    QVERIFY(records);
    const QList<MessageBox::Shown> shown = MessageBox::shown();
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown[0].text.contains(QStringLiteral("mutata.mdb")));
    QCOMPARE(records->Data1->caption(), QStringLiteral("Record: 0"));

    m_model->CaleBazaDate = m_database;
    m_model->NumeTabela = QStringLiteral("Nu exista");
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    records->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(records));
    QTRY_COMPARE(MessageBox::shown().size(), 2);
    QVERIFY(MessageBox::shown()[1].text.contains(QStringLiteral("Nu exista")));
}

void TestRecords::selectionWindowLaysOutGridAndControl()
{
    frmSelectie *records = openRecords(QStringLiteral("Elevi"));
    records->resize(700, 400);
    QTRY_COMPARE(records->DBGrid1->width(), records->width());
    const double gap = mm::top(records->Data1) - mm::height(records->DBGrid1);
    QVERIFY(qAbs(gap - 5) < 0.3);
    QVERIFY(qAbs(records->Data1->geometry().bottom() + 1 - records->height()) <= 1);
    QVERIFY(qAbs(records->Data1->geometry().center().x() - records->width() / 2) <= 1);
    records->resize(300, 20); // lower than the control: no negative grid
    QTRY_COMPARE(records->DBGrid1->height(), 0);
}

void TestRecords::protectedDatabaseAsksForItsPassword_data()
{
    QTest::addColumn<bool>("accessFile"); // the Access-written file, else one of our own
    QTest::addColumn<QString>("answer");  // "right", "wrong" or "cancel"
    QTest::newRow("own file, right password") << false << "right";
    QTest::newRow("own file, wrong password") << false << "wrong";
    QTest::newRow("own file, cancelled") << false << "cancel";
    QTest::newRow("Access file, right password") << true << "right";
    QTest::newRow("Access file, wrong password") << true << "wrong";
}

void TestRecords::protectedDatabaseAsksForItsPassword()
{
    QFETCH(bool, accessFile);
    QFETCH(QString, answer);
    QString path;
    QString password;
    QString table;
    QString column;
    if (accessFile) {
        QString why;
        const QString shared = sharedMdbDir(&why);
        if (shared.isEmpty())
            QSKIP(qPrintable(why));
        path = QDir(shared).filePath(QStringLiteral("password_V2000_with-password.mdb"));
        password = QStringLiteral("password");
        table = QStringLiteral("Table1");
        column = QStringLiteral("Data");
    } else {
        path = m_dir->filePath(QStringLiteral("parola.mdb"));
        password = QStringLiteral("parolă");
        Jet4Writer writer(path);
        writer.setPassword(password);
        writer.beginTable(QStringLiteral("Elevi"), {{QStringLiteral("Nume"), Jet4Type::Text, 60}});
        writer.addRow({QStringLiteral("Popescu Ion")});
        QVERIFY(writer.finish());
        table = QStringLiteral("Elevi");
        column = QStringLiteral("Nume");
    }

    // Another database listed first: a refused one must not leave its tables behind.
    loadDatabase(m_database);
    QCOMPARE(m_window->List1->count(), 4);
    DialogSeam::reset();
    if (answer == QLatin1String("right"))
        InputBox::queueAnswer(password);
    else if (answer == QLatin1String("wrong"))
        InputBox::queueAnswer(password.toUpper());
    else
        InputBox::queueCancel();
    loadDatabase(path);

    const QString file = QDir::toNativeSeparators(path);
    const QList<InputBox::Shown> asked = InputBox::shown();
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked[0].masked);
    QCOMPARE(asked[0].prompt,
             QStringLiteral("Baza de date %1 este protejata prin parola. Introduceti parola:").arg(file));
    QCOMPARE(m_model->CaleBazaDate, path);
    QVERIFY(m_window->Frame2->isVisible());
    const QList<MessageBox::Shown> messages = MessageBox::shown();
    QCOMPARE(messages.size(), 1);

    if (answer != QLatin1String("right")) {
        // As any database that cannot be opened, with the reason told.
        QCOMPARE(messages[0].text, answer == QLatin1String("wrong")
                     ? QStringLiteral("Parola pentru baza de date %1 nu este corecta.").arg(file)
                     : QStringLiteral("Baza de date %1 nu a fost deschisa: parola nu a fost introdusa.").arg(file));
        QCOMPARE(m_window->List1->count(), 0);
        QVERIFY(!m_window->Data1->database());
        QVERIFY(!m_window->mnuSelInreg->isEnabled());
        QVERIFY(!m_window->TabelaAleasa);
        return;
    }
    QCOMPARE(messages[0].text, QStringLiteral("Selectati tabela din care preluati date!"));
    QVERIFY(items(m_window->List1).contains(table));

    // Asked once for the file: neither choosing a table nor the record window asks again.
    chooseTable(table);
    QVERIFY(items(m_window->List2).contains(column));
    frmSelectie *records = openRecords();
    QVERIFY(records);
    QVERIFY(records->Data1->recordset());
    QCOMPARE(records->Data1->absolutePosition(), 0);
    QCOMPARE(InputBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown().size(), 1);
}

void TestRecords::hostileTablesShowAtOnce_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");    // in the grid once the last is chosen
    QTest::addColumn<QString>("told"); // what the user is told, or "" for nothing
    QByteArray wide;
    for (int row = 0; row <= 300; ++row) {
        for (int column = 1; column <= 10000; ++column)
            wide += (row ? QByteArray::number(row) : QByteArray("Coloana")) + QByteArray::number(column) + (column < 10000 ? "," : "\n");
    }
    QTest::newRow("10,000 columns") << wide << 10000 << 300 << QString();
    QTest::newRow("a value of 5,000 characters") << "Nume,Obs\nIon," + QByteArray(5000, 'o') + "\nAna,x\n" << 2 << 2 << QString();
    QTest::newRow("a line over 1 MB") << "Nume,Obs\nAna," + QByteArray(2 << 20, 'o') + "\nRadu,y\n" << 2 << 0
                                      << QStringLiteral("linia 2 are peste 1 MB");
}

// A table of thousands of columns, or of huge values, shows as fast as a small one; a cell shows
// the beginning of a long value, and a line no table needs is told, naming the file.
void TestRecords::hostileTablesShowAtOnce()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(QString, told);
    const QString path = m_dir->filePath(QStringLiteral("tabel.csv"));
    QVERIFY(writeFile(path, bytes));
    m_model->CaleBazaDate = path;
    m_model->NumeTabela = QStringLiteral("tabel");
    QElapsedTimer timer;
    timer.start();
    frmSelectie *records = openRecords();
    QVERIFY(records);
    const QList<MessageBox::Shown> shown = MessageBox::shown(); // on opening, not only on moving
    QCOMPARE(shown.size(), told.isEmpty() ? 0 : 1);
    if (!told.isEmpty())
        QVERIFY2(shown[0].text.contains(told) && shown[0].text.contains(path), qPrintable(shown[0].text));
    records->Data1->moveLast();
    QTableView *view = records->DBGrid1->view();
    QCOMPARE(view->model()->columnCount(), columns);
    QCOMPARE(view->model()->rowCount(), rows);
    QVERIFY2(timer.elapsed() < 3000, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
    records->Data1->moveFirst();
    for (int column = 0; column < columns; ++column)
        QVERIFY(view->model()->index(0, column).data().toString().size() <= 501);
    if (const std::optional<QString> obs = records->Data1->value(QStringLiteral("Obs")))
        QCOMPARE(obs->toUtf8(), bytes.split('\n').at(1).mid(4)); // the fields take the whole value
    QCOMPARE(MessageBox::shown().size(), shown.size());
}

void TestRecords::aStoppedLoadKeepsWhatWasShown_data()
{
    QTest::addColumn<QString>("load");
    QTest::newRow("the record window, activated again") << "activation";
    QTest::newRow("moving to the last record") << "last";
    QTest::newRow("choosing another table") << "table";
    QTest::newRow("loading another database") << "database";
}

// "Anulare" in the box of a load that takes long leaves the windows as they were before it.
void TestRecords::aStoppedLoadKeepsWhatWasShown()
{
    QFETCH(QString, load);
    QByteArray pupils("Elev\n");
    for (int i = 1; i <= 3000; ++i)
        pupils += "Elev " + QByteArray::number(i) + '\n';
    const QString csv = m_dir->filePath(QStringLiteral("clasa.csv"));
    QVERIFY(writeFile(csv, pupils));
    loadDatabase(m_database);
    chooseTable(QStringLiteral("Elevi"));
    const bool longTable = load == QLatin1String("last");
    if (longTable) { // the record window's own table, longer than a screenful of rows
        m_model->CaleBazaDate = csv;
        m_model->NumeTabela = QStringLiteral("clasa");
    }
    frmSelectie *records = openRecords();
    QVERIFY(records);
    QVERIFY(records->Data1->moveTo(2));
    DialogSeam::reset();
    LoadProgress::queueCancel(1);
    if (load == QLatin1String("activation"))
        records->Form_Activate();
    else if (load == QLatin1String("last"))
        records->Data1->lastButton()->click();
    else if (load == QLatin1String("table"))
        chooseTable(QStringLiteral("Clase"));
    else if (load == QLatin1String("database")) {
        // The handler the menu runs (which a chosen table disables).
        CommonDialog::queueAnswer(csv);
        m_window->mnuIncarcaBaza_Click();
    }
    QCOMPARE(LoadProgress::shown().size(), 1);
    QVERIFY(MessageBox::shown().isEmpty());
    QCOMPARE(records->Data1->caption(), QStringLiteral("Record: 3"));
    QCOMPARE(records->DBGrid1->view()->currentIndex().row(), 2);
    QCOMPARE(m_model->CaleBazaDate, longTable ? csv : m_database);
    QCOMPARE(m_model->NumeTabela, longTable ? QStringLiteral("clasa") : QStringLiteral("Elevi"));
    QCOMPARE(items(m_window->List1), QStringList({"MSysObjects", "Elevi", "Clase", "Gol"}));
    QCOMPARE(m_window->List1->currentItem()->text(), QStringLiteral("Elevi"));
    QCOMPARE(items(m_window->List2), QStringList({"Nume", "CNP", "Cod", "Localitate"}));
    QCOMPARE(m_window->Data1->recordset()->tableName(), QStringLiteral("Elevi"));
}

void TestRecords::textTableDialogShowsWhatWillBeRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("change"); // "encoding N", "separator C" (another one), "no header", or none
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<char>("separator"); // the radio button checked, 0 for "altul"
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QStringList>("firstRow");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<CsvOptions>("chosen");
    QTest::addColumn<int>("key"); // that closes the dialog
    const QByteArray tie("Nume, prenume;Data\nIonescu Maria;02.07.2010\nPop, Ion;14.03.2010\n");
    using Encoding = CsvOptions::Encoding;
    using Header = CsvOptions::Header;
    QTest::newRow("the guess") << tie << QString() << "UTF-8" << ';' << QStringList{"Nume, prenume", "Data"}
                               << QStringList{"Ionescu Maria", "02.07.2010"} << 2 << QString() << CsvOptions()
                               << int(Qt::Key_Return);
    QTest::newRow("no header") << tie << "no header" << "UTF-8" << ';' << QStringList{"Coloana 1", "Coloana 2"}
                               << QStringList{"Nume, prenume", "Data"} << 3 << QString()
                               << CsvOptions{Encoding::Auto, 0, Header::No} << int(Qt::Key_Escape);
    QTest::newRow("another separator") << QByteArray("A|B\n1|2\n") << "separator |" << "UTF-8" << '\0'
                                       << QStringList{"A", "B"} << QStringList{"1", "2"} << 1 << QString()
                                       << CsvOptions{Encoding::Auto, '|', Header::Auto} << int(Qt::Key_Return);
    QTest::newRow("another encoding") << QByteArray("Nume\n\xA9imon\n") << "encoding ISO-8859-2" << "ISO-8859-2" << ','
                                      << QStringList{"Nume"} << QStringList{"Šimon"} << 1 << QString()
                                      << CsvOptions{Encoding::Iso88592, 0, Header::Auto} << int(Qt::Key_Return);
    QByteArray many("A,B\n1,2,3\n");
    for (int i = 0; i < 30; ++i)
        many += QByteArray::number(i) + ",x\n";
    QTest::newRow("long rows, the first 20 rows") << many + "4,5,6\n" << QString() << "UTF-8" << ',' << QStringList{"A", "B"}
                                                  << QStringList{"1", "2"} << 20
                                                  << "liniile 2, 33 au mai multe celule decat coloanele tabelei (2)"
                                                  << CsvOptions() << int(Qt::Key_Return);
    QTest::newRow("a fault") << QByteArray("A,B\n1,2\n3,\"4\n") << QString() << "UTF-8" << ',' << QStringList{"A", "B"}
                             << QStringList{"1", "2"} << 1 << "ghilimelele deschise la linia 3" << CsvOptions()
                             << int(Qt::Key_Escape);
}

// The dialog opens on the guess, and its preview shows the rows as each choice would read them.
void TestRecords::textTableDialogShowsWhatWillBeRead()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, change);
    QFETCH(QString, encoding);
    QFETCH(char, separator);
    QFETCH(QStringList, columns);
    QFETCH(QStringList, firstRow);
    QFETCH(int, rows);
    QFETCH(QString, warning);
    QFETCH(CsvOptions, chosen);
    QFETCH(int, key);
    const QString path = m_dir->filePath(QStringLiteral("tabel.csv"));
    QVERIFY(writeFile(path, bytes));
    TextTableDialog dialog(m_window.get(), path, CsvOptions());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    if (change.startsWith(QLatin1String("encoding ")))
        dialog.encodingBox()->setCurrentText(change.mid(9));
    else if (change.startsWith(QLatin1String("separator ")))
        QTest::keyClicks(dialog.otherSeparator(), change.mid(10));
    else if (change == QLatin1String("no header"))
        dialog.headerBox()->click();
    QCOMPARE(dialog.encodingBox()->currentText(), encoding);
    QVERIFY(dialog.separatorButton(separator)->isChecked());
    QTableWidget *preview = dialog.preview();
    QStringList shownColumns, shownRow;
    for (int column = 0; column < preview->columnCount(); ++column) {
        shownColumns << preview->horizontalHeaderItem(column)->text();
        shownRow << preview->item(0, column)->text();
    }
    QCOMPARE(shownColumns, columns);
    QCOMPARE(shownRow, firstRow);
    QCOMPARE(preview->rowCount(), rows);
    QVERIFY2(warning.isEmpty() ? dialog.warning()->text().isEmpty() : dialog.warning()->text().contains(warning),
             qPrintable(dialog.warning()->text()));
    QCOMPARE(dialog.chosen(), chosen);
    QTest::keyClick(dialog.focusWidget() ? dialog.focusWidget() : &dialog, Qt::Key(key));
    QCOMPARE(dialog.result(), key == Qt::Key_Return ? QDialog::Accepted : QDialog::Rejected);
}

// Loading a text table asks how to read it: "Anulare" loads nothing; a choice is kept for the
// file and read by everything that reads it after.
void TestRecords::textTableChoiceIsRememberedForTheFile()
{
    const QString path = m_dir->filePath(QStringLiteral("clasa.txt"));
    QVERIFY(writeFile(path, "Nume|Oras\nPop Ion|Deva\n"));
    const auto forget = qScopeGuard([&] { rememberCsvOptions(path, CsvOptions()); });
    TextTableDialog::reset();
    TextTableDialog::queueCancel();
    loadDatabase(path);
    QCOMPARE(TextTableDialog::shown(), QStringList{path});
    QVERIFY(m_model->CaleBazaDate.isEmpty() && m_window->List1->count() == 0 && MessageBox::shown().isEmpty());
    QCOMPARE(rememberedCsvOptions(path), CsvOptions());

    const CsvOptions piped{CsvOptions::Encoding::Auto, '|', CsvOptions::Header::Auto};
    TextTableDialog::queueAnswer(piped);
    loadDatabase(path);
    QCOMPARE(m_model->CaleBazaDate, path);
    chooseTable(QStringLiteral("clasa"));
    QCOMPARE(items(m_window->List2), QStringList({"Nume", "Oras"}));
    QCOMPARE(rememberedCsvOptions(path), piped);
    // As a page job and the command line open it.
    const auto source = openRecordSource(path);
    QVERIFY(source);
    QCOMPARE(source->openTable(QStringLiteral("clasa"))->columnNames(), QStringList({"Nume", "Oras"}));
    frmSelectie *records = openRecords();
    QVERIFY(records);
    QCOMPARE(records->Data1->value(QStringLiteral("Oras")), std::optional<QString>(QStringLiteral("Deva")));

    // Loaded again, the dialog opens on the choice.
    CommonDialog::queueAnswer(path);
    m_window->mnuIncarcaBaza_Click(); // the menu item is off once a table is chosen
    QCOMPARE(TextTableDialog::shown().size(), 3);
    TextTableDialog dialog(m_window.get(), path, rememberedCsvOptions(path));
    QCOMPARE(dialog.otherSeparator()->text(), QStringLiteral("|"));
    QCOMPARE(dialog.chosen(), piped);
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
    DialogSeam::setTestMode(true);
    TestRecords test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_records.moc"
