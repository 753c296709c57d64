#include "Jet4Writer.h"

#include <QtEndian>
#include <QtNumeric>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace formulix::test {

namespace {

constexpr int PageSize = 4096;
constexpr quint32 MaxPages = 524288;         // 2 GB, the most Access allows in one file
constexpr int DataHeaderSize = 14;           // up to and including the row count
constexpr int MaxRowsPerPage = 255;          // row numbers in page pointers are one byte
constexpr int MaxRowSize = PageSize - DataHeaderSize - 2;
constexpr int MaxColumns = 255;              // libmdb reads the column number as one byte
constexpr int MaxNameLength = 64;            // Access's limit; also fits libmdb's name buffers
constexpr int ColumnEntrySize = 25;
constexpr int ColumnsStart = 63;
constexpr int ContinuedDefinitionData = PageSize - 8; // after a continuation page's header
constexpr int BitmapPageSpan = (PageSize - 4) * 8;    // pages one type-1 bitmap page covers
constexpr int LongValueHeaderSize = 12;
constexpr quint32 InlineLongValue = 0x80000000;
constexpr quint16 GeneralSortOrder = 0x0409;
constexpr quint32 CatalogPage = 2; // where libmdb looks for MSysObjects, always
constexpr qint64 TableParentId = 0x0F000001;
constexpr qint64 SystemTableFlags = qint32(0x80000002u);

enum CatalogColumn {
    CatalogId,
    CatalogParentId,
    CatalogName,
    CatalogType,
    CatalogFlags,
    CatalogLvProp,
    CatalogConnect,
    CatalogDatabase,
    CatalogForeignName
};

void put16(QByteArray &bytes, int offset, quint16 value)
{
    qToLittleEndian(value, bytes.data() + offset);
}

void put32(QByteArray &bytes, int offset, quint32 value)
{
    qToLittleEndian(value, bytes.data() + offset);
}

void append16(QByteArray &bytes, quint16 value)
{
    const char le[2] = {char(value & 0xFF), char(value >> 8)};
    bytes.append(le, 2);
}

// The 128 bytes after the header of page 0 are stored RC4-encrypted under a fixed key.
void rc4(char *data, int length)
{
    static const quint8 key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    std::array<quint8, 256> s;
    for (int i = 0; i < 256; ++i)
        s[i] = quint8(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        data[n] = char(quint8(data[n]) ^ s[(s[i] + s[j]) & 0xFF]);
    }
}

// The database password sits at 0x42 of the masked part: 20 UTF-16 units, XORed with the whole
// days of the creation date at 0x72 as 4 bytes little-endian, repeated.
QByteArray databasePage(Jet4Writer::Release release = Jet4Writer::Release::Access2000,
                        const QString &password = QString(), double creationDate = 0)
{
    QByteArray page(PageSize, '\0');
    page[1] = 0x01;
    const QByteArray magic(release == Jet4Writer::Release::Access2000 ? "Standard Jet DB" : "Standard ACE DB");
    page.replace(4, magic.size(), magic);
    page[0x14] = char(release);
    put16(page, 0x3C, 1252);             // code page
    put32(page, 0x3E, 0);                // database key: 0 means the pages are not encrypted
    put16(page, 0x6E, GeneralSortOrder); // sort order
    qToLittleEndian(creationDate, page.data() + 0x72);
    char days[4];
    qToLittleEndian(qint32(creationDate), days);
    for (int i = 0; i < 40; ++i) {
        const char16_t unit = i / 2 < password.size() ? password.at(i / 2).unicode() : 0;
        page[0x42 + i] = char((i % 2 ? unit >> 8 : unit & 0xFF) ^ days[i % 4]);
    }
    rc4(page.data() + 0x18, 128);
    return page;
}

bool isCompressible(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c.unicode() >= 0x01 && c.unicode() <= 0xFF; });
}

// Compressed (FF FE, then one byte per character) when every character allows it, as Access
// does; otherwise UCS-2LE. Readers take a value starting with FF FE as compressed, so an
// uncompressed one must not start with U+FEFF (rejected by the callers).
void appendText(QByteArray &bytes, const QString &text)
{
    if (text.isEmpty())
        return;
    if (isCompressible(text)) {
        bytes.append("\xFF\xFE", 2);
        for (QChar c : text)
            bytes.append(char(c.unicode()));
    } else {
        for (QChar c : text)
            append16(bytes, c.unicode());
    }
}

