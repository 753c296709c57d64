#include "widgets/ActivationTracker.h"

#include <QApplication>
#include <QEvent>

namespace formulix {

namespace {

const char *const FormProperty = "_formulixWindow";
const char *const FirstShownProperty = "_formulixShown";

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

void ActivationTracker::noteActivated(QWidget *window)
{
    if (window == m_last)
        return;
    m_last = window;
    emit activated(window);
}

bool ActivationTracker::eventFilter(QObject *watched, QEvent *event)
{
    const bool shownFirst = event->type() == QEvent::Show && watched->property(FirstShownProperty).isNull();
    if ((event->type() == QEvent::WindowActivate || shownFirst) && watched->isWidgetType()) {
        auto *window = static_cast<QWidget *>(watched);
        if (window->isWindow() && window->property(FormProperty).toBool()) {
            if (shownFirst)
                window->setProperty(FirstShownProperty, true);
            noteActivated(window);
        }
    }
    return false;
}

} // namespace formulix
