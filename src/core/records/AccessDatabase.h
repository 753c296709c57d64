#pragma once
// Access 97 to 2003 databases (.mdb, Jet3 and Jet4), read-only. Nothing else in the program talks
// to libmdb: the windows see table names, column names and each row's values as text, formatted
// under the regional settings (QLocale()) in force when the table was opened.
//
// A damaged or foreign file makes open() or openTable() fail with a reason, or ends a table's
// rows early; it never crashes or hangs the program. Use each object from one thread at a time.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace formulix {

// One table's rows, read lazily and in order: fetchMore() reads the next rows from the file and
// keeps their values as compact UTF-8. It has its own file handle, so it outlives the
// AccessDatabase that opened it and never disturbs another RecordSet.
class RecordSet
{
public:
    ~RecordSet();
    RecordSet(const RecordSet &) = delete;
    RecordSet &operator=(const RecordSet &) = delete;

    const QString &tableName() const;
    // The table's columns, in column order, names exactly as stored (trailing blanks kept).
    const QStringList &columnNames() const;
    // Exact, case-sensitive name; -1 when the table has no such column.
    int columnIndex(const QString &name) const;

    qint64 rowsRead() const;
    // The table has no more rows: the last fetch reached its end.
    bool allRead() const;
    // Reading stopped on a fault before the table's end: the file was rewritten or cut while it
    // was read, or its rows end before the count its definition records. The rows read before
    // stay; no more are read. failure() says so in Romanian, naming the file.
    bool failed() const;
    QString failure() const;
    // Reads up to `count` more rows; returns how many it read (fewer at the end or on a fault).
    qint64 fetchMore(qint64 count);
    // Reads the rest; returns rowsRead().
    qint64 fetchAll();

    // Lets the rows before `row` go, as a job that reads a table once from its start does; they
    // then read as "". Rows are let go a chunk at a time.
    void forgetRowsBefore(qint64 row);

    // 0-based row < rowsRead(). NULL, and any row or column out of range, give "".
    QString text(qint64 row, int column) const;
    // True for a NULL value and for a row or column out of range. Yes/no values are never NULL.
    bool isNull(qint64 row, int column) const;

private:
    friend class AccessDatabase;
    struct Private;
    explicit RecordSet(std::unique_ptr<Private> d);
    std::unique_ptr<Private> d;
};

class AccessDatabase
{
public:
    ~AccessDatabase();
    AccessDatabase(const AccessDatabase &) = delete;
    AccessDatabase &operator=(const AccessDatabase &) = delete;

    // Why open() gave nothing: a database with a password is opened only with that password
    // (compared exactly, case included); any password opens one without.
    enum class OpenFailure { None, Failed, PasswordNeeded, WrongPassword };

    // The database in `path`, with its catalog read; nullptr with the reason in `error` when the
    // file is missing, unreadable, not an Access database (97 to 2019: .mdb and .accdb), damaged,
    // encrypted (Access 2007 and later), or protected by a password other than `password`
    // (PasswordNeeded when `password` is empty).
    static std::unique_ptr<AccessDatabase> open(const QString &path, QString *error = nullptr,
                                                const QString &password = QString(),
                                                OpenFailure *failure = nullptr);

    // A file named .csv or .txt (any case) holds one table kept as text (see CsvReader).
    static bool isTextTable(const QString &path);

    const QString &path() const;
    // The file is no longer the one whose catalog was read: rewritten, replaced or gone.
    bool changedOnDisk() const;
    // Table definitions in catalog order: user tables, the engine's own system tables (MSys...)
    // and tables linked from other databases. Queries, forms and the like are not tables.
    QStringList tableNames() const;
    // A table linked from another database: listed, but its rows live elsewhere.
    bool isLinkedTable(const QString &name) const;
    // Opens the table by name, as the file holds it now (exact name first, then ignoring case as
    // Access does); no row is read yet. nullptr with the reason in `error` on failure.
    std::unique_ptr<RecordSet> openTable(const QString &name, QString *error = nullptr) const;

private:
    struct TableEntry
    {
        QString name;
        bool linked = false;
    };

    AccessDatabase() = default;
    // The file as it is when it was read: what changedOnDisk() compares with.
    static std::unique_ptr<AccessDatabase> opened(const QString &path);

    QString m_path;
    qint64 m_size = -1;
    QDateTime m_modified;
    QString m_password; // checked again whenever the file is reopened
    bool m_textTable = false;
    QList<TableEntry> m_tables;
};

} // namespace formulix