QString checkName(const QString &name, const QString &what)
{
    if (name.isEmpty() || name.size() > MaxNameLength)
        return QStringLiteral("%1 \"%2\" must have 1 to %3 characters").arg(what, name).arg(MaxNameLength);
    if (name.front() == QChar(0xFEFF))
        return QStringLiteral("%1 \"%2\" may not start with U+FEFF").arg(what, name);
    return QString();
}

// Bytes in the fixed area; -1 for variable-length types, -2 for a code that is no type.
int fixedSize(Jet4Type type)
{
    switch (type) {
    case Jet4Type::YesNo: return 0; // the value lives in the null mask
    case Jet4Type::Byte: return 1;
    case Jet4Type::Integer: return 2;
    case Jet4Type::Long:
    case Jet4Type::Single: return 4;
    case Jet4Type::Currency:
    case Jet4Type::Double:
    case Jet4Type::DateTime: return 8;
    case Jet4Type::Text:
    case Jet4Type::Ole:
    case Jet4Type::Memo: return -1;
    }
    return -2;
}

int definitionSize(const QList<Jet4Column> &columns)
{
    int size = ColumnsStart + ColumnEntrySize * int(columns.size()) + 2;
    for (const Jet4Column &column : columns)
        size += 2 + 2 * int(column.name.size());
    return size;
}

int definitionPageCount(int size)
{
    if (size <= PageSize)
        return 1;
    return 1 + (size - PageSize + ContinuedDefinitionData - 1) / ContinuedDefinitionData;
}

QList<Jet4Column> catalogColumns()
{
    return {
        {QStringLiteral("Id"), Jet4Type::Long},
        {QStringLiteral("ParentId"), Jet4Type::Long},
        {QStringLiteral("Name"), Jet4Type::Text, 255},
        {QStringLiteral("Type"), Jet4Type::Integer},
        {QStringLiteral("Flags"), Jet4Type::Long},
        {QStringLiteral("LvProp"), Jet4Type::Ole},
        {QStringLiteral("Connect"), Jet4Type::Memo},
        {QStringLiteral("Database"), Jet4Type::Memo},
        {QStringLiteral("ForeignName"), Jet4Type::Text, 255},
    };
}

// A used-pages map that lists no page; also serves every table as its free-space map, which
// only writers consult.
QByteArray emptyMap()
{
    return QByteArray(5, '\0');
}

} // namespace

double jet4Date(const QDateTime &dateTime)
{
    static const QDate epoch(1899, 12, 30);
    const qint64 days = epoch.daysTo(dateTime.date());
    const double fraction = dateTime.time().msecsSinceStartOfDay() / 86400000.0;
    return days < 0 ? double(days) - fraction : double(days) + fraction;
}

Jet4Writer::Jet4Writer(const QString &path)
    : m_file(path)
{
    m_row.reserve(PageSize);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        fail(QStringLiteral("cannot create %1: %2").arg(path, m_file.errorString()));
        return;
    }
    QByteArray emptyData(PageSize, '\0');
    emptyData[0] = 0x01;
    emptyData[1] = 0x01;
    put16(emptyData, 2, PageSize - DataHeaderSize);
    // Page 1 holds maps in Access-made files; no reader needs them, so it stays an empty data page.
    if (writePage(databasePage()) && writePage(emptyData))
        addTable(QStringLiteral("MSysObjects"), catalogColumns(), true);
}

Jet4Writer::~Jet4Writer()
{
    // Only a file this writer created and did not finish is removed.
    if (m_file.isOpen() && !m_finished)
        m_file.remove();
}

bool Jet4Writer::setPassword(const QString &password, double creationDate)
{
    if (!m_error.isEmpty())
        return false;
    if (password.size() > MaxPasswordLength || password.contains(QChar(0)))
        return fail(QStringLiteral("a password has at most %1 characters and no NUL").arg(MaxPasswordLength));
    m_password = password;
    m_creationDate = creationDate;
    return rewriteHeader();
}

bool Jet4Writer::setRelease(Release release)
{
    if (!m_error.isEmpty())
        return false;
    m_release = release;
    return rewriteHeader();
}

bool Jet4Writer::rewriteHeader()
{
    const qint64 end = m_file.pos();
    return writePageAt(0, databasePage(m_release, m_password, m_creationDate))
        && (m_file.seek(end) || fail(m_file.errorString()));
}

