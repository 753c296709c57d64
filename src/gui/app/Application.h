#pragma once

#include "core/Product.h"

#include <functional>

class QApplication;
class QWidget;

namespace formulix {

// What the program sets on its application object before any window opens; tests call it too,
// so they see the program's own settings.
void prepareApplication(QApplication &app);

// Starts Formulix: the application, the layout model and the main window, shown maximized,
// then runs until the last window closes. The start-up benchmark passes `beforeShow` to watch
// the window's first frame along exactly this path.
int runFormulix(int &argc, char **argv, const std::function<void(QWidget &)> &beforeShow = {});

} // namespace formulix
