#include "core/page/PageRenderer.h"

#include "core/text/TextPainter.h"

#include <QPainter>
#include <QPen>

namespace formulix {

QPointF PageGeometry::shiftMm() const
{
    const double kx = pageMm.width() > 0 ? printableMm.width() / pageMm.width() : 1;
    const double ky = pageMm.height() > 0 ? printableMm.height() / pageMm.height() : 1;
    return QPointF(-offsetLeft * kx, -offsetUp * ky);
}

QRectF PageGeometry::visibleMm() const
{
    return QRectF(shiftMm(), pageMm).intersected(QRectF(QPointF(0, 0), printableMm.size()));
}

void renderPage(QPainter &painter, double pixelsPerMm, const PageGeometry &geometry,
                const PageContent &content, const Picture *form, const QTransform &correctionMm)
{
    painter.save();
    if (!correctionMm.isIdentity()) {
        // The painter's units are device pixels from the printable area's corner.
        const QPointF corner = geometry.printableMm.topLeft();
        const QTransform toPaper = QTransform::fromScale(1 / pixelsPerMm, 1 / pixelsPerMm)
            * QTransform::fromTranslate(corner.x(), corner.y());
        const QTransform back = QTransform::fromTranslate(-corner.x(), -corner.y())
            * QTransform::fromScale(pixelsPerMm, pixelsPerMm);
        painter.setWorldTransform(toPaper * correctionMm * back, true);
    }
    if (form && !form->isNull()) {
        painter.save();
        painter.setOpacity(0.35);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QPointF paperOrigin = -geometry.printableMm.topLeft();
        painter.drawImage(QRectF(paperOrigin * pixelsPerMm, form->sizeMm * pixelsPerMm), form->image);
        painter.restore();
    }
    const QRectF visible = content.onPaper ? QRectF(QPointF(0, 0), geometry.printableMm.size()) : geometry.visibleMm();
    painter.setClipRect(QRectF(visible.topLeft() * pixelsPerMm, visible.size() * pixelsPerMm), Qt::IntersectClip);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QPointF shift = content.onPaper ? -geometry.printableMm.topLeft() : geometry.shiftMm();
    if (!content.targets.isEmpty()) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::NoBrush);
        for (const TargetMark &target : content.targets) {
            painter.setPen(QPen(Qt::black, target.lineMm * pixelsPerMm, Qt::SolidLine, Qt::FlatCap));
            const QPointF centre = (target.centreMm + shift) * pixelsPerMm;
            const double arm = target.armMm * pixelsPerMm, radius = target.radiusMm * pixelsPerMm;
            painter.drawEllipse(centre, radius, radius);
            painter.drawLine(centre - QPointF(arm, 0), centre + QPointF(arm, 0));
            painter.drawLine(centre - QPointF(0, arm), centre + QPointF(0, arm));
        }
        painter.restore();
    }
    // Unhinted, a text on screen keeps the width it has on paper; on screen and on an image at its
    // true size too, where a font in whole pixels would be a pixel or more wider or narrower than
    // on paper. A printer's and a PDF's pixels are fine enough.
    const int device = painter.device() ? painter.device()->devType() : QInternal::UnknownDevice;
    const bool exactSize = device == QInternal::Image || device == QInternal::Pixmap || device == QInternal::Widget;
    QFont given, unhinted;
    for (const PrintedText &text : content.texts) {
        if (text.face != given) {
            given = text.face;
            unhinted = given;
            unhinted.setHintingPreference(QFont::PreferNoHinting);
        }
        drawTextMm(painter, pixelsPerMm, text.topLeftMm + shift, text.text, unhinted, text.points, text.color, exactSize,
                   text.placement);
    }
    painter.restore();
}

} // namespace formulix
