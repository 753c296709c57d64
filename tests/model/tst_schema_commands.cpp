#include "support/Images.h"
#include "support/TestSupport.h"
#include "app/frmEcranPrincipal.h"
#include "model/SchemaCodec.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace formulix;
using formulix::test::readFile;
using formulix::test::writeFile;

class TestSchemaCommands : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void savesTheLayoutThroughCtrlS();
    void cancelledDialogsChangeNothing();
    void opensAndTellsWhichDatabase();
    void refusesSchemasTheTablesCannotHold_data();
    void refusesSchemasTheTablesCannotHold();
    void missingFileStaysSilentAndIsNotCreated();
    void opensTheExampleSchema();
    void reportsAFileThatCannotBeWritten();

private:
    void fillLayout();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Module1> m_model;
    std::unique_ptr<frmEcranPrincipal> m_window;
};

void TestSchemaCommands::init()
{
    DialogSeam::reset();
    m_dir = std::make_unique<QTemporaryDir>();
    m_model = std::make_unique<Module1>();
    m_window = std::make_unique<frmEcranPrincipal>(*m_model);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    CommonDialog::queueAnswer(test::writeTemplate(m_dir->path(), "macheta.jpg", "JPEG", QSize(1240, 877), 150));
    m_window->mnuIncarcaMacheta->trigger();
    QVERIFY(m_window->MachetaIncarcata);
}

void TestSchemaCommands::cleanup()
{
    m_window.reset();
    m_model.reset();
    m_dir.reset();
}

void TestSchemaCommands::fillLayout()
{
    m_model->NrCampuriGen = 2;
    m_model->CampuriGen.at(1)->Text = QStringLiteral("Școala Gimnazială nr. 1");
    m_model->CampuriGen.at(1)->MarimeFont = 12;
    m_model->CampuriGen.at(1)->X = 82;
    m_model->CampuriGen.at(1)->Y = 60;
    m_model->CampuriGen.at(2)->Text = QStringLiteral("Ion Popescu");
    m_model->CampuriGen.at(2)->MarimeFont = 10;
    m_model->CampuriGen.at(2)->X = 190;
    m_model->CampuriGen.at(2)->Y = 182;
    m_model->NrCampuriBD = 1;
    m_model->CampuriBD.at(1)->NumeCamp = QStringLiteral("CNP");
    m_model->CampuriBD.at(1)->MarimeFont = 12;
    m_model->CampuriBD.at(1)->X = 82;
    m_model->CampuriBD.at(1)->Y = 119;
    m_model->CampuriBD.at(1)->RangMin = 3;
    m_model->CampuriBD.at(1)->RangMax = 3;
    m_model->CaleBazaDate = QStringLiteral("/date/scoala.mdb");
    m_model->NumeTabela = QStringLiteral("Elevi");
    m_model->PozStanga = -3;
    m_model->PozSus = 7;
}

void TestSchemaCommands::savesTheLayoutThroughCtrlS()
{
    fillLayout();
    const QString path = m_dir->filePath("certificat"); // no extension is added
    CommonDialog::queueAnswer(path);
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    const CommonDialog::Shown shown = CommonDialog::shown().constLast();
    QVERIFY(shown.save);
    QCOMPARE(shown.filter, QStringLiteral("(tip file)|*.tip"));
    QCOMPARE(shown.fileName, QString());
    QCOMPARE(readFile(path), encodeSchema(*m_model));
    QCOMPARE(readFile(path).size(), 4 * SchemaRecordSize);
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestSchemaCommands::cancelledDialogsChangeNothing()
{
    fillLayout();
    CommonDialog::queueCancel();
    m_window->mnuSalveazaSch->trigger();
    CommonDialog::queueCancel();
    m_window->mnuDeschSch->trigger();
    QCOMPARE(m_model->NrCampuriGen, qint16(2));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList({"macheta.jpg"}));
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestSchemaCommands::opensAndTellsWhichDatabase()
{
    fillLayout();
    m_model->CaleBazaDate = QStringLiteral("  /date/") + QString(60, u'x') + QStringLiteral(".mdb");
    const QString path = m_dir->filePath("certificat.tip");
    QVERIFY(saveSchemaFile(path, *m_model));

    // Another layout in memory; the schema replaces the fields and offsets only.
    Module1 &m = *m_model;
    m.NrCampuriGen = 5;
    m.NrCampuriBD = 0;
    m.PozStanga = 20;
    m.PozSus = 5;
    m.Orientare = 2;
    m.CaleBazaDate = QStringLiteral("/alta.mdb");
    m.NumeTabela = QStringLiteral("Profesori");
    CommonDialog::queueAnswer(path);
    m_window->mnuDeschSch->trigger();

    QCOMPARE(m.NrCampuriGen, qint16(2));
    QCOMPARE(m.NrCampuriBD, qint16(1));
    QCOMPARE(m.PozStanga, qint16(-3));
    QCOMPARE(m.PozSus, qint16(7));
    QCOMPARE(m.Orientare, qint16(2));
    QCOMPARE(m.CaleBazaDate, QStringLiteral("/alta.mdb"));
    QCOMPARE(m.NumeTabela, QStringLiteral("Profesori"));
    QCOMPARE(m.CampuriGen.at(1)->Text.shown(), QStringLiteral("Şcoala Gimnazială nr. 1"));

    const QList<MessageBox::Shown> shown = MessageBox::shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].title, QStringLiteral("Baza de date utilizata"));
    const QString cutPath = (QStringLiteral("  /date/") + QString(60, u'x')).left(50).trimmed();
    QCOMPARE(shown[0].text, QStringLiteral("Schema foloseste tabela: Elevi din baza de date: ") + cutPath);
    QCOMPARE(m_window->Picture1->toolTip(), QStringLiteral("Click dreapta pentru selectie/deselectie"));

    // Redrawn: general fields first, the ranged database field by its first letter.
    QStringList drawn;
    for (const PictureBox::PrintedText &printed : m_window->Picture1->printedTexts())
        drawn << printed.text;
    QCOMPARE(drawn, QStringList({"Şcoala Gimnazială nr. 1", "Ion Popescu", "C"}));
}

