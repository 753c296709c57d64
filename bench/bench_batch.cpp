// Printing many records: 1000 records of 20 fields (10 general, 10 from the table, six of them
// one-digit ranges of the personal number) into a PDF, against a bare QPrinter drawing the
// same 1000 pages of texts at the same places in the same run (goal: at most 1.3 times); and the
// peak memory of a 10,000-record job against a 100-record one, each in a fresh process (goal:
// at most 1.2 times). The same 1000 records from one CSV merged into a PDF with the same 20 texts
// by glabels-3-batch and by Formulix, each run from the command line and timed as a whole
// process, turn about (goal: Formulix at most a fifth of its time; without glabels, missed). And the
// window's "Exporta PDF..." of those records against the same job as the command line runs it
// (goal: at most 1.1 times).
//
//   bench_batch                        the whole run
//   bench_batch --job DB N OUT.pdf     (child) N records to OUT.pdf; prints its peak in kB
#include "BenchRecords.h"
#include "BenchSupport.h"
#include "printer/Printer.h"
#include "core/page/PageLoop.h"
#include "core/page/RecordPages.h"
#include "core/layout/SchemaCodec.h"
#include "gui/app/frmEcranPrincipal.h"
#include "widgets/Dialogs.h"
#include "support/Images.h"
#include "support/Jet4Writer.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

using namespace formulix;
using namespace formulix::test;
using namespace formulix::bench;

namespace {

// The job as the command line runs it: records 1..n, one PDF, through the page loop.
qint64 runJob(const QString &database, int records, const QString &pdf)
{
    RecordPages pages(layout(database), PageMm);
    RecordChoice choice;
    choice.kind = RecordChoice::Range;
    choice.first = 1;
    choice.last = records;
    std::unique_ptr<PageJob> job = PageJob::toPdf(pdf);
    if (!pages.open(choice, nullptr))
        return -1;
    const PageLoopResult result =
        runPages(pages, *job, {PageOrientation::Landscape, QStringLiteral("bench"), PageMm, 20, 5, nullptr});
    return result.ok ? job->pagesDone() : -1;
}

// The same job through the window's "Exporta PDF...": its dialogs answered, its progress box and
// all, on a template of the same page size.
double windowExportMs(const QString &database, int records, const QString &pdf, const QString &dir)
{
    Module1 model;
    frmEcranPrincipal window(model);
    window.show();
    loadTemplate(window, writeTemplate(dir, QStringLiteral("macheta.jpg"), "JPEG", QSize(1169, 827), 100));
    const Module1 given = layout(database);
    for (int i = 1; i <= Module1::MaxCampuriGen; ++i)
        *model.CampuriGen.at(i) = *given.CampuriGen.at(i);
    for (int i = 1; i <= Module1::MaxCampuriBD; ++i)
        *model.CampuriBD.at(i) = *given.CampuriBD.at(i);
    model.NrCampuriGen = given.NrCampuriGen;
    model.NrCampuriBD = given.NrCampuriBD;
    model.CaleBazaDate = given.CaleBazaDate;
    model.NumeTabela = given.NumeTabela;
    model.PozStanga = 20;
    model.PozSus = 5;
    JobRequest request;
    request.choice = {RecordChoice::Range, 1, records, {}, 1};
    BatchPrintDialog::queueAnswer(request);
    CommonDialog::queueAnswer(pdf);
    QElapsedTimer timer;
    timer.start();
    window.exportPdfAction->trigger();
    const double ms = timer.nsecsElapsed() / 1e6;
    const QList<MessageBox::Shown> told = MessageBox::shown();
    DialogSeam::reset();
    return !told.isEmpty() && told.constLast().text.contains(QStringLiteral("%1 de pagini").arg(records)) ? ms : -1;
}

// The floor: the same texts at the same places, drawn straight onto a bare QPrinter.
void bareJob(const QList<QList<PictureBox::PrintedText>> &pages, const QString &pdf)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter(&printer);
    const double scale = printer.resolution() / 25.4;
    bool first = true;
    for (const auto &texts : pages) {
        if (!first)
            printer.newPage();
        first = false;
        for (const PictureBox::PrintedText &text : texts) {
            QFont font = text.face;
            font.setPointSizeF(text.points * scale * 25.4 / printer.logicalDpiY());
            painter.setFont(font);
            painter.drawText(QPointF(text.topLeftMm.x() - 20, text.topLeftMm.y() - 5) * scale, text.text);
        }
    }
}

