#include "widgets/KeyPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QWidget>

namespace formulix {

int windowsKeyCode(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Left: return KeyLeft;
    case Qt::Key_Up: return KeyUp;
    case Qt::Key_Right: return KeyRight;
    case Qt::Key_Down: return KeyDown;
    default: break;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey;
    return 0;
}

KeyPreview::KeyPreview(QWidget *window, std::function<void(int, int)> handler)
    : QObject(window), m_window(window), m_handler(std::move(handler))
{
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview()
{
    qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    // A key first goes to the window's focused control (to the window itself when nothing in it
    // has the focus); when ignored there it climbs to the parents as the same event, which must
    // not be previewed again.
    auto *receiver = static_cast<QWidget *>(watched);
    QWidget *focus = QApplication::focusWidget();
    QWidget *target = focus && focus->window() == m_window ? focus : m_window;
    if (receiver != target)
        return false;
    // Alt or F10 hands the keys to the menu bar, whose arrows walk the menus.
    if (qobject_cast<QMenuBar *>(receiver))
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers mods = key->modifiers();
    const int shift = (mods & Qt::ShiftModifier ? 1 : 0) | (mods & Qt::ControlModifier ? 2 : 0)
        | (mods & Qt::AltModifier ? 4 : 0);
    m_handler(windowsKeyCode(key->key()), shift);
    return false;
}

} // namespace formulix
