#pragma once
// What a failed write or read says to the user, and the clean-up after a write that was killed.

#include <QString>

namespace formulix {

// The system's reason for `code` (an errno value) in Romanian, for the common ones; the
// system's own words otherwise; `fallback` when there is no code.
QString systemReason(int code, const QString &fallback = QString());

// The same for a file that was to be read: a refused open means the user may not read it.
QString readReason(int code, const QString &fallback = QString());

// Empty when `path` names a regular file (through any symbolic link); otherwise why it is not
// one, in Romanian. Inputs are opened only after this: a FIFO blocks for ever and a device
// never ends, and neither has a size to check.
QString notRegularFile(const QString &path);

// Removes what a killed write to `path` left beside it: files named `path` plus a dot and six
// letters or digits, as our temporary files are named, untouched for a minute (so a write
// still going on elsewhere keeps its file). Nothing else is touched.
void removeStaleTemporaries(const QString &path);

} // namespace formulix
