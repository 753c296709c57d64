#include "support/Images.h"
#include "support/TestSupport.h"
#include "support/WindowTest.h"
#include "gui/app/frmEcranPrincipal.h"
#include "core/layout/SchemaCodec.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace formulix;
using namespace formulix::test;
using formulix::test::readFile;
using formulix::test::writeFile;

class TestSchemaCommands : public WindowTest
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void savesTheLayoutThroughCtrlS();
    void opensAndTellsWhichDatabase();
    void failedSaveOrOpenKeepsTheLayout_data();
    void failedSaveOrOpenKeepsTheLayout();
    void changedLayoutIsAskedAbout_data();
    void changedLayoutIsAskedAbout();
    void unchangedLayoutIsNotAskedAbout_data();
    void unchangedLayoutIsNotAskedAbout();

private:
    void fillLayout();

};

void TestSchemaCommands::init()
{
    QVERIFY(openWindow());
    QVERIFY(loadScan(QSize(1240, 877)));
}

void TestSchemaCommands::cleanup()
{
    closeWindow();
}

void TestSchemaCommands::fillLayout()
{
    addGeneral(generalField(QStringLiteral("Școala Gimnazială nr. 1"), 82, 60, 12));
    addGeneral(generalField(QStringLiteral("Ion Popescu"), 190, 182, 10));
    addDatabase(databaseField(QStringLiteral("CNP"), 82, 119, 3, 3, 12));
    m_model->CaleBazaDate = QStringLiteral("/date/scoala.mdb");
    m_model->NumeTabela = QStringLiteral("Elevi");
    m_model->PozStanga = -3;
    m_model->PozSus = 7;
    // This layout is unsaved work: opening another schema asks first, and is told to go on.
    MessageBox::queueAnswer(MessageBox::Answer::No);
}

// The messages shown, without the questions asked.
QList<MessageBox::Shown> notices()
{
    QList<MessageBox::Shown> found;
    for (const MessageBox::Shown &shown : MessageBox::shown()) {
        if (!shown.question)
            found << shown;
    }
    return found;
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
    QVERIFY(notices().isEmpty());
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

    const QList<MessageBox::Shown> shown = notices();
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

    // The example's database is named as the schema holds it; its personal number is 13 boxes,
    // one digit each, in order.
    openSchema(*m_window, QStringLiteral(FORMULIX_SOURCE_DIR "/examples/certificat.tip"));
    QCOMPARE(m.NrCampuriGen, qint16(2));
    QCOMPARE(m.NrCampuriBD, qint16(16));
    QCOMPARE(notices().constLast().text, QStringLiteral("Schema foloseste tabela: Elevi din baza de date: examples/elevi.mdb"));
    int digits = 0;
    for (int i = 1; i <= m.NrCampuriBD; ++i) {
        if (const Camp &camp = *m.CampuriBD.at(i); camp.NumeCamp.shown() == QStringLiteral("CNP")) {
            ++digits;
            QCOMPARE(int(camp.RangMin), digits);
            QCOMPARE(int(camp.RangMax), digits);
        }
    }
    QCOMPARE(digits, 13);
}

void TestSchemaCommands::failedSaveOrOpenKeepsTheLayout_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("file"); // "" the file dialog cancelled
    QTest::addColumn<QByteArray>("bytes"); // written to `file` first when not null
    QTest::addColumn<QString>("says"); // "" no notice; else one naming the file and saying this
    QByteArray header(SchemaRecordSize, ' ');
    header[70] = 0;
    header[75] = char(201);
    header[76] = 0;
    const QByteArray tooMany = header + QByteArray(201 * SchemaRecordSize, 0);
    header[75] = 2;
    header[76] = 1;
    const QByteArray missingRecord = header + QByteArray(2 * SchemaRecordSize, 0);
    QTest::newRow("Salveaza Schema cancelled") << true << "" << QByteArray() << "";
    QTest::newRow("Deschide Schema cancelled") << false << "" << QByteArray() << "";
    QTest::newRow("a missing file: silent, not created") << false << "noua.tip" << QByteArray() << "";
    QTest::newRow("saved where a file stands for a folder") << true << "macheta.jpg/schema.tip" << QByteArray()
                                                           << "nu a putut fi salvata";
    QTest::newRow("saved over the template in use") << true << "macheta.jpg" << QByteArray() << "este chiar macheta folosita";
    QTest::newRow("201 general fields") << false << "stricata.tip" << tooMany << "mai multe campuri";
    QTest::newRow("a record missing") << false << "stricata.tip" << missingRecord << "incompleta";
}

