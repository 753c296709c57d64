#pragma once
// A field following the pointer while it is dragged: a small widget over the canvas, so each
// move repaints only the strip it leaves and the one it enters, never the whole page.

#include "core/page/PageRenderer.h"

#include <QWidget>

namespace formulix {

class FieldGhost : public QWidget
{
    Q_OBJECT
public:
    explicit FieldGhost(QWidget *canvas);

    // The field's text as the canvas draws it; `pixelsPerMm` is the canvas's scale.
    void setField(const PrintedText &text, double pixelsPerMm);
    // The field's point in millimetres of the canvas (its text's, not the ghost's corner).
    void moveToMm(QPointF pointMm);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    PrintedText m_text;
    QPointF m_cornerMm; // the drawn text's top-left corner, from its point
    double m_pixelsPerMm = 1;
};

} // namespace formulix
