#pragma once
// Writes small Access 2000 (Jet4) databases for tests. libmdb reads .mdb files but cannot
// create them, so every test that needs a database makes its own with exactly the content the
// case needs. The files carry no indexes or properties: libmdb and its tools list and read them,
// Access itself would refuse them.
//
// The writer streams: rows go to disk page by page and only each table's columns and counters
// stay in memory until finish(), so a table of millions of rows needs no more memory than one
// of ten (a million rows of a long, a 12-character text and a double: 36 MB on disk, 10 MB of
// memory, under half a second).
//
// Limits:
// - up to 255 columns per table and 4,080 bytes per row (one row must fit on a page);
// - text up to 255 characters; memo and OLE values stay inside the row (no long-value pages);
// - the whole file stays under 2 GB (524,288 pages), as Access requires. That is the only bound
//   on the number of rows: some 59 million of the rows above. A table spanning at most 32,600
//   pages (about 130 MB) gets an inline usage map (type 0); a larger one gets a map of bitmap
//   pages (type 1), which libmdb follows as well.

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>

#include <cstddef>
#include <variant>

namespace formulix::test {

// Column types, numbered as the file stores them.
enum class Jet4Type : quint8 {
    YesNo = 1,
    Byte = 2,
    Integer = 3, // 16-bit
    Long = 4,    // 32-bit
    Currency = 5,
    Single = 6,
    Double = 7,
    DateTime = 8,
    Text = 10,
    Ole = 11,
    Memo = 12,
};

struct Jet4Column
{
    QString name;                   // 1..64 UTF-16 units, trailing blanks kept; no leading U+FEFF
    Jet4Type type = Jet4Type::Text;
    int length = 50;                // text only: the most characters a value may have, 1..255
    bool hyperlink = false;         // memo only: Access's Hyperlink, "display#address#..."
};

// The stored form of a date/time: days since 1899-12-30 with the time of day as the fraction.
// Before that day the sign covers the whole value, so 1899-12-29 06:00 is -1.25, not -0.75.
// The wall-clock date and time of `dateTime` are used, whatever its time zone.
double jet4Date(const QDateTime &dateTime);

// One cell. A default-constructed value (or nullptr) is NULL. Each column takes:
//   yes/no: bool (NULL is stored as No: the file keeps the value in the null bit);
//   byte, integer, long: an integer within the type's range;
//   currency: an integer or a double, kept to four decimals;
//   single, double: a double or an integer;
//   date/time: a double as stored (see jet4Date) or a QDateTime through fromDateTime();
//   text, memo: a QString (a const char * is read as UTF-8); one starting with U+FEFF must
//     be all Latin-1, since readers take a leading FF FE for the mark of compressed text;
//   OLE: a QByteArray.
class Jet4Value
{
public:
    using Data = std::variant<std::monostate, bool, qint64, double, QString, QByteArray>;

    Jet4Value() = default;
    Jet4Value(std::nullptr_t) {}
    Jet4Value(bool value) : m_data(value) {}
    Jet4Value(int value) : m_data(qint64(value)) {}
    Jet4Value(qint64 value) : m_data(value) {}
    Jet4Value(double value) : m_data(value) {}
    Jet4Value(const QString &value) : m_data(value) {}
    Jet4Value(const char *utf8) : m_data(QString::fromUtf8(utf8)) {}
    Jet4Value(const QByteArray &value) : m_data(value) {}

    static Jet4Value fromDateTime(const QDateTime &dateTime) { return jet4Date(dateTime); }

    bool isNull() const { return std::holds_alternative<std::monostate>(m_data); }
    const Data &data() const { return m_data; }

private:
    Data m_data;
};

// Usage:
//   Jet4Writer w(path);
//   w.beginTable("Elevi", {{"Nume", Jet4Type::Text, 60}, {"Nota", Jet4Type::Double}});
//   w.addRow({"Ana", 9.5});
//   w.endTable();
//   if (!w.finish(&error)) ...
//
// Tables are listed in the order they are begun, after the catalog MSysObjects (a system table).
// The first error sticks: later calls do nothing and return false, and finish() reports it, so
// a test may check only finish(). A writer destroyed before a successful finish() removes its
// file, so no half-written database is left behind to be mistaken for a fixture.
class Jet4Writer
{
public:
    // The most pages a table may span and still get an inline usage map: what fits in one map row.
    static constexpr int MaxInlineMapPages = (4096 - 14 - 2 - 5) * 8;

