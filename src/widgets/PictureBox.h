#pragma once
// A picture box with a millimetre scale and a persistent image: whatever is printed on it stays
// in its image until a picture is assigned, the box is cleared or its background colour set.

#include "core/page/PageRenderer.h"
#include "core/pictures/Picture.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QSizeF>
#include <QWidget>
#include <memory>

class QPainter;

namespace formulix {

// Button and shift codes of a mouse event.
enum MouseButtonCode { LeftButton = 1, RightButton = 2, MiddleButton = 4 };
enum ShiftCode { ShiftMask = 1, CtrlMask = 2, AltMask = 4 };

class PictureBox : public QWidget
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);
    ~PictureBox() override;

    // Position and size in millimetres inside the parent.
    double leftMm() const { return m_leftMm; }
    double topMm() const { return m_topMm; }
    double widthMm() const { return m_widthMm; }
    double heightMm() const { return m_heightMm; }
    void setLeftMm(double mm);
    void setTopMm(double mm);
    void moveMm(double leftMm, double topMm);
    void setSizeMm(double widthMm, double heightMm);

    double pixelsPerMm() const;

    // Assigning a picture sizes the box to it and wipes everything printed before.
    void setPicture(const Picture &picture);
    const Picture &picture() const { return m_picture; }

    QColor backColor() const { return m_backColor; }
    // Like a fresh background, a new colour also erases what was printed.
    void setBackColor(const QColor &color);
    void cls();

    QColor foreColor() const { return m_foreColor; }
    void setForeColor(const QColor &color) { m_foreColor = color; }

    // Drawing state used by printText.
    double currentX() const { return m_currentX; }
    double currentY() const { return m_currentY; }
    void setCurrentX(double mm) { m_currentX = mm; }
    void setCurrentY(double mm) { m_currentY = mm; }
    double fontSize() const { return m_fontSize; }
    void setFontSize(double points) { m_fontSize = points; }
    QFont face() const { return m_face; }
    void setFace(const QFont &face) { m_face = face; }

    // Prints one line with its top-left corner at the current position, then moves the
    // position to the start of the next line.
    void printText(const QString &text);
    // Prints a text as a page draws it: at its own point, size, face and placement. The current
    // position stays where it is.
    void printText(const PrintedText &text);

    // A faint outline of each printed text's box, for the screen: the box a text is aligned in
    // or fitted to is otherwise invisible.
    void setBoxOutlines(bool shown) { m_boxOutlines = shown; }

    // Extent of a text in the box's current font, in millimetres.
    double textWidthMm(const QString &text) const;
    double textHeightMm(const QString &text) const;

    // The persistent image at the device pixel ratio (what the box shows).
    const QImage &image() const
    {
        ensureImage();
        endPainting();
        return m_image;
    }

    // Every text printed since the image was last wiped, so a page can be replayed as vector
    // text onto any painter.
    using PrintedText = formulix::PrintedText;
    const QList<PrintedText> &printedTexts() const { return m_printed; }

signals:
    // Button and shift use the codes above; x and y are millimetres in the drawing area.
    void mouseDown(int button, int shift, float x, float y);
    void mouseUp(int button, int shift, float x, float y);
    // While a button is held; `buttons` is the mask of those held.
    void mouseMove(int buttons, int shift, float x, float y);
    // After the mouseDown of a double click's second press.
    void doubleClick(int button, int shift, float x, float y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void applyGeometry();
    // The image is a cache of the picture or background with the printed texts on it.
    void invalidateImage();
    // Brings the image up to date with the first `upTo` printed texts (all of them when -1).
    void ensureImage(qsizetype upTo = -1) const;
    // Draws the text printed last, the image being current with all before it; its line height.
    double rasterizeLast();
    double rasterize(const PrintedText &text) const;
    // Prints in a row share one painter; it is ended before the image is read or replaced.
    void endPainting() const;
    double devicePixelRatioForImage() const;

    double m_leftMm = 0, m_topMm = 0, m_widthMm = 0, m_heightMm = 0;
    double m_currentX = 0, m_currentY = 0;
    double m_fontSize = 8.25;
    QFont m_face;
    QColor m_backColor = QColor(0xF0, 0xF0, 0xF0);
    QColor m_foreColor = Qt::black;
    Picture m_picture;
    mutable QImage m_image;
    mutable bool m_imageValid = false;
    mutable qsizetype m_rasterized = 0; // printed texts already drawn on m_image
    mutable std::unique_ptr<QPainter> m_painter;
    bool m_boxOutlines = false;
    QList<PrintedText> m_printed;
};

} // namespace formulix
