#pragma once
// The start-up programs' end: once the main window's first frame has been painted and handed to
// the window system, "painted WxH" goes to stdout and the program quits. The parent times exec up
// to that line, so neither the teardown nor a later idle moment counts.

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <cstdio>
#include <xcb/xcb.h>

namespace formulix::bench {

class FirstFrame final : public QObject
{
public:
    explicit FirstFrame(QWidget &window) : QObject(&window), m_window(window) { window.installEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // The window paints inside its update request, which flushes the frame when it returns:
        // the queued call runs after that.
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            QMetaObject::invokeMethod(this, &FirstFrame::painted, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void painted()
    {
        // Under X the frame is only on the screen once the server has taken it: a round trip.
        auto *x11 = QGuiApplication::platformName() == QLatin1String("xcb")
            ? qApp->nativeInterface<QNativeInterface::QX11Application>()
            : nullptr;
        if (xcb_connection_t *connection = x11 ? x11->connection() : nullptr)
            free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        std::printf("painted %dx%d\n", m_window.width(), m_window.height());
        std::fflush(stdout);
        QCoreApplication::quit();
    }

    QWidget &m_window;
    bool m_painted = false;
};

} // namespace formulix::bench
