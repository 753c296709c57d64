#pragma once
// Calibrating a printer on plain paper: a sheet of five numbered targets drawn on the printer's
// paper, apart from any layout, its offsets and any correction; the user measures where each
// landed, and the profile fitted to the measurements (PrinterProfile.h) corrects every page
// after. The same sheet printed with the correction confirms it.

#include "core/page/PageSink.h"
#include "core/text/Millimetres.h"

#include <QList>
#include <QPointF>

namespace formulix {

struct CalibrationTarget
{
    int number;
    QPointF positionMm; // on the paper, from its top-left corner
};

// How far inside the printable area every part of a target stays.
constexpr double MinTargetInsetMm = 10;

// Five targets (1 top left, 2 top right, 3 bottom left, 4 bottom right, 5 at the centre), at
// whole millimetres from the paper's edges, each whole mark at least MinTargetInsetMm inside the
// printable area.
QList<CalibrationTarget> calibrationTargets(const PaperArea &paper);

struct SheetSetup
{
    PaperArea paper;
    QString printer;        // the profile's owner the sheet is for (empty: files)
    bool corrected = false; // the confirmation sheet, printed with the profile
    PrinterProfile profile; // what it is corrected by, to say so
};

// The sheet: targets, each with its number and place, and the instructions, set clear of every
// target. Its positions are on the paper (PageContent::onPaper).
PageContent calibrationSheet(const SheetSetup &setup);

} // namespace formulix
