#include "core/text/TextPainter.h"

#include "core/text/Units.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QList>

namespace formulix {

QFont fontForDevice(const QFont &face, double points, double pixelsPerMm, QPaintDevice *device)
{
    QFont font(face);
    const int dpi = device ? device->logicalDpiY() : 96;
    // Qt sizes a point by the device's own dpi; rescale when the painter's millimetre differs.
    const double scale = pixelsPerMm * MmPerInch / (dpi > 0 ? dpi : 96);
    font.setPointSizeF(qMax(0.01, points * scale));
    return font;
}

namespace {

// A font made for a device and its metrics: a page of many fields, and a job of many pages,
// use a handful of sizes, and making a font and measuring it costs more than drawing the text.
struct DeviceFont
{
    double points;
    double pixelsPerMm;
    int dpi;
    QFont font;
    double ascent;
    double height;
    double exact; // the true size over the whole pixels Qt gives the font
};

const DeviceFont &deviceFont(const QFont &face, double points, double pixelsPerMm, QPaintDevice *device)
{
    static QHash<QFont, QList<DeviceFont>> cache;
    const int dpi = device ? device->logicalDpiY() : 96;
    QList<DeviceFont> &sizes = cache[face];
    for (const DeviceFont &known : sizes) {
        if (known.points == points && known.pixelsPerMm == pixelsPerMm && known.dpi == dpi)
            return known;
    }
    if (sizes.size() >= 64)
        sizes.clear();
    const QFont font = fontForDevice(face, points, pixelsPerMm, device);
    const QFontMetricsF metrics(font, device);
    const int given = QFontInfo(device ? QFont(font, device) : font).pixelSize();
    const double wanted = points / PointsPerInch * MmPerInch * pixelsPerMm;
    sizes.append({points, pixelsPerMm, dpi, font, metrics.ascent(), metrics.height(),
                  given > 0 ? wanted / given : 1.0});
    return sizes.constLast();
}

} // namespace

double drawTextMm(QPainter &painter, double pixelsPerMm, QPointF topLeftMm, const QString &text,
                  const QFont &face, double points, const QColor &color, bool exactSize)
{
    const DeviceFont &font = deviceFont(face, points, pixelsPerMm, painter.device());
    const double scale = exactSize && qAbs(font.exact - 1) > 1e-4 ? font.exact : 1.0;
    if (!text.isEmpty() && points > 0) {
        if (painter.font() != font.font)
            painter.setFont(font.font);
        if (painter.pen().color() != color)
            painter.setPen(color);
        const QPointF at(topLeftMm.x() * pixelsPerMm, topLeftMm.y() * pixelsPerMm + font.ascent * scale);
        if (scale == 1.0) {
            painter.drawText(at, text);
        } else {
            const QTransform given = painter.transform();
            painter.translate(at);
            painter.scale(scale, scale);
            painter.drawText(QPointF(0, 0), text);
            painter.setTransform(given);
        }
    }
    return font.height * scale / pixelsPerMm;
}

QSizeF textExtentMm(const QString &text, const QFont &face, double points)
{
    // Measured on a 96 dpi image, the resolution the canvas is laid out at.
    static QImage probe(1, 1, QImage::Format_RGB32);
    const double pxPerMm = pixelsPerMm(probe.logicalDpiX());
    const DeviceFont &font = deviceFont(face, points, pxPerMm, &probe);
    const double width = text.isEmpty() ? 0 : QFontMetricsF(font.font, &probe).horizontalAdvance(text);
    return {width / pxPerMm, font.height / pxPerMm};
}

} // namespace formulix
