#pragma once
// One page of texts drawn onto any painter: the printer, a PDF, the preview and the calibration
// sheet all go through here, so what is seen is what prints.

#include "core/pictures/Picture.h"
#include "core/text/TextPainter.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>
#include <QTransform>

class QPainter;

namespace formulix {

// How the paper is turned for a job; Unchanged leaves the printer as it is set.
enum class PageOrientation { Unchanged, Landscape, Portrait };

// One text on a page: the top of its first line at a point of the page image, its left end
// there unless its placement aligns it about the point's X or within a box from it.
struct PrintedText
{
    QPointF topLeftMm;
    QString text;
    double points;
    QFont face;
    QColor color;
    TextPlacement placement = {};
};

// What the text covers on the page image, in millimetres, as drawing it covers it.
inline QRectF textRectMm(const PrintedText &text, TextMeasure measure = TextMeasure::Paper)
{
    return textRectMm(text.topLeftMm, text.text, text.face, text.points, text.placement, measure);
}

// Where a page image of `pageMm` lands on paper. The image keeps its natural size (one
// millimetre of it is one on paper) and is cut by the offsets, given in units of a coordinate
// system that spans the printable area with the image's width and height: a text at (x, y) of
// the image lands at (x - offsetLeft * kx, y - offsetUp * ky) millimetres from the printable
// area's top-left corner, kx and ky being the printable size over the image's size.
struct PageGeometry
{
    QSizeF pageMm;
    QRectF printableMm; // on the paper, from its top-left corner
    double offsetLeft = 0;
    double offsetUp = 0;

    // Where the image's origin lands, from the printable area's top-left corner.
    QPointF shiftMm() const;
    // The part of the printable area the shifted image covers (texts are cut to it).
    QRectF visibleMm() const;
};

// A crosshair target of the calibration sheet: a circle and a cross through its centre.
struct TargetMark
{
    QPointF centreMm; // on the page image, as a text's position is
    double radiusMm = 4;
    double armMm = 7;  // from the centre to each end of the cross
    double lineMm = 0.3;
};

// What a page carries: texts, and for the calibration sheet its targets.
struct PageContent
{
    PageContent(QList<PrintedText> texts = {}, QList<TargetMark> targets = {})
        : texts(std::move(texts)), targets(std::move(targets))
    {
    }
    QList<PrintedText> texts;
    QList<TargetMark> targets;
    // Placed from the paper's top-left corner and cut to the printable area only, whatever the
    // page image and its offsets (the calibration sheet, which measures the printer alone).
    bool onPaper = false;
};

// Draws the page with the painter's origin at the printable area's top-left corner and
// `pixelsPerMm` painter units to the millimetre. `form`, when given, is drawn faintly beneath
// where the paper form lies (its top-left at the paper's top-left); it is for the screen and
// for proofs, never for a print on the form itself. `correctionMm`, the printer's correction
// (PrinterProfile::correction) in millimetres of the paper, goes on top of the placing, so that
// the printer puts each point where the placing meant it.
void renderPage(QPainter &painter, double pixelsPerMm, const PageGeometry &geometry,
                const PageContent &content, const Picture *form = nullptr,
                const QTransform &correctionMm = QTransform());

} // namespace formulix
