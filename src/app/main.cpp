#include "app/Application.h"
#include "app/frmEcranPrincipal.h"
#include "model/Module1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    formulix::setUpApplication(app);
    formulix::Module1 model;
    formulix::frmEcranPrincipal window(model);
    window.showAtStart();
    return app.exec();
}
