#include "gui/app/Application.h"
#include "gui/app/frmEcranPrincipal.h"
#include "cli/CommandLine.h"
#include "core/layout/SchemaCodec.h"
#include "core/records/CsvOptions.h"
#include "core/page/PngSink.h"
#include "core/records/RecordSources.h"
#include "widgets/DataGrid.h"
#include "printer/Printer.h"
#include "gui/print/BatchPrintDialog.h"
#include "gui/print/PreviewWindow.h"
#include "core/text/TextRules.h"
#include "support/Jet4Writer.h"
#include "support/TestSupport.h"
#include "support/WindowTest.h"

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTableView>
#include <QtTest>

#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace formulix;
using namespace formulix::test;

namespace {

const QString Examples = QStringLiteral(FORMULIX_SOURCE_DIR "/examples");

struct Pupil
{
    QString name;
    QString cnp;
};

QList<Pupil> examplePupils()
{
    QList<Pupil> pupils;
    const auto database = openRecordSource(Examples + QStringLiteral("/elevi.mdb"));
    const auto rows = database ? database->openTable(QStringLiteral("Elevi")) : nullptr;
    if (!rows)
        return pupils;
    for (qint64 row = 0; row < rows->fetchAll(); ++row)
        pupils.append({rows->text(row, 0), rows->text(row, 1)});
    return pupils;
}


// The single digits on a page, the line that holds most of them read from left to right: the
// personal number, one digit to a box.
QString digitLine(const QString &pdf, int page)
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(page),
                                            QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")});
    text.waitForFinished(60000);
    const QRegularExpression word(QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"[^>]*>(\\d)</word>"));
    QMap<int, QMap<double, QString>> lines; // by the line's top, in whole points
    for (auto it = word.globalMatch(QString::fromUtf8(text.readAllStandardOutput())); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        lines[qRound(m.captured(2).toDouble())][m.captured(1).toDouble()] = m.captured(3);
    }
    QString best;
    for (const auto &line : std::as_const(lines)) {
        if (line.size() > best.size())
            best = QStringList(line.values()).join(QString());
    }
    return best;
}

// A job of `kind` (from `first` to `last` for a range), over the form when `withForm`.
JobRequest job(RecordChoice::Kind kind, qint64 first = 1, qint64 last = 1, bool withForm = false)
{
    JobRequest request;
    request.choice = {kind, first, last, {}, 1};
    request.withForm = withForm;
    return request;
}

// Writes past 20 kB fail while it lives, as on a full disk, for this process and those it starts.
struct SmallFileLimit
{
    rlimit given{};
    bool set = false;
    SmallFileLimit()
    {
        signal(SIGXFSZ, SIG_IGN);
        if (getrlimit(RLIMIT_FSIZE, &given) == 0) {
            const rlimit small{20 * 1024, given.rlim_max};
            set = setrlimit(RLIMIT_FSIZE, &small) == 0;
        }
    }
    ~SmallFileLimit()
    {
        if (set)
            setrlimit(RLIMIT_FSIZE, &given);
        signal(SIGXFSZ, SIG_DFL);
    }
};

// Where a page image is inked (darker than light grey) inside `within`; null when nowhere.
QRect inkBox(const QImage &image, const QRect &within)
{
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8); // shared when it is already
    const QRect area = within.intersected(gray.rect());
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar *line = gray.constScanLine(y);
        for (int x = area.left(); x <= area.right(); ++x) {
            if (line[x] < 160) {
                left = qMin(left, x), right = qMax(right, x);
                top = qMin(top, y), bottom = qMax(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// The texts of a page image, roughly: runs of inked rows, cut where a column stays clean for
// 2 mm at 300 dpi.
QList<QRect> inkBoxes(const QImage &page)
{
    const QImage image = page.convertToFormat(QImage::Format_Grayscale8);
    QList<QRect> boxes;
    const QRect all = inkBox(image, image.rect());
    for (int y = all.top(); y <= all.bottom();) {
        int end = y;
        while (end <= all.bottom() && !inkBox(image, QRect(all.left(), end, all.width(), 1)).isNull())
            ++end;
        if (end > y) {
            const QRect band(all.left(), y, all.width(), end - y);
            for (int x = band.left(); x <= band.right();) {
                const QRect rest = inkBox(image, QRect(QPoint(x, band.top()), band.bottomRight()));
                if (rest.isNull())
                    break;
                int clean = 0, right = rest.left();
                for (int column = rest.left(); column <= band.right() && clean < 24; ++column) {
                    if (inkBox(image, QRect(column, band.top(), 1, band.height())).isNull())
                        ++clean;
                    else
                        clean = 0, right = column;
                }
                boxes.append(inkBox(image, QRect(QPoint(rest.left(), band.top()), QPoint(right, band.bottom()))));
                x = right + 1;
            }
        }
        y = end + 1;
    }
    return boxes;
}

bool sameWithin(const QRect &a, const QRect &b, int pixels)
{
    return qAbs(a.left() - b.left()) <= pixels && qAbs(a.top() - b.top()) <= pixels
        && qAbs(a.right() - b.right()) <= pixels && qAbs(a.bottom() - b.bottom()) <= pixels;
}

} // namespace

class TestBatch : public WindowTest
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pagesFollowTheChosenRecords_data();
    void pagesFollowTheChosenRecords();
    void gridSelectionIsOffered();
    void stoppedExportKeepsTheOldFile_data();
    void stoppedExportKeepsTheOldFile();
    void withoutATableOnlyTheLayoutPrints();
    void exportRespectsWhatIsThere_data();
    void exportRespectsWhatIsThere();
    void previewShowsWhatThePdfHolds_data();
    void previewShowsWhatThePdfHolds();
    void previewOfALargeTableDrawsWhatIsShown();
    void oneJobAtATime();
    void undoneEditPrintsTheChosenRecord_data();
    void undoneEditPrintsTheChosenRecord();
    void batchGoesThroughTheDefaultQueue();
    void queueTroubleIsTold();
    void commandLine_data();
    void commandLine();
    void valuesPrintAsTheTableHoldsThem_data();
    void valuesPrintAsTheTableHoldsThem();
    void imagesFromTheWindow_data();
    void imagesFromTheWindow();
    void imagesFromTheCommandLine_data();
    void imagesFromTheCommandLine();
    void imagesKeepThePrintersMargins();

private:
    // The example schema over its template (or `form`), and its pupils from `source` (none when
    // empty): the example database, the same pupils as a spreadsheet saved them, or a path.
    void openExample(const QString &source = QStringLiteral("elevi.mdb"), const QString &form = QStringLiteral("certificat.jpg"));
    // The job answered with `request` through `action`'s dialog (and, for a PDF, the file dialog).
    void run(QAction *action, const JobRequest &request);
    QString exportPdf(const JobRequest &request, const QString &name = QStringLiteral("clasa.pdf"));

};

void TestBatch::init()
{
    BatchPrintDialog::reset();
    JobSeam::setCancelAfter(-1);
    QVERIFY(openWindow(QSize(1000, 800)));
}

void TestBatch::cleanup()
{
    PrinterSeam::setPdfOutput(QString());
    closeWindow();
}

void TestBatch::openExample(const QString &source, const QString &form)
{
    loadTemplate(*m_window, QDir(Examples).filePath(form));
    openSchema(*m_window, Examples + QStringLiteral("/certificat.tip"));
    QCOMPARE(m_model->NrCampuriBD, qint16(16));
    if (!source.isEmpty()) {
        loadDatabase(*m_window, QDir(Examples).filePath(source));
        QVERIFY(chooseTable(*m_window, source.endsWith(QStringLiteral(".mdb")) ? QStringLiteral("Elevi") : QStringLiteral("elevi")));
        QVERIFY(m_window->printRecordsAction->isEnabled());
    }
    DialogSeam::reset();
}

void TestBatch::run(QAction *action, const JobRequest &request)
{
    BatchPrintDialog::queueAnswer(request);
    action->trigger();
}

QString TestBatch::exportPdf(const JobRequest &request, const QString &name)
{
    const QString pdf = QDir(m_dir->path()).filePath(name);
    CommonDialog::queueAnswer(pdf);
    run(m_window->exportPdfAction, request);
    return pdf;
}

void TestBatch::pagesFollowTheChosenRecords_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("last");
    QTest::addColumn<QList<qint64>>("rows");
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("toPdf"); // else "Tipareste Inregistrari..." on the default printer
    QTest::addColumn<QList<qint64>>("pages"); // the record each page shows
    QTest::addColumn<QString>("source");
    const QList<qint64> all = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const QString mdb = QStringLiteral("elevi.mdb"), csv = QStringLiteral("elevi.csv");
    QTest::newRow("all, printed") << int(RecordChoice::All) << 1LL << 1LL << QList<qint64>() << 1 << false << all << mdb;
    QTest::newRow("range 3-5, PDF") << int(RecordChoice::Range) << 3LL << 5LL << QList<qint64>() << 1 << true
                                    << QList<qint64>({3, 4, 5}) << mdb;
    QTest::newRow("two grid rows") << int(RecordChoice::Rows) << 1LL << 1LL << QList<qint64>({7, 2}) << 1 << false
                                   << QList<qint64>({2, 7}) << mdb;
    QTest::newRow("two copies of 9-10") << int(RecordChoice::Range) << 9LL << 10LL << QList<qint64>() << 2 << true
                                        << QList<qint64>({9, 9, 10, 10}) << mdb;
    QTest::newRow("all from the spreadsheet, PDF") << int(RecordChoice::All) << 1LL << 1LL << QList<qint64>() << 1
                                                   << true << all << csv;
    QTest::newRow("range 3-5 from the spreadsheet, printed") << int(RecordChoice::Range) << 3LL << 5LL
                                                             << QList<qint64>() << 1 << false
                                                             << QList<qint64>({3, 4, 5}) << csv;
    // The same pupils as LibreOffice saved them in its workbooks: the window and the command line.
    const QString sheets = QStringLiteral(FORMULIX_SOURCE_DIR "/tests/fixtures/sheets/");
    QTest::newRow("all from an Excel workbook, PDF") << int(RecordChoice::All) << 1LL << 1LL << QList<qint64>() << 1
                                                     << true << all << sheets + QStringLiteral("elevi.xlsx");
    QTest::newRow("range 3-5 from an OpenDocument sheet, printed")
        << int(RecordChoice::Range) << 3LL << 5LL << QList<qint64>() << 1 << false << QList<qint64>({3, 4, 5})
        << sheets + QStringLiteral("elevi.ods");
}

