#include "platform/TextPainter.h"

#include "platform/Units.h"

#include <QFontMetricsF>
#include <QImage>

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

double drawTextMm(QPainter &painter, double pixelsPerMm, QPointF topLeftMm, const QString &text,
                  const QFont &face, double points, const QColor &color)
{
    const QFont font = fontForDevice(face, points, pixelsPerMm, painter.device());
    const QFontMetricsF metrics(font, painter.device());
    if (!text.isEmpty() && points > 0) {
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(QPointF(topLeftMm.x() * pixelsPerMm, topLeftMm.y() * pixelsPerMm + metrics.ascent()), text);
    }
    return metrics.height() / pixelsPerMm;
}

QSizeF textExtentMm(const QString &text, const QFont &face, double points)
{
    // Measured on a 96 dpi image, the resolution the canvas is laid out at.
    static QImage probe(1, 1, QImage::Format_RGB32);
    const double pxPerMm = pixelsPerMm(probe.logicalDpiX());
    const QFontMetricsF metrics(fontForDevice(face, points, pxPerMm, &probe), &probe);
    return {metrics.horizontalAdvance(text) / pxPerMm, metrics.height() / pxPerMm};
}

} // namespace formulix
