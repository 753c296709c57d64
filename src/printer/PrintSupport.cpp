#include "printer/PrintSupport.h"

#include "core/files/ProgramModule.h"

namespace formulix {

const PrintSupport *printSupport()
{
    static const PrintSupport *const table = [] {
        const auto entry =
            reinterpret_cast<PrintSupportFunction>(programModuleEntry("formulix_printsupport", PrintSupportEntry));
        return entry ? entry() : nullptr;
    }();
    return table;
}

QString missingPrintSupport()
{
    return QStringLiteral("Modulul de tiparire al programului lipseste din instalare. Reinstalati Formulix.");
}

} // namespace formulix