void TestBatch::pagesFollowTheChosenRecords()
{
    QFETCH(int, kind);
    QFETCH(qint64, first);
    QFETCH(qint64, last);
    QFETCH(QList<qint64>, rows);
    QFETCH(int, copies);
    QFETCH(bool, toPdf);
    QFETCH(QList<qint64>, pages);
    QFETCH(QString, source);
    openExample(source);
    const QByteArray layoutBefore = layoutSnapshot(*m_model);
    const QString canvasBefore = m_model->CampuriBD.at(1)->Text.raw();
    const qsizetype drawnBefore = m_window->Picture1->printedTexts().size();

    JobRequest request;
    request.choice = {RecordChoice::Kind(kind), first, last, rows, copies};
    QString pdf = m_dir->filePath(QStringLiteral("imprimanta.pdf"));
    if (toPdf) {
        pdf = exportPdf(request);
    } else {
        PrinterSeam::setPdfOutput(pdf);
        run(m_window->printRecordsAction, request);
        QCOMPARE(BatchPrintDialog::shown().constLast().records, 10);
    }
    QCOMPARE(MessageBox::shown().size(), 1);
    QVERIFY2(MessageBox::shown()[0].text.contains(countOf(pages.size(), QStringLiteral("pagina"), QStringLiteral("pagini"))),
             qPrintable(MessageBox::shown()[0].text));

    QCOMPARE(pdfPages(pdf), int(pages.size()));
    const QList<Pupil> pupils = examplePupils();
    QCOMPARE(pupils.size(), 10);
    for (int page = 0; page < pages.size(); ++page) {
        const Pupil &pupil = pupils.at(int(pages[page] - 1));
        const QString text = pdfPageText(pdf, page + 1);
        QVERIFY2(text.contains(pupil.name), qPrintable(QStringLiteral("page %1: %2").arg(page + 1).arg(text)));
        QCOMPARE(digitLine(pdf, page + 1), pupil.cnp);
    }
    // The job changed nothing of the program's own.
    QCOMPARE(layoutSnapshot(*m_model), layoutBefore);
    QCOMPARE(m_model->CampuriBD.at(1)->Text.raw(), canvasBefore);
    QCOMPARE(m_window->Picture1->printedTexts().size(), drawnBefore);

    if (!source.contains(u'/'))
        return;
    // A schema on the workbook prints the same pages from the command line.
    // The workbook beside the schema, named without its folder: a schema keeps 50 characters of a path.
    const QString schema = m_dir->filePath(QStringLiteral("foaie.tip"));
    QVERIFY(QFile::copy(source, m_dir->filePath(QFileInfo(source).fileName())));
    m_model->CaleBazaDate = QFileInfo(source).fileName();
    QVERIFY(saveSchemaFile(schema, *m_model));
    const QString printed = m_dir->filePath(QStringLiteral("linie.pdf"));
    QProcess line;
    line.start(QStringLiteral(FORMULIX_BINARY), {QStringLiteral("--pdf"), printed, QStringLiteral("--records"),
                                                 QStringLiteral("%1-%2").arg(pages.first()).arg(pages.last()), schema});
    QVERIFY(line.waitForFinished(60000));
    QCOMPARE(line.exitCode(), 0);
    QCOMPARE(pdfPages(printed), int(pages.size()));
    for (int page = 0; page < pages.size(); ++page)
        QCOMPARE(pdfPageText(printed, page + 1), pdfPageText(pdf, page + 1));
}

