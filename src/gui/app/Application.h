#pragma once

#include "core/Product.h"

class QApplication;

namespace formulix {

// What the program sets on its application object before any window opens; tests call it too,
// so they see the program's own settings.
void prepareApplication(QApplication &app);

// Starts Formulix: the application, the layout model and the main window, shown maximized,
// then runs until the last window closes. The start-up benchmark passes quitWhenIdle to time
// exactly this path up to the first idle moment.
int runFormulix(int &argc, char **argv, bool quitWhenIdle = false);

} // namespace formulix
