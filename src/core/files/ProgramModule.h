#pragma once
// The program's own modules (the PDF reader, Qt's print support), each opened the first time it
// is needed, so that the libraries behind them do not slow every start.

#include <QFunctionPointer>

namespace formulix {

// `entry` of the module `name` (a file name without its suffix), or nullptr when the module is
// missing. The module is looked for where the install puts it beside the program; a program run
// from the build tree that made it (the tests and benchmarks) takes the one built there, an
// installed one never does. It stays loaded.
QFunctionPointer programModuleEntry(const char *name, const char *entry);

} // namespace formulix
