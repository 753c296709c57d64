#pragma once
// Qt's own file dialog fills three of its columns in the system's language, whatever its
// translation: a file's type (the MIME database's comment: "unknown", "PDF document"), its size
// ("bytes") and its date (month names). Every file dialog of the program, the print dialog's
// too, shows them in Romanian instead.

class QCoreApplication;

namespace formulix {

void romanianFileDialogColumns(QCoreApplication &app);

} // namespace formulix
