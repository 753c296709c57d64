#pragma once
// Draws text by millimetres and points on any QPainter: the canvas, the page image and the
// printer share this, so a field looks the same size everywhere.

#include <QFont>
#include <QPainter>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>

namespace formulix {

// `face` drawn letter by letter: a PDF's text then extracts as the record's characters ("fi",
// not the one ligature glyph U+FB01).
QFont withoutLigatures(const QFont &face);

// The font that renders `points` at true size on `device` when the painter maps one
// millimetre to `pixelsPerMm` of that device's pixels.
QFont fontForDevice(const QFont &face, double points, double pixelsPerMm, QPaintDevice *device);

// A value's lines: its line breaks (CR LF, LF, CR, U+2028) end them.
QStringList textLines(const QString &text);

// Draws `text` with the top-left corner of its first line at `topLeftMm`, each next line one
// line's height lower; returns the height of its lines in millimetres. Qt sizes a font in whole
// device pixels: `exactSize` scales the painter to make up the difference, so that a page image
// at 300 dpi keeps its texts' widths on paper to a pixel (a 10 pt text is 0.8 % wider there
// otherwise).
double drawTextMm(QPainter &painter, double pixelsPerMm, QPointF topLeftMm, const QString &text,
                  const QFont &face, double points, const QColor &color, bool exactSize = false);

// The extent of `text` in millimetres: the widest line's advance, and the height of its lines.
QSizeF textExtentMm(const QString &text, const QFont &face, double points);

} // namespace formulix