void TestSchemaCommands::failedSaveOrOpenKeepsTheLayout()
{
    QFETCH(bool, save);
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, says);
    fillLayout();
    m_window->RedeseneazaCampuri();
    const Camp first = *m_model->CampuriGen.at(1);
    const Camp database = *m_model->CampuriBD.at(1);
    const QString path = m_dir->filePath(file);
    if (!bytes.isNull())
        QVERIFY(writeFile(path, bytes));
    if (file.isEmpty())
        CommonDialog::queueCancel();
    else
        CommonDialog::queueAnswer(path);
    (save ? m_window->mnuSalveazaSch : m_window->mnuDeschSch)->trigger();

    QCOMPARE(m_model->NrCampuriGen, qint16(2));
    QCOMPARE(m_model->NrCampuriBD, qint16(1));
    QCOMPARE(m_model->PozStanga, qint16(-3));
    QCOMPARE(*m_model->CampuriGen.at(1), first);
    QCOMPARE(*m_model->CampuriBD.at(1), database);
    QCOMPARE(m_window->Picture1->toolTip(), QString());
    // Nothing is written, nor left behind, but what the row wrote itself.
    QStringList files{"macheta.jpg"};
    if (!bytes.isNull())
        files << file;
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), files);
    const QList<MessageBox::Shown> shown = notices();
    QCOMPARE(shown.size(), says.isEmpty() ? 0 : 1);
    if (!says.isEmpty()) {
        QVERIFY2(shown[0].text.contains(QDir::toNativeSeparators(path)), qPrintable(shown[0].text));
        QVERIFY2(shown[0].text.contains(says), qPrintable(shown[0].text));
    }
}

namespace {

const QString ExampleSchema = QStringLiteral(FORMULIX_SOURCE_DIR "/examples/certificat.tip");

enum class Leave { Exit, Close, Open };

// Runs the command that throws the layout away; true when it went on (the program ended, or
// the other schema replaced the layout).
bool leave(frmEcranPrincipal &window, Leave how)
{
    switch (how) {
    case Leave::Exit: window.mnuExit->trigger(); return !window.isVisible();
    case Leave::Close: window.close(); return !window.isVisible();
    case Leave::Open:
        CommonDialog::queueAnswer(ExampleSchema);
        window.mnuDeschSch->trigger();
        return window.m.NrCampuriBD == 16;
    }
    return false;
}

} // namespace

void TestSchemaCommands::changedLayoutIsAskedAbout_data()
{
    QTest::addColumn<int>("how");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveTo"); // "" no save dialog, "-" the save dialog cancelled
    QTest::addColumn<bool>("goesOn");
    const QList<std::pair<const char *, Leave>> commands = {
        {"Exit", Leave::Exit}, {"closing the window", Leave::Close}, {"Deschide Schema", Leave::Open}};
    for (const auto &[name, how] : commands) {
        const int h = int(how);
        QTest::addRow("%s, Nu: goes on unsaved", name) << h << int(MessageBox::Answer::No) << "" << true;
        QTest::addRow("%s, Anulare: stays", name) << h << int(MessageBox::Answer::Cancel) << "" << false;
        QTest::addRow("%s, Da: saves, goes on", name) << h << int(MessageBox::Answer::Yes) << "salvata.tip" << true;
        QTest::addRow("%s, Da, save cancelled: stays", name) << h << int(MessageBox::Answer::Yes) << "-" << false;
        QTest::addRow("%s, Da, save fails: stays", name)
            << h << int(MessageBox::Answer::Yes) << "macheta.jpg/salvata.tip" << false;
    }
}

