#pragma once
// C libraries opened when first needed rather than linked: each linked one costs every start of
// the window its loading, for files many users never open. A library's functions are listed
// once, as a list macro F(name) F(name)..., and resolved together into a table of pointers named
// as the functions are, so a call reads `table->name(...)`.

#include <QLibrary>
#include <QString>

namespace formulix {

template <typename Function>
bool resolveFunction(QLibrary &library, Function *&function, const char *name)
{
    function = reinterpret_cast<Function *>(library.resolve(name));
    return function != nullptr;
}

// The reason given when a library is missing: its name and the package that has it.
inline QString missingLibraryReason(const char *soname, const char *package)
{
    return QStringLiteral("biblioteca %1 (pachetul %2) lipseste din sistem")
        .arg(QLatin1String(soname), QLatin1String(package));
}

} // namespace formulix

#define FORMULIX_FUNCTION_POINTER(name) decltype(&::name) name = nullptr;
#define FORMULIX_RESOLVE_FUNCTION(name) &&formulix::resolveFunction(library, table.name, #name)

// Defines the struct `Table` of LIST's functions and `const Table *load<Table>()`, which opens the
// library by its soname on the first call: nullptr when it or one of the functions is missing.
// The library stays loaded (QLibrary does not unload on destruction).
#define FORMULIX_LAZY_LIBRARY(Table, LIST, soname)                                                  \
    struct Table                                                                                   \
    {                                                                                              \
        LIST(FORMULIX_FUNCTION_POINTER)                                                            \
    };                                                                                             \
    [[maybe_unused]] const Table *load##Table()                                                    \
    {                                                                                              \
        static const Table *const loaded = [] {                                                    \
            static Table table;                                                                    \
            QLibrary library(QStringLiteral(soname));                                              \
            return true LIST(FORMULIX_RESOLVE_FUNCTION) ? &table : nullptr;                        \
        }();                                                                                       \
        return loaded;                                                                             \
    }
