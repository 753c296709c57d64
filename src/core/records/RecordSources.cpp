#include "core/records/RecordSources.h"

#include "core/records/OdsSource.h"
#include "core/records/XlsxSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace formulix {

const QList<SourceKind> &sourceKinds()
{
    // One line a kind. Kinds told by content come before those known by their extension alone.
    static const QList<SourceKind> kinds = {
        xlsxSourceKind(),
        odsSourceKind(),
    };
    return kinds;
}

const SourceKind *sourceKindOf(const QString &path)
{
    QFile file(path);
    QByteArray head;
    if (file.open(QIODevice::ReadOnly))
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
