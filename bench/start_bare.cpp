// The floor: a bare Qt program showing a maximized main window with a menu bar, up to its first
// frame painted. Given "WxH", the size Formulix's window had where no window manager maximizes
// it, the window takes that size first, so both paint as many pixels.
#include "FirstFrame.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    for (const char *title : {"Fisiere", "Editare", "Instrumente", "Ajutor"}) {
        QMenu *menu = window.menuBar()->addMenu(QString::fromLatin1(title));
        for (int i = 1; i <= 5; ++i)
            menu->addAction(QStringLiteral("Comanda %1").arg(i))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_A + i)));
    }
    if (argc > 1) {
        const QStringList size = QString::fromLatin1(argv[1]).split(u'x');
        window.resize(size.value(0).toInt(), size.value(1).toInt());
    }
    new formulix::bench::FirstFrame(window);
    window.setWindowState(Qt::WindowMaximized);
    window.show();
    return app.exec();
}