// The same page as a label document: 20 text objects, the digits of the personal number as six
// columns of their own, since a merge field cannot be cut to a range.
bool writeLabelJob(const QString &csvPath, const QString &documentPath, int rows)
{
    QFile csv(csvPath), document(documentPath);
    if (!csv.open(QIODevice::WriteOnly) || !document.open(QIODevice::WriteOnly))
        return false;
    QTextStream rowsOut(&csv);
    rowsOut << "Nume,CNP,Localitate,Clasa,D1,D2,D3,D4,D5,D6\n";
    const QStringList places = {QStringLiteral("Cluj-Napoca"), QStringLiteral("Iași"), QStringLiteral("Timișoara"),
                                QStringLiteral("Brașov")};
    for (int i = 0; i < rows; ++i) {
        const QString cnp = QStringLiteral("5%1").arg(100000000000LL + i);
        rowsOut << QStringLiteral("Elev Numărul %1,%2,%3,VIII %4").arg(i + 1).arg(cnp, places.at(i % 4)).arg(QChar(u'A' + i % 4));
        for (int d = 0; d < 6; ++d)
            rowsOut << ',' << cnp.at(d);
        rowsOut << '\n';
    }
    const auto text = [](int x, int y, int points, const QString &content) {
        return QStringLiteral("<Object-text x=\"%1mm\" y=\"%2mm\" w=\"100mm\" h=\"8mm\" justify=\"Left\" valign=\"Top\" "
                              "auto_shrink=\"False\" a0=\"1\" a1=\"0\" a2=\"0\" a3=\"1\" a4=\"0\" a5=\"0\"><Span "
                              "font_family=\"DejaVu Sans\" font_size=\"%3\" font_weight=\"Regular\" font_italic=\"False\" "
                              "color=\"0x000000ff\" line_spacing=\"1\">%4</Span></Object-text>\n")
            .arg(x).arg(y).arg(points).arg(content);
    };
    QString objects;
    for (int i = 1; i <= 10; ++i)
        objects += text(20 + (i % 2) * 130, 15 + i * 9, 10, QStringLiteral("Text general %1").arg(i));
    const QStringList columns = {"Nume", "Localitate", "Clasa", "CNP"};
    for (int i = 1; i <= 10; ++i) {
        const QString column = i <= 4 ? columns.at(i - 1) : QStringLiteral("D%1").arg(i - 4);
        objects += text(i <= 4 ? 40 : 60 + (i - 4) * 6, i <= 4 ? 130 + i * 10 : 185, 12,
                        QStringLiteral("<Field name=\"%1\"/>").arg(column));
    }
    QTextStream(&document) << QStringLiteral(
        "<?xml version=\"1.0\"?>\n<Glabels-document xmlns=\"http://glabels.org/xmlns/3.0/\">\n"
        "<Template brand=\"Formulix\" part=\"bench\" size=\"Other\" width=\"297mm\" height=\"210mm\" description=\"A4\">"
        "<Label-rectangle id=\"0\" width=\"297mm\" height=\"210mm\" round=\"0mm\" x_waste=\"0mm\" y_waste=\"0mm\">"
        "<Layout nx=\"1\" ny=\"1\" x0=\"0mm\" y0=\"0mm\" dx=\"297mm\" dy=\"210mm\"/></Label-rectangle></Template>\n"
        "<Objects id=\"0\" rotate=\"False\">\n%1</Objects>\n<Merge type=\"Text/Comma/Line1Keys\" src=\"%2\"/>\n"
        "</Glabels-document>\n").arg(objects, csvPath.toHtmlEscaped());
    return rowsOut.status() == QTextStream::Ok;
}

// One run of a program from the command line, with no display, as a whole process; its time in
// ms, or -1 with the reason.
double commandMs(const QString &program, const QStringList &arguments, const QString &pdf, QString *reason)
{
    QFile::remove(pdf);
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer timer;
    timer.start();
    run.start(program, arguments);
    if (!run.waitForFinished(300000) || run.exitStatus() != QProcess::NormalExit || run.exitCode() != 0
        || QFileInfo(pdf).size() == 0) {
        *reason = QStringLiteral("%1 failed without a display: %2")
                      .arg(QFileInfo(program).fileName(), QString::fromLocal8Bit(run.readAll()).trimmed());
        return -1;
    }
    return timer.nsecsElapsed() / 1e6;
}

// The merge by both programs from one CSV, turn about: Formulix's median and the peer's, or false
// with the reason.
bool mergeBoth(const QString &labels, const QString &dir, double *formulixMs, double *labelMs, QString *reason)
{
    const QString csv = dir + QStringLiteral("/clase.csv"), document = dir + QStringLiteral("/clase.glabels"),
                  schema = dir + QStringLiteral("/clase.tip");
    Module1 model = layout(QStringLiteral("clase.csv")); // beside the schema
    model.NumeTabela = QStringLiteral("clase");
    model.PozStanga = 20;
    model.PozSus = 5;
    QFile schemaFile(schema);
    if (!writeLabelJob(csv, document, 1000) || !schemaFile.open(QIODevice::WriteOnly)
        || schemaFile.write(encodeSchema(model)) < 0 || !schemaFile.flush()) {
        *reason = QStringLiteral("their input could not be written");
        return false;
    }
    const QString ourPdf = dir + QStringLiteral("/formulix.pdf"), theirPdf = dir + QStringLiteral("/glabels.pdf");
    const QStringList ours = {QStringLiteral("--pdf"), ourPdf, QStringLiteral("--records"), QStringLiteral("1-1000"), schema};
    std::vector<double> formulixTimes, labelTimes;
    for (int run = 0; run < 3; ++run) {
        formulixTimes.push_back(commandMs(QStringLiteral(FORMULIX_PROGRAM), ours, ourPdf, reason));
        labelTimes.push_back(commandMs(labels, {QStringLiteral("-o"), theirPdf, document}, theirPdf, reason));
        if (formulixTimes.back() < 0 || labelTimes.back() < 0)
            return false;
    }
    *formulixMs = median(formulixTimes);
    *labelMs = median(labelTimes);
    return true;
}

