// Pages as images: 100 records of 20 fields into 100 PNG files at 300 dpi through the page loop
// and the image sink, against a bare loop in the same run that for each page makes a QImage,
// draws the same texts at the same places with QPainter::drawText and writes it with
// QImageWriter at the same settings, in the same grey format (goal: at most 1.3 times).
#include "BenchRecords.h"
#include "BenchSupport.h"
#include "core/page/PageLoop.h"
#include "core/page/PngSink.h"
#include "core/text/TextPainter.h"
#include "printer/Printer.h"

#include <QApplication>
#include <QDir>
#include <QFontMetricsF>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

using namespace formulix;
using namespace formulix::bench;

namespace {

const int Records = 100;
const double OffsetLeft = 20, OffsetUp = 5;

// The export as the window and the command line run it: records 1..n, one image a page.
qint64 runExport(const QString &database, const PaperArea &paper, const QString &folder)
{
    RecordPages pages(layout(database), PageMm);
    RecordChoice choice{RecordChoice::Range, 1, Records, {}, 1};
    if (!pages.open(choice, nullptr))
        return -1;
    PngSink sink(folder, pages.pageCount(), paper, PngSink::DefaultDpi, true);
    const PageLoopResult result =
        runPages(pages, sink, {PageOrientation::Landscape, QStringLiteral("bench"), PageMm, OffsetLeft, OffsetUp, nullptr});
    return result.ok ? sink.pagesDone() : -1;
}

// The floor: the same texts at the same places, composed beforehand, on a new image a page.
qint64 bareExport(const QList<QList<PrintedText>> &composed, const PaperArea &paper, const QString &folder)
{
    const double scale = PngSink::DefaultDpi / 25.4;
    const QSize size = (paper.paperMm * scale).toSize();
    const PageGeometry geometry{PageMm, paper.printableMm, OffsetLeft, OffsetUp};
    const QPointF origin = paper.printableMm.topLeft() + geometry.shiftMm();
    qint64 written = 0;
    for (const QList<PrintedText> &texts : composed) {
        QImage image(size, QImage::Format_Grayscale8); // as the sink writes black texts
        image.fill(Qt::white);
        image.setDotsPerMeterX(qRound(PngSink::DefaultDpi / 0.0254));
        image.setDotsPerMeterY(qRound(PngSink::DefaultDpi / 0.0254));
        {
            QPainter painter(&image);
            for (const PrintedText &text : texts) {
                QFont font = text.face;
                font.setPointSizeF(text.points);
                painter.setFont(font);
                painter.setPen(text.color);
                const QPointF at = (text.topLeftMm + origin) * scale;
                painter.drawText(QPointF(at.x(), at.y() + QFontMetricsF(font, &image).ascent()), text.text);
            }
        }
        QImageWriter writer(QDir(folder).filePath(QStringLiteral("%1.png").arg(++written, 4, 10, QChar(u'0'))), "png");
        if (!writer.write(image))
            return -1;
    }
    return written;
}

} // namespace

int main(int argc, char *argv[])
{
    preferOffscreen();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("clase.mdb"));
    if (!writeTable(database, Records))
        return 1;
    const QString ours = dir.filePath(QStringLiteral("formulix")), bare = dir.filePath(QStringLiteral("bare"));
    QDir().mkpath(ours);
    QDir().mkpath(bare);
    const PaperArea paper = PageJob::pdfPaper(PageOrientation::Landscape);

    QList<QList<PrintedText>> composed;
    {
        RecordPages pages(layout(database), PageMm);
        RecordChoice choice{RecordChoice::Range, 1, Records, {}, 1};
        pages.open(choice, nullptr);
        for (qint64 page = 0; page < pages.pageCount(); ++page) {
            PageContent texts;
            pages.page(page, &texts, nullptr);
            composed.append(texts.texts);
        }
    }
    qint64 oursOut = 0, bareOut = 0;
    // Turn about, so neither gains from the other's warm caches or heap.
    std::vector<double> ourTimes, floorTimes;
    for (int run = 0; run < 3; ++run) {
        ourTimes.push_back(medianMs(1, [&] { oursOut = runExport(database, paper, ours); }));
        floorTimes.push_back(medianMs(1, [&] { bareOut = bareExport(composed, paper, bare); }));
    }
    bool pass = oursOut == Records && bareOut == Records;
    pass &= report(QStringLiteral("100 records x 20 fields as PNG images at 300 dpi"), median(ourTimes),
                   QStringLiteral("bare QImage and QImageWriter"), median(floorTimes), 1.3);
    return pass ? 0 : 1;
}