void TestSchemaCommands::refusesSchemasTheTablesCannotHold_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("says");
    QByteArray header(SchemaRecordSize, ' ');
    header[70] = 0;
    header[75] = char(201);
    header[76] = 0;
    QTest::newRow("201 general fields") << header + QByteArray(201 * SchemaRecordSize, 0) << "mai multe campuri";
    header[75] = 2;
    header[76] = 1;
    QTest::newRow("a record missing") << header + QByteArray(2 * SchemaRecordSize, 0) << "incompleta";
}

void TestSchemaCommands::refusesSchemasTheTablesCannotHold()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, says);
    fillLayout();
    m_window->RedeseneazaCampuri();
    const Camp first = *m_model->CampuriGen.at(1);
    const Camp database = *m_model->CampuriBD.at(1);
    const QString path = m_dir->filePath("stricata.tip");
    QVERIFY(writeFile(path, bytes));
    CommonDialog::queueAnswer(path);
    m_window->mnuDeschSch->trigger();

    QCOMPARE(m_model->NrCampuriGen, qint16(2));
    QCOMPARE(m_model->NrCampuriBD, qint16(1));
    QCOMPARE(m_model->PozStanga, qint16(-3));
    QCOMPARE(*m_model->CampuriGen.at(1), first);
    QCOMPARE(*m_model->CampuriBD.at(1), database);
    QCOMPARE(m_window->Picture1->toolTip(), QString());
    const QList<MessageBox::Shown> shown = MessageBox::shown();
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown[0].text.contains(path));
    QVERIFY(shown[0].text.contains(says));
}

void TestSchemaCommands::missingFileStaysSilentAndIsNotCreated()
{
    fillLayout();
    const QString path = m_dir->filePath("noua.tip");
    CommonDialog::queueAnswer(path);
    m_window->mnuDeschSch->trigger();
    QVERIFY(!QFile::exists(path));
    QCOMPARE(m_model->NrCampuriGen, qint16(2));
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestSchemaCommands::opensTheExampleSchema()
{
    CommonDialog::queueAnswer(QStringLiteral(FORMULIX_SOURCE_DIR "/examples/certificat.tip"));
    m_window->mnuDeschSch->trigger();
    QCOMPARE(m_model->NrCampuriGen, qint16(2));
    QCOMPARE(m_model->NrCampuriBD, qint16(16));
    QCOMPARE(MessageBox::shown().constFirst().text,
             QStringLiteral("Schema foloseste tabela: Elevi din baza de date: examples/elevi.mdb"));
    int digits = 0;
    for (int i = 1; i <= m_model->NrCampuriBD; ++i) {
        const Camp &camp = *m_model->CampuriBD.at(i);
        if (camp.NumeCamp.shown() == QStringLiteral("CNP")) {
            ++digits;
            QCOMPARE(int(camp.RangMin), digits);
            QCOMPARE(int(camp.RangMax), digits);
        }
    }
    QCOMPARE(digits, 13);
}

void TestSchemaCommands::reportsAFileThatCannotBeWritten()
{
    fillLayout();
    const QString path = m_dir->filePath("macheta.jpg/schema.tip"); // a file stands where a folder should
    CommonDialog::queueAnswer(path);
    m_window->mnuSalveazaSch->trigger();
    const QList<MessageBox::Shown> shown = MessageBox::shown();
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown[0].text.contains(QDir::toNativeSeparators(path)));
    QCOMPARE(m_model->NrCampuriGen, qint16(2));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    DialogSeam::setTestMode(true);
    TestSchemaCommands test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_schema_commands.moc"
