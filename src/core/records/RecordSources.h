#pragma once
// The kinds of file records come from, and opening a file as its kind: by its content first (an
// Access database, a zip of a workbook, an OLE2 file), then by its name's extension.

#include "core/records/RecordSource.h"

#include <QByteArrayView>
#include <functional>

namespace formulix {

struct SourceKind
{
    QString name;           // for the file dialog: "Baze de date Access"
    QStringList extensions; // lower case, without the dot: "mdb", "accdb"
    // True when a file beginning with `head` (its first 4 KiB or fewer) is of this kind; the path is
    // there for kinds whose files share a container (zip) and must look inside.
    std::function<bool(QByteArrayView head, const QString &path)> recognises;
    std::function<std::unique_ptr<RecordSource>(const QString &path, const QString &password, QString *error,
                                                OpenFailure *failure)>
        open;
};

// Every kind, in the order they are tried.
const QList<SourceKind> &sourceKinds();

// The file at `path` as the kind its content shows, else its extension names; nullptr with a
// Romanian reason naming the file.
std::unique_ptr<RecordSource> openRecordSource(const QString &path, QString *error = nullptr,
                                               const QString &password = QString(),
                                               OpenFailure *failure = nullptr);

// The file dialog's filter: one entry a kind, "Access Date|*.mdb;*.accdb|...".
QString sourceFileFilter();
// A file of a name some kind reads (any case: ELEVI.MDB, as a Windows machine names it).
bool isSourceFileName(const QString &path);

// The kind a file is taken for (content first, then extension), or nullptr.
const SourceKind *sourceKindOf(const QString &path);

} // namespace formulix
