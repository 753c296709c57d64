#pragma once
// Small helpers for controls placed by their design geometry. The design sizes fit a narrower
// face than this platform's, so a caption that would be cut is given room (a label grows to the
// left, away from the control it names) or a condensed face (a button).

#include <QAbstractButton>
#include <QLabel>

namespace formulix {

inline void fitCaption(QLabel *label)
{
    const int missing = label->sizeHint().width() - label->width();
    if (missing > 0)
        label->setGeometry(qMax(0, label->x() - missing), label->y(), label->sizeHint().width(), label->height());
}

inline void fitCaption(QAbstractButton *button)
{
    if (button->sizeHint().width() > button->width()) {
        QFont font = button->font();
        font.setStretch(QFont::Condensed);
        button->setFont(font);
    }
}

// A button of graphical style: its background colour shows.
inline void setButtonColor(QAbstractButton *button, const QColor &color)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, color);
    button->setPalette(palette);
    button->setAutoFillBackground(true);
}

} // namespace formulix
