#include "core/text/TextPainter.h"

#include "core/text/Units.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QList>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

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
    QFontMetricsF metrics;
    // Lines aligned right or centred are measured at every redraw; shaping costs more than
    // drawing, and a canvas draws the same lines again and again.
    QHash<QString, double> advances;

    double advance(const QString &line)
    {
        auto known = advances.constFind(line);
        if (known == advances.constEnd()) {
            if (advances.size() >= 2048)
                advances.clear();
            known = advances.insert(line, metrics.horizontalAdvance(line));
        }
        return *known;
    }
};

DeviceFont &deviceFont(const QFont &face, double points, double pixelsPerMm, QPaintDevice *device)
{
    static QHash<QFont, QList<DeviceFont>> cache;
    const int dpi = device ? device->logicalDpiY() : 96;
    QList<DeviceFont> &sizes = cache[face];
    for (DeviceFont &known : sizes) {
        if (known.points == points && known.pixelsPerMm == pixelsPerMm && known.dpi == dpi)
            return known;
    }
    if (sizes.size() >= 256) // a page of shrunk fields has many sizes
        sizes.clear();
    const QFont font = fontForDevice(face, points, pixelsPerMm, device);
    const QFontMetricsF metrics(font, device);
    const int given = QFontInfo(device ? QFont(font, device) : font).pixelSize();
    const double wanted = points / PointsPerInch * MmPerInch * pixelsPerMm;
    sizes.append({points, pixelsPerMm, dpi, font, metrics.ascent(), metrics.height(),
                  given > 0 ? wanted / given : 1.0, metrics, {}});
    return sizes.last();
}

// The canvas's resolution: what it is laid out and measured at.
QImage &screenProbe()
{
    static QImage probe(1, 1, QImage::Format_RGB32);
    return probe;
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

namespace {

// Breaks and sizes are measured on each face at this many pixels to the em, unhinted: advances
// so taken scale with the size, so every device and every size measures a text alike.
constexpr int ReferencePixels = 1000;

struct ReferenceFace
{
    explicit ReferenceFace(const QFont &font) : metrics(font) {}
    QFontMetricsF metrics;
};

const QFontMetricsF &referenceMetrics(const QFont &face)
{
    static QHash<QFont, std::shared_ptr<ReferenceFace>> faces;
    std::shared_ptr<ReferenceFace> &known = faces[face];
    if (!known) {
        QFont font(face);
        font.setHintingPreference(QFont::PreferNoHinting);
        font.setPixelSize(ReferencePixels);
        known = std::make_shared<ReferenceFace>(font);
    }
    return known->metrics;
}

// Millimetres of the page per reference pixel at `points`.
double referenceMm(double points)
{
    return points / PointsPerInch * MmPerInch / ReferencePixels;
}

// Where a line of `widthMm` starts: about X, or within its box; a line wider than its box
// starts at X and runs past the box's end.
double alignedLeft(double x, double widthMm, const TextPlacement &placement)
{
    const double box = placement.boxWidthMm;
    if (box > 0 && widthMm >= box)
        return x;
    const double room = box > 0 ? box - widthMm : -widthMm;
    switch (placement.align) {
    case TextAlign::Left: return x;
    case TextAlign::Centre: return x + (box > 0 ? room / 2 : -widthMm / 2);
    case TextAlign::Right: return x + room;
    }
    return x;
}

// A paragraph broken at its blanks into lines no wider than `box`; a word wider than the box
// alone is broken between its characters. Blanks that begin the paragraph stay on its first line.
void wrapInto(QStringList &lines, const QString &paragraph, double box,
              const std::function<double(const QString &)> &width)
{
    if (width(paragraph) <= box) {
        lines.append(paragraph);
        return;
    }
    qsizetype lead = 0;
    while (lead < paragraph.size() && paragraph.at(lead) == u' ')
        ++lead;
    QString line = paragraph.left(lead);
    bool hasWord = false;
    for (const QString &word : paragraph.mid(lead).split(u' ', Qt::SkipEmptyParts)) {
        const QString candidate = hasWord ? line + u' ' + word : line + word;
        if (width(candidate) <= box) {
            line = candidate;
            hasWord = true;
            continue;
        }
        if (hasWord) {
            lines.append(line);
            line.clear();
        }
        if (width(line + word) <= box) {
            line += word;
            hasWord = true;
            continue;
        }
        bool hasCharacter = false;
        for (qsizetype i = 0; i < word.size();) {
            const qsizetype length = word.at(i).isHighSurrogate() && i + 1 < word.size() ? 2 : 1;
            const QString character = word.mid(i, length);
            if (hasCharacter && width(line + character) > box) {
                lines.append(line);
                line = character;
            } else {
                line += character;
            }
            hasCharacter = true;
            i += length;
        }
        hasWord = true;
    }
    lines.append(line);
}

struct LayoutKey
{
    QString text;
    QFont face;
    double points;
    TextPlacement placement;
    bool operator==(const LayoutKey &other) const = default;
};

size_t qHash(const LayoutKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.text, key.face, key.points, int(key.placement.align), key.placement.boxWidthMm,
                      int(key.placement.fit), key.placement.minPoints, key.placement.lineHeightMm);
}

// The lines of a text and their size, with widths from the point; positions come after.
TextBlock breakText(const QString &text, const QFont &face, double points, const TextPlacement &placement)
{
    const QFontMetricsF &metrics = referenceMetrics(face);
    TextBlock block;
    block.points = points;
    const double box = placement.boxWidthMm;
    QStringList lines = textLines(text);
    const auto width = [&](const QString &line) { return metrics.horizontalAdvance(line) * referenceMm(block.points); };
    if (box > 0 && placement.fit == TextFit::Wrap) {
        for (const QString &paragraph : std::as_const(lines))
            wrapInto(block.lines, paragraph, box, width);
    } else {
        block.lines = lines;
    }
    // Blanks a line ends with would push a right or centred line off its place.
    for (QString &line : block.lines) {
        qsizetype end = line.size();
        while (end > 0 && line.at(end - 1).isSpace())
            --end;
        line.truncate(end);
    }
    for (const QString &line : std::as_const(block.lines))
        block.widthMm.append(width(line));
    if (box > 0 && placement.fit == TextFit::Shrink && !block.widthMm.isEmpty()) {
        const double widest = *std::max_element(block.widthMm.cbegin(), block.widthMm.cend());
        if (widest > box) {
            // Widths scale with the size: a tenth of a point below the exact fit stays inside.
            const double fits = std::floor(points * box / widest * 10) / 10;
            block.points = std::min(points, std::max(fits, placement.minPoints));
            for (double &w : block.widthMm)
                w *= block.points / points;
        }
    }
    block.lineHeightMm = placement.lineHeightMm > 0 ? placement.lineHeightMm : metrics.height() * referenceMm(block.points);
    return block;
}

// The lines of a text, laid out once: a page of fields, and every redraw of the canvas, lays out
// the same texts again. The reference holds until the next call.
const TextBlock &brokenText(const QString &text, const QFont &face, double points, const TextPlacement &placement)
{
    static QHash<LayoutKey, TextBlock> laidOut;
    const LayoutKey key{text, face, points, placement};
    auto found = laidOut.constFind(key);
    if (found == laidOut.constEnd()) {
        if (laidOut.size() >= 4096)
            laidOut.clear();
        found = laidOut.insert(key, breakText(text, face, points, placement));
    }
    return *found;
}

} // namespace