void TestBatch::gridSelectionIsOffered()
{
    openExample();
    m_window->mnuSelInreg->trigger();
    frmSelectie *records = m_window->recordWindow();
    QVERIFY(records);
    QTableView *view = records->DBGrid1->view();
    view->selectionModel()->select(view->model()->index(6, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->selectionModel()->select(view->model()->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    BatchPrintDialog::queueCancel();
    m_window->printRecordsAction->trigger();
    QCOMPARE(BatchPrintDialog::shown().constLast().selectedRows, QList<qint64>({2, 7}));
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestBatch::stoppedExportKeepsTheOldFile_data()
{
    QTest::addColumn<bool>("tableChanges"); // stopped by a table rewritten meanwhile, else by "Anulare"
    QTest::addColumn<bool>("keep");         // the user keeps the finished pages
    QTest::addColumn<int>("pagesDone");
    QTest::addColumn<QString>("keptName");
    QTest::addColumn<bool>("printToFile"); // through "Tipareste Inregistrari..." and the print dialog's file
    QTest::newRow("cancelled, pages dropped") << false << false << 2 << "clasa (incomplet, 2 pagini).pdf" << false;
    QTest::newRow("cancelled, pages kept") << false << true << 2 << "clasa (incomplet, 2 pagini).pdf" << false;
    QTest::newRow("table rewritten, pages dropped") << true << false << 256 << "clasa (incomplet, 256 de pagini).pdf" << false;
    QTest::newRow("table rewritten, pages kept") << true << true << 256 << "clasa (incomplet, 256 de pagini).pdf" << false;
    QTest::newRow("printed to a file, cancelled, pages kept") << false << true << 2 << "clasa (incomplet, 2 pagini).pdf"
                                                              << true;
}

void TestBatch::stoppedExportKeepsTheOldFile()
{
    QFETCH(bool, tableChanges);
    QFETCH(bool, keep);
    QFETCH(int, pagesDone);
    QFETCH(QString, keptName);
    QFETCH(bool, printToFile);
    // The pupils sixty times over, as a spreadsheet: rows are read 256 at a time.
    const QString csv = m_dir->filePath(QStringLiteral("elevi.csv"));
    const QList<QByteArray> lines = readFile(Examples + QStringLiteral("/elevi.csv")).trimmed().split('\n');
    QByteArray table = lines.first() + '\n';
    for (int copy = 0; copy < 60; ++copy)
        for (qsizetype i = 1; i < lines.size(); ++i)
            table += lines.at(i) + '\n';
    QVERIFY(writeFile(csv, table));
    openExample(csv);
    const QString pdf = m_dir->filePath(QStringLiteral("clasa.pdf"));
    QVERIFY(writeFile(pdf, "the good file of yesterday"));
    if (tableChanges) {
        JobSeam::setAfterPage([&](qint64 done) {
            if (done == 2)
                QVERIFY(writeFile(csv, table + lines.at(1) + '\n'));
        });
    } else {
        JobSeam::setCancelAfter(2);
    }
    const auto forget = qScopeGuard([] { JobSeam::setAfterPage({}); });
    MessageBox::queueAnswer(keep ? MessageBox::Answer::Yes : MessageBox::Answer::No);
    JobRequest request = job(RecordChoice::All);
    if (printToFile) {
        request.printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        request.printer->setOutputFormat(QPrinter::PdfFormat);
        request.printer->setOutputFileName(pdf);
        run(m_window->printRecordsAction, request);
    } else {
        exportPdf(request);
    }

    QCOMPARE(readFile(pdf), QByteArray("the good file of yesterday"));
    const QString kept = m_dir->filePath(keptName);
    QStringList files = {"clasa.pdf", "elevi.csv"};
    if (keep)
        files.prepend(QFileInfo(kept).fileName());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), files);
    if (keep)
        QCOMPARE(pdfPages(kept), pagesDone);
    const QList<MessageBox::Shown> shown = MessageBox::shown();
    QVERIFY(!shown.isEmpty());
    const MessageBox::Shown &asked = shown.at(keep ? shown.size() - 2 : shown.size() - 1);
    QVERIFY(asked.question);
    QVERIFY2(asked.text.contains(QStringLiteral("a ramas cum era")) && asked.text.contains(QFileInfo(kept).fileName())
                 && asked.text.contains(tableChanges ? QStringLiteral("Lucrarea a fost oprita") : QStringLiteral("Oprit la cerere")),
             qPrintable(asked.text));
}

void TestBatch::withoutATableOnlyTheLayoutPrints()
{
    openExample(QString());
    QVERIFY(!m_window->printRecordsAction->isEnabled());
    const QString pdf = exportPdf(job(RecordChoice::Current));
    QCOMPARE(pdfPages(pdf), 1);
    QVERIFY(pdfPageText(pdf, 1).contains(QStringLiteral("Eminescu")));

    // Asked for all records of a table it does not have, the job says so and writes nothing.
    m_model->NumeTabela.clear();
    DialogSeam::reset();
    QFile::remove(pdf);
    exportPdf(job(RecordChoice::All));
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(MessageBox::shown().constLast().text.contains(QStringLiteral("tabela")));
}

void TestBatch::exportRespectsWhatIsThere_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("answer"); // to a question, -1: none is asked
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("said"); // PDF stands for the file's name
    QTest::newRow("folder missing") << "under a file" << -1 << false << "calea trece printr-un fisier";
    QTest::newRow("read-only, kept") << "read-only" << int(MessageBox::Answer::No) << false << "poate fi doar citit";
    QTest::newRow("read-only, replaced") << "read-only" << int(MessageBox::Answer::Yes) << true << "10 pagini";
    QTest::newRow("a pipe") << "pipe" << -1 << false << "canal de comunicare";
    QTest::newRow("through a symbolic link") << "link" << -1 << true << "10 pagini";
    QTest::newRow("over the database, by a symbolic link") << "database" << -1 << false << "este chiar baza de date folosita";
    QTest::newRow("over the template, by a hard link") << "template" << -1 << false << "este chiar macheta folosita";
    // A file cut short on its way never takes the name, and the message says why.
    QTest::newRow("cut by a size limit") << "size limit" << -1 << false
                                         << "Fisierul PDF nu a putut fi scris: fisierul depaseste marimea permisa";
    QTest::newRow("cut by a full disk") << "full disk" << -1 << false << "Fisierul PDF nu a putut fi scris: discul este plin";
}

void TestBatch::exportRespectsWhatIsThere()
{
    const mode_t given = umask(022);
    const auto restore = qScopeGuard([given] { umask(given); });
    QFETCH(QString, kind);
    QFETCH(int, answer);
    QFETCH(bool, written);
    QFETCH(QString, said);
    // The example's files where the PDF may land on them.
    const QString form = m_dir->filePath(QStringLiteral("certificat.jpg"));
    const QString database = m_dir->filePath(QStringLiteral("elevi.mdb"));
    QVERIFY(QFile::copy(Examples + QStringLiteral("/certificat.jpg"), form));
    QVERIFY(QFile::copy(Examples + QStringLiteral("/elevi.mdb"), database));
    openExample(database, form);

    QString pdf = m_dir->filePath(QStringLiteral("clasa.pdf"));
    QString lands = pdf; // where the pages go
    const QByteArray old = "the good file of yesterday";
    const QByteArray encoded = QFile::encodeName(pdf);
    const QString disc = m_dir->filePath(QStringLiteral("disc"));
    const bool cut = kind == QLatin1String("size limit") || kind == QLatin1String("full disk");
    std::optional<SmallFileLimit> limit;
    const auto unmounted = qScopeGuard([&] {
        if (kind == QLatin1String("full disk"))
            QProcess::execute(QStringLiteral("umount"), {disc});
    });
    if (kind == QLatin1String("under a file")) {
        QVERIFY(writeFile(m_dir->filePath(QStringLiteral("fisier")), "x"));
        pdf = m_dir->filePath(QStringLiteral("fisier/clasa.pdf"));
    } else if (kind == QLatin1String("read-only")) {
        QVERIFY(writeFile(pdf, old));
        QCOMPARE(chmod(encoded.constData(), 0444), 0);
    } else if (kind == QLatin1String("pipe")) {
        QCOMPARE(mkfifo(encoded.constData(), 0644), 0);
    } else if (kind == QLatin1String("link")) {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("arhiva")));
        lands = m_dir->filePath(QStringLiteral("arhiva/clasa.pdf"));
        QVERIFY(QFile::link(lands, pdf));
    } else if (kind == QLatin1String("database")) {
        QVERIFY(QFile::link(database, pdf));
    } else if (kind == QLatin1String("template")) {
        QCOMPARE(link(QFile::encodeName(form).constData(), encoded.constData()), 0);
    } else {
        QVERIFY(QDir().mkpath(disc));
        pdf = disc + QStringLiteral("/clasa.pdf");
        if (kind == QLatin1String("full disk")) {
            QProcess mount;
            mount.start(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                                  QStringLiteral("size=64k"), QStringLiteral("tmpfs"), disc});
            if (!mount.waitForFinished() || mount.exitCode() != 0)
                QSKIP("a small disk can only be mounted by root, where mounting is allowed");
        } else {
            QVERIFY(limit.emplace().set);
        }
    }
    const QByteArray before = kind == QLatin1String("pipe") ? QByteArray() : readFile(pdf);
    if (answer >= 0)
        MessageBox::queueAnswer(MessageBox::Answer(answer));
    exportPdf(job(RecordChoice::All, 1, 1, cut), pdf); // over the form a cut file is a megabyte or two
    limit.reset();

    const QList<MessageBox::Shown> shown = MessageBox::shown();
    QCOMPARE(shown.size(), answer >= 0 && written ? 2 : 1);
    QCOMPARE(shown.first().question, answer >= 0);
    QVERIFY2(shown.constLast().text.contains(said.replace(QStringLiteral("PDF"), QDir::toNativeSeparators(pdf)))
                 && shown.first().text.contains(QDir::toNativeSeparators(pdf)),
             qPrintable(shown.constLast().text));
    if (written) {
        QCOMPARE(pdfPages(lands), 10);
        QCOMPARE(QFileInfo(pdf).isSymLink(), kind == QLatin1String("link"));
        // An old file keeps its permissions; a new one gets the umask's (022 here), not 0600.
        struct stat status;
        QCOMPARE(stat(encoded.constData(), &status), 0);
        QCOMPARE(int(status.st_mode & 07777), kind == QLatin1String("read-only") ? 0444 : 0644);
    } else if (kind != QLatin1String("pipe")) {
        QCOMPARE(readFile(pdf), before);
    }
    QVERIFY(QDir(m_dir->path()).entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral("formulix")).isEmpty());
    if (cut)
        QVERIFY(QDir(disc).entryList(QDir::Files | QDir::Hidden).isEmpty());
}
void TestBatch::previewShowsWhatThePdfHolds_data()
{
    QTest::addColumn<bool>("withForm");
    // The least correlation: at these a text moved by half a millimetre fails.
    QTest::addColumn<double>("least");
    QTest::newRow("texts alone") << false << 0.7;
    QTest::newRow("over the form") << true << 0.8;
}

