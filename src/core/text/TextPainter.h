#pragma once
// Draws text by millimetres and points on any QPainter: the canvas, the page image and the
// printer share this, so a field looks the same size everywhere.

#include "core/layout/FieldStyle.h"

#include <QFont>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

namespace formulix {

// How a text stands against its point and fits its box: the part of a field's style that moves
// ink. The default is today's plain text, its top-left corner at the point.
struct TextPlacement
{
    TextAlign align = TextAlign::Left;
    double boxWidthMm = 0; // 0: no box
    TextFit fit = TextFit::None;
    double minPoints = 6;    // Shrink: the smallest size
    double lineHeightMm = 0; // 0: the font's own line height

    bool operator==(const TextPlacement &other) const = default;
    bool isPlain() const { return *this == TextPlacement(); }
};

// Where a text's widths are taken. Breaks and sizes are always measured unhinted at a size fine
// enough to hold on any device, so the canvas, a page image and the paper break a text alike;
// the lines' widths, and so where an aligned line starts, are those of the paper, or those of the
// canvas, whose fonts come in whole pixels of the screen and are a few percent off.
enum class TextMeasure { Paper, Screen };

// A text laid out against its point: its lines as they are drawn, the size they are drawn at
// (below the one asked when shrunk into the box), each line's left end and width, and what they
// cover, all in millimetres of the page.
struct TextBlock
{
    QStringList lines;
    double points = 0;
    double lineHeightMm = 0;
    QList<double> leftMm;
    QList<double> widthMm;
    QRectF rectMm; // the lines, and the whole box when there is one
};

TextBlock layoutText(QPointF pointMm, const QString &text, const QFont &face, double points,
                     const TextPlacement &placement, TextMeasure measure = TextMeasure::Paper);

// What a text covers on the page: the rectangle a click picks it by and a margin check measures.
inline QRectF textRectMm(QPointF pointMm, const QString &text, const QFont &face, double points,
                         const TextPlacement &placement, TextMeasure measure = TextMeasure::Paper)
{
    return layoutText(pointMm, text, face, points, placement, measure).rectMm;
}

// The font that renders `points` at true size on `device` when the painter maps one
// millimetre to `pixelsPerMm` of that device's pixels.
QFont fontForDevice(const QFont &face, double points, double pixelsPerMm, QPaintDevice *device);

// A value's lines: its line breaks (CR LF, LF, CR, U+2028) end them.
QStringList textLines(const QString &text);

// Draws `text` with the top of its first line at `topLeftMm`, each next line one line's height
// lower, placed against the point's X as `placement` says; returns the height of its lines in
// millimetres. Qt sizes a font in whole device pixels: `exactSize` scales the painter to make up
// the difference, so that a page image at 300 dpi keeps its texts' widths on paper to a pixel (a
// 10 pt text is 0.8 % wider there otherwise). A line's width for its alignment is measured on the
// device drawn on, so its ink ends where it should there, hinted or not.
double drawTextMm(QPainter &painter, double pixelsPerMm, QPointF topLeftMm, const QString &text,
                  const QFont &face, double points, const QColor &color, bool exactSize = false,
                  const TextPlacement &placement = {});

// The extent of `text` in millimetres: the widest line's advance, and the height of its lines.
QSizeF textExtentMm(const QString &text, const QFont &face, double points);

} // namespace formulix