qint64 peakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

double childPeakMb(const QString &database, int records, const QString &pdf)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--job"), database, QString::number(records), pdf});
    child.waitForFinished(-1);
    return QString::fromLatin1(child.readAllStandardOutput()).trimmed().toDouble() / 1024;
}

} // namespace

int main(int argc, char *argv[])
{
    bench::preferOffscreen();
    QApplication app(argc, argv);
    if (argc == 5 && QByteArray(argv[1]) == "--job") {
        if (runJob(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt(), QString::fromLocal8Bit(argv[4])) < 0)
            return 1;
        QTextStream(stdout) << peakKb() << '\n';
        return 0;
    }

    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("clase.mdb"));
    if (!writeTable(database, 10000))
        return 1;
    const QString pdf = dir.filePath(QStringLiteral("clase.pdf"));

    // The floor's pages, composed once beforehand so that only the drawing is timed.
    QList<QList<PictureBox::PrintedText>> composed;
    {
        RecordPages pages(layout(database), PageMm);
        RecordChoice choice{RecordChoice::Range, 1, 1000, {}, 1};
        pages.open(choice, nullptr);
        for (qint64 page = 0; page < pages.pageCount(); ++page) {
            PageContent texts;
            pages.page(page, &texts, nullptr);
            composed.append(texts.texts);
        }
    }
    qint64 pagesOut = 0;
    // Turn about, so neither gains from the other's warm caches or heap.
    std::vector<double> ourTimes, floorTimes;
    for (int run = 0; run < 5; ++run) {
        ourTimes.push_back(bench::medianMs(1, [&] { pagesOut = runJob(database, 1000, pdf); }));
        floorTimes.push_back(bench::medianMs(1, [&] { bareJob(composed, dir.filePath(QStringLiteral("bare.pdf"))); }));
    }
    const double ours = bench::median(ourTimes), floor = bench::median(floorTimes);
    bool pass = pagesOut == 1000;
    pass &= bench::report(QStringLiteral("1000 records x 20 fields into a PDF"), ours,
                          QStringLiteral("bare QPrinter"), floor, 1.3);

    // The window's export against the same job run as the command line runs it.
    DialogSeam::setTestMode(true);
    std::vector<double> windowTimes, lineTimes;
    for (int run = 0; run < 5; ++run) {
        windowTimes.push_back(windowExportMs(database, 1000, dir.filePath(QStringLiteral("fenestra.pdf")), dir.path()));
        lineTimes.push_back(bench::medianMs(1, [&] { runJob(database, 1000, pdf); }));
    }
    const double window = bench::median(windowTimes);
    pass &= window > 0 && bench::report(QStringLiteral("1000 records exported from the window"), window,
                                        QStringLiteral("the command line's job"), bench::median(lineTimes), 1.1);

    const QString labels = QStandardPaths::findExecutable(QStringLiteral("glabels-3-batch"));
    QString reason = QStringLiteral("it is not installed (Debian package glabels)");
    double formulixMs = -1, labelMs = -1;
    if (!labels.isEmpty() && mergeBoth(labels, dir.path(), &formulixMs, &labelMs, &reason))
        pass &= bench::report(QStringLiteral("1000 records x 20 fields from a CSV merged into a PDF, whole processes"),
                              formulixMs, QStringLiteral("glabels-3-batch"), labelMs, 0.2);
    else {
        // A goal not measured is not met.
        QTextStream(stdout) << "1000 records from a CSV merged into a PDF: glabels-3-batch not compared, " << reason
                            << " FAIL\n";
        pass = false;
    }

    const double small = childPeakMb(database, 100, dir.filePath(QStringLiteral("100.pdf")));
    const double large = childPeakMb(database, 10000, dir.filePath(QStringLiteral("10000.pdf")));
    pass &= small > 0 && bench::report(QStringLiteral("peak memory of 10000 records"), large,
                                       QStringLiteral("100 records"), small, 1.2, QStringLiteral("MB"));
    return pass ? 0 : 1;
}
