#pragma once
// Tells a window when it becomes the program's active window coming from another of the
// program's windows. Message boxes and file dialogs do not count as windows here: returning
// from one is no activation.

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace formulix {

class ActivationTracker : public QObject
{
    Q_OBJECT
public:
    static ActivationTracker &instance();

    // Marks a top-level window as one of the program's own windows.
    static void registerWindow(QWidget *window);

    // Makes `window` the program's active window. A window shown for the first time counts as
    // activated even where the window system does not hand it the focus; the activation that
    // may follow is then not a second one.
    void noteActivated(QWidget *window);

signals:
    void activated(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ActivationTracker();
    QPointer<QWidget> m_last;
};

} // namespace formulix