void Jet4Writer::setInlineMapLimit(int pages)
{
    m_inlineMapLimit = std::clamp(pages, 0, MaxInlineMapPages);
}

bool Jet4Writer::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = message;
    return false;
}

bool Jet4Writer::addTable(const QString &name, const QList<Jet4Column> &columns, bool system)
{
    if (QString problem = checkName(name, QStringLiteral("table name")); !problem.isEmpty())
        return fail(problem);
    for (const TableInfo &other : std::as_const(m_tables)) {
        if (other.name.compare(name, Qt::CaseInsensitive) == 0)
            return fail(QStringLiteral("two tables are named \"%1\"").arg(name));
    }
    for (const Link &other : std::as_const(m_links)) {
        if (other.name.compare(name, Qt::CaseInsensitive) == 0)
            return fail(QStringLiteral("two tables are named \"%1\"").arg(name));
    }
    if (columns.isEmpty() || columns.size() > MaxColumns)
        return fail(QStringLiteral("table \"%1\" must have 1 to %2 columns").arg(name).arg(MaxColumns));

    TableInfo table;
    table.name = name;
    table.system = system;
    for (int i = 0; i < columns.size(); ++i) {
        const Jet4Column &column = columns.at(i);
        const QString where = QStringLiteral("table \"%1\", column \"%2\"").arg(name, column.name);
        if (QString problem = checkName(column.name, QStringLiteral("column name")); !problem.isEmpty())
            return fail(QStringLiteral("table \"%1\": %2").arg(name, problem));
        for (int j = 0; j < i; ++j) {
            if (columns.at(j).name.compare(column.name, Qt::CaseInsensitive) == 0)
                return fail(where + QStringLiteral(": the name is used twice"));
        }
        const int size = fixedSize(column.type);
        if (size == -2)
            return fail(where + QStringLiteral(": unknown type %1").arg(int(column.type)));

        ColumnLayout layout;
        layout.column = column;
        layout.fixed = size >= 0;
        if (layout.fixed) {
            layout.fixedOffset = table.fixedSize;
            layout.size = size;
            table.fixedSize += size;
        } else {
            layout.varIndex = table.varCount++;
            if (column.type == Jet4Type::Text) {
                if (column.length < 1 || column.length > 255)
                    return fail(where + QStringLiteral(": a text length must be 1 to 255"));
                layout.size = 2 * column.length;
            }
        }
        table.columns.append(layout);
    }

    // The definition is written last, in finish(), when row count and maps are known; its pages
    // are reserved now because every data page names the table by its definition page.
    const int pages = definitionPageCount(definitionSize(columns));
    if (m_pageCount + pages > MaxPages)
        return fail(QStringLiteral("the file would pass 2 GB"));
    table.definitionPage = m_pageCount;
    table.definitionPages = pages;
    const QByteArray blank(PageSize, '\0');
    for (int i = 0; i < pages; ++i) {
        if (!writePage(blank))
            return false;
    }
    m_tables.append(table);
    return true;
}

bool Jet4Writer::beginTable(const QString &name, const QList<Jet4Column> &columns)
{
    if (!m_error.isEmpty())
        return false;
    if (m_tableOpen)
        return fail(QStringLiteral("table \"%1\" begun before \"%2\" ended").arg(name, m_tables.last().name));
    if (m_finished)
        return fail(QStringLiteral("table \"%1\" begun after finish()").arg(name));
    if (!addTable(name, columns, false))
        return false;
    m_tableOpen = true;
    startPage(m_tables.last().definitionPage, int(m_tables.size()) - 1);
    return true;
}

bool Jet4Writer::addRow(const QList<Jet4Value> &values)
{
    if (!m_error.isEmpty())
        return false;
    if (!m_tableOpen)
        return fail(QStringLiteral("a row added outside a table"));
    TableInfo &table = m_tables.last();
    if (!encodeRow(table, values) || !appendRow())
        return false;
    ++table.rowCount;
    return true;
}

bool Jet4Writer::endTable()
{
    if (!m_error.isEmpty())
        return false;
    if (!m_tableOpen)
        return fail(QStringLiteral("endTable() without beginTable()"));
    m_tableOpen = false;
    return flushPage();
}

