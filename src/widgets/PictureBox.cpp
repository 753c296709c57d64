#include "widgets/PictureBox.h"

#include "core/text/TextPainter.h"
#include "widgets/Units.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace formulix {

PictureBox::PictureBox(QWidget *parent) : QWidget(parent), m_face(QApplication::font())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

double PictureBox::pixelsPerMm() const
{
    return formulix::pixelsPerMm(logicalDpi(this));
}

void PictureBox::setLeftMm(double mm)
{
    m_leftMm = mm;
    applyGeometry();
}

void PictureBox::setTopMm(double mm)
{
    m_topMm = mm;
    applyGeometry();
}

void PictureBox::moveMm(double leftMm, double topMm)
{
    m_leftMm = leftMm;
    m_topMm = topMm;
    applyGeometry();
}

void PictureBox::setSizeMm(double widthMm, double heightMm)
{
    m_widthMm = qMax(0.0, widthMm);
    m_heightMm = qMax(0.0, heightMm);
    applyGeometry();
    invalidateImage();
}

void PictureBox::applyGeometry()
{
    const double ppm = pixelsPerMm();
    setGeometry(QRect(QPoint(int(std::lround(m_leftMm * ppm)), int(std::lround(m_topMm * ppm))),
                      pictureDevicePixels(QSizeF(m_widthMm, m_heightMm), ppm)));
}

double PictureBox::devicePixelRatioForImage() const
{
    const double dpr = devicePixelRatioF();
    return dpr > 0 ? dpr : 1.0;
}

void PictureBox::invalidateImage()
{
    endPainting();
    m_imageValid = false;
    // A shown box draws at once; a hidden one only when its image is read.
    if (isVisible())
        ensureImage();
    update();
}

void PictureBox::ensureImage(qsizetype upTo) const
{
    if (upTo < 0)
        upTo = m_printed.size();
    if (!m_imageValid) {
        endPainting();
        const double ppm = pixelsPerMm();
        const double dpr = devicePixelRatioForImage();
        const QSize shown = pictureDevicePixels(QSizeF(m_widthMm, m_heightMm), ppm * dpr);
        // A box larger than the budget keeps a coarser image, drawn enlarged.
        const QSize size = withinPixelBudget(shown);
        const double imageRatio = size == shown || shown.width() == 0 ? dpr : dpr * size.width() / shown.width();
        const bool pictureFits =
            !m_picture.isNull() && m_picture.image.size() == size && m_picture.image.format() == QImage::Format_RGB32;
        // The common case, a fresh copy of the template: one copy of its pixels, nothing else.
        QImage image = pictureFits ? m_picture.image.copy() : QImage(size, QImage::Format_RGB32);
        // Fonts size themselves by the image's resolution: keep it at the screen's logical dpi.
        const int dotsPerMeter = int(std::lround(logicalDpi(this) / 0.0254));
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        if (!image.isNull() && !pictureFits) {
            image.fill(m_backColor);
            if (!m_picture.isNull()) {
                QPainter painter(&image); // in device pixels: the image has no pixel ratio yet
                painter.setRenderHint(QPainter::SmoothPixmapTransform);
                painter.drawImage(QRect(QPoint(0, 0), pictureDevicePixels(m_picture.sizeMm, ppm * imageRatio)),
                                  m_picture.image);
            }
        }
        image.setDevicePixelRatio(imageRatio);
        m_image = image;
        m_rasterized = 0;
        m_imageValid = true;
    }
    if (m_rasterized < upTo && !m_image.isNull()) {
        if (!m_painter) {
            m_painter = std::make_unique<QPainter>(&m_image);
            m_painter->setRenderHint(QPainter::TextAntialiasing);
        }
        for (; m_rasterized < upTo; ++m_rasterized)
            rasterize(m_printed.at(m_rasterized));
    }
    if (m_image.isNull())
        m_rasterized = upTo;
}

void PictureBox::setPicture(const Picture &picture)
{
    m_picture = picture;
    if (!picture.isNull()) {
        m_widthMm = picture.sizeMm.width();
        m_heightMm = picture.sizeMm.height();
        applyGeometry();
    }
    m_printed.clear();
    invalidateImage();
}

void PictureBox::setBackColor(const QColor &color)
{
    m_backColor = color;
    cls();
}

void PictureBox::cls()
{
    m_printed.clear();
    invalidateImage();
    m_currentX = 0;
    m_currentY = 0;
}

