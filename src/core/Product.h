#pragma once

#include <QString>

namespace formulix {

// The application's title, which titles its own messages.
inline QString applicationTitle()
{
    return QStringLiteral("Formulix");
}

} // namespace formulix