bool Jet4Writer::addLinkedTable(const QString &name, const QString &database, const QString &foreignName,
                                const QString &connect)
{
    if (!m_error.isEmpty())
        return false;
    if (QString problem = checkName(name, QStringLiteral("table name")); !problem.isEmpty())
        return fail(problem);
    const auto sameName = [&](const QString &other) { return other.compare(name, Qt::CaseInsensitive) == 0; };
    if (std::any_of(m_tables.cbegin(), m_tables.cend(), [&](const TableInfo &t) { return sameName(t.name); })
        || std::any_of(m_links.cbegin(), m_links.cend(), [&](const Link &l) { return sameName(l.name); }))
        return fail(QStringLiteral("two tables are named \"%1\"").arg(name));
    m_links.append({name, database, foreignName, connect});
    return true;
}

bool Jet4Writer::finish(QString *error)
{
    const auto done = [&](bool ok) {
        if (!ok && error)
            *error = m_error;
        return ok;
    };
    if (m_finished || !m_error.isEmpty())
        return done(m_finished && m_error.isEmpty());
    if (m_tableOpen && !endTable())
        return done(false);

    quint32 freeMap = 0;
    if (!writeCatalog() || !writeUsageMaps(&freeMap))
        return done(false);
    for (const TableInfo &table : std::as_const(m_tables)) {
        if (!writeDefinition(table, freeMap))
            return done(false);
    }
    if (!m_file.flush())
        return done(fail(QStringLiteral("cannot write %1: %2").arg(m_file.fileName(), m_file.errorString())));
    m_file.close();
    m_finished = true;
    return done(true);
}

// Stores one value of `column` in `row`: fixed ones at `fixedAt`, variable ones appended.
// Returns what is wrong with the value, or an empty string; `present` becomes its null-mask bit.
QString Jet4Writer::putValue(QByteArray &row, int fixedAt, const ColumnLayout &column, const Jet4Value &value,
                             bool *present)
{
    const Jet4Value::Data &data = value.data();
    const qint64 *integer = std::get_if<qint64>(&data);
    const double *real = std::get_if<double>(&data);
    const Jet4Type type = column.column.type;
    *present = !value.isNull();
    if (type == Jet4Type::YesNo) {
        if (const bool *flag = std::get_if<bool>(&data))
            *present = *flag;
        else if (*present)
            return QStringLiteral("a yes/no column takes a bool");
        return QString();
    }
    if (!*present)
        return QString();

    switch (type) {
    case Jet4Type::Byte:
    case Jet4Type::Integer:
    case Jet4Type::Long: {
        const qint64 high = type == Jet4Type::Byte ? 255 : type == Jet4Type::Integer ? 32767 : 2147483647;
        const qint64 low = type == Jet4Type::Byte ? 0 : -high - 1;
        if (!integer || *integer < low || *integer > high)
            return QStringLiteral("takes an integer from %1 to %2").arg(low).arg(high);
        if (type == Jet4Type::Byte)
            row[fixedAt] = char(*integer);
        else if (type == Jet4Type::Integer)
            qToLittleEndian(qint16(*integer), row.data() + fixedAt);
        else
            qToLittleEndian(qint32(*integer), row.data() + fixedAt);
        break;
    }
    case Jet4Type::Currency: {
        // Ten-thousandths in 64 bits; the bound keeps the scaled value within them.
        const double units = integer ? double(*integer) : real ? *real : qQNaN();
        if (!std::isfinite(units) || std::abs(units) > 922337203685477.0)
            return QStringLiteral("currency takes a number of at most 15 integer digits");
        qToLittleEndian(integer ? *integer * 10000 : std::llround(*real * 10000.0), row.data() + fixedAt);
        break;
    }
    case Jet4Type::Single:
    case Jet4Type::Double:
    case Jet4Type::DateTime: {
        if (!integer && !real)
            return QStringLiteral("takes a number");
        const double number = integer ? double(*integer) : *real;
        if (type == Jet4Type::Single)
            qToLittleEndian(float(number), row.data() + fixedAt);
        else
            qToLittleEndian(number, row.data() + fixedAt);
        break;
    }
    case Jet4Type::Text:
    case Jet4Type::Memo: {
        const QString *text = std::get_if<QString>(&data);
        if (!text)
            return QStringLiteral("takes a text");
        if (type == Jet4Type::Text && text->size() > column.column.length)
            return QStringLiteral("%1 characters in a text of %2").arg(text->size()).arg(column.column.length);
        if (text->startsWith(QChar(0xFEFF)) && !isCompressible(*text))
            return QStringLiteral("a text may not start with U+FEFF");
        if (type == Jet4Type::Text) {
            appendText(row, *text);
            break;
        }
        [[fallthrough]];
    }
    case Jet4Type::Ole: {
        // Memo and OLE values kept in the row: a 12-byte header flagged "in row", then the data.
        const QByteArray *bytes = std::get_if<QByteArray>(&data);
        if (type == Jet4Type::Ole && !bytes)
            return QStringLiteral("an OLE column takes a QByteArray");
        const qsizetype headerAt = row.size();
        row.append(LongValueHeaderSize, '\0');
        if (bytes)
            row.append(*bytes);
        else
            appendText(row, std::get<QString>(data));
        put32(row, int(headerAt), quint32(row.size() - headerAt - LongValueHeaderSize) | InlineLongValue);
        break;
    }
    case Jet4Type::YesNo:
        break;
    }
    return QString();
}