PictureBox::~PictureBox()
{
    endPainting();
}


void PictureBox::endPainting() const
{
    m_painter.reset();
}

void PictureBox::printText(const QString &text)
{
    m_printed.append({QPointF(m_currentX, m_currentY), text, m_fontSize, m_face, m_foreColor});
    double lineHeight = 0;
    if (isVisible()) {
        ensureImage(m_printed.size() - 1);
        lineHeight = rasterizeLast();
    }
    if (lineHeight <= 0)
        lineHeight = textHeightMm(text) * textLines(text).size();
    m_currentY += lineHeight;
    m_currentX = 0;
    update();
}

double PictureBox::rasterizeLast()
{
    if (m_image.isNull() || m_rasterized != m_printed.size() - 1)
        return 0;
    if (!m_painter) {
        m_painter = std::make_unique<QPainter>(&m_image);
        m_painter->setRenderHint(QPainter::TextAntialiasing);
    }
    ++m_rasterized;
    return rasterize(m_printed.constLast());
}

double PictureBox::rasterize(const PrintedText &text) const
{
    if (m_boxOutlines && text.placement.boxWidthMm > 0) {
        // Four lines of single pixels: a stroked or dashed outline costs a page of them as much
        // as their texts.
        const QRectF lines = textRectMm(text);
        const double ppm = pixelsPerMm();
        const QRect box = QRectF(QPointF(text.topLeftMm.x(), lines.top()) * ppm,
                                 QSizeF(text.placement.boxWidthMm, lines.height()) * ppm)
                              .toRect();
        const QColor faint(200, 210, 255);
        m_painter->fillRect(QRect(box.left(), box.top(), box.width(), 1), faint);
        m_painter->fillRect(QRect(box.left(), box.bottom(), box.width(), 1), faint);
        m_painter->fillRect(QRect(box.left(), box.top(), 1, box.height()), faint);
        m_painter->fillRect(QRect(box.right(), box.top(), 1, box.height()), faint);
    }
    return drawTextMm(*m_painter, pixelsPerMm(), text.topLeftMm, text.text, text.face, text.points, text.color, false,
                      text.placement);
}

void PictureBox::printText(const PrintedText &text)
{
    m_printed.append(text);
    if (isVisible()) {
        ensureImage(m_printed.size() - 1);
        rasterizeLast();
    }
    update();
}

double PictureBox::textWidthMm(const QString &text) const
{
    return textExtentMm(text, m_face, m_fontSize).width();
}

double PictureBox::textHeightMm(const QString &) const
{
    return textExtentMm(QString(), m_face, m_fontSize).height(); // a line's height is the font's, whatever the text
}

void PictureBox::paintEvent(QPaintEvent *)
{
    ensureImage();
    endPainting();
    QPainter painter(this);
    painter.fillRect(rect(), m_backColor);
    painter.drawImage(QPointF(0, 0), m_image);
}

namespace {

int buttonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return LeftButton;
    case Qt::RightButton: return RightButton;
    case Qt::MiddleButton: return MiddleButton;
    default: return 0;
    }
}

int shiftCode(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? ShiftMask : 0) | (modifiers & Qt::ControlModifier ? CtrlMask : 0)
        | (modifiers & Qt::AltModifier ? AltMask : 0);
}

} // namespace

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    const double ppm = pixelsPerMm();
    emit mouseDown(buttonCode(event->button()), shiftCode(event->modifiers()), float(event->position().x() / ppm),
                   float(event->position().y() / ppm));
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click stays a press, as it was before the double click had a use.
    mousePressEvent(event);
    const double ppm = pixelsPerMm();
    emit doubleClick(buttonCode(event->button()), shiftCode(event->modifiers()), float(event->position().x() / ppm),
                     float(event->position().y() / ppm));
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    const double ppm = pixelsPerMm();
    emit mouseUp(buttonCode(event->button()), shiftCode(event->modifiers()), float(event->position().x() / ppm),
                 float(event->position().y() / ppm));
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    const double ppm = pixelsPerMm();
    int buttons = 0;
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        if (event->buttons() & button)
            buttons |= buttonCode(button);
    }
    emit mouseMove(buttons, shiftCode(event->modifiers()), float(event->position().x() / ppm),
                   float(event->position().y() / ppm));
}

} // namespace formulix
