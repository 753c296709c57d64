#pragma once
// A list whose choice is made by the user alone: a click on an item, or moving the current
// item with the keyboard. Qt makes the first row current when the list merely gets the focus
// (Tab, a window coming back), which is not a choice and must not run a command.

#include <QListWidget>

namespace formulix {

class ChoiceList : public QListWidget
{
    Q_OBJECT
public:
    using QListWidget::QListWidget;

signals:
    // The user moved the current item with a key (arrows, Home/End, Page keys, typing).
    void currentMovedByKey(int row);

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const int before = currentRow();
        QListWidget::keyPressEvent(event);
        if (currentRow() != before && currentRow() >= 0)
            emit currentMovedByKey(currentRow());
    }
};

} // namespace formulix