void TestBatch::previewShowsWhatThePdfHolds()
{
    QFETCH(bool, withForm);
    QFETCH(double, least);
    openExample();
    const JobRequest request = job(RecordChoice::Range, 4, 5, withForm);
    run(m_window->previewAction, request);
    PreviewWindow *preview = m_window->previewWindow();
    QVERIFY(preview);
    QCOMPARE(preview->pageCount(), 2);
    preview->setFormShown(withForm);

    const QString pdf = exportPdf(request);
    const int dpi = 200;
    const QImage printed = renderPdfPage(pdf, 2, dpi);
    const QImage shown = preview->pageImage(1, dpi / 25.4);
    QVERIFY(!printed.isNull() && !shown.isNull());
    QVERIFY2(qAbs(printed.width() - shown.width()) <= 1 && qAbs(printed.height() - shown.height()) <= 1,
             qPrintable(QStringLiteral("%1x%2 against %3x%4").arg(printed.width()).arg(printed.height())
                            .arg(shown.width()).arg(shown.height())));
    // The same ink at the same places: the images' darkness at 1/2 mm a pixel, correlated. The
    // two rasterizers draw strokes a little lighter or darker, which this forgives; a text half
    // a millimetre off it does not.
    const QSize common(qMin(printed.width(), shown.width()) / 4, qMin(printed.height(), shown.height()) / 4);
    const auto quarter = [common](const QImage &image) {
        return image.copy(0, 0, common.width() * 4, common.height() * 4)
            .scaled(common, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    const QImage small = quarter(printed), seen = quarter(shown);
    double ab = 0, aa = 0, bb = 0;
    for (int y = 0; y < common.height(); ++y) {
        for (int x = 0; x < common.width(); ++x) {
            const double a = 255 - qGray(small.pixel(x, y)), b = 255 - qGray(seen.pixel(x, y));
            ab += a * b;
            aa += a * a;
            bb += b * b;
        }
    }
    QVERIFY(aa > 0 && bb > 0);
    const double correlation = ab / std::sqrt(aa * bb);
    QVERIFY2(correlation > least, qPrintable(QString::number(correlation)));
}

void TestBatch::previewOfALargeTableDrawsWhatIsShown()
{
    const QString database = m_dir->filePath(QStringLiteral("scoala.mdb"));
    Jet4Writer writer(database);
    writer.beginTable(QStringLiteral("Elevi"), {{QStringLiteral("Nume"), Jet4Type::Text, 60},
                                                {QStringLiteral("CNP"), Jet4Type::Text, 13},
                                                {QStringLiteral("DataNasterii"), Jet4Type::DateTime},
                                                {QStringLiteral("Localitate"), Jet4Type::Text, 50}});
    for (int i = 1; i <= 10000; ++i)
        writer.addRow({QStringLiteral("Elev %1").arg(i), QStringLiteral("6%1").arg(i, 12, 10, QChar(u'0')),
                       Jet4Value::fromDateTime(QDate(2012, 1, 1).startOfDay()), QStringLiteral("Sibiu")});
    QVERIFY(writer.finish());
    openExample(database);
    run(m_window->previewAction, job(RecordChoice::All));
    PreviewWindow *preview = m_window->previewWindow();
    QVERIFY(preview && QTest::qWaitForWindowExposed(preview));
    QCOMPARE(preview->pageCount(), 10000);
    QCOMPARE(preview->pagesComposed(), 1);

    preview->showPage(9999);
    QCOMPARE(preview->pagesComposed(), 2);
    const QImage last = preview->pageImage(9999, 4);
    QVERIFY(!last.isNull());
    QVERIFY2(MessageBox::shown().isEmpty(), qPrintable(MessageBox::shown().value(0).text));
}

// A layout brought back by undo holds the texts of the record shown when it was left: the page of
// the current record still carries the record chosen since, in every field.
void TestBatch::undoneEditPrintsTheChosenRecord_data()
{
    QTest::addColumn<bool>("single"); // "Tipareste", else "Exporta PDF..." of the current record
    QTest::addColumn<bool>("boxes");  // "Campuri pe casute" undone and redone, else a delete undone
    QTest::newRow("delete undone, Tipareste") << true << false;
    QTest::newRow("delete undone, Exporta PDF") << false << false;
    QTest::newRow("boxes undone and redone, Tipareste") << true << true;
    QTest::newRow("boxes undone and redone, Exporta PDF") << false << true;
}

// Whatever an undo or a redo brings back, the page is the chosen pupil's in every field, and the
// status line names whose values print.
void TestBatch::undoneEditPrintsTheChosenRecord()
{
    QFETCH(bool, single);
    QFETCH(bool, boxes);
    openExample();
    QCOMPARE(m_window->recordStatus->text(), QStringLiteral("Valori salvate in schema"));
    m_window->mnuSelInreg->trigger();
    frmSelectie *records = m_window->recordWindow();
    QVERIFY(records);
    QVERIFY(records->Data1->moveTo(2)); // Dumitrescu Stefan
    QCOMPARE(m_window->recordStatus->text(), QStringLiteral("Inregistrarea 3: Dumitrescu Ștefan"));
    if (boxes) {
        // Pupil 6's birth date in boxes, low on the page, then undone and redone.
        QVERIFY(records->Data1->moveTo(5));
        m_window->List2->setCurrentRow(2); // DataNasterii
        InputBox::queueAnswer(QStringLiteral("10"));
        InputBox::queueAnswer(QStringLiteral("1"));
        m_window->boxedFieldsButton->click();
        m_window->Picture1_MouseDown(LeftButton, 0, 40, 190);
        m_window->Picture1_MouseDown(LeftButton, 0, 160, 190);
        QCOMPARE(m_model->usedBD(), 26);
        m_window->undoAction->trigger();
        QCOMPARE(m_model->usedBD(), 16);
        m_window->redoAction->trigger();
        QCOMPARE(m_model->usedBD(), 26);
    } else {
        int name = 0;
        for (int i = 1; i <= m_model->usedBD(); ++i)
            if (m_model->CampuriBD.at(i)->NumeCamp.raw().trimmed() == QLatin1String("Nume"))
                name = i;
        QVERIFY(name > 0);
        const Camp &field = *m_model->CampuriBD.at(name);
        m_window->Picture1_MouseUp(Qt::RightButton, 0, field.X + 1, field.Y + 1);
        m_window->Command6->click();
        QCOMPARE(m_model->usedBD(), 15);
        QVERIFY(records->Data1->moveTo(5)); // Turcanu Ioana
        m_window->undoAction->trigger();
        QCOMPARE(m_model->usedBD(), 16);
    }
    QCOMPARE(m_window->recordStatus->text(), QStringLiteral("Inregistrarea 6: Țurcanu Ioana"));

    const QString pdf = m_dir->filePath(QStringLiteral("pagina.pdf"));
    if (single) {
        PrinterSeam::setPdfOutput(pdf);
        m_window->mnuTipareste->trigger();
    } else {
        exportPdf(job(RecordChoice::Current), QFileInfo(pdf).fileName());
    }
    const QString text = pdfPageText(pdf, 1);
    QVERIFY2(text.contains(QStringLiteral("Țurcanu Ioana")) && text.contains(QStringLiteral("Baia Mare"))
                 && !text.contains(QStringLiteral("Dumitrescu")),
             qPrintable(text));
    if (boxes) {
        // The boxes carry pupil 6's birth date, one character a box, as the date field does.
        QVERIFY2(QString(text).remove(QRegularExpression(QStringLiteral("\\s"))).count(QStringLiteral("17.09.2010")) == 2,
                 qPrintable(text));
    }
}

// The progress box lets events through: the preview's "Tipareste" pressed again, or another
// job asked for from the main window, while one runs must not start a second.
void TestBatch::oneJobAtATime()
{
    openExample();
    const JobRequest request = job(RecordChoice::All);
    run(m_window->previewAction, request);
    PreviewWindow *preview = m_window->previewWindow();
    QVERIFY(preview);
    const QString pdf = m_dir->filePath(QStringLiteral("imprimanta.pdf"));
    PrinterSeam::setPdfOutput(pdf);
    JobSeam::setAfterPage([&](qint64 done) {
        if (done == 1) {
            preview->printButton()->click();
            exportPdf(request, QStringLiteral("alta.pdf"));
        }
    });
    const auto forget = qScopeGuard([] { JobSeam::setAfterPage({}); });
    preview->printButton()->click();
    QCOMPARE(pdfPages(pdf), 10);
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("alta.pdf"))));
    QStringList told;
    for (const MessageBox::Shown &shown : MessageBox::shown())
        told.append(shown.text);
    QCOMPARE(told.size(), 2);
    QVERIFY2(told.first().contains(QStringLiteral("deja in curs")) && told.last().contains(QStringLiteral("10 pagini")),
             qPrintable(told.join(u'\n')));
    QVERIFY(preview->printButton()->isEnabled());
}

// One job of many pages through the print server, as a user prints: run with the test queue.
void TestBatch::batchGoesThroughTheDefaultQueue()
{
    if (const QString why = testQueueUnavailable(); !why.isEmpty())
        QSKIP(qPrintable(why));
    openExample();
    const QStringList before = queuedPdfs();
    run(m_window->printRecordsAction, job(RecordChoice::Range, 2, 4));
    QVERIFY(MessageBox::shown().constLast().text.contains(QPrinterInfo::defaultPrinter().printerName()));
    const QString pdf = waitForQueuedPdf(before, [](const QString &file) { return pdfPages(file) == 3; });
    QVERIFY(!pdf.isEmpty());
    // The queue's PDF holds the texts as drawings: each page inked, each record's its own.
    QList<QImage> pages;
    for (int page = 1; page <= 3; ++page) {
        pages.append(renderPdfPage(pdf, page, 30));
        QVERIFY(!pages.last().isNull());
        int dark = 0;
        for (int y = 0; y < pages.last().height(); ++y)
            for (int x = 0; x < pages.last().width(); ++x)
                dark += qGray(pages.last().pixel(x, y)) < 128;
        QVERIFY(dark > 50);
    }
    QVERIFY(pages[0] != pages[1] && pages[1] != pages[2]);
    QFile::remove(pdf);
}