void TestSchemaCommands::changedLayoutIsAskedAbout()
{
    QFETCH(int, how);
    QFETCH(int, answer);
    QFETCH(QString, saveTo);
    QFETCH(bool, goesOn);
    // A field placed the way the user places one.
    m_window->mnuDefCampGen->trigger();
    m_window->Text1->setText(QStringLiteral("Liceul Teoretic"));
    m_window->Command1->click();
    m_window->Picture1_MouseDown(1, 0, 40, 40);
    QCOMPARE(m_model->NrCampuriGen, qint16(1));
    const QByteArray layout = encodeSchema(*m_model);

    MessageBox::queueAnswer(MessageBox::Answer(answer));
    if (saveTo == QStringLiteral("-"))
        CommonDialog::queueCancel();
    else if (!saveTo.isEmpty())
        CommonDialog::queueAnswer(m_dir->filePath(saveTo));
    QCOMPARE(leave(*m_window, Leave(how)), goesOn);

    const QList<MessageBox::Shown> shown = MessageBox::shown();
    QVERIFY(!shown.isEmpty());
    QVERIFY(shown[0].question);
    QCOMPARE(shown[0].title, QStringLiteral("Formulix"));
    QCOMPARE(shown[0].text, QStringLiteral("Salvati modificarile schemei?"));
    const QList<CommonDialog::Shown> dialogs = CommonDialog::shown();
    const bool saved = !saveTo.isEmpty() && saveTo != QStringLiteral("-") && goesOn;
    if (saved)
        QCOMPARE(readFile(m_dir->filePath(saveTo)), layout);
    // The save dialog comes first, when asked for; a schema is opened only when going on.
    QCOMPARE(dialogs.size() - 1, int(!saveTo.isEmpty()) + int(Leave(how) == Leave::Open && goesOn));
    if (!goesOn) {
        QVERIFY(m_window->isVisible());
        QCOMPARE(encodeSchema(*m_model), layout);
    }
}

void TestSchemaCommands::unchangedLayoutIsNotAskedAbout_data()
{
    QTest::addColumn<QString>("before");
    QTest::newRow("nothing done") << "";
    QTest::newRow("just saved") << "save";
    QTest::newRow("just opened") << "open";
    QTest::newRow("a record chosen after opening") << "record";
    QTest::newRow("a database loaded") << "database";
}

void TestSchemaCommands::unchangedLayoutIsNotAskedAbout()
{
    QFETCH(QString, before);
    if (before == QStringLiteral("save")) {
        fillLayout();
        CommonDialog::queueAnswer(m_dir->filePath("salvata.tip"));
        m_window->mnuSalveazaSch->trigger();
        QVERIFY(QFile::exists(m_dir->filePath("salvata.tip")));
    } else if (before != QStringLiteral("")) {
        CommonDialog::queueAnswer(ExampleSchema);
        m_window->mnuDeschSch->trigger();
        QCOMPARE(m_model->NrCampuriBD, qint16(16));
    }
    // What choosing a record and loading a database change is not the layout.
    if (before == QStringLiteral("record")) {
        for (int i = 1; i <= m_model->NrCampuriBD; ++i)
            m_model->CampuriBD.at(i)->Text = QStringLiteral("1980314125021");
    }
    if (before == QStringLiteral("database")) {
        m_model->CaleBazaDate = QStringLiteral("/date/elevi.mdb");
        m_model->NumeTabela = QStringLiteral("Elevi");
    }
    DialogSeam::reset();
    QVERIFY(leave(*m_window, Leave::Close));
    QVERIFY(MessageBox::shown().isEmpty());
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    DialogSeam::setTestMode(true);
    TestSchemaCommands test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_schema_commands.moc"
