#include "core/files/ProgramModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace formulix {

QFunctionPointer programModuleEntry(const char *name, const char *entry)
{
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString file = QString::fromLatin1(name);
    QStringList places{QDir(QDir(programDir).filePath(QStringLiteral(FORMULIX_MODULE_DIR_RELATIVE))).filePath(file)};
    const QString buildTree = QStringLiteral(FORMULIX_BUILD_TREE);
    if (programDir == buildTree || programDir.startsWith(buildTree + u'/'))
        places.append(buildTree + u'/' + file);
    for (const QString &place : places) {
        QLibrary module(place);
        if (const QFunctionPointer found = module.resolve(entry))
            return found; // stays loaded: QLibrary does not unload on destruction
    }
    return nullptr;
}

} // namespace formulix