// Run with a queue that refuses jobs, or one that is paused, as the default printer.
void TestBatch::queueTroubleIsTold()
{
    if (const QString why = testQueueUnavailable(); !why.isEmpty())
        QSKIP(qPrintable(why));
    const QString queue = QPrinterInfo::defaultPrinter().printerName();
    const bool paused = queue == QLatin1String("FormulixPaused");
    const auto emptied = qScopeGuard([&] {
        if (paused)
            QProcess::execute(QStringLiteral("cancel"), {QStringLiteral("-a"), queue});
    });
    openExample();
    run(m_window->printRecordsAction, job(RecordChoice::Range, 1, 2));
    QCOMPARE(MessageBox::shown().size(), 1);
    const QString told = MessageBox::shown()[0].text;
    QVERIFY2(told.contains(paused ? QStringLiteral("este oprita: lucrarea asteapta") : QStringLiteral("nu a primit lucrarea"))
                 && told.contains(queue),
             qPrintable(told));
}

void TestBatch::commandLine_data()
{
    // OUT stands for the PDF file, SCHEMA for the example; SPREADSHEET for a schema beside its
    // database, a CSV file, and run from a folder that has another of the same name.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QString>("said"); // on stdout when it succeeds, else on stderr
    QTest::newRow("all records") << QStringList({"--pdf", "OUT", "SCHEMA"}) << 0 << 10 << "10 pagini";
    QTest::newRow("a range, twice, on the template's page")
        << QStringList({"--pdf", "OUT", "--records", "3-5", "--copies", "2", "--template", "TEMPLATE", "SCHEMA"})
        << 0 << 6 << "6 pagini";
    QTest::newRow("one record") << QStringList({"--pdf", "OUT", "--records", "4", "SCHEMA"}) << 0 << 1 << "1 pagina";
    QTest::newRow("values after =") << QStringList({"--pdf=OUT", "--records=4", "SCHEMA"}) << 0 << 1 << "1 pagina";
    QTest::newRow("a schema on a spreadsheet") << QStringList({"--pdf", "OUT", "--records", "2-4", "SPREADSHEET"}) << 0
                                               << 3 << "3 pagini";
    // Text tables beside their schemas: a spreadsheet's "Unicode text"; one separated by "|"; the
    // same with "|" chosen in the window (remembered for the file); one with a long row.
    QTest::newRow("a spreadsheet's Unicode text") << QStringList({"--pdf", "OUT", "--records", "2-4", "UNICODE"}) << 0
                                                  << 3 << "3 pagini";
    QTest::newRow("a separator given") << QStringList({"--pdf", "OUT", "--records", "2-4", "--csv-separator", "|", "PIPED"})
                                       << 0 << 3 << "3 pagini";
    QTest::newRow("the separator chosen in the window") << QStringList({"--pdf", "OUT", "--records", "2-4", "CHOSEN"}) << 0
                                                        << 3 << "3 pagini";
    QTest::newRow("an encoding given over the mark") << QStringList({"--pdf", "OUT", "--csv-encoding=utf-8", "UNICODE"})
                                                     << 4 << 0 << "nu este un tabel text";
    QTest::newRow("a long row told") << QStringList({"--pdf", "OUT", "--records", "2-4", "LONG"}) << 0 << 3
                                     << "linia 3 are mai multe celule decat coloanele tabelei (4)";
    QTest::newRow("an unknown encoding") << QStringList({"--pdf", "OUT", "--csv-encoding", "utf-32", "SPREADSHEET"}) << 2 << 0
                                         << "--csv-encoding ia utf-8, utf-16, windows-1250 sau iso-8859-2, nu utf-32";
    QTest::newRow("a separator of two characters") << QStringList({"--pdf", "OUT", "--csv-separator", ";;", "SPREADSHEET"})
                                                   << 2 << 0 << "--csv-separator ia un singur caracter";
    QTest::newRow("help on text tables") << QStringList({"--help"}) << 0 << 0 << "--csv-separator SEP";
    QTest::newRow("help") << QStringList({"--help"}) << 0 << 0 << "--password PAROLA";
    QTest::newRow("version") << QStringList({"--version"}) << 0 << 0 << "Formulix " FORMULIX_VERSION "\n";
    QTest::newRow("range past the table") << QStringList({"--pdf", "OUT", "--records", "9-12", "SCHEMA"}) << 4 << 0
                                          << "inregistrarea 12 nu exista";
    QTest::newRow("bad range") << QStringList({"--pdf", "OUT", "--records", "5-3", "SCHEMA"}) << 2 << 0 << "--records";
    QTest::newRow("no schema") << QStringList({"--pdf", "OUT"}) << 2 << 0 << "lipseste schema";
    QTest::newRow("no output") << QStringList({"--records", "3", "SCHEMA"}) << 2 << 0 << "alegeti fie --pdf";
    QTest::newRow("unknown option") << QStringList({"--pdf", "OUT", "--culoare", "SCHEMA"}) << 2 << 0 << "--culoare";
    QTest::newRow("unknown short option") << QStringList({"-x", "SCHEMA"}) << 2 << 0 << "optiune necunoscuta: -x";
    QTest::newRow("value forgotten") << QStringList({"--pdf", "--records", "3", "SCHEMA"}) << 2 << 0
                                     << "optiunea --pdf cere o valoare";
    QTest::newRow("option twice") << QStringList({"--pdf", "OUT", "--copies", "2", "--copies", "3", "SCHEMA"}) << 2
                                  << 0 << "--copies este data de doua ori";
    QTest::newRow("unreadable schema") << QStringList({"--pdf", "OUT", "nu-exista.tip"}) << 3 << 0 << "nu-exista.tip";
    QTest::newRow("schema is a pipe") << QStringList({"--pdf", "OUT", "PIPE"}) << 3 << 0 << "canal de comunicare";
    QTest::newRow("missing database") << QStringList({"--pdf", "OUT", "ALONE"}) << 4 << 0 << "elevi.mdb a schemei nu exista";
    QTest::newRow("unwritable PDF") << QStringList({"--pdf", "NOWHERE", "SCHEMA"}) << 5 << 0 << "nu poate fi scris";
    QTest::newRow("PDF over the schema") << QStringList({"--pdf", "SPREADSHEET", "SPREADSHEET"}) << 5 << 0
                                         << "este chiar schema";
    QTest::newRow("PDF over the database by a symbolic link") << QStringList({"--pdf", "TO_DATABASE", "SPREADSHEET"})
                                                              << 5 << 0 << "este chiar baza de date";
    QTest::newRow("PDF over the template by a hard link")
        << QStringList({"--pdf", "TO_TEMPLATE", "--template", "TEMPLATE_COPY", "SPREADSHEET"}) << 5 << 0
        << "este chiar macheta";
    // OLD_OUT and READONLY_OUT: the PDF file is there already, as a good file of yesterday.
    QTest::newRow("a read-only PDF is kept") << QStringList({"--pdf", "READONLY_OUT", "SCHEMA"}) << 5 << 0
                                             << "poate fi doar citit; --force il inlocuieste";
    QTest::newRow("a read-only PDF replaced by force") << QStringList({"--pdf", "READONLY_OUT", "--force", "SCHEMA"}) << 0
                                                       << 10 << "10 pagini";
    QTest::newRow("a PDF that is a pipe") << QStringList({"--pdf", "PIPE", "SCHEMA"}) << 5 << 0 << "canal de comunicare";
    QTest::newRow("a PDF cut short keeps the old file")
        << QStringList({"--pdf", "OLD_OUT", "--keep-partial", "SCHEMA"}) << 5 << 0 << "iesire.pdf a ramas cum era";
}

