#pragma once
// Where records come from: a file of tables (an Access database, a text table, a workbook). The
// data control, the grid, the record window, page jobs and the command line see only these two
// interfaces; RecordSources.h opens a file as the right kind.
//
// A damaged or foreign file makes opening fail with a Romanian reason naming the file, or ends a
// table's rows early with one; it never crashes or hangs the program. Use each object from one
// thread at a time.

#include <QString>
#include <QStringList>

#include <limits>
#include <memory>

namespace formulix {

// One table's rows, read lazily and in order. A cursor has its own hold on the file, so it
// outlives the source that opened it and never disturbs another cursor.
class RecordCursor
{
public:
    virtual ~RecordCursor() = default;

    virtual const QString &tableName() const = 0;
    // The table's columns, in column order, names exactly as stored (trailing blanks kept).
    virtual const QStringList &columnNames() const = 0;
    // Exact, case-sensitive name; -1 when the table has no such column.
    int columnIndex(const QString &name) const { return int(columnNames().indexOf(name)); }

    virtual qint64 rowsRead() const = 0;
    // The table has no more rows: the last fetch reached its end.
    virtual bool allRead() const = 0;
    // Reading stopped on a fault before the table's end (the file was rewritten or cut while it
    // was read, or it is damaged). The rows read before stay; no more are read. failure() says so
    // in Romanian, naming the file.
    virtual bool failed() const = 0;
    virtual QString failure() const = 0;
    // Reads up to `count` more rows; returns how many it read (fewer at the end or on a fault).
    virtual qint64 fetchMore(qint64 count) = 0;
    // Reads the rest; returns rowsRead().
    qint64 fetchAll()
    {
        fetchMore(std::numeric_limits<qint64>::max());
        return rowsRead();
    }
    // Lets the rows before `row` go, as a job that reads a table once from its start does; they
    // then read as "".
    virtual void forgetRowsBefore(qint64 row) = 0;

    // 0-based row < rowsRead(). The value as the file shows it to its own user (a date as a date,
    // a number without float noise). NULL, and any row or column out of range, give "".
    virtual QString text(qint64 row, int column) const = 0;
    // True for a NULL (or empty spreadsheet) cell and for a row or column out of range.
    virtual bool isNull(qint64 row, int column) const = 0;
    // What the grid shows: text(), or for a cell holding what no text shows (a picture, a file),
    // which is NULL and prints nothing, a placeholder naming it.
    virtual QString displayText(qint64 row, int column) const { return text(row, column); }
};

// Why opening gave nothing: a database with a password is opened only with that password.
enum class OpenFailure { None, Failed, PasswordNeeded, WrongPassword };

class RecordSource
{
public:
    virtual ~RecordSource() = default;

    virtual const QString &path() const = 0;
    // The file is no longer the one whose tables were listed: rewritten, replaced or gone.
    virtual bool changedOnDisk() const = 0;
    // Tables in the file's own order (an Access database lists its system and linked tables
    // too; a text table has one, named after the file; a workbook one per sheet).
    virtual QStringList tableNames() const = 0;
    // A table linked from another database: listed, but its rows live elsewhere.
    virtual bool isLinkedTable(const QString &name) const
    {
        Q_UNUSED(name);
        return false;
    }
    // Opens the table by name as the file holds it now (exact name first, then ignoring case); no
    // row is read yet. nullptr with the reason in `error` on failure.
    virtual std::unique_ptr<RecordCursor> openTable(const QString &name, QString *error = nullptr) const = 0;
};

} // namespace formulix
