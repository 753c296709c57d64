#include "core/page/Calibration.h"

#include "core/text/TextPainter.h"

#include <QGuiApplication>
#include <QtMath>
#include <cmath>
#include <limits>

namespace formulix {

namespace {

constexpr double CornerInsetMm = 30;
constexpr double LabelPoints = 8;
constexpr double TextPoints = 10;
constexpr double TitlePoints = 14;

QString orientationName(PageOrientation orientation)
{
    switch (orientation) {
    case PageOrientation::Landscape: return QStringLiteral("Landscape");
    case PageOrientation::Portrait: return QStringLiteral("Portrait");
    case PageOrientation::Unchanged: break;
    }
    return QStringLiteral("orientarea imprimantei");
}

} // namespace


QList<CalibrationTarget> calibrationTargets(QSizeF canvasMm)
{
    const double w = canvasMm.width(), h = canvasMm.height();
    const double inset = qMin(CornerInsetMm, qMin(w, h) / 4);
    return {{1, {inset, inset}},
            {2, {w - inset, inset}},
            {3, {inset, h - inset}},
            {4, {w - inset, h - inset}},
            {5, {w / 2, h / 2}}};
}

PageContent calibrationSheet(QSizeF canvasMm, int offsetLeft, int offsetUp, PageOrientation orientation)
{
    PageContent sheet;
    const QFont face = QGuiApplication::font();
    const TargetMark shape;
    for (const CalibrationTarget &target : calibrationTargets(canvasMm)) {
        TargetMark mark;
        mark.centreMm = target.positionMm;
        sheet.targets.append(mark);
        // Below the cross, kept on the canvas: right-aligned to it on the right half.
        const QString label = QStringLiteral("%1: X %2 mm, Y %3 mm")
                                  .arg(target.number)
                                  .arg(millimetres(target.positionMm.x()), millimetres(target.positionMm.y()));
        const double width = textExtentMm(label, face, LabelPoints).width();
        const bool rightHalf = target.positionMm.x() > canvasMm.width() / 2 + 1;
        const QPointF at(rightHalf ? target.positionMm.x() + shape.armMm - width : target.positionMm.x() - shape.armMm,
                         target.positionMm.y() + shape.armMm + 1);
        sheet.texts.append({at, label, LabelPoints, face, Qt::black});
    }

    const QStringList lines = {
        QStringLiteral("Tiparita cu: Deplaseaza la stanga %1 mm, Deplaseaza in sus %2 mm, %3.")
            .arg(offsetLeft)
            .arg(offsetUp)
            .arg(orientationName(orientation)),
        QStringLiteral("Tipariti pagina pe hartie simpla. Masurati cu rigla, la tintele 1 si 4,"),
        QStringLiteral("distanta de la marginea din stanga si de la marginea de sus a foii"),
        QStringLiteral("pana la centrul tintei, in milimetri."),
        QStringLiteral("Scrieti masuratorile in Fisiere > Calibrare..."),
    };
    const QPointF first = calibrationTargets(canvasMm).first().positionMm;
    QPointF at(first.x() + 15, first.y() + 16);
    sheet.texts.append({at, QStringLiteral("Pagina de calibrare"), TitlePoints, face, Qt::black});
    at.ry() += textExtentMm(QString(), face, TitlePoints).height() + 2;
    const double line = textExtentMm(QString(), face, TextPoints).height();
    for (const QString &text : lines) {
        sheet.texts.append({at, text, TextPoints, face, Qt::black});
        at.ry() += line;
    }
    return sheet;
}

CalibrationResult computeCalibration(const CalibrationInput &input)
{
    CalibrationResult result;
    // A text at canvas point p lands at e + p - offset * k (e: the printer's own margin and
    // error); the offsets that bring it to p are the ones printed with plus the miss over k.
    const QPointF miss = ((input.measured1 - input.intended1) + (input.measured4 - input.intended4)) / 2;
    result.exactLeft = input.offsetLeft + miss.x() / input.kx;
    result.exactUp = input.offsetUp + miss.y() / input.ky;
    const auto stored = [](double value) {
        return int(qBound<double>(std::numeric_limits<qint16>::min(), std::round(value), std::numeric_limits<qint16>::max()));
    };
    result.offsetLeft = stored(result.exactLeft);
    result.offsetUp = stored(result.exactUp);
    result.residualMm = QPointF((result.exactLeft - result.offsetLeft) * input.kx, (result.exactUp - result.offsetUp) * input.ky);

    const QPointF intended = input.intended4 - input.intended1, measured = input.measured4 - input.measured1;
    const double intendedLength = std::hypot(intended.x(), intended.y());
    if (intendedLength > 0) {
        result.scalePercent = (std::hypot(measured.x(), measured.y()) / intendedLength - 1) * 100;
        const double turn = std::atan2(intended.x() * measured.y() - intended.y() * measured.x(),
                                       intended.x() * measured.x() + intended.y() * measured.y());
        result.skewMm = std::tan(turn) * input.paperHeightMm;
    }
    if (std::abs(result.scalePercent) > ScaleLimitPercent) {
        result.hints.append(QStringLiteral("Imprimanta %1 pagina cu %2 %: dezactivati in setarile imprimantei optiunea "
                                           "\"fit to page\" (potrivire in pagina) si tipariti la 100 %.")
                                .arg(result.scalePercent < 0 ? QStringLiteral("micsoreaza") : QStringLiteral("mareste"),
                                     millimetres(std::abs(result.scalePercent), 2)));
    }
    if (std::abs(result.skewMm) > SkewLimitMm) {
        result.hints.append(QStringLiteral("Hartia intra stramb in imprimanta (%1 mm pe inaltimea foii): indreptati "
                                           "ghidajul hartiei din tava si tipariti din nou.")
                                .arg(millimetres(std::abs(result.skewMm))));
    }
    return result;
}

} // namespace formulix