void TestBatch::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(int, pages);
    QFETCH(QString, said);
    // A schema copied away from its database, which is then nowhere to be found.
    const QString alone = m_dir->filePath(QStringLiteral("singura.tip"));
    QVERIFY(QFile::copy(Examples + QStringLiteral("/certificat.tip"), alone));
    // The example schema on the same pupils saved as a spreadsheet, beside it.
    const QString spreadsheet = m_dir->filePath(QStringLiteral("foaie.tip"));
    Module1 onCsv;
    applySchema(loadSchemaFile(Examples + QStringLiteral("/certificat.tip")).schema, onCsv);
    onCsv.CaleBazaDate = QStringLiteral("elevi.csv");
    onCsv.NumeTabela = QStringLiteral("elevi");
    QVERIFY(saveSchemaFile(spreadsheet, onCsv));
    const QByteArray pupils = readFile(Examples + QStringLiteral("/elevi.csv"));
    const QString database = m_dir->filePath(QStringLiteral("elevi.csv"));
    QVERIFY(writeFile(database, pupils));
    // The same pupils as other text tables, each with a schema beside it; the program's settings
    // in a folder of the test's own.
    const auto schemaOn = [&](const QString &file, const QByteArray &bytes) {
        Module1 layout = onCsv;
        layout.CaleBazaDate = file;
        layout.NumeTabela = QFileInfo(file).completeBaseName();
        const QString schema = m_dir->filePath(layout.NumeTabela + QStringLiteral(".tip"));
        return writeFile(m_dir->filePath(file), bytes) && saveSchemaFile(schema, layout) ? schema : QString();
    };
    const QByteArray piped = QByteArray(pupils).replace(';', '|');
    QList<QByteArray> lines = pupils.split('\n');
    lines[2].insert(lines[2].indexOf('\r'), ";in plus");
    const QString config = m_dir->filePath(QStringLiteral("config"));
    {
        QSettings settings(config + QStringLiteral("/Formulix/Formulix.conf"), QSettings::IniFormat);
        rememberCsvOptions(settings, m_dir->filePath(QStringLiteral("elevi-ales.txt")),
                           CsvOptions{CsvOptions::Encoding::Auto, '|', CsvOptions::Header::Auto});
    }
    const QString unicode = schemaOn(QStringLiteral("elevi-unicode.txt"),
                                     readFile(QStringLiteral(FORMULIX_SOURCE_DIR "/tests/fixtures/csv/elevi-unicode.txt")));
    const QStringList textTables = {spreadsheet, unicode, schemaOn(QStringLiteral("elevi-bara.txt"), piped),
                                    schemaOn(QStringLiteral("elevi-ales.txt"), piped),
                                    schemaOn(QStringLiteral("elevi-lung.csv"), lines.join('\n'))};
    QVERIFY(!textTables.contains(QString()));
    // The folder the program runs from, with other pupils under the same name.
    const QString elsewhere = m_dir->filePath(QStringLiteral("alta"));
    QVERIFY(QDir().mkpath(elsewhere));
    QVERIFY(writeFile(elsewhere + QStringLiteral("/elevi.csv"), QByteArray(pupils).replace("Ionescu Maria", "Vasilescu Ana")));
    const QString templateCopy = m_dir->filePath(QStringLiteral("macheta.jpg"));
    QVERIFY(QFile::copy(Examples + QStringLiteral("/certificat.jpg"), templateCopy));
    QVERIFY(QFile::link(database, m_dir->filePath(QStringLiteral("spre-date.pdf"))));
    QVERIFY(::link(QFile::encodeName(templateCopy).constData(), QFile::encodeName(m_dir->filePath(QStringLiteral("tot-macheta.pdf"))).constData()) == 0);
    const QString pipe = m_dir->filePath(QStringLiteral("canal.tip"));
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    const QString pdf = m_dir->filePath(QStringLiteral("iesire.pdf"));
    const QByteArray yesterdays = "the good file of yesterday";
    const bool hadOld = arguments.contains(QStringLiteral("OLD_OUT")) || arguments.contains(QStringLiteral("READONLY_OUT"));
    if (hadOld) {
        QVERIFY(writeFile(pdf, yesterdays));
        QVERIFY(QFile::setPermissions(pdf, arguments.contains(QStringLiteral("OLD_OUT")) ? QFile::ReadOwner | QFile::WriteOwner
                                                                                       : QFile::ReadOwner | QFile::ReadGroup));
    }
    // A user's file that looks like a leftover of ours.
    const QString backup = m_dir->filePath(QStringLiteral("iesire.pdf.vechi1"));
    QVERIFY(writeFile(backup, "kept"));
    {
        QFile aged(backup);
        QVERIFY(aged.open(QIODevice::ReadWrite) && aged.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
    }
    const QHash<QString, QString> placed = {{"OUT", pdf},
                                            {"OLD_OUT", pdf},
                                            {"READONLY_OUT", pdf},
                                            {"NOWHERE", m_dir->filePath(QStringLiteral("lipsa/iesire.pdf"))},
                                            {"SCHEMA", Examples + QStringLiteral("/certificat.tip")},
                                            {"TEMPLATE", Examples + QStringLiteral("/certificat.jpg")},
                                            {"TEMPLATE_COPY", templateCopy},
                                            {"TO_DATABASE", m_dir->filePath(QStringLiteral("spre-date.pdf"))},
                                            {"TO_TEMPLATE", m_dir->filePath(QStringLiteral("tot-macheta.pdf"))},
                                            {"ALONE", alone},
                                            {"PIPE", pipe},
                                            {"SPREADSHEET", spreadsheet},
                                            {"UNICODE", textTables[1]},
                                            {"PIPED", textTables[2]},
                                            {"CHOSEN", textTables[3]},
                                            {"LONG", textTables[4]}};
    for (QString &argument : arguments) {
        const qsizetype value = argument.indexOf(u'=') + 1; // --option=VALUE
        argument = argument.left(value) + placed.value(argument.mid(value), argument.mid(value));
    }
    const QByteArrayList inputs = {readFile(spreadsheet), pupils, readFile(templateCopy)};
    // No display and no platform named: as from a terminal or a scheduled job. A blocked run is
    // killed when the test gives up on it.
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    run.setProcessEnvironment(environment);
    run.setWorkingDirectory(elsewhere);
    // As a full disk does: the PDF's writes fail part of the way.
    std::optional<SmallFileLimit> limit;
    if (QByteArray(QTest::currentDataTag()).contains("cut short"))
        QVERIFY(limit.emplace().set);
    run.start(QStringLiteral(FORMULIX_BINARY), arguments);
    QVERIFY(run.waitForStarted());
    limit.reset();
    QVERIFY(run.waitForFinished(120000));
    const QString out = QString::fromUtf8(run.readAllStandardOutput());
    const QString err = QString::fromUtf8(run.readAllStandardError());
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.exitCode(), status);
    QVERIFY2((status == 0 ? out + err : err).contains(said), qPrintable(out + err)); // a warning on stderr
    QCOMPARE(QByteArrayList({readFile(spreadsheet), readFile(database), readFile(templateCopy)}), inputs);
    QCOMPARE(readFile(backup), QByteArray("kept"));
    QVERIFY(QDir(m_dir->path()).entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral("formulix")).isEmpty());
    if (pages == 0) {
        if (hadOld)
            QCOMPARE(readFile(pdf), yesterdays);
        else
            QVERIFY(!QFile::exists(pdf));
        return;
    }
    QCOMPARE(pdfPages(pdf), pages);
    if (textTables.contains(arguments.constLast()))
        QVERIFY(pdfPageText(pdf, 1).contains(QStringLiteral("Ionescu Maria")));
}

void TestBatch::valuesPrintAsTheTableHoldsThem_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("lineBreak"); // inside the address, a memo in the Access 2000 file
    QTest::newRow("Access 2000, CR LF") << QStringLiteral("elevi.mdb") << QStringLiteral("\r\n");
    QTest::newRow("Access 2007, LF") << QStringLiteral("elevi.accdb") << QStringLiteral("\n");
    QTest::newRow("text table, CR") << QStringLiteral("elevi.csv") << QStringLiteral("\r");
}

