#pragma once
// What a printer does to a page, measured once on the calibration sheet and corrected on every
// page after: a shift, a scale on each axis and a small turn, in real millimetres of the paper.
// The offsets of "Seteaza Pagina" belong to a layout and its form; a profile belongs to a printer
// and is the same for every form and every template size.

#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTransform>

namespace formulix {

// A point the page puts at p (millimetres from the paper's top-left corner, x right, y down)
// lands at R(rotation) · diag(scaleX, scaleY) · p + shift. The turn is clockwise on the paper
// for a positive angle.
//
// A profile is kept as measured on the sheet upright (portrait). A landscape page reaches the
// sheet turned a quarter to the left (its top-left corner on the sheet's bottom-left), as print
// servers turn it; a printer that turns it the other way is right in the orientation it was
// calibrated in, since both ways go through the same turn.
struct PrinterProfile
{
    static constexpr double MaxRotationDegrees = 2;
    static constexpr double MinScale = 0.9;
    static constexpr double MaxScale = 1.1;

    double shiftXMm = 0;
    double shiftYMm = 0;
    double scaleX = 1;
    double scaleY = 1;
    double rotationDegrees = 0;

    bool operator==(const PrinterProfile &other) const = default;
    bool isIdentity() const { return *this == PrinterProfile(); }

    // Where the printer puts the points of a page of `paperMm` (turned as the page is), and the
    // correction that undoes it: drawn through the correction, a point lands where it belongs.
    QTransform printerMap(QSizeF paperMm) const;
    QTransform correction(QSizeF paperMm) const;

    // The profile measured on a page of `paperMm`, in that page's own axes, as kept (upright);
    // and the other way.
    static PrinterProfile fromPage(const PrinterProfile &onPage, QSizeF paperMm);
    PrinterProfile onPage(QSizeF paperMm) const;

    // As the calibration gives it and a sentence shows it: the shift to 0.1 mm, the scales to
    // 0.0001, the turn to 0.001 degrees.
    PrinterProfile rounded() const;
    // In a sentence for the user.
    QString described() const;
};

// The least-squares fit of a profile to targets placed at `intendedMm` on a page and measured at
// `measuredMm`: each measured point against the profile's image of its intended one.
struct ProfileFit
{
    bool ok = false;
    QString error;            // why there is no profile, in Romanian
    PrinterProfile onPage;    // in the page's own axes, not rounded
    QList<QPointF> residuals; // measured minus fitted, per target, mm
    double worstResidualMm = 0;
};

ProfileFit fitProfile(const QList<QPointF> &intendedMm, const QList<QPointF> &measuredMm);

// A residual past which a measurement is more likely mistyped than a printer's doing.
constexpr double SuspectResidualMm = 0.6;

// Profiles in the user's settings, apart from any schema: one a printer, by its name, and one for
// files (PDF and PNG), under the empty name.
namespace ProfileStore {
PrinterProfile load(const QString &printer);
// Kept as given; one that rounds to none removes the printer's.
void save(const QString &printer, const PrinterProfile &profile);
// The printers that have a profile (files not among them).
QStringList printers();
// Tests: the settings go to this INI file instead of the user's; empty restores them.
void setSettingsFile(const QString &path);
} // namespace ProfileStore

// How the messages name a profile's printer ("imprimanta X", "fisierele PDF si PNG").
QString profileOwnerShown(const QString &printer);

} // namespace formulix
