#include "core/records/RecordSources.h"

#include "core/records/AccessSource.h"
#include "core/records/CsvSource.h"
#include "core/records/OdsSource.h"
#include "core/records/XlsxSource.h"
#include "core/records/XlsSource.h"

#include "core/files/FileSafety.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace formulix {

const QList<SourceKind> &sourceKinds()
{
    // One line a kind. Kinds told by content come before those known by their extension alone.
    static const QList<SourceKind> kinds = {
        accessSourceKind(),
        xlsxSourceKind(),
        odsSourceKind(),
        xlsSourceKind(),
        csvSourceKind(),
    };
    return kinds;
}

const SourceKind *sourceKindOf(const QString &path)
{
    // Only a regular file is looked into: a FIFO would hold the open for ever. Anything else goes
    // by its name to a kind, which says what is wrong with it.
    QByteArray head;
    if (QFile file(path); notRegularFile(path).isEmpty() && file.open(QIODevice::ReadOnly))
        head = file.read(4096);
    for (const SourceKind &kind : sourceKinds()) {
        if (kind.recognises && !head.isEmpty() && kind.recognises(head, path))
            return &kind;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const SourceKind &kind : sourceKinds()) {
        if (kind.extensions.contains(suffix))
            return &kind;
    }
    return nullptr;
}

QString sourceFileFilter()
{
    QStringList parts;
    for (const SourceKind &kind : sourceKinds()) {
        QStringList patterns;
        for (const QString &extension : kind.extensions)
            patterns.append(QStringLiteral("*.") + extension);
        parts << kind.name << patterns.join(QLatin1Char(';'));
    }
    return parts.join(QLatin1Char('|'));
}

bool isSourceFileName(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const SourceKind &kind : sourceKinds()) {
        if (kind.extensions.contains(suffix))
            return true;
    }
    return false;
}

std::unique_ptr<RecordSource> openRecordSource(const QString &path, QString *error, const QString &password,
                                               OpenFailure *failure)
{
    if (failure)
        *failure = OpenFailure::Failed;
    const SourceKind *kind = sourceKindOf(path);
    // A file of no kind goes to the first (Access), whose reasons say what is wrong with it.
    if (!kind && !sourceKinds().isEmpty())
        kind = &sourceKinds().constFirst();
    if (!kind) {
        if (error)
            *error = QStringLiteral("Fisierul %1 nu poate fi citit.").arg(QDir::toNativeSeparators(path));
        return nullptr;
    }
    return kind->open(path, password, error, failure);
}

} // namespace formulix