// Row layout: column count, fixed area, variable data, then from the end backwards the null
// mask, the variable column count, the variable columns' start offsets and the end of their data.
bool Jet4Writer::encodeRow(const TableInfo &table, const QList<Jet4Value> &values)
{
    const int columnCount = int(table.columns.size());
    const QString where = QStringLiteral("table \"%1\", row %2").arg(table.name).arg(table.rowCount + 1);
    if (values.size() != columnCount)
        return fail(where + QStringLiteral(": %1 values for %2 columns").arg(values.size()).arg(columnCount));
    std::array<quint8, (MaxColumns + 7) / 8> mask{};
    std::array<quint16, MaxColumns> varStarts{};

    m_row.fill('\0', 2 + table.fixedSize);
    put16(m_row, 0, quint16(columnCount));
    for (int pass = 0; pass < 2; ++pass) { // fixed columns first, then variable ones in order
        for (int i = 0; i < columnCount; ++i) {
            const ColumnLayout &column = table.columns.at(i);
            if (column.fixed != (pass == 0))
                continue;
            if (!column.fixed)
                varStarts[column.varIndex] = quint16(m_row.size());
            bool present = false;
            const QString problem = putValue(m_row, 2 + column.fixedOffset, column, values.at(i), &present);
            if (!problem.isEmpty())
                return fail(where + QStringLiteral(", column \"%1\": %2").arg(column.column.name, problem));
            if (present)
                mask[i / 8] |= quint8(1 << (i % 8));
            if (m_row.size() > MaxRowSize)
                break; // reported below, before 16-bit offsets wrap
        }
    }
    if (m_row.size() <= MaxRowSize) {
        if (table.varCount > 0) {
            append16(m_row, quint16(m_row.size())); // end of the variable data
            for (int v = table.varCount - 1; v >= 0; --v)
                append16(m_row, varStarts[v]);
        }
        append16(m_row, quint16(table.varCount));
        m_row.append(reinterpret_cast<const char *>(mask.data()), (columnCount + 7) / 8);
    }
    if (m_row.size() > MaxRowSize)
        return fail(where + QStringLiteral(": more than the %1 bytes a row may have").arg(MaxRowSize));
    return true;
}

void Jet4Writer::startPage(quint32 owner, int table)
{
    m_page.bytes.fill('\0', PageSize);
    m_page.bytes[0] = 0x01;
    m_page.bytes[1] = 0x01;
    put32(m_page.bytes, 4, owner);
    m_page.rowCount = 0;
    m_page.rowsStart = PageSize;
    m_page.owner = owner;
    m_pageTable = table;
}

// Adds m_row to the page being filled, starting a new page when it is full. `pageRow` gets the
// row's address: the page is numbered when written, and nothing else is written meanwhile.
bool Jet4Writer::appendRow(quint32 *pageRow)
{
    const int size = int(m_row.size());
    const auto fits = [&] {
        return m_page.rowCount < MaxRowsPerPage
            && m_page.rowsStart - size >= DataHeaderSize + 2 * (m_page.rowCount + 1);
    };
    if (!fits()) {
        if (!flushPage())
            return false;
        startPage(m_page.owner, m_pageTable);
    }
    m_page.rowsStart -= size;
    m_page.bytes.replace(m_page.rowsStart, size, m_row);
    put16(m_page.bytes, DataHeaderSize + 2 * m_page.rowCount, quint16(m_page.rowsStart));
    if (pageRow)
        *pageRow = (m_pageCount << 8) | quint32(m_page.rowCount);
    ++m_page.rowCount;
    put16(m_page.bytes, 12, quint16(m_page.rowCount));
    return true;
}