// A .tip keeps 20 characters of a column's name in a code page without ș and ț: after a save
// the names come back cut and spelled with a cedilla, and the columns must still be found, in the
// record window and by the command line. A value's line breaks print as lines under each other.
void TestBatch::valuesPrintAsTheTableHoldsThem()
{
    QFETCH(QString, file);
    QFETCH(QString, lineBreak);
    const QStringList columns = {QStringLiteral("Data nașterii"), QStringLiteral("Numele și prenumele elevului"),
                                 QStringLiteral("Țara"), QStringLiteral("Adresa")};
    const QStringList values = {QStringLiteral("17.09.2010"), QStringLiteral("Țurcanu Ioana"), QStringLiteral("România"),
                                QStringLiteral("Berkeley Gardens") + lineBreak + QStringLiteral("12 Brewery")};
    const QString database = m_dir->filePath(file);
    const auto makeDatabase = [&](bool withRow) {
        QFile::remove(database);
        if (file.endsWith(QStringLiteral(".csv"))) {
            QStringList quoted = values;
            quoted.last() = u'"' + quoted.last() + u'"';
            return writeFile(database, (columns.join(u';') + u'\n' + (withRow ? quoted.join(u';') + u'\n' : QString())).toUtf8());
        }
        Jet4Writer writer(database);
        if (file.endsWith(QStringLiteral(".accdb")) && !writer.setRelease(Jet4Writer::Release::Access2007))
            return false;
        QList<Jet4Column> definition;
        QList<Jet4Value> row;
        for (int i = 0; i < columns.size(); ++i) {
            const bool memo = i == 3 && file.endsWith(QStringLiteral(".mdb"));
            definition.append({columns.at(i), memo ? Jet4Type::Memo : Jet4Type::Text, 50});
            row.append(values.at(i));
        }
        return writer.beginTable(QStringLiteral("elevi"), definition) && (!withRow || writer.addRow(row)) && writer.finish();
    };
    QVERIFY(makeDatabase(true));
    Module1 layout;
    layout.CaleBazaDate = database;
    layout.NumeTabela = QStringLiteral("elevi");
    for (int i = 0; i < columns.size(); ++i) {
        *layout.CampuriBD.at(i + 1) = databaseField(columns.at(i), 20, 30 + 15 * i);
        layout.NrCampuriBD = qint16(i + 1);
    }
    // And a field of a column the table lacks, which the status line names.
    layout.NrCampuriBD = qint16(layout.NrCampuriBD + 1);
    *layout.CampuriBD.at(layout.NrCampuriBD) = databaseField(QStringLiteral("Clasa"), 20, 120);
    const QString schema = m_dir->filePath(QStringLiteral("elevi.tip"));
    QVERIFY(writeFile(schema, encodeRecords(layout))); // the records alone, as other programs write them

    loadTemplate(*m_window, QDir(Examples).filePath(QStringLiteral("certificat.jpg")));
    openSchema(*m_window, schema);
    QVERIFY(m_model->CampuriBD.at(1)->NumeCamp.shown() != columns.at(0)); // respelled by the records
    loadDatabase(*m_window, database);
    QVERIFY(chooseTable(*m_window, QStringLiteral("elevi")));
    m_window->mnuSelInreg->trigger();
    QVERIFY(m_window->recordWindow());
    for (int i = 0; i < columns.size(); ++i)
        QCOMPARE(m_model->CampuriBD.at(i + 1)->Text.shown(), values.at(i));
    QVERIFY2(m_window->recordStatus->text().endsWith(QStringLiteral("Campuri fara coloana in tabela elevi: Clasa")),
             qPrintable(m_window->recordStatus->text()));

    // The export names the field without a column before it starts; "Nu" stops it.
    const QString pdf = m_dir->filePath(QStringLiteral("elevi.pdf"));
    DialogSeam::reset();
    MessageBox::queueAnswer(MessageBox::Answer::No);
    exportPdf(job(RecordChoice::All), QFileInfo(pdf).fileName());
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(!MessageBox::shown().isEmpty() && MessageBox::shown().constFirst().text.contains(QStringLiteral("Clasa")));

    // The command line refuses such a layout unless told to print the field blank.
    const auto commandLine = [&](const QStringList &options) {
        QProcess run;
        run.start(QStringLiteral(FORMULIX_BINARY), options + QStringList{QStringLiteral("--pdf"), pdf, schema});
        run.waitForFinished(60000);
        return std::make_pair(run.exitCode(), QString::fromUtf8(run.readAllStandardError()));
    };
    const auto refused = commandLine({});
    QCOMPARE(refused.first, int(RunDatabase));
    QVERIFY2(refused.second.contains(QStringLiteral("Clasa")) && !QFile::exists(pdf), qPrintable(refused.second));
    QCOMPARE(commandLine({QStringLiteral("--allow-missing")}).first, 0);
    const QString text = pdfPageText(pdf, 1);
    for (const QString &value : values.mid(0, 3))
        QVERIFY2(text.contains(value), qPrintable(text));
    // The address's second line starts where its first does, one line lower.
    QProcess boxes;
    boxes.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    QVERIFY(boxes.waitForFinished(60000));
    const QString words = QString::fromUtf8(boxes.readAllStandardOutput());
    const auto at = [&words](const QString &word) {
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"[^>]*>%1</word>").arg(word)).match(words);
        return m.hasMatch() ? QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QPointF(-1, -1);
    };
    const QPointF first = at(QStringLiteral("Berkeley")), second = at(QStringLiteral("12"));
    QVERIFY2(first.x() >= 0 && second.x() >= 0, qPrintable(words));
    QVERIFY2(qAbs(first.x() - second.x()) < 1 && second.y() - first.y() > 8 && second.y() - first.y() < 20, qPrintable(words));
    // No record at all is no success either: no PDF of no page.
    QVERIFY(makeDatabase(false) && QFile::remove(pdf));
    const auto empty = commandLine({QStringLiteral("--allow-missing")});
    QCOMPARE(empty.first, int(RunDatabase));
    QVERIFY2(!QFile::exists(pdf), qPrintable(empty.second));
}

void TestBatch::imagesFromTheWindow_data()
{
    // FOLDER stands for the folder chosen; "nota.txt", a file of the user's, is in it.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("answer"); // to the question on earlier images, -1: none is asked
    QTest::addColumn<QStringList>("images"); // the folder's images after, "*" before an old one
    QTest::addColumn<QString>("said");
    const QStringList three = {"0001.png", "0002.png", "0003.png"};
    QTest::newRow("three records, the PDF's ink") << "" << -1 << three << "In folderul FOLDER: 3 pagini.";
    QTest::newRow("cancelled after two")
        << "cancel" << -1 << QStringList({"0001.png", "0002.png"})
        << "Oprit la cerere. In folderul FOLDER au ramas cele 2 pagini terminate (0001.png - 0002.png); celelalte "
           "fisiere au ramas cum erau.";
    QTest::newRow("folder missing") << "missing" << -1 << QStringList()
                                    << "Fisierul FOLDER/0001.png nu poate fi scris: folderul nu exista.";
    QTest::newRow("earlier images kept") << "earlier" << int(MessageBox::Answer::No) << QStringList({"*0002.png"})
                                         << "Folderul FOLDER contine deja imagini ale paginilor (0002.png...). Le inlocuiti?";
    QTest::newRow("an earlier read-only image replaced") << "read-only" << int(MessageBox::Answer::Yes) << three
                                                         << "In folderul FOLDER: 3 pagini.";
    QTest::newRow("cut by a size limit")
        << "size limit" << -1 << QStringList()
        << "Inregistrarea 3: Fisierul FOLDER/0001.png nu a putut fi scris: fisierul depaseste marimea permisa. "
           "Lucrarea a fost oprita. Nicio pagina nu a fost scrisa in folderul FOLDER.";
}

