#include "core/text/TextPainter.h"

#include "core/text/Units.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QList>
#include <QRegularExpression>

#include <algorithm>

namespace formulix {

QFont withoutLigatures(const QFont &face)
{
    // Any letter spacing makes Qt shape without ligatures; a hundred-thousandth of a letter's
    // width moves nothing, while kerning stays.
    QFont font(face);
    font.setLetterSpacing(QFont::PercentageSpacing, 100.001);
    return font;
}

QFont fontForDevice(const QFont &face, double points, double pixelsPerMm, QPaintDevice *device)
{
    QFont font = withoutLigatures(face);
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

QStringList textLines(const QString &text)
{
    // The common case, one line, costs no list of parts.
    if (!text.contains(u'\n') && !text.contains(u'\r') && !text.contains(QChar::LineSeparator))
        return {text};
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n|\u2028"));
    return text.split(breaks);
}

double drawTextMm(QPainter &painter, double pixelsPerMm, QPointF topLeftMm, const QString &text,
                  const QFont &face, double points, const QColor &color, bool exactSize)
{
    const DeviceFont &font = deviceFont(face, points, pixelsPerMm, painter.device());
    const double scale = exactSize && qAbs(font.exact - 1) > 1e-4 ? font.exact : 1.0;
    const QStringList lines = textLines(text);
    if (!text.isEmpty() && points > 0) {
        if (painter.font() != font.font)
            painter.setFont(font.font);
        if (painter.pen().color() != color)
            painter.setPen(color);
        const QTransform given = painter.transform();
        double y = topLeftMm.y() * pixelsPerMm + font.ascent * scale;
        for (const QString &line : lines) {
            const QPointF at(topLeftMm.x() * pixelsPerMm, y);
            y += font.height * scale;
            if (line.isEmpty())
                continue;
            if (scale == 1.0) {
                painter.drawText(at, line);
                continue;
            }
            painter.translate(at);
            painter.scale(scale, scale);
            painter.drawText(QPointF(0, 0), line);
            painter.setTransform(given);
        }
    }
    return lines.size() * font.height * scale / pixelsPerMm;
}

QSizeF textExtentMm(const QString &text, const QFont &face, double points)
{
    // Measured on a 96 dpi image, the resolution the canvas is laid out at.
    static QImage probe(1, 1, QImage::Format_RGB32);
    const double pxPerMm = pixelsPerMm(probe.logicalDpiX());
    const DeviceFont &font = deviceFont(face, points, pxPerMm, &probe);
    double width = 0;
    const QStringList lines = textLines(text);
    if (!text.isEmpty()) {
        const QFontMetricsF metrics(font.font, &probe);
        for (const QString &line : lines)
            width = std::max(width, metrics.horizontalAdvance(line));
    }
    return {width / pxPerMm, lines.size() * font.height / pxPerMm};
}

} // namespace formulix