    explicit Jet4Writer(const QString &path);
    ~Jet4Writer();
    Jet4Writer(const Jet4Writer &) = delete;
    Jet4Writer &operator=(const Jet4Writer &) = delete;

    // Names are unique within the file (tables) or the table (columns) ignoring case, because
    // Access and libmdb look them up that way.
    bool beginTable(const QString &name, const QList<Jet4Column> &columns);
    // One value per column, in column order.
    bool addRow(const QList<Jet4Value> &values);
    bool endTable();
    // A table linked from another database: a catalog row naming where its rows are (the file
    // `database` and its table `foreignName`, or with a `connect` text starting "ODBC;" an ODBC
    // source), and no rows. Links are listed after the tables.
    bool addLinkedTable(const QString &name, const QString &database, const QString &foreignName,
                        const QString &connect = QString());
    // Ends an open table, writes the catalog, the usage maps and the table definitions.
    // The file is a database only once this returns true.
    bool finish(QString *error = nullptr);

    QString errorString() const { return m_error; }

    // A database password, as Access keeps it in the header, masked with the creation date
    // (days since 1899-12-30) that is stored beside it. An empty one means none.
    static constexpr int MaxPasswordLength = 20;
    bool setPassword(const QString &password, double creationDate = 44568.5);

    // The release the header names. Access 2007 and later (.accdb) keep Jet4's pages and say
    // "Standard ACE DB" with a version of their own.
    enum class Release { Access2000 = 0x01, Access2007 = 0x02, Access2010 = 0x03 };
    bool setRelease(Release release);

    // Tables spanning more pages than this get a map of bitmap pages. Lowering it lets a test
    // cover those maps without writing hundreds of megabytes; it cannot exceed MaxInlineMapPages.
    void setInlineMapLimit(int pages);

private:
    bool rewriteHeader();
    Release m_release = Release::Access2000;
    QString m_password;
    double m_creationDate = 0;
    struct ColumnLayout
    {
        Jet4Column column;
        bool fixed = false;
        int fixedOffset = 0; // within the fixed area
        int varIndex = 0;    // among the variable-length columns
        int size = 0;        // bytes, as the definition states it
    };
    struct TableInfo
    {
        QString name;
        QList<ColumnLayout> columns;
        int fixedSize = 0;
        int varCount = 0;
        bool system = false;
        quint32 definitionPage = 0;
        int definitionPages = 0;
        quint32 firstDataPage = 0; // 0 while the table has no rows
        quint32 lastDataPage = 0;
        quint32 rowCount = 0;
        quint32 usageMap = 0; // (page << 8) + row, known in finish()
    };
    // The rows of the data page being filled, packed from the end of the page downwards.
    struct RowPage
    {
        QByteArray bytes;
        int rowCount = 0;
        int rowsStart = 0;
        quint32 owner = 0;
    };

    bool fail(const QString &message);
    bool addTable(const QString &name, const QList<Jet4Column> &columns, bool system);
    static QString putValue(QByteArray &row, int fixedAt, const ColumnLayout &column, const Jet4Value &value,
                            bool *present);
    bool encodeRow(const TableInfo &table, const QList<Jet4Value> &values);
    bool appendRow(quint32 *pageRow = nullptr);
    void startPage(quint32 owner, int table);
    bool flushPage();
    bool writePage(const QByteArray &page);
    bool writePageAt(quint32 page, const QByteArray &bytes);
    bool writeCatalog();
    bool writeUsageMaps(quint32 *freeMap);
    bool writeDefinition(const TableInfo &table, quint32 freeMap);

    QFile m_file;
    QString m_error;
    QList<TableInfo> m_tables; // m_tables[0] is the catalog
    struct Link
    {
        QString name, database, foreignName, connect;
    };
    QList<Link> m_links;
    bool m_tableOpen = false;
    bool m_finished = false;
    int m_inlineMapLimit = MaxInlineMapPages;
    quint32 m_pageCount = 0;
    RowPage m_page;
    int m_pageTable = -1; // the table whose rows fill m_page; -1 for map rows
    QByteArray m_row; // reused for every row, so a long table allocates once
};

} // namespace formulix::test