bool Jet4Writer::flushPage()
{
    if (m_page.rowCount == 0)
        return true;
    put16(m_page.bytes, 2, quint16(m_page.rowsStart - DataHeaderSize - 2 * m_page.rowCount));
    if (m_pageTable >= 0) {
        TableInfo &table = m_tables[m_pageTable];
        if (table.firstDataPage == 0)
            table.firstDataPage = m_pageCount;
        table.lastDataPage = m_pageCount;
    }
    m_page.rowCount = 0;
    m_page.rowsStart = PageSize;
    return writePage(m_page.bytes);
}

bool Jet4Writer::writePage(const QByteArray &page)
{
    if (m_pageCount >= MaxPages)
        return fail(QStringLiteral("the file would pass 2 GB"));
    if (m_file.write(page) != PageSize)
        return fail(QStringLiteral("cannot write %1: %2").arg(m_file.fileName(), m_file.errorString()));
    ++m_pageCount;
    return true;
}

bool Jet4Writer::writePageAt(quint32 page, const QByteArray &bytes)
{
    if (!m_file.seek(qint64(page) * PageSize) || m_file.write(bytes) != PageSize)
        return fail(QStringLiteral("cannot write %1: %2").arg(m_file.fileName(), m_file.errorString()));
    return true;
}

// One MSysObjects row per table, its own first, so that table lists follow the order of beginTable().
bool Jet4Writer::writeCatalog()
{
    startPage(CatalogPage, 0);
    QList<Jet4Value> row(CatalogForeignName + 1); // LvProp stays NULL: no properties
    const auto append = [&] {
        if (!encodeRow(m_tables.at(0), row) || !appendRow())
            return false;
        ++m_tables[0].rowCount;
        return true;
    };
    for (int i = 0; i < m_tables.size(); ++i) {
        const TableInfo &table = m_tables.at(i);
        row[CatalogId] = qint64(table.definitionPage);
        row[CatalogParentId] = TableParentId;
        row[CatalogName] = table.name;
        row[CatalogType] = 1; // a table
        row[CatalogFlags] = table.system ? SystemTableFlags : 0;
        if (!append())
            return false;
    }
    for (int i = 0; i < m_links.size(); ++i) {
        const Link &link = m_links.at(i);
        const auto orNull = [](const QString &text) { return text.isEmpty() ? Jet4Value() : Jet4Value(text); };
        row = {qint64(m_pageCount + quint32(i)), // no page of this file: just unique
               TableParentId,
               link.name,
               link.connect.startsWith(QLatin1String("ODBC;")) ? 4 : 6,
               0,
               nullptr,
               orNull(link.connect),
               orNull(link.database),
               orNull(link.foreignName)};
        if (!append())
            return false;
    }
    return flushPage();
}

