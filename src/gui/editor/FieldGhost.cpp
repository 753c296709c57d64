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

void FieldGhost::setField(const PrintedText &text, double pixelsPerMm)
{
    m_text = text;
    m_pixelsPerMm = pixelsPerMm;
    const QRectF drawn = textRectMm(text, TextMeasure::Screen);
    m_cornerMm = drawn.topLeft() - text.topLeftMm;
    // A frame pixel on each side shows where the field will land.
    resize(int(std::ceil(drawn.width() * pixelsPerMm)) + 2, int(std::ceil(drawn.height() * pixelsPerMm)) + 2);
    update();
}

void FieldGhost::moveToMm(QPointF pointMm)
{
    const QPointF corner = pointMm + m_cornerMm;
    move(int(std::lround(corner.x() * m_pixelsPerMm)) - 1, int(std::lround(corner.y() * m_pixelsPerMm)) - 1);
}

void FieldGhost::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(QPen(QColor(0, 0, 255), 1, Qt::DashLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.translate(1, 1);
    drawTextMm(painter, m_pixelsPerMm, -m_cornerMm, m_text.text, m_text.face, m_text.points, m_text.color, false,
               m_text.placement);
}

} // namespace formulix
