#include "app/Application.h"

#include "app/frmEcranPrincipal.h"
#include "model/Module1.h"

#include <QApplication>
#include <QTimer>

namespace formulix {

int runFormulix(int &argc, char **argv, bool quitWhenIdle)
{
    QApplication app(argc, argv);
    app.setApplicationName(applicationTitle());
    app.setApplicationDisplayName(applicationTitle());
    Module1 model;
    frmEcranPrincipal window(model);
    window.showAtStart();
    if (quitWhenIdle)
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}

} // namespace formulix
