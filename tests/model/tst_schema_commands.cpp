#include "support/Images.h"
#include "support/Jet4Writer.h"
#include "support/TestSupport.h"
#include "support/WindowTest.h"
#include "gui/app/frmEcranPrincipal.h"
#include "core/layout/SchemaCodec.h"
#include "printer/Printer.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
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
    void openingOffersTheSavedTemplate_data();
    void openingOffersTheSavedTemplate();
    void fieldsOffThePaperAreAsked_data();
    void fieldsOffThePaperAreAsked();
    void commandLineUsesWhatTheSchemaKeeps_data();
    void commandLineUsesWhatTheSchemaKeeps();

private:
    void fillLayout();
    // A TIFF of two pages, 50.8 and 101.6 mm wide (the second 600 x 300 pixels at 150 dpi).
    QString twoPageScan(const QString &name);

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
    // The records, then the block: "Ș" and the template need it; nothing is lost, nothing said.
    QCOMPARE(readFile(path), encodeSchema(*m_model, path));
    QCOMPARE(readFile(path).left(4 * SchemaRecordSize), encodeRecords(*m_model));
    QVERIFY(notices().isEmpty());
}

void TestSchemaCommands::opensAndTellsWhichDatabase()
{
    fillLayout();
    m_model->CaleBazaDate = QStringLiteral("  /date/") + QString(60, u'x') + QStringLiteral(".mdb");
    m_model->CampuriGen.at(1)->style.align = TextAlign::Centre;
    m_model->CampuriBD.at(1)->style.format.kind = ValueKind::Number;
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
    QCOMPARE(m.Orientare, qint16(1)); // saved with the schema
    QCOMPARE(m.CaleBazaDate, QStringLiteral("/alta.mdb"));
    QCOMPARE(m.NumeTabela, QStringLiteral("Profesori"));
    QCOMPARE(m.CampuriGen.at(1)->Text.shown(), QStringLiteral("Școala Gimnazială nr. 1"));
    QCOMPARE(m.CampuriGen.at(1)->style.align, TextAlign::Centre);
    QCOMPARE(m.CampuriBD.at(1)->style.format.kind, ValueKind::Number);

    const QList<MessageBox::Shown> shown = notices();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].title, QStringLiteral("Baza de date utilizata"));
    // The path whole, though its record keeps 50 characters of it.
    QCOMPARE(shown[0].text, QStringLiteral("Schema foloseste tabela: Elevi din baza de date: /date/") + QString(60, u'x')
                                + QStringLiteral(".mdb"));
    QCOMPARE(m_window->Picture1->toolTip(), QStringLiteral("Click dreapta pentru selectie/deselectie"));

    // Redrawn: general fields first, the ranged database field by its first letter.
    QStringList drawn;
    for (const PictureBox::PrintedText &printed : m_window->Picture1->printedTexts())
        drawn << printed.text;
    QCOMPARE(drawn, QStringList({"Școala Gimnazială nr. 1", "Ion Popescu", "C"}));

    // The example's database is named as the schema holds it; its personal number is 13 boxes,
    // one digit each, in order.
    m.Orientare = 2;
    openSchema(*m_window, QStringLiteral(FORMULIX_SOURCE_DIR "/examples/certificat.tip"));
    QCOMPARE(m.Orientare, qint16(2)); // records alone: the orientation stays as it was set
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
    const Module1 made = *m_model;

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
        QCOMPARE(readFile(m_dir->filePath(saveTo)), encodeSchema(made, m_dir->filePath(saveTo)));
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

QString TestSchemaCommands::twoPageScan(const QString &name)
{
    const QString first = writeTemplate(m_dir->path(), QStringLiteral("p1.tif"), "TIFF", QSize(300, 150), 150);
    const QString second = writeTemplate(m_dir->path(), QStringLiteral("p2.tif"), "TIFF", QSize(600, 300), 150);
    const QString path = m_dir->filePath(name);
    const bool made = QProcess::execute(QStringLiteral("tiffcp"), {first, second, path}) == 0;
    QFile::remove(first);
    QFile::remove(second);
    return made ? path : QString();
}

void TestSchemaCommands::openingOffersTheSavedTemplate_data()
{
    QTest::addColumn<QString>("before"); // what happens to the files between saving and opening
    QTest::addColumn<int>("answer");     // to "Incarc macheta salvata cu schema?"; -1 not asked
    QTest::addColumn<double>("widthMm"); // the canvas after opening
    QTest::addColumn<QString>("told");   // "" nothing
    const int yes = int(MessageBox::Answer::Yes), no = int(MessageBox::Answer::No);
    QTest::newRow("Da: its page at its scale") << "" << yes << 127.0 << "";
    QTest::newRow("Nu: the template stays") << "" << no << 210.0 << "";
    QTest::newRow("moved with the schema: found beside it") << "move" << yes << 127.0 << "";
    QTest::newRow("gone: told") << "remove" << -1 << 210.0 << "Macheta salvata cu schema";
    QTest::newRow("loaded already: not asked") << "load" << -1 << 127.0 << "";
    QTest::newRow("a damaged block: the fields open, told")
        << "damage" << -1 << 210.0 << "a fost deschisa fara stilurile campurilor, macheta si orientarea";
}