void TestBatch::imagesFromTheWindow()
{
    QFETCH(QString, kind);
    QFETCH(int, answer);
    QFETCH(QStringList, images);
    QFETCH(QString, said);
    openExample();
    QVERIFY(m_window->exportPngAction->isEnabled());
    QString folder = m_dir->filePath(QStringLiteral("imagini"));
    if (kind == QLatin1String("missing"))
        folder = m_dir->filePath(QStringLiteral("lipsa"));
    else
        QVERIFY(QDir().mkpath(folder) && writeFile(folder + QStringLiteral("/nota.txt"), "a note"));
    const QString earlier = folder + QStringLiteral("/0002.png");
    if (kind == QLatin1String("earlier") || kind == QLatin1String("read-only"))
        QVERIFY(writeFile(earlier, "an image of yesterday"));
    if (kind == QLatin1String("read-only"))
        QVERIFY(QFile::setPermissions(earlier, QFile::ReadOwner | QFile::ReadGroup));
    if (kind == QLatin1String("cancel"))
        JobSeam::setCancelAfter(2);
    if (answer >= 0)
        MessageBox::queueAnswer(MessageBox::Answer(answer));
    const JobRequest request = job(RecordChoice::Range, 3, 5);
    {
        std::optional<SmallFileLimit> limit;
        if (kind == QLatin1String("size limit"))
            QVERIFY(limit.emplace().set);
        CommonDialog::queueAnswer(folder);
        run(m_window->exportPngAction, request);
    }
    QCOMPARE(BatchPrintDialog::shown().constLast().purpose, BatchPrintDialog::Purpose::Png);
    QVERIFY(CommonDialog::shown().constLast().folder);

    const QList<MessageBox::Shown> shown = MessageBox::shown();
    QCOMPARE(shown.size(), 1 + (answer == int(MessageBox::Answer::Yes)));
    QCOMPARE(shown.first().question, answer >= 0);
    if (kind == QLatin1String("read-only"))
        QVERIFY2(shown.first().text.contains(QStringLiteral("Unele pot fi doar citite")), qPrintable(shown.first().text));
    QCOMPARE(shown.constLast().text, said.replace(QStringLiteral("FOLDER"), QDir::toNativeSeparators(folder)));
    QStringList found = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    if (kind != QLatin1String("missing"))
        QCOMPARE(found.takeLast(), QStringLiteral("nota.txt"));
    QStringList expected;
    for (const QString &image : std::as_const(images))
        expected.append(image.startsWith(u'*') ? image.mid(1) : image);
    QCOMPARE(found, expected);
    for (const QString &image : std::as_const(images)) {
        const QString path = QDir(folder).filePath(QString(image).remove(u'*'));
        if (image.startsWith(u'*'))
            QCOMPARE(readFile(path), QByteArray("an image of yesterday"));
        else
            QCOMPARE(QImage(path).dotsPerMeterX(), qRound(PngSink::DefaultDpi / 0.0254));
    }
    if (!kind.isEmpty())
        return;

    // The same pages as the PDF export draws them, at the same resolution: every text's ink
    // where the PDF's is, to 2 pixels.
    const QString pdf = exportPdf(request);
    for (int page = 1; page <= 3; ++page) {
        const QImage printed = renderPdfPage(pdf, page, PngSink::DefaultDpi).convertToFormat(QImage::Format_Grayscale8);
        const QImage image = QImage(QDir(folder).filePath(PngSink::pageName(page, 3))).convertToFormat(QImage::Format_Grayscale8);
        QVERIFY(!printed.isNull() && !image.isNull());
        QVERIFY2(qAbs(printed.width() - image.width()) <= 1 && qAbs(printed.height() - image.height()) <= 1,
                 qPrintable(QStringLiteral("%1x%2 against %3x%4").arg(image.width()).arg(image.height())
                                .arg(printed.width()).arg(printed.height())));
        const QList<QRect> texts = inkBoxes(printed);
        QVERIFY(texts.size() >= 16);
        for (const QRect &text : texts) {
            const QRect around = text.adjusted(-6, -6, 6, 6);
            QVERIFY2(sameWithin(inkBox(image, around), inkBox(printed, around), 2),
                     qPrintable(QStringLiteral("page %1, ink at %2,%3 %4x%5").arg(page).arg(text.x()).arg(text.y())
                                    .arg(text.width()).arg(text.height())));
        }
        QVERIFY(sameWithin(inkBox(image, image.rect()), inkBox(printed, printed.rect()), 2));
    }
}

void TestBatch::imagesFromTheCommandLine_data()
{
    // DIR: a folder that holds an image of yesterday, read-only, as 0001.png; NOWHERE: a
    // folder that is not there.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("dpi"); // of the images written, 0: none written
    QTest::addColumn<int>("images");
    QTest::addColumn<QString>("said"); // on stdout when it succeeds, else on stderr
    QTest::newRow("replaced by force at 300 dpi")
        << QStringList({"--png", "DIR", "--records", "1-2", "--force", "SCHEMA"}) << 0 << 300 << 2 << "2 pagini in ";
    QTest::newRow("one record at 150 dpi, portrait")
        << QStringList({"--png=NEW", "--dpi=150", "--portrait", "--records", "4", "SCHEMA"}) << 0 << 150 << 1
        << "1 pagina in ";
    QTest::newRow("images of yesterday kept") << QStringList({"--png", "DIR", "SCHEMA"}) << 5 << 0 << 0
                                              << "contine deja imagini ale paginilor (0001.png...); --force le inlocuieste";
    QTest::newRow("folder missing") << QStringList({"--png", "NOWHERE", "SCHEMA"}) << 5 << 0 << 0
                                    << "0001.png nu poate fi scris: folderul nu exista";
    QTest::newRow("dpi too low") << QStringList({"--png", "NEW", "--dpi", "71", "SCHEMA"}) << 2 << 0 << 0
                                 << "intre 72 si 1200 de puncte pe inch, nu 71";
    QTest::newRow("dpi too high") << QStringList({"--png", "NEW", "--dpi", "1201", "SCHEMA"}) << 2 << 0 << 0 << "nu 1201";
    QTest::newRow("dpi of a PDF") << QStringList({"--pdf", "NEW.pdf", "--dpi", "300", "SCHEMA"}) << 2 << 0 << 0
                                  << "--dpi se da doar cu --png";
    QTest::newRow("images and a PDF") << QStringList({"--png", "NEW", "--pdf", "NEW.pdf", "SCHEMA"}) << 2 << 0 << 0
                                      << "alegeti fie --pdf FISIER.pdf, fie --print, fie --png FOLDER";
}

void TestBatch::imagesFromTheCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(int, dpi);
    QFETCH(int, images);
    QFETCH(QString, said);
    const QString old = m_dir->filePath(QStringLiteral("vechi")), fresh = m_dir->filePath(QStringLiteral("nou"));
    QVERIFY(QDir().mkpath(old) && QDir().mkpath(fresh));
    QVERIFY(writeFile(old + QStringLiteral("/0001.png"), "an image of yesterday"));
    QVERIFY(QFile::setPermissions(old + QStringLiteral("/0001.png"), QFile::ReadOwner | QFile::ReadGroup));
    const QHash<QString, QString> placed = {{"DIR", old}, {"NEW", fresh}, {"NEW.pdf", fresh + QStringLiteral(".pdf")},
                                            {"NOWHERE", m_dir->filePath(QStringLiteral("lipsa"))},
                                            {"SCHEMA", Examples + QStringLiteral("/certificat.tip")}};
    for (QString &argument : arguments) {
        const qsizetype value = argument.indexOf(u'=') + 1;
        argument = argument.left(value) + placed.value(argument.mid(value), argument.mid(value));
    }
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    run.setProcessEnvironment(environment);
    run.start(QStringLiteral(FORMULIX_BINARY), arguments);
    QVERIFY(run.waitForFinished(120000));
    const QString out = QString::fromUtf8(run.readAllStandardOutput()), err = QString::fromUtf8(run.readAllStandardError());
    QCOMPARE(run.exitCode(), status);
    QVERIFY2((status == 0 ? out : err).contains(said), qPrintable(out + err));
    const QString folder = arguments.contains(old) ? old : fresh;
    const QStringList written = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    if (dpi == 0) {
        QCOMPARE(written, folder == old ? QStringList({"0001.png"}) : QStringList());
        QCOMPARE(readFile(old + QStringLiteral("/0001.png")), QByteArray("an image of yesterday"));
        return;
    }
    QCOMPARE(written.size(), images);
    const PaperArea paper =
        PageJob::pdfPaper(arguments.contains(QStringLiteral("--portrait")) ? PageOrientation::Portrait : PageOrientation::Landscape);
    for (int page = 1; page <= images; ++page) {
        QCOMPARE(written.at(page - 1), PngSink::pageName(page, images));
        const QImage image(QDir(folder).filePath(written.at(page - 1)));
        QCOMPARE(image.size(), (paper.paperMm * dpi / 25.4).toSize());
        QCOMPARE(qRound(image.dotsPerMeterX() * 0.0254), dpi);
        QCOMPARE(qRound(image.dotsPerMeterY() * 0.0254), dpi);
    }
}

// A printer that cannot print to the edge: its printable area's corner is where the texts start,
// on the image as on its paper.
void TestBatch::imagesKeepThePrintersMargins()
{
    const QSizeF a4(210, 297);
    const PageContent page({{QPointF(20, 30), QStringLiteral("Eminescu"), 24, QApplication::font(), Qt::black}});
    QList<QRect> ink;
    for (const QPointF corner : {QPointF(0, 0), QPointF(6, 4.5)}) {
        const QString folder = m_dir->filePath(QString::number(corner.x()));
        QVERIFY(QDir().mkpath(folder));
        PngSink sink(folder, 1, {a4, QRectF(corner, a4 - QSizeF(12, 12))}, 254);
        QVERIFY(sink.begin(PageOrientation::Portrait, QString(), nullptr));
        QVERIFY(sink.addPage(page, a4 - QSizeF(12, 12), 0, 0, nullptr, nullptr) && sink.finish(nullptr));
        const QImage image(folder + QStringLiteral("/0001.png"));
        QCOMPARE(image.size(), QSize(2100, 2970));
        ink.append(inkBox(image, image.rect()));
    }
    QVERIFY(!ink.first().isNull());
    QVERIFY2(sameWithin(ink.last(), ink.first().translated(60, 45), 1),
             qPrintable(QStringLiteral("%1,%2 against %3,%4").arg(ink.last().x()).arg(ink.last().y())
                            .arg(ink.first().x()).arg(ink.first().y())));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    prepareApplication(app);
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
    DialogSeam::setTestMode(true);
    TestBatch test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_batch.moc"
