#pragma once
// Millimetres as the user reads and types them.

#include <QString>
#include <optional>

namespace formulix {

// A millimetre figure as the sheet and the dialog write it: "30", "148,5".
QString millimetres(double value, int decimals = 1);

// A distance typed in millimetres: the system's decimal separator or a point; nothing when it
// is no number.
std::optional<double> parseMillimetres(const QString &text);

} // namespace formulix
