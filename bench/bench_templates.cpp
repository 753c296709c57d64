// Templates from PDF and TIFF: an A4 vector form loaded for a 96 dpi canvas against poppler
// rendering the same page at that resolution (goal: at most 1.2 times), and an A3 scan at 600
// dpi in a TIFF loaded for the canvas against a full QImageReader decode (goal: at most 0.5
// times), each in the same run, turn about.
#include "BenchSupport.h"
#include "core/pictures/PictureLoader.h"

#include <QApplication>
#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <poppler-qt6.h>

using namespace formulix;

namespace {

const double CanvasPixelsPerMm = 96 / 25.4;

// A certificate drawn as a form is: frames, lines to write on, boxes for digits, captions.
void drawForm(QPainter &painter, QRectF page)
{
    painter.setPen(QPen(Qt::darkBlue, page.width() / 300));
    painter.drawRect(page.adjusted(page.width() / 20, page.width() / 20, -page.width() / 20, -page.width() / 20));
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(int(page.height() / 60));
    painter.setFont(font);
    for (int line = 0; line < 24; ++line) {
        const double y = page.height() * (0.15 + line * 0.03);
        painter.drawText(QPointF(page.width() * 0.1, y), QStringLiteral("Rubrica %1 a formularului").arg(line + 1));
        painter.drawLine(QPointF(page.width() * 0.45, y), QPointF(page.width() * 0.9, y));
    }
    for (int box = 0; box < 13; ++box)
        painter.drawRect(QRectF(page.width() * (0.45 + box * 0.03), page.height() * 0.88, page.width() * 0.028,
                                page.height() * 0.03));
}

QByteArray vectorForm()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(300);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    drawForm(painter, painter.viewport());
    painter.end();
    return bytes;
}

QByteArray tiffScan(QSize pixels, int dpi)
{
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        drawForm(painter, image.rect());
    }
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "tiff");
    writer.setCompression(1); // LZW, as scanners save
    writer.write(image);
    return bytes;
}

} // namespace

int main(int argc, char *argv[])
{
    bench::preferOffscreen();
    QApplication app(argc, argv);
    bool pass = true;

    const QByteArray pdf = vectorForm();
    const auto [ours, poppler] = bench::medianMsTurnAbout(
        15,
        [&] {
            if (!decodePicture(pdf, QStringLiteral("form.pdf"), CanvasPixelsPerMm))
                qFatal("the form did not load");
        },
        [&] {
            const auto document = Poppler::Document::loadFromData(pdf);
            document->setRenderHint(Poppler::Document::Antialiasing);
            document->setRenderHint(Poppler::Document::TextAntialiasing);
            if (document->page(0)->renderToImage(96, 96).isNull())
                qFatal("poppler did not render the form");
        });
    pass &= bench::report(QStringLiteral("A4 vector PDF form for a 96 dpi canvas"), ours, QStringLiteral("poppler render"),
                          poppler, 1.2);

    const QByteArray tiff = tiffScan(QSize(7016, 9921), 600);
    const auto [ourTiff, fullTiff] = bench::medianMsTurnAbout(
        3,
        [&] {
            if (!decodePicture(tiff, QStringLiteral("scan.tif"), CanvasPixelsPerMm))
                qFatal("the scan did not load");
        },
        [&] {
            QByteArray bytes = tiff;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::ReadOnly);
            QImageReader reader(&buffer, "tiff");
            reader.setAllocationLimit(0);
            if (reader.read().isNull())
                qFatal("QImageReader did not read the scan");
        });
    pass &= bench::report(QStringLiteral("A3 600 dpi TIFF for a 96 dpi canvas (%1 MB)").arg(tiff.size() / 1048576),
                          ourTiff, QStringLiteral("full QImageReader decode"), fullTiff, 0.5);
    return pass ? 0 : 1;
}
