#pragma once
// Calibrating a printer on plain paper: a sheet of numbered targets printed through the very
// geometry of "Tipareste", and from two of them measured with a ruler, the offsets that put
// every text where it belongs.

#include "core/page/PageRenderer.h"
#include "core/text/Millimetres.h"

#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QStringList>

namespace formulix {

struct CalibrationTarget
{
    int number;
    QPointF positionMm; // on the canvas, which is where it belongs on the paper
};

// Five targets: 30 mm in from each corner of the canvas (1 top left, 2 top right, 3 bottom
// left, 4 bottom right) and 5 at its centre; on a canvas under 120 mm a side the corners come in
// to a quarter of it.
QList<CalibrationTarget> calibrationTargets(QSizeF canvasMm);

// The sheet for a canvas, saying which offsets and orientation it is printed with.
PageContent calibrationSheet(QSizeF canvasMm, int offsetLeft, int offsetUp, PageOrientation orientation);


struct CalibrationInput
{
    QPointF intended1, intended4; // targets 1 and 4 on the canvas
    QPointF measured1, measured4; // measured on paper, from its left and top edges
    int offsetLeft = 0, offsetUp = 0; // the offsets the sheet was printed with
    double kx = 1, ky = 1;            // how the offsets act on paper (printable size / canvas)
    double paperHeightMm = 297;
};

struct CalibrationResult
{
    double exactLeft = 0, exactUp = 0; // the offsets that would put the targets in place
    int offsetLeft = 0, offsetUp = 0;  // rounded, as they are stored
    QPointF residualMm;                // what rounding leaves on paper, right and down positive
    double scalePercent = 0;           // the measured distance between the targets against the intended
    double skewMm = 0;                 // the turn of the print over the sheet's height
    QStringList hints;                 // what to do when the printer itself is at fault
};

CalibrationResult computeCalibration(const CalibrationInput &input);

// The limits past which the printer, not the offsets, is at fault.
constexpr double ScaleLimitPercent = 0.5;
constexpr double SkewLimitMm = 1.0;

} // namespace formulix
