#include "gui/editor/FieldGhost.h"

#include "core/text/TextPainter.h"

#include <QPainter>
#include <cmath>

namespace formulix {

FieldGhost::FieldGhost(QWidget *canvas) : QWidget(canvas)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void FieldGhost::setField(const QString &text, const QFont &face, double points, double pixelsPerMm)
{
    m_text = text;
    m_face = face;
    m_points = points;
    m_pixelsPerMm = pixelsPerMm;
    const QSizeF extent = textExtentMm(text, face, points);
    // A frame pixel on each side shows where the field will land.
    resize(int(std::ceil(extent.width() * pixelsPerMm)) + 2, int(std::ceil(extent.height() * pixelsPerMm)) + 2);
    update();
}

void FieldGhost::moveToMm(QPointF topLeftMm)
{
    move(int(std::lround(topLeftMm.x() * m_pixelsPerMm)) - 1, int(std::lround(topLeftMm.y() * m_pixelsPerMm)) - 1);
}

void FieldGhost::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(QPen(QColor(0, 0, 255), 1, Qt::DashLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.translate(1, 1);
    drawTextMm(painter, m_pixelsPerMm, QPointF(0, 0), m_text, m_face, m_points, Qt::black);
}

} // namespace formulix
