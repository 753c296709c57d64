#include "app/Application.h"

#include <QApplication>

namespace formulix {

void setUpApplication(QApplication &app)
{
    app.setApplicationName(QStringLiteral("Formulix"));
    app.setApplicationDisplayName(QStringLiteral("Formulix"));
    app.setQuitOnLastWindowClosed(true);
}

} // namespace formulix
