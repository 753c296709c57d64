#pragma once
// A field following the pointer while it is dragged: a small widget over the canvas, so each
// move repaints only the strip it leaves and the one it enters, never the whole page.

#include <QFont>
#include <QWidget>

namespace formulix {

class FieldGhost : public QWidget
{
    Q_OBJECT
public:
    explicit FieldGhost(QWidget *canvas);

    // The text as the canvas draws it; `pixelsPerMm` is the canvas's scale.
    void setField(const QString &text, const QFont &face, double points, double pixelsPerMm);
    // Top-left corner in millimetres of the canvas.
    void moveToMm(QPointF topLeftMm);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    QFont m_face;
    double m_points = 0;
    double m_pixelsPerMm = 1;
};

} // namespace formulix
