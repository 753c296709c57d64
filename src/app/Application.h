#pragma once

class QApplication;

namespace formulix {

// Names the application and sets what every window shares; main() and the start-up
// benchmark both go through it.
void setUpApplication(QApplication &app);

} // namespace formulix
