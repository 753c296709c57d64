#include "app/Application.h"

#include "app/frmEcranPrincipal.h"
#include "model/Module1.h"

#include <QApplication>
#include <QTimer>
#include <QTranslator>

namespace formulix {

void prepareApplication(QApplication &app)
{
    // The name alone, never a display name: Qt would append " — Formulix" to every title the
    // window manager shows, and the windows' titles are exactly their captions.
    app.setApplicationName(applicationTitle());
    // Qt's own texts (file dialog, buttons, text menus) in Romanian, like the program's.
    static QTranslator qtRomanian;
    if (qtRomanian.load(QStringLiteral(":/translations/qt_ro.qm")))
        app.installTranslator(&qtRomanian);
}

int runFormulix(int &argc, char **argv, bool quitWhenIdle)
{
    QApplication app(argc, argv);
    prepareApplication(app);
    Module1 model;
    frmEcranPrincipal window(model);
    window.showAtStart();
    if (quitWhenIdle)
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}

} // namespace formulix
