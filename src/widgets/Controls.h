#pragma once
// Small helpers for controls placed by their design geometry. The design sizes fit a narrower
// face than this platform's, so a caption that would be cut is given room (a label grows to the
// left, away from the control it names) or a condensed face (a button).

#include <QAbstractButton>
#include <QLabel>
#include <QShortcut>

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

// A dialog's keys for a window that is no QDialog: Esc closes it as its close box does, Enter
// and Return press `defaultButton` when there is one.
inline void giveDialogKeys(QWidget *window, QAbstractButton *defaultButton = nullptr)
{
    QObject::connect(new QShortcut(QKeySequence(Qt::Key_Escape), window), &QShortcut::activated, window, &QWidget::close);
    if (!defaultButton)
        return;
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter})
        QObject::connect(new QShortcut(QKeySequence(key), window), &QShortcut::activated, defaultButton,
                         &QAbstractButton::click);
}

} // namespace formulix
