#pragma once

#include <QWidget>

namespace formulix {

// Mouse-pointer values a window can take.
enum class MousePointer { Default = 0, Arrow = 1, Cross = 2 };

// Sets the pointer a window shows over itself and every control that has none of its own.
inline void setMousePointer(QWidget *window, MousePointer pointer)
{
    switch (pointer) {
    case MousePointer::Default: window->unsetCursor(); break;
    case MousePointer::Arrow: window->setCursor(Qt::ArrowCursor); break;
    case MousePointer::Cross: window->setCursor(Qt::CrossCursor); break;
    }
}

inline MousePointer mousePointer(const QWidget *window)
{
    if (!window->testAttribute(Qt::WA_SetCursor))
        return MousePointer::Default;
    return window->cursor().shape() == Qt::CrossCursor ? MousePointer::Cross : MousePointer::Arrow;
}

} // namespace formulix