void TestSchemaCommands::openingOffersTheSavedTemplate()
{
    QFETCH(QString, before);
    QFETCH(int, answer);
    QFETCH(double, widthMm);
    QFETCH(QString, told);
    const QString scan = twoPageScan(QStringLiteral("forma.tif"));
    if (scan.isEmpty())
        QSKIP("tiffcp (libtiff-tools) is not installed");
    addGeneral(generalField(QStringLiteral("Director"), 30, 40));
    m_model->templ = {scan, 1, 1.25};
    QString path = m_dir->filePath(QStringLiteral("certificat.tip"));
    QVERIFY(saveSchemaFile(path, *m_model));
    m_model->templ = {m_dir->filePath(QStringLiteral("macheta.jpg")), 0, 1.0}; // the one loaded
    if (before == QStringLiteral("move")) {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("alt")));
        QVERIFY(QFile::rename(path, m_dir->filePath(QStringLiteral("alt/certificat.tip"))));
        QVERIFY(QFile::rename(scan, m_dir->filePath(QStringLiteral("alt/forma.tif"))));
        path = m_dir->filePath(QStringLiteral("alt/certificat.tip"));
    } else if (before == QStringLiteral("remove")) {
        QVERIFY(QFile::remove(scan));
    } else if (before == QStringLiteral("load")) {
        QVERIFY(m_window->loadTemplateFile(scan, 1, 1.25));
    } else if (before == QStringLiteral("damage")) {
        QByteArray bytes = readFile(path);
        bytes[bytes.size() - 2] = char(bytes[bytes.size() - 2] ^ 1);
        QVERIFY(writeFile(path, bytes));
    }
    DialogSeam::reset();
    if (answer >= 0)
        MessageBox::queueAnswer(MessageBox::Answer(answer));
    openSchema(*m_window, path);

    QCOMPARE(m_model->NrCampuriGen, qint16(1));
    QStringList asked, said;
    for (const MessageBox::Shown &shown : MessageBox::shown())
        (shown.question ? asked : said) << shown.text;
    QCOMPARE(asked, answer >= 0 ? QStringList{QStringLiteral("Incarc macheta salvata cu schema?")} : QStringList());
    QCOMPARE(said.size(), told.isEmpty() ? 1 : 2); // "Baza de date utilizata" first
    if (!told.isEmpty())
        QVERIFY2(said.constLast().contains(told), qPrintable(said.constLast()));
    QVERIFY2(qAbs(m_window->Picture1->widthMm() - widthMm) < 0.2, qPrintable(QString::number(m_window->Picture1->widthMm())));
    // What is loaded is what the next save keeps; loading it is no change to save.
    if (widthMm < 200)
        QCOMPARE(m_model->templ, Module1::TemplateMemory({QFileInfo(path).dir().filePath(QStringLiteral("forma.tif")), 1, 1.25}));
    QVERIFY(!m_window->layoutChanged());
}

void TestSchemaCommands::fieldsOffThePaperAreAsked_data()
{
    QTest::addColumn<bool>("exportPdf"); // else "Tipareste"
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("answer"); // -1 not asked
    QTest::addColumn<bool>("printed");
    const int yes = int(MessageBox::Answer::Yes), no = int(MessageBox::Answer::No);
    QTest::newRow("Tipareste, landscape, Nu: nothing printed") << false << 1 << no << false;
    QTest::newRow("Tipareste, landscape, Da: printed cut") << false << 1 << yes << true;
    QTest::newRow("Tipareste, portrait: nothing asked") << false << 2 << -1 << true;
    QTest::newRow("Exporta PDF, landscape, Nu: no file") << true << 1 << no << false;
    QTest::newRow("Exporta PDF, portrait: nothing asked") << true << 2 << -1 << true;
}

void TestSchemaCommands::fieldsOffThePaperAreAsked()
{
    QFETCH(bool, exportPdf);
    QFETCH(int, orientation);
    QFETCH(int, answer);
    QFETCH(bool, printed);
    QVERIFY(loadScan(QSize(1240, 1754))); // A4 portrait
    addGeneral(generalField(QStringLiteral("prof. Maria Ionescu"), 100, 250, 11));
    addGeneral(generalField(QStringLiteral("Liceul Teoretic"), 40, 30, 11));
    m_model->PozStanga = 0;
    m_model->PozSus = 0;
    m_model->Orientare = qint16(orientation);
    const QString pdf = m_dir->filePath(QStringLiteral("pagini.pdf"));
    PrinterSeam::setPdfOutput(pdf);
    DialogSeam::reset();
    if (answer >= 0)
        MessageBox::queueAnswer(MessageBox::Answer(answer));
    if (exportPdf) {
        JobRequest request;
        request.choice.kind = RecordChoice::Current;
        BatchPrintDialog::queueAnswer(request);
        CommonDialog::queueAnswer(pdf);
        m_window->exportPdfAction->trigger();
    } else {
        m_window->mnuTipareste->trigger();
    }
    PrinterSeam::setPdfOutput(QString());

    QStringList asked;
    for (const MessageBox::Shown &shown : MessageBox::shown()) {
        if (shown.question)
            asked << shown.text;
    }
    QCOMPARE(asked, answer < 0 ? QStringList()
                               : QStringList{QStringLiteral("Campul \"prof. Maria Ionescu\" iese din zona tiparibila a "
                                                            "hartiei asezate peisaj: nu se va tipari intreg. Continuati?")});
    QCOMPARE(QFile::exists(pdf), printed);
}

