#pragma once
// Access databases, 97 to 2019 (.mdb, Jet3 and Jet4, and .accdb), read-only, through libmdb;
// nothing else in the program talks to libmdb. Values are formatted under the regional settings
// (QLocale()) in force when a table is opened. Use each object from one thread at a time.

#include "core/records/RecordSource.h"
#include "core/records/RecordSources.h"

#include <QDateTime>
#include <QList>

namespace formulix {

class AccessSource final : public RecordSource
{
public:
    ~AccessSource() override;

    // The database in `path`, with its catalog read; nullptr with the reason in `error` when the
    // file is missing, unreadable, not an Access database, damaged, encrypted (Access 2007 and
    // later), or protected by a password other than `password` (PasswordNeeded when `password`
    // is empty). A database with a password is opened only with that password (compared exactly,
    // case included); any password opens one without.
    static std::unique_ptr<AccessSource> open(const QString &path, QString *error = nullptr,
                                              const QString &password = QString(),
                                              OpenFailure *failure = nullptr);

    const QString &path() const override;
    bool changedOnDisk() const override;
    // Table definitions in catalog order: user tables, the engine's own system tables (MSys...)
    // and tables linked from other databases. Queries, forms and the like are not tables.
    QStringList tableNames() const override;
    bool isLinkedTable(const QString &name) const override;
    std::unique_ptr<RecordCursor> openTable(const QString &name, QString *error = nullptr) const override;

private:
    struct TableEntry
    {
        QString name;
        bool linked = false;
    };

    AccessSource() = default;

    QString m_path;
    qint64 m_size = -1;
    QDateTime m_modified;
    QString m_password; // checked again whenever the file is reopened
    QList<TableEntry> m_tables;
};

SourceKind accessSourceKind();

} // namespace formulix
