#include "core/page/Calibration.h"

#include "core/text/TextPainter.h"

#include <QGuiApplication>
#include <cmath>

namespace formulix {

namespace {

constexpr double LabelPoints = 8;
constexpr double TextPoints = 9;
constexpr double TitlePoints = 12;
constexpr double LabelGapMm = 2; // past the end of a cross, so that a label's ink is no part of its target
constexpr double BlockGapMm = 3;

double markExtent()
{
    const TargetMark shape;
    return shape.armMm + shape.lineMm / 2;
}

// Words set in lines no wider than `widthMm`.
QStringList wrapped(const QString &text, const QFont &face, double points, double widthMm)
{
    QStringList lines;
    QString line;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + u' ' + word;
        if (!line.isEmpty() && textExtentMm(longer, face, points).width() > widthMm) {
            lines.append(line);
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.isEmpty())
        lines.append(line);
    return lines;
}

} // namespace

QList<CalibrationTarget> calibrationTargets(const PaperArea &paper)
{
    const QRectF printable = paper.printableMm;
    const double inset = MinTargetInsetMm + markExtent();
    const double left = std::ceil(printable.left() + inset), right = std::floor(printable.right() - inset);
    const double top = std::ceil(printable.top() + inset), bottom = std::floor(printable.bottom() - inset);
    const QPointF centre(std::round(paper.paperMm.width() / 2), std::round(paper.paperMm.height() / 2));
    return {{1, {left, top}}, {2, {right, top}}, {3, {left, bottom}}, {4, {right, bottom}}, {5, centre}};
}

PageContent calibrationSheet(const SheetSetup &setup)
{
    PageContent sheet;
    sheet.onPaper = true;
    const QFont face = QGuiApplication::font();
    const double extent = markExtent();
    const double labelHeight = textExtentMm(QString(), face, LabelPoints).height();
    const QList<CalibrationTarget> targets = calibrationTargets(setup.paper);
    for (const CalibrationTarget &target : targets) {
        TargetMark mark;
        mark.centreMm = target.positionMm;
        sheet.targets.append(mark);
        // Below the cross: left-aligned to it on the left, right-aligned on the right, centred
        // in the middle.
        const QString label = QStringLiteral("%1: X %2 mm, Y %3 mm")
                                  .arg(target.number)
                                  .arg(millimetres(target.positionMm.x()), millimetres(target.positionMm.y()));
        const double width = textExtentMm(label, face, LabelPoints).width();
        const double x = target.number == 5 ? target.positionMm.x() - width / 2
                       : target.number % 2 == 0 ? target.positionMm.x() + extent - width
                                                : target.positionMm.x() - extent;
        sheet.texts.append({{x, target.positionMm.y() + extent + LabelGapMm}, label, LabelPoints, face, Qt::black});
    }

    const QSizeF paperMm = setup.paper.paperMm;
    const QString paper = QStringLiteral("%1, hartie %2 x %3 mm")
                              .arg(paperMm.width() > paperMm.height() ? QStringLiteral("Landscape") : QStringLiteral("Portrait"),
                                   millimetres(paperMm.width()), millimetres(paperMm.height()));
    QStringList paragraphs;
    if (setup.corrected) {
        paragraphs << QStringLiteral("Pentru %1, %2, tiparita cu corectia: %3.")
                          .arg(profileOwnerShown(setup.printer), paper, setup.profile.described())
                   << QStringLiteral("Centrul fiecarei tinte trebuie sa cada la locul scris sub ea, masurat de la marginea "
                                     "din stanga si de la marginea de sus a foii. Daca nu, tipariti pagina de calibrare si "
                                     "masurati-o din nou in Fisiere > Calibrare...");
    } else {
        paragraphs << QStringLiteral("Pentru %1, %2, tiparita fara nicio corectie.").arg(profileOwnerShown(setup.printer), paper)
                   << QStringLiteral("Tipariti pe hartie simpla, la 100 % (fara \"fit to page\"). Masurati cu rigla, la "
                                     "fiecare din cele cinci tinte, distanta de la marginea din stanga a foii si de la "
                                     "marginea de sus pana la centrul crucii, in milimetri, cu zecimale (de exemplu 18,5).")
                   << QStringLiteral("Scrieti masuratorile in Fisiere > Calibrare..., pentru aceeasi imprimanta, si apasati "
                                     "Aplica: deplasarea, scara si rotirea imprimantei se corecteaza apoi la fiecare tiparire.");
    }

    // The text goes above the centre target, between it and the labels of the top row, and goes
    // on below it, above the bottom row: clear of every mark and label.
    const QRectF printable = setup.paper.printableMm;
    const QPointF centre = targets.at(4).positionMm;
    const double topRow = targets.at(0).positionMm.y(), bottomRow = targets.at(2).positionMm.y();
    const double labelBottom = extent + LabelGapMm + labelHeight + BlockGapMm;
    const QList<QRectF> room = {
        QRectF(QPointF(printable.left() + MinTargetInsetMm, topRow + labelBottom),
               QPointF(printable.right() - MinTargetInsetMm, centre.y() - extent - BlockGapMm)),
        QRectF(QPointF(printable.left() + MinTargetInsetMm, centre.y() + labelBottom),
               QPointF(printable.right() - MinTargetInsetMm, bottomRow - extent - BlockGapMm)),
    };
    struct Line
    {
        QString text;
        double points;
        double before; // space above it, mm
    };
    QList<Line> lines = {{setup.corrected ? QStringLiteral("Pagina de verificare") : QStringLiteral("Pagina de calibrare"),
                          TitlePoints, 0}};
    for (const QString &paragraph : std::as_const(paragraphs)) {
        bool first = true;
        for (const QString &text : wrapped(paragraph, face, TextPoints, room.at(0).width())) {
            lines.append({text, TextPoints, first ? 1.5 : 0});
            first = false;
        }
    }
    int area = 0;
    double y = room.at(0).top();
    for (const Line &line : std::as_const(lines)) {
        const double height = textExtentMm(line.text, face, line.points).height();
        double before = line.before;
        while (area < room.size() && y + before + height > room.at(area).bottom()) {
            if (++area < room.size())
                y = room.at(area).top();
            before = 0;
        }
        if (area >= room.size())
            break; // a paper too small for all of it keeps its targets clear
        y += before;
        sheet.texts.append({{room.at(area).left(), y}, line.text, line.points, face, Qt::black});
        y += height;
    }
    return sheet;
}

} // namespace formulix
