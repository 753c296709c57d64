#pragma once

#include <QString>

namespace formulix {

// The application's title, which titles its own messages.
inline QString applicationTitle()
{
    return QStringLiteral("Formulix");
}

// Starts Formulix: the application, the layout model and the main window, shown maximized,
// then runs until the last window closes. The start-up benchmark passes quitWhenIdle to time
// exactly this path up to the first idle moment.
int runFormulix(int &argc, char **argv, bool quitWhenIdle = false);

} // namespace formulix