TextBlock layoutText(QPointF pointMm, const QString &text, const QFont &face, double points,
                     const TextPlacement &placement, TextMeasure measure)
{
    TextBlock block = brokenText(text, face, points, placement);
    if (measure == TextMeasure::Screen) {
        QImage &probe = screenProbe();
        const double pxPerMm = pixelsPerMm(probe.logicalDpiX());
        const DeviceFont &font = deviceFont(face, block.points, pxPerMm, &probe);
        for (qsizetype i = 0; i < block.lines.size(); ++i)
            block.widthMm[i] = font.metrics.horizontalAdvance(block.lines.at(i)) / pxPerMm;
        if (placement.lineHeightMm <= 0)
            block.lineHeightMm = font.height / pxPerMm;
    }
    double y = pointMm.y();
    QRectF covered;
    for (qsizetype i = 0; i < block.lines.size(); ++i) {
        const double left = alignedLeft(pointMm.x(), block.widthMm.at(i), placement);
        block.leftMm.append(left);
        const QRectF line(left, y, block.widthMm.at(i), block.lineHeightMm);
        covered = i == 0 ? line : covered.united(line);
        y += block.lineHeightMm;
    }
    if (placement.boxWidthMm > 0)
        covered = covered.united(QRectF(pointMm.x(), pointMm.y(), placement.boxWidthMm, y - pointMm.y()));
    block.rectMm = covered;
    return block;
}

double drawTextMm(QPainter &painter, double pixelsPerMm, QPointF topLeftMm, const QString &text,
                  const QFont &face, double points, const QColor &color, bool exactSize,
                  const TextPlacement &placement)
{
    const bool plain = placement.isPlain();
    const TextBlock *block = plain ? nullptr : &brokenText(text, face, points, placement);
    if (!plain)
        points = block->points;
    DeviceFont &font = deviceFont(face, points, pixelsPerMm, painter.device());
    const double scale = exactSize && qAbs(font.exact - 1) > 1e-4 ? font.exact : 1.0;
    const QStringList lines = plain ? textLines(text) : block->lines;
    const double step = !plain && placement.lineHeightMm > 0 ? placement.lineHeightMm * pixelsPerMm : font.height * scale;
    if (!text.isEmpty() && points > 0) {
        if (painter.font() != font.font)
            painter.setFont(font.font);
        if (painter.pen().color() != color)
            painter.setPen(color);
        const QTransform given = painter.transform();
        const bool measured = !plain && (placement.align != TextAlign::Left);
        double y = topLeftMm.y() * pixelsPerMm + font.ascent * scale;
        for (const QString &line : lines) {
            double x = topLeftMm.x();
            if (measured)
                x = alignedLeft(x, font.advance(line) * scale / pixelsPerMm, placement);
            const QPointF at(x * pixelsPerMm, y);
            y += step;
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
    return lines.size() * step / pixelsPerMm;
}

QSizeF textExtentMm(const QString &text, const QFont &face, double points)
{
    // Measured on a 96 dpi image, the resolution the canvas is laid out at.
    QImage &probe = screenProbe();
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