// Every table's data pages are consecutive, so its map marks one run of pages. An inline map
// (type 0) is a bitmap starting at the first page; past m_inlineMapLimit pages the map (type 1)
// lists bitmap pages instead, each covering a fixed stretch of the file from page 0.
bool Jet4Writer::writeUsageMaps(quint32 *freeMap)
{
    QList<QByteArray> maps;
    maps.reserve(m_tables.size());
    for (const TableInfo &table : std::as_const(m_tables)) {
        if (table.firstDataPage == 0) {
            maps.append(emptyMap());
            continue;
        }
        const quint32 span = table.lastDataPage - table.firstDataPage + 1;
        if (span <= quint32(m_inlineMapLimit)) {
            QByteArray map(5 + int((span + 7) / 8), '\0');
            put32(map, 1, table.firstDataPage);
            for (quint32 bit = 0; bit < span; ++bit)
                map[5 + int(bit / 8)] = char(quint8(map[5 + int(bit / 8)]) | (1 << (bit % 8)));
            maps.append(map);
            continue;
        }
        const quint32 firstBitmap = table.firstDataPage / BitmapPageSpan;
        const quint32 lastBitmap = table.lastDataPage / BitmapPageSpan;
        QByteArray map(1 + 4 * int(lastBitmap + 1), '\0');
        map[0] = 0x01;
        for (quint32 b = firstBitmap; b <= lastBitmap; ++b) {
            QByteArray bitmap(PageSize, '\0');
            bitmap[0] = 0x05;
            bitmap[1] = 0x01;
            const quint32 from = std::max(table.firstDataPage, b * BitmapPageSpan);
            const quint32 to = std::min(table.lastDataPage, (b + 1) * BitmapPageSpan - 1);
            for (quint32 page = from; page <= to; ++page) {
                const quint32 bit = page - b * BitmapPageSpan;
                bitmap[4 + int(bit / 8)] = char(quint8(bitmap[4 + int(bit / 8)]) | (1 << (bit % 8)));
            }
            put32(map, 1 + 4 * int(b), m_pageCount);
            if (!writePage(bitmap))
                return false;
        }
        maps.append(map);
    }

    startPage(0, -1);
    m_row = emptyMap();
    if (!appendRow(freeMap))
        return false;
    for (int i = 0; i < m_tables.size(); ++i) {
        m_row = maps.at(i);
        if (!appendRow(&m_tables[i].usageMap))
            return false;
    }
    return flushPage();
}

// The definition: header, column entries, column names, and the end of the (empty) list of
// variable-column maps. When it outgrows a page it continues on the next reserved page, whose
// own 8-byte header the reader skips.
bool Jet4Writer::writeDefinition(const TableInfo &table, quint32 freeMap)
{
    QList<Jet4Column> columns;
    for (const ColumnLayout &layout : table.columns)
        columns.append(layout.column);
    const int size = definitionSize(columns);
    const int columnCount = int(columns.size());

    QByteArray def(size, '\0');
    def[0] = 0x02;
    def[1] = 0x01;
    put32(def, 8, quint32(size - 8));
    put32(def, 16, table.rowCount);
    def[40] = char(table.system ? 0x53 : 0x4E);
    put16(def, 41, quint16(columnCount));
    put16(def, 43, quint16(table.varCount));
    put16(def, 45, quint16(columnCount));
    put32(def, 55, table.usageMap);
    put32(def, 59, freeMap);
    int pos = ColumnsStart;
    for (int i = 0; i < columnCount; ++i, pos += ColumnEntrySize) {
        const ColumnLayout &layout = table.columns.at(i);
        def[pos] = char(layout.column.type);
        put16(def, pos + 5, quint16(i));
        put16(def, pos + 7, quint16(layout.fixed ? 0 : layout.varIndex));
        put16(def, pos + 9, quint16(i));
        if (layout.column.type == Jet4Type::Text || layout.column.type == Jet4Type::Memo) {
            put16(def, pos + 11, GeneralSortOrder);
            def[pos + 16] = 0x01; // compressed text allowed
        }
        // Fixed; may be NULL; a hyperlink.
        def[pos + 15] = char((layout.fixed ? 0x01 : 0x00) | 0x02 | (layout.column.hyperlink ? 0x80 : 0x00));
        put16(def, pos + 21, quint16(layout.fixedOffset));
        put16(def, pos + 23, quint16(layout.size));
    }
    for (const Jet4Column &column : std::as_const(columns)) {
        put16(def, pos, quint16(2 * column.name.size()));
        pos += 2;
        for (QChar c : column.name) {
            put16(def, pos, c.unicode());
            pos += 2;
        }
    }
    put16(def, pos, 0xFFFF);

    for (int k = 0; k < table.definitionPages; ++k) {
        QByteArray page(PageSize, '\0');
        int used;
        if (k == 0) {
            used = std::min(size, PageSize);
            page.replace(0, used, def.left(used));
        } else {
            const int from = PageSize + (k - 1) * ContinuedDefinitionData;
            const int length = std::min(size - from, ContinuedDefinitionData);
            page[0] = 0x02;
            page[1] = 0x01;
            page.replace(8, length, def.mid(from, length));
            used = 8 + length;
        }
        put16(page, 2, quint16(PageSize - used));
        put32(page, 4, k + 1 < table.definitionPages ? table.definitionPage + quint32(k) + 1 : 0);
        if (!writePageAt(table.definitionPage + quint32(k), page))
            return false;
    }
    return true;
}

} // namespace formulix::test
