// Starts Formulix exactly as main() does and quits as soon as the event loop is idle with the
// main window shown.
#include "app/Application.h"
#include "app/frmEcranPrincipal.h"
#include "model/Module1.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    formulix::setUpApplication(app);
    formulix::Module1 model;
    formulix::frmEcranPrincipal window(model);
    window.showAtStart();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