void TestSchemaCommands::commandLineUsesWhatTheSchemaKeeps_data()
{
    QTest::addColumn<QStringList>("options"); // COPY: a copy of the template's second page alone
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said");       // on stderr; "" nothing
    QTest::addColumn<bool>("portrait");
    QTest::newRow("its template, page and scale, orientation and long names") << QStringList() << 0 << "" << true;
    QTest::newRow("--landscape over its portrait") << QStringList{"--landscape"} << 0 << "" << false;
    QTest::newRow("another template: at its own size, a field off it")
        << QStringList{"--template", "COPY"} << 0 << "Campul \"Director\" iese din zona tiparibila a hartiei asezate portret"
        << true;
    QTest::newRow("its template gone: the printable area") << QStringList{"GONE"} << 0
                                                         << "salvata cu schema nu exista; pagina ia zona tiparibila" << true;
    QTest::newRow("both orientations") << QStringList{"--portrait", "--landscape"} << 2
                                       << "alegeti fie --portrait, fie --landscape" << true;
}

void TestSchemaCommands::commandLineUsesWhatTheSchemaKeeps()
{
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QString, said);
    QFETCH(bool, portrait);
    const QString scan = twoPageScan(QStringLiteral("forma.tif"));
    if (scan.isEmpty())
        QSKIP("tiffcp (libtiff-tools) is not installed");
    // A database deep enough for its path to pass 50 characters, a table name past 20, and two
    // columns alike in their first 20 characters: the records alone name none of them surely.
    const QString folder = m_dir->filePath(QStringLiteral("documente scolare/anul scolar 2009-2010/certificate"));
    QVERIFY(QDir().mkpath(folder));
    const QString database = folder + QStringLiteral("/elevi.mdb");
    const QString table = QStringLiteral("Elevii claselor a VIII-a");
    Jet4Writer writer(database);
    QVERIFY(writer.beginTable(table, {{QStringLiteral("Numele si prenumele parintelui")},
                                      {QStringLiteral("Numele si prenumele elevului")}}));
    QVERIFY(writer.addRow({QStringLiteral("Popescu Gheorghe"), QStringLiteral("Popescu Ion")}));
    QVERIFY(writer.finish());
    Module1 layout;
    layout.CaleBazaDate = database;
    layout.NumeTabela = table;
    layout.NrCampuriBD = 1;
    *layout.CampuriBD.at(1) = databaseField(QStringLiteral("Numele si prenumele elevului"), 10, 10);
    layout.CampuriBD.at(1)->fullColumn = fullColumnFor(QStringLiteral("Numele si prenumele elevului"));
    layout.NrCampuriGen = 1;
    *layout.CampuriGen.at(1) = generalField(QStringLiteral("Director"), 105, 30);
    layout.PozStanga = 0;
    layout.PozSus = 0;
    layout.Orientare = 2;
    layout.templ = {scan, 1, 1.25}; // 127 mm wide: the director fits, not on 101.6 or 50.8
    const QString schema = m_dir->filePath(QStringLiteral("certificat.tip"));
    QVERIFY(saveSchemaFile(schema, layout));
    QVERIFY(database.size() > 50 && decodeSchema(encodeRecords(layout)).schema.shownCaleBazaDate() != database);

    const QString copy = writeTemplate(m_dir->path(), QStringLiteral("copie.tif"), "TIFF", QSize(600, 300), 150);
    if (options.removeAll(QStringLiteral("GONE")))
        QVERIFY(QFile::remove(scan));
    options.replaceInStrings(QStringLiteral("COPY"), copy);
    const QString pdf = m_dir->filePath(QStringLiteral("iesire.pdf"));
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->filePath(QStringLiteral("config")));
    run.setProcessEnvironment(environment);
    run.start(QStringLiteral(FORMULIX_BINARY), QStringList{QStringLiteral("--pdf"), pdf} + options + QStringList{schema});
    QVERIFY(run.waitForFinished(120000));
    const QString err = QString::fromUtf8(run.readAllStandardError());
    QCOMPARE(run.exitCode(), status);
    QVERIFY2(said.isEmpty() ? !err.contains(QStringLiteral("zona tiparibila")) : err.contains(said), qPrintable(err));
    if (status != 0)
        return;
    const QString text = pdfPageText(pdf, 1);
    QVERIFY2(text.contains(QStringLiteral("Popescu Ion")) && !text.contains(QStringLiteral("Gheorghe")), qPrintable(text));
    const QImage page = renderPdfPage(pdf, 1, 20);
    QCOMPARE(page.height() > page.width(), portrait);
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    DialogSeam::setTestMode(true);
    TestSchemaCommands test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_schema_commands.moc"
