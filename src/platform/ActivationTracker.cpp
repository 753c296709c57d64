#include "platform/ActivationTracker.h"

#include <QApplication>
#include <QEvent>

namespace formulix {

namespace {

const char *const FormProperty = "_formulixWindow";

} // namespace

ActivationTracker &ActivationTracker::instance()
{
    static ActivationTracker *tracker = new ActivationTracker();
    return *tracker;
}

ActivationTracker::ActivationTracker()
{
    qApp->installEventFilter(this);
}

void ActivationTracker::registerWindow(QWidget *window)
{
    instance();
    window->setProperty(FormProperty, true);
}

bool ActivationTracker::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && watched->isWidgetType()) {
        auto *window = static_cast<QWidget *>(watched);
        if (window->isWindow() && window->property(FormProperty).toBool() && window != m_last) {
            m_last = window;
            emit activated(window);
        }
    }
    return false;
}

} // namespace formulix
