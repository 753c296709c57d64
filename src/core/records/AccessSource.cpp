#include "core/records/AccessSource.h"

#include "core/records/BufferedCursor.h"

#include "core/records/AccessFormat.h"
#include "core/files/FileSafety.h"
#include "core/files/LazyLibrary.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QtEndian>

#include <glib.h>
#include <mdbtools.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace formulix {

namespace {

// libmdb, opened with the first Access database.
#define LIBMDB_FUNCTIONS(F)                                                                            \
    F(mdb_open) F(mdb_close) F(mdb_free_tabledef) F(mdb_unicode2ascii) F(mdb_read_pg) F(mdb_read_table) \
    F(mdb_read_columns) F(mdb_rewind_table) F(mdb_read_next_dpg) F(mdb_find_row) F(mdb_find_pg_row)     \
    F(mdb_crack_row) F(mdb_read_alt_pg) F(mdb_numeric_to_string)
FORMULIX_LAZY_LIBRARY(LibMdb, LIBMDB_FUNCTIONS, FORMULIX_LIBMDB)

// Only once a database has been opened, which loaded the library.
const LibMdb &libmdb()
{
    return *loadLibMdb();
}

// Row offsets on a page carry two flag bits above the offset.
constexpr int RowOffsetMask = 0x1FFF;
// What libmdb reads without harm: mdb_read_columns computes the column list's position from the
// index count in plain int arithmetic, and a column's number is one byte.
constexpr quint32 MaxIndexes = 1000;
constexpr int MaxColumns = MDB_MAX_COLS;
// A memo or long text kept whole up to this many stored bytes; no form prints more.
constexpr std::size_t MaxLongValue = 4u << 20;

// MSysObjects' types for tables: local, linked through ODBC, linked from another database.
constexpr int CatalogTable = 1;
constexpr int CatalogOdbcTable = 4;
constexpr int CatalogLinkedTable = 6;
constexpr quint32 CatalogPage = 2;

const char YesText[] = "Da";
const char NoText[] = "Nu";
const char OleText[] = "(obiect OLE)";
const char BinaryText[] = "(date binare)";
const char ComplexText[] = "(atasament sau lista)"; // attachments and multi-value fields, Access 2007 on
// Date/Time Extended (Access 2019 on), which libmdb 1.0 does not know.
constexpr int ExtendedDateTime = 0x14;

struct HandleCloser
{
    void operator()(MdbHandle *mdb) const { libmdb().mdb_close(mdb); }
};
struct TableFreer
{
    void operator()(MdbTableDef *table) const { libmdb().mdb_free_tabledef(table); }
};
using HandlePtr = std::unique_ptr<MdbHandle, HandleCloser>;
using TablePtr = std::unique_ptr<MdbTableDef, TableFreer>;

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

QString notDatabase(const QString &path)
{
    return QStringLiteral("Fisierul %1 nu este o baza de date Access.").arg(path);
}

QString damaged(const QString &path, const QString &what)
{
    return QStringLiteral("Baza de date %1 este deteriorata (%2).").arg(path, what);
}

qint64 fileSizeOf(MdbHandle *mdb)
{
    struct stat status;
    if (!mdb->f || !mdb->f->stream || fstat(fileno(mdb->f->stream), &status) != 0)
        return 0;
    return status.st_size;
}

// What a file is at a moment: a file rewritten or cut in place changes its size or time.
struct FileStamp
{
    qint64 size = -1;
    qint64 modifiedNs = -1;
    bool operator==(const FileStamp &) const = default;
};

FileStamp stampOf(MdbHandle *mdb)
{
    struct stat status;
    if (!mdb->f || !mdb->f->stream || fstat(fileno(mdb->f->stream), &status) != 0)
        return {};
    return {qint64(status.st_size), qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
}

bool isJet3(const MdbHandle *mdb)
{
    return mdb->f->jet_version == MDB_VER_JET3;
}

// Page 0 from 0x18 on is stored masked with the RC4 key stream of a fixed key: 126 bytes in
// Jet3, 128 in Jet4 and later (unmasking 128 everywhere only spoils two Jet3 bytes no one reads).
constexpr int MaskedHeaderAt = 0x18;
constexpr int MaskedHeaderSize = 128;
constexpr int HeaderSize = MaskedHeaderAt + MaskedHeaderSize;
constexpr int EncodingKeyAt = 0x3E;
// The database password inside the masked part: 20 bytes in the code page (Jet3), 20 UTF-16
// units (Jet4), these further XORed with the whole days of the creation date (a double at 0x72)
// written as 4 bytes little-endian, over and over. All zero when there is no password.
constexpr int PasswordAt = 0x42;
constexpr int Jet3PasswordSize = 20;
constexpr int Jet4PasswordSize = 40;
constexpr int CreationDateAt = 0x72;

QByteArray headerMask()
{
    static const QByteArray mask = [] {
        const quint8 key[4] = {0xC7, 0xDA, 0x39, 0x6B};
        quint8 s[256];
        for (int i = 0; i < 256; ++i)
            s[i] = quint8(i);
        for (int i = 0, j = 0; i < 256; ++i) {
            j = (j + s[i] + key[i % 4]) & 0xFF;
            std::swap(s[i], s[j]);
        }
        QByteArray stream(MaskedHeaderSize, '\0');
        for (int n = 0, i = 0, j = 0; n < MaskedHeaderSize; ++n) {
            i = (i + 1) & 0xFF;
            j = (j + s[i]) & 0xFF;
            std::swap(s[i], s[j]);
            stream[n] = char(s[(s[i] + s[j]) & 0xFF]);
        }
        return stream;
    }();
    return mask;
}

// The header with its masked part read plainly.
QByteArray unmaskHeader(const QByteArray &head)
{
    QByteArray plain = head.left(HeaderSize);
    const QByteArray mask = headerMask();
    for (int i = 0; i < MaskedHeaderSize && MaskedHeaderAt + i < plain.size(); ++i)
        plain[MaskedHeaderAt + i] = char(plain.at(MaskedHeaderAt + i) ^ mask.at(i));
    return plain;
}

// The stored password's bytes, unmasked and cut at its end; empty when there is none.
QByteArray storedPasswordBytes(const QByteArray &plain, bool jet3)
{
    const int size = jet3 ? Jet3PasswordSize : Jet4PasswordSize;
    QByteArray bytes = plain.mid(PasswordAt, size);
    if (!jet3) {
        // Whole days as a cast to a 32-bit integer would give them, so an odd date cannot overflow.
        const double date = qFromLittleEndian<double>(plain.constData() + CreationDateAt);
        const qint32 days = !std::isfinite(date) ? 0
            : date >= 2147483647.0              ? std::numeric_limits<qint32>::max()
            : date <= -2147483648.0             ? std::numeric_limits<qint32>::min()
                                                : qint32(date);
        uchar dayBytes[4];
        qToLittleEndian(days, dayBytes);
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char(bytes.at(i) ^ dayBytes[i % 4]);
    }
    const int unit = jet3 ? 1 : 2;
    for (int i = 0; i + unit <= bytes.size(); i += unit) {
        if (bytes.at(i) == 0 && (jet3 || bytes.at(i + 1) == 0))
            return bytes.left(i);
    }
    return bytes;
}

// Access 2007 and later encrypt a file when it is given a password; such a file carries the
// password or an encoding key where Jet4 keeps them.
bool isEncryptedAce(const QByteArray &head)
{
    const QByteArray plain = unmaskHeader(head);
    if (plain.size() < HeaderSize)
        return false;
    return qFromLittleEndian<quint32>(plain.constData() + EncodingKeyAt) != 0
        || !storedPasswordBytes(plain, false).isEmpty();
}

// Checks what is cheap to check before libmdb sees the file (it trusts every byte), then opens it
// and checks its password.
HandlePtr openHandle(const QString &path, QString *error, const QString &password = QString(),
                     OpenFailure *failure = nullptr)
{
    if (failure)
        *failure = OpenFailure::Failed;
    const QFileInfo info(path);
    const auto unreadable = [&](const QString &reason) {
        fail(error, reason == readReason(ENOENT) ? QStringLiteral("Fisierul %1 nu exista.").arg(path)
                                                 : QStringLiteral("Fisierul %1 nu poate fi citit (%2).").arg(path, reason));
        return nullptr;
    };
    // A FIFO would hold the open for ever, and a device has no pages.
    if (const QString reason = notRegularFile(path); !reason.isEmpty())
        return unreadable(reason);
    const int fd = ::open(QFile::encodeName(info.absoluteFilePath()).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return unreadable(readReason(errno));
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return unreadable(file.errorString());
    }
    const QByteArray head = file.read(HeaderSize);
    const qint64 size = file.size();
    file.close();
    if (head.size() < 0x20 || !head.startsWith(QByteArrayView("\x00\x01\x00\x00", 4))) {
        fail(error, notDatabase(path));
        return nullptr;
    }
    // Access 97-2003 files say "Jet", 2007 and later "ACE"; the version byte says which release.
    const QByteArrayView magic = QByteArrayView(head).sliced(4, 15);
    const int version = quint8(head.at(0x14));
    const bool jet = magic == QByteArrayView("Standard Jet DB") && (version == MDB_VER_JET3 || version == MDB_VER_JET4);
    const bool ace = magic == QByteArrayView("Standard ACE DB") && version >= MDB_VER_ACCDB_2007
        && version <= MDB_VER_ACCDB_2019;
    if (!jet && !ace) {
        fail(error, notDatabase(path));
        return nullptr;
    }
    if (ace && isEncryptedAce(head)) {
        // Its pages are encrypted: no password typed here could be checked or used.
        fail(error, QStringLiteral("Baza de date %1 este criptata cu parola. Deschideti-o in Access, scoateti "
                                   "parola (Fisier > Informatii > Decriptare baza de date) si incarcati-o din nou.")
                        .arg(path));
        return nullptr;
    }
    const qint64 pageSize = version == MDB_VER_JET3 ? 2048 : 4096;
    // Access writes whole pages; the catalog's definition is on page 2.
    if (size % pageSize != 0 || size < 3 * pageSize || head.size() < HeaderSize) {
        fail(error, damaged(path, QStringLiteral("fisier trunchiat")));
        return nullptr;
    }

    if (!loadLibMdb()) {
        fail(error, QStringLiteral("Baza de date %1 nu poate fi citita: %2.")
                        .arg(path, missingLibraryReason(FORMULIX_LIBMDB, "libmdb3")));
        return nullptr;
    }
    HandlePtr mdb(libmdb().mdb_open(QFile::encodeName(info.absoluteFilePath()).constData(), MDB_NOFLAGS));
    if (!mdb) {
        fail(error, QStringLiteral("Fisierul %1 nu poate fi deschis.").arg(path));
        return nullptr;
    }
    if (int(mdb->f->jet_version) != version || mdb->fmt->pg_size != pageSize) { // replaced meanwhile
        fail(error, notDatabase(path));
        return nullptr;
    }

    // libmdb reads a protected file as any other: the password is checked here. Jet3's is in the
    // database's code page, which only the open handle knows.
    const bool jet3 = version == MDB_VER_JET3;
    const QByteArray stored = storedPasswordBytes(unmaskHeader(head), jet3);
    if (!stored.isEmpty()) {
        QString expected;
        if (jet3) {
            std::string text(3 * std::size_t(stored.size()) + 8, '\0');
            const int written = libmdb().mdb_unicode2ascii(mdb.get(), stored.constData(), std::size_t(stored.size()),
                                                           text.data(), text.size());
            expected = QString::fromUtf8(text.data(), std::clamp<int>(written, 0, int(text.size()) - 1));
        } else {
            expected = QString::fromUtf16(reinterpret_cast<const char16_t *>(stored.constData()), stored.size() / 2);
        }
        if (password != expected) {
            if (password.isEmpty()) {
                fail(error, QStringLiteral("Baza de date %1 este protejata prin parola.").arg(path));
                if (failure)
                    *failure = OpenFailure::PasswordNeeded;
            } else {
                fail(error, QStringLiteral("Parola pentru baza de date %1 nu este corecta.").arg(path));
                if (failure)
                    *failure = OpenFailure::WrongPassword;
            }
            return nullptr;
        }
    }
    if (failure)
        *failure = OpenFailure::None;
    return mdb;
}

// One table of an open handle, read row by row in the order Access shows them; each row's
// fields come cracked with their positions on the current page, checked to lie within it.
class TableReader
{
public:
    TableReader() = default;
    TableReader(const TableReader &) = delete;
    TableReader &operator=(const TableReader &) = delete;

    // Reads the definition on `page` and its columns, or says what is wrong with them.
    bool open(MdbHandle *mdb, const QByteArray &name, quint32 page, QString *problem)
    {
        m_mdb = mdb;
        const qint64 pageSize = mdb->fmt->pg_size;
        m_pageCount = fileSizeOf(mdb) / pageSize;
        if (page == 0 || page >= m_pageCount || libmdb().mdb_read_pg(mdb, page) != pageSize)
            return fail(problem, QStringLiteral("definitia tabelei lipseste"));
        const MdbFormatConstants &fmt = *mdb->fmt;
        const unsigned char *buffer = mdb->pg_buf;
        const int columns = qFromLittleEndian<quint16>(buffer + fmt.tab_num_cols_offset);
        const quint32 indexes = qFromLittleEndian<quint32>(buffer + fmt.tab_num_ridxs_offset);
        // (The count of variable-length columns may pass the column count: deleted ones stay in it.)
        if (buffer[0] != MDB_PAGE_TABLE || columns == 0 || columns > MaxColumns || indexes > MaxIndexes)
            return fail(problem, QStringLiteral("definitia tabelei este invalida"));

        m_entry = MdbCatalogEntry();
        m_entry.mdb = mdb;
        qstrncpy(m_entry.object_name, name.constData(), sizeof m_entry.object_name);
        m_entry.object_type = MDB_TABLE;
        m_entry.table_pg = page;
        m_table.reset(libmdb().mdb_read_table(&m_entry));
        // libmdb reads the usage map's first byte even when the map is empty.
        if (!m_table || !m_table->usage_map || m_table->map_sz < 5)
            return fail(problem, QStringLiteral("harta paginilor tabelei lipseste"));
        if (!libmdb().mdb_read_columns(m_table.get()) || !m_table->columns || m_table->num_cols != m_table->columns->len
            || m_table->num_cols != unsigned(columns))
            return fail(problem, QStringLiteral("coloanele tabelei nu pot fi citite"));
        m_fields.assign(m_table->num_cols, MdbField());
        readColumnFlags(page, columns, indexes);
        libmdb().mdb_rewind_table(m_table.get());
        return true;
    }

    int columnCount() const { return int(m_table->num_cols); }
    // The row count the table's definition records.
    qint64 declaredRows() const { return qint64(m_table->num_rows); }
    MdbColumn *column(int i) const { return static_cast<MdbColumn *>(g_ptr_array_index(m_table->columns, i)); }
    MdbHandle *handle() const { return m_mdb; }
    // What libmdb does not say of a column: its value is computed by an expression (Access 2010
    // on), or it is a memo holding a hyperlink.
    bool isCalculated(int i) const { return m_flags[std::size_t(i)] & Calculated; }
    bool isHyperlink(int i) const { return m_flags[std::size_t(i)] & Hyperlink; }

    // Moves to the next row; false at the end of the table.
    bool next()
    {
        // libmdb's mdb_fetch_row reads the targets of moved rows where they now lie, at the end,
        // and skips the rows that point to them: the pages are walked here instead.
        const MdbFormatConstants &fmt = *m_mdb->fmt;
        for (;;) {
            if (m_row >= m_rowsOnPage) {
                if (!libmdb().mdb_read_next_dpg(m_table.get()))
                    return false;
                m_page = m_mdb->cur_pg;
                m_row = 0;
                m_rowsOnPage = qFromLittleEndian<quint16>(m_mdb->pg_buf + fmt.row_count_offset);
            } else if (m_mdb->cur_pg != m_page && libmdb().mdb_read_pg(m_mdb, m_page) != fmt.pg_size) {
                return false; // back from a moved row's page
            }
            int start = 0;
            size_t size = 0;
            if (libmdb().mdb_find_row(m_mdb, m_row++, &start, &size) != 0 || (start & DeletedRow))
                continue; // a deleted row, or a moved one, read through its pointer
            if ((start & MovedRow) && !followMovedRow(&start, &size))
                continue;
            if (crack(start & RowOffsetMask, size))
                return true;
        }
    }

    const MdbField &field(int i) const { return m_fields[i]; }
    const unsigned char *bytes(const MdbField &field) const { return m_mdb->pg_buf + field.start; }

    // The stored bytes of a memo or OLE value from its field (`size` bytes at `field`): inline in
    // the row, in one row of another page, or along a chain of rows. False when the field holds
    // no long-value header or its one row is missing.
    bool readLongValue(const unsigned char *field, std::size_t size, std::string &raw) const
    {
        raw.clear();
        if (size < MDB_MEMO_OVERHEAD)
            return false;
        const quint32 lengthAndFlags = qFromLittleEndian<quint32>(field);
        int pageRow = qFromLittleEndian<qint32>(field + 4);
        // A value cannot be longer than the file that holds it.
        const std::size_t limit = std::min<std::size_t>({lengthAndFlags & 0x3FFFFFFF, MaxLongValue,
                                                         std::size_t(m_pageCount * m_mdb->fmt->pg_size)});
        if (lengthAndFlags & 0x80000000) {
            raw.assign(reinterpret_cast<const char *>(field) + MDB_MEMO_OVERHEAD,
                       std::min<std::size_t>(size - MDB_MEMO_OVERHEAD, limit));
            return true;
        }
        void *page = nullptr;
        int start = 0;
        size_t length = 0;
        if (lengthAndFlags & 0x40000000) {
            if (libmdb().mdb_find_pg_row(m_mdb, pageRow, &page, &start, &length) != 0)
                return false;
            raw.assign(static_cast<const char *>(page) + start, std::min<std::size_t>(length, limit));
            return true;
        }
        // Each link: the next page and row (0 at the end), then a piece of the value. A damaged
        // chain may loop; no row is visited twice.
        std::unordered_set<int> seen;
        while (pageRow != 0 && raw.size() < limit && seen.insert(pageRow).second) {
            if (libmdb().mdb_find_pg_row(m_mdb, pageRow, &page, &start, &length) != 0 || length < 4)
                break;
            const char *link = static_cast<const char *>(page) + start;
            pageRow = qFromLittleEndian<qint32>(link);
            raw.append(link + 4, std::min<std::size_t>(length - 4, limit - raw.size()));
        }
        return true;
    }

private:
    // A row offset's flags. A row that outgrew its page moves to another: its place keeps a
    // pointer flagged MovedRow, and the row where it now is carries DeletedRow (a deleted row
    // carries both), so the page walk passes it and reaches it through the pointer only.
    static constexpr int DeletedRow = 0x8000;
    static constexpr int MovedRow = 0x4000;
    // Moving a moved row again leaves a chain of pointers: a few links at most.
    static constexpr int MaxMoves = 8;
    enum ColumnFlag : quint8 { Calculated = 1, Hyperlink = 2 };

    // Reads the pointer at *start (the row number in 1 byte, then the page in 3) and then the row
    // it names, left in the page buffer with its start and size. False when it leads nowhere.
    bool followMovedRow(int *start, size_t *size)
    {
        const MdbFormatConstants &fmt = *m_mdb->fmt;
        for (int move = 0; move < MaxMoves; ++move) {
            if (*size < 4)
                return false;
            const unsigned char *pointer = m_mdb->pg_buf + (*start & RowOffsetMask);
            const int row = pointer[0];
            const quint32 page = pointer[1] | quint32(pointer[2]) << 8 | quint32(pointer[3]) << 16;
            if (page == 0 || page >= m_pageCount || libmdb().mdb_read_pg(m_mdb, page) != fmt.pg_size
                || m_mdb->pg_buf[0] != MDB_PAGE_DATA
                || qFromLittleEndian<quint32>(m_mdb->pg_buf + 4) != m_entry.table_pg
                || libmdb().mdb_find_row(m_mdb, row, start, size) != 0)
                return false;
            // There it is marked deleted; only a further pointer matters.
            if (!(*start & MovedRow))
                return true;
        }
        return false;
    }

    // Cracks the row of `size` bytes at `start` on the page in the buffer into m_fields.
    bool crack(int start, size_t size)
    {
        if (size == 0)
            return false;
        const int rowColumns = libmdb().mdb_crack_row(m_table.get(), start, size, m_fields.data());
        if (rowColumns < 0)
            return false;
        const int rowEnd = start + int(size);
        for (int i = 0; i < columnCount(); ++i) {
            MdbField &field = m_fields[std::size_t(i)];
            // A column added after the row was written is NULL there (a yes/no one is No); libmdb
            // would read its null bit from past the row's mask.
            if (column(i)->col_num >= rowColumns)
                field.is_null = 1;
            if (field.is_null || field.start < start || field.siz < 0 || field.start + field.siz > rowEnd) {
                field.start = 0;
                field.siz = 0;
            }
        }
        return true;
    }

    // The column entries of the definition starting on `page`, read again for the flags libmdb
    // drops: a hyperlink memo has 0x80 in its flags; a calculated column 0xC0 in the byte after
    // them (Jet4 and later). The definition may go on over further pages, each adding its bytes
    // from offset 8.
    void readColumnFlags(quint32 page, int columns, quint32 indexes)
    {
        m_flags.assign(std::size_t(columns), 0);
        const MdbFormatConstants &fmt = *m_mdb->fmt;
        const std::size_t first = fmt.tab_cols_start_offset + std::size_t(indexes) * fmt.tab_ridx_entry_size;
        const std::size_t needed = first + std::size_t(columns) * fmt.tab_col_entry_size;
        std::string definition;
        std::unordered_set<quint32> seen;
        while (definition.size() < needed && page != 0 && page < m_pageCount && seen.insert(page).second) {
            if (libmdb().mdb_read_alt_pg(m_mdb, page) != fmt.pg_size || m_mdb->alt_pg_buf[0] != MDB_PAGE_TABLE)
                return;
            const std::size_t from = definition.empty() ? 0 : 8;
            definition.append(reinterpret_cast<const char *>(m_mdb->alt_pg_buf) + from, fmt.pg_size - from);
            page = qFromLittleEndian<quint32>(m_mdb->alt_pg_buf + 4);
        }
        if (definition.size() < needed)
            return;
        std::vector<quint8> byNumber(256, 0);
        for (int i = 0; i < columns; ++i) {
            const auto *entry = reinterpret_cast<const unsigned char *>(definition.data()) + first
                + std::size_t(i) * fmt.tab_col_entry_size;
            quint8 flags = entry[0] == MDB_MEMO && (entry[fmt.col_flags_offset] & 0x80) ? Hyperlink : 0;
            if (!isJet3(m_mdb) && (entry[fmt.col_flags_offset + 1] & 0xC0) == 0xC0)
                flags |= Calculated;
            byNumber[entry[fmt.col_num_offset]] = flags;
        }
        // libmdb sorts the columns by that number.
        for (int i = 0; i < columns; ++i)
            m_flags[std::size_t(i)] = byNumber[std::size_t(column(i)->col_num) & 0xFF];
    }

    MdbHandle *m_mdb = nullptr;
    qint64 m_pageCount = 0;
    MdbCatalogEntry m_entry{}; // the table definition points here
    TablePtr m_table;
    std::vector<MdbField> m_fields;
    std::vector<quint8> m_flags; // ColumnFlag bits, per column
    guint32 m_page = 0;          // the data page being walked
    int m_row = 0;               // the next row on it
    int m_rowsOnPage = 0;
};

void appendText(MdbHandle *mdb, std::string &out, const unsigned char *bytes, std::size_t size)
{
    if (!isJet3(mdb)) {
        access::appendJet4Text(out, bytes, size);
        return;
    }
    // Jet3 text is in the database's code page; libmdb's iconv turns each byte into at most
    // three UTF-8 bytes.
    const std::size_t start = out.size();
    const std::size_t room = 3 * size + 8;
    out.resize(start + room);
    const int written =
        libmdb().mdb_unicode2ascii(mdb, reinterpret_cast<const char *>(bytes), size, out.data() + start, room);
    out.resize(start + std::size_t(std::clamp<int>(written, 0, int(room) - 1)));
}

struct CatalogEntry
{
    QString name;
    quint32 page = 0;
    bool linked = false;
    bool odbc = false;
    // Where a linked table's rows are: the other file and its name there, or the ODBC source.
    QString database, foreignName, connect;
    // The LvProp field as stored (a long-value header, or the value itself): the table's and
    // its columns' properties.
    std::string properties;
};

int findColumn(const TableReader &reader, const char *name, int type)
{
    for (int i = 0; i < reader.columnCount(); ++i) {
        const MdbColumn *column = reader.column(i);
        if (g_ascii_strcasecmp(column->name, name) == 0)
            return column->col_type == type ? i : -1;
    }
    return -1;
}

// The tables listed in MSysObjects, in its order. Read here rather than by mdb_read_catalog(),
// which copies names into fixed buffers and parses every object's property blob, looping for
// good on some damaged ones; it also folds ODBC-linked tables in with reports.
bool readCatalog(MdbHandle *mdb, const QString &path, QList<CatalogEntry> *entries, QString *error)
{
    TableReader reader;
    QString problem;
    if (!reader.open(mdb, QByteArrayLiteral("MSysObjects"), CatalogPage, &problem))
        return fail(error, damaged(path, QStringLiteral("catalogul nu poate fi citit: %1").arg(problem)));
    const int id = findColumn(reader, "Id", MDB_LONGINT);
    const int name = findColumn(reader, "Name", MDB_TEXT);
    const int type = findColumn(reader, "Type", MDB_INT);
    if (id < 0 || name < 0 || type < 0)
        return fail(error, damaged(path, QStringLiteral("catalogul nu are coloanele asteptate")));
    const int properties = findColumn(reader, "LvProp", MDB_OLE);
    const int database = findColumn(reader, "Database", MDB_MEMO);
    const int foreignName = findColumn(reader, "ForeignName", MDB_TEXT);
    const int connect = findColumn(reader, "Connect", MDB_MEMO);

    entries->clear();
    std::string text, raw;
    const auto textOf = [&](int column, bool memo) {
        if (column < 0 || reader.field(column).is_null)
            return QString();
        const MdbField &field = reader.field(column);
        text.clear();
        if (!memo)
            appendText(mdb, text, reader.bytes(field), std::size_t(field.siz));
        else if (reader.readLongValue(reader.bytes(field), std::size_t(field.siz), raw))
            appendText(mdb, text, reinterpret_cast<const unsigned char *>(raw.data()), raw.size());
        return QString::fromStdString(text);
    };
    while (reader.next()) {
        const MdbField &idField = reader.field(id);
        const MdbField &nameField = reader.field(name);
        const MdbField &typeField = reader.field(type);
        if (idField.is_null || typeField.is_null || nameField.is_null || idField.siz < 4 || typeField.siz < 2)
            continue;
        const int objectType = qFromLittleEndian<qint16>(reader.bytes(typeField));
        if (objectType != CatalogTable && objectType != CatalogOdbcTable && objectType != CatalogLinkedTable)
            continue;
        CatalogEntry entry;
        entry.name = textOf(name, false);
        entry.page = qFromLittleEndian<quint32>(reader.bytes(idField)) & 0x00FFFFFF;
        entry.linked = objectType != CatalogTable;
        if (entry.linked) {
            entry.odbc = objectType == CatalogOdbcTable;
            entry.database = textOf(database, true);
            entry.foreignName = textOf(foreignName, false);
            entry.connect = textOf(connect, true);
        } else if (properties >= 0 && !reader.field(properties).is_null) {
            const MdbField &field = reader.field(properties);
            entry.properties.assign(reinterpret_cast<const char *>(reader.bytes(field)), std::size_t(field.siz));
        }
        entries->append(entry);
    }
    if (entries->isEmpty()) // every database lists at least MSysObjects itself
        return fail(error, damaged(path, QStringLiteral("catalogul este gol")));
    return true;
}

// Where a linked table's rows are, for the message that refuses it.
QString linkedTableMessage(const CatalogEntry &entry)
{
    const QString start = QStringLiteral("Tabela %1 este legata dintr-o alta baza de date").arg(entry.name);
    const QString there = entry.foreignName.isEmpty() ? entry.name : entry.foreignName;
    if (entry.odbc || entry.connect.startsWith(QLatin1String("ODBC;"), Qt::CaseInsensitive)) {
        // A connection text may carry the server's password.
        QStringList parts = entry.connect.split(u';');
        parts.removeIf([](const QString &part) {
            return part.trimmed().startsWith(QLatin1String("PWD="), Qt::CaseInsensitive);
        });
        const QString source = parts.join(u';');
        return start
            + QStringLiteral(" printr-o conexiune ODBC (%1, tabela %2), care nu poate fi citita de aici; "
                             "importati tabela in Access.")
                  .arg(source.isEmpty() ? QStringLiteral("ODBC") : source, there);
    }
    if (entry.database.isEmpty())
        return start + QStringLiteral("; deschideti baza de date care o contine.");
    return start
        + QStringLiteral(" (tabela %1 din %2); deschideti baza de date care o contine.").arg(there, entry.database);
}

// A table's properties (Jet4 on): "MR2\0", then blocks of a 4-byte length (itself included)
// and a 2-byte kind. Kind 0x80 lists the property names; any other holds one object's
// properties: a 4-byte length of its header, the object's name (2-byte length, UTF-16; empty
// for the table, else a column's), then each property as a 2-byte length, a flag byte, its type,
// the index of its name and the length of its value, then the value.
// Returns the ResultType of each column that has one: the type a calculated column's value has.
QHash<QString, int> resultTypes(const std::string &blob)
{
    QHash<QString, int> types;
    const auto *bytes = reinterpret_cast<const unsigned char *>(blob.data());
    const std::size_t size = blob.size();
    if (size < 4 || blob.compare(0, 4, std::string_view("MR2\0", 4)) != 0)
        return types;
    const auto utf16 = [](const unsigned char *at, std::size_t length) {
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(at), qsizetype(length / 2));
    };
    QStringList names;
    for (std::size_t at = 4; at + 6 <= size;) {
        const quint32 length = qFromLittleEndian<quint32>(bytes + at);
        const quint16 kind = qFromLittleEndian<quint16>(bytes + at + 4);
        if (length < 6 || length > size - at)
            break;
        const unsigned char *block = bytes + at + 6;
        const std::size_t blockSize = length - 6;
        at += length;
        if (kind == 0x80) {
            names.clear();
            for (std::size_t i = 0; i + 2 <= blockSize;) {
                const quint16 nameLength = qFromLittleEndian<quint16>(block + i);
                if (nameLength > blockSize - i - 2)
                    break;
                names.append(utf16(block + i + 2, nameLength));
                i += 2 + nameLength;
            }
            continue;
        }
        if (blockSize < 6)
            continue;
        const quint32 header = qFromLittleEndian<quint32>(block);
        const quint16 nameLength = qFromLittleEndian<quint16>(block + 4);
        if (header < 6u + nameLength || header > blockSize)
            continue;
        const QString object = utf16(block + 6, nameLength);
        for (std::size_t i = header; i + 8 <= blockSize;) {
            const quint16 propertyLength = qFromLittleEndian<quint16>(block + i);
            const quint16 nameIndex = qFromLittleEndian<quint16>(block + i + 4);
            const quint16 valueLength = qFromLittleEndian<quint16>(block + i + 6);
            if (propertyLength < 8 || propertyLength > blockSize - i)
                break;
            if (valueLength >= 1 && 8u + valueLength <= propertyLength && nameIndex < names.size()
                && names.at(nameIndex) == QLatin1String("ResultType"))
                types.insert(object, block[i + 8]);
            i += propertyLength;
        }
    }
    return types;
}

template<typename Entry>
const Entry *findByName(const QList<Entry> &entries, const QString &name)
{
    for (const Entry &entry : entries) {
        if (entry.name == name)
            return &entry;
    }
    for (const Entry &entry : entries) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

} // namespace

// ---------------------------------------------------------------------------------------------

// How a column's cells read: the stored type, or the type of a calculated column's result.
struct ColumnKind
{
    int type = 0;
    bool calculated = false;
    bool hyperlink = false;
};

// One table's rows through a handle of its own.
class AccessCursor final : public BufferedCursor
{
public:
    AccessCursor(HandlePtr mdb, std::unique_ptr<TableReader> reader, const QString &path, const QString &table,
                 QStringList columns, std::vector<ColumnKind> kinds)
        : BufferedCursor(path, QStringLiteral("Baza de date"), table, std::move(columns)),
          m_mdb(std::move(mdb)), m_reader(std::move(reader)), m_kinds(std::move(kinds)),
          m_stamp(stampOf(m_mdb.get()))
    {
    }

protected:
    bool readRow(std::string &text, std::vector<quint32> &ends) override
    {
        if (!m_reader->next())
            return false;
        for (int i = 0; i < int(m_kinds.size()); ++i)
            appendCell(text, ends, i);
        return true;
    }
    bool changedSinceOpened() override { return stampOf(m_mdb.get()) != m_stamp; }
    QString endedEarly() override
    {
        if (rowsRead() >= m_reader->declaredRows())
            return QString();
        return QStringLiteral("Tabela %1 din baza de date %2 este deteriorata: s-au putut citi doar %3 din "
                              "cele %4 inregistrari ale ei.")
            .arg(tableName(), path())
            .arg(rowsRead())
            .arg(m_reader->declaredRows());
    }

private:
    enum class Cell { Value, Null, Placeholder };
    void appendCell(std::string &out, std::vector<quint32> &ends, int column);
    Cell appendValue(std::string &out, int column, const unsigned char *bytes, std::size_t size);
    Cell appendLongText(std::string &out, const ColumnKind &kind, const unsigned char *bytes, std::size_t size);

    HandlePtr m_mdb; // before the reader, which uses it until it is gone
    std::unique_ptr<TableReader> m_reader; // on the heap: libmdb keeps a pointer into it
    std::vector<ColumnKind> m_kinds;
    access::ValueFormat m_format;
    FileStamp m_stamp; // the file as it was when the table was opened
    std::string m_longValue; // reused for every memo
    std::string m_hyperlink;
};

// A calculated column's stored value: 16 bytes of its own, the value's length in 4, the value,
// some padding. An empty value is a result of NULL.
bool calculatedValue(const unsigned char **bytes, std::size_t *size)
{
    constexpr std::size_t Prefix = 20;
    if (*size < Prefix)
        return false;
    const std::size_t length = std::min<std::size_t>(qFromLittleEndian<quint32>(*bytes + 16), *size - Prefix);
    *bytes += Prefix;
    *size = length;
    return length > 0;
}

void AccessCursor::appendCell(std::string &out, std::vector<quint32> &ends, int column)
{
    const MdbField &field = m_reader->field(column);
    const ColumnKind &kind = m_kinds[std::size_t(column)];
    if (kind.type == MDB_BOOL && !kind.calculated) { // the value is the null bit itself
        out += field.is_null ? NoText : YesText;
        return endCell(out, ends);
    }
    const unsigned char *bytes = m_reader->bytes(field);
    std::size_t size = std::size_t(field.siz);
    Cell cell = Cell::Null;
    if (!field.is_null) {
        // A memo result keeps the calculated prefix inside the long value.
        if (kind.type == MDB_MEMO)
            cell = appendLongText(out, kind, bytes, size);
        else if (!kind.calculated || calculatedValue(&bytes, &size))
            cell = appendValue(out, column, bytes, size);
    }
    if (cell == Cell::Placeholder)
        endPlaceholder(out, ends);
    else
        endCell(out, ends, cell == Cell::Null);
}

AccessCursor::Cell AccessCursor::appendLongText(std::string &out, const ColumnKind &kind, const unsigned char *bytes,
                                                std::size_t size)
{
    if (!m_reader->readLongValue(bytes, size, m_longValue))
        return Cell::Value; // a memo whose text is lost reads as empty, as before
    const auto *text = reinterpret_cast<const unsigned char *>(m_longValue.data());
    std::size_t length = m_longValue.size();
    if (kind.calculated && !calculatedValue(&text, &length))
        return Cell::Null;
    if (!kind.hyperlink) {
        appendText(m_reader->handle(), out, text, length);
        return Cell::Value;
    }
    // "display text#address#sub-address#tip": the display text, or without one the address.
    m_hyperlink.clear();
    appendText(m_reader->handle(), m_hyperlink, text, length);
    const std::string_view link(m_hyperlink);
    const std::size_t mark = link.find('#');
    std::string_view shown = link.substr(0, mark);
    if (shown.empty() && mark != std::string_view::npos) {
        const std::string_view address = link.substr(mark + 1);
        shown = address.substr(0, address.find('#'));
    }
    out += shown;
    return Cell::Value;
}

AccessCursor::Cell AccessCursor::appendValue(std::string &out, int column, const unsigned char *bytes,
                                             std::size_t size)
{
    const ColumnKind &kind = m_kinds[std::size_t(column)];
    switch (kind.type) {
    case MDB_BOOL: // a calculated yes/no: one byte
        if (size < 1)
            return Cell::Null;
        out += bytes[0] ? YesText : NoText;
        return Cell::Value;
    case MDB_BYTE:
        if (size >= 1)
            m_format.appendInteger(out, bytes[0]);
        return Cell::Value;
    case MDB_INT:
        if (size >= 2)
            m_format.appendInteger(out, qFromLittleEndian<qint16>(bytes));
        return Cell::Value;
    case MDB_LONGINT:
        if (size >= 4)
            m_format.appendInteger(out, qFromLittleEndian<qint32>(bytes));
        return Cell::Value;
    case MDB_MONEY:
        if (size >= 8)
            m_format.appendCurrency(out, qFromLittleEndian<qint64>(bytes));
        return Cell::Value;
    case MDB_FLOAT:
        if (size >= 4)
            m_format.appendSingle(out, qFromLittleEndian<float>(bytes));
        return Cell::Value;
    case MDB_DOUBLE:
        if (size >= 8)
            m_format.appendDouble(out, qFromLittleEndian<double>(bytes));
        return Cell::Value;
    case MDB_DATETIME:
        if (size >= 8)
            m_format.appendDate(out, qFromLittleEndian<double>(bytes));
        return Cell::Value;
    case ExtendedDateTime:
        if (m_format.appendExtendedDate(out, std::string_view(reinterpret_cast<const char *>(bytes), size)))
            return Cell::Value;
        out += BinaryText;
        return Cell::Placeholder;
    case MDB_TEXT:
        appendText(m_reader->handle(), out, bytes, size);
        return Cell::Value;
    case MDB_REPID:
        // Not mdb_uuid_to_string(): it leaves out the dash before the last group.
        if (size >= 16)
            access::ValueFormat::appendGuid(out, bytes);
        return Cell::Value;
    case MDB_NUMERIC:
        if (kind.calculated) {
            // A calculated decimal is kept as Windows keeps one: 2 bytes unused, the scale, the
            // sign (0x80 when negative), then the 96-bit magnitude, high 32 bits first.
            if (size >= 16)
                m_format.appendDecimal(out, bytes[3] & 0x80, qFromLittleEndian<quint32>(bytes + 4),
                                       qFromLittleEndian<quint64>(bytes + 8), bytes[2]);
        } else if (size >= 17) {
            // libmdb's column fields col_scale and col_prec hold each other's value, and its
            // function swaps them back: passed on as they are, the scale comes out right.
            const MdbColumn *info = m_reader->column(column);
            char *number = libmdb().mdb_numeric_to_string(m_reader->handle(), m_reader->field(column).start,
                                                          info->col_scale, info->col_prec);
            m_format.appendDecimalText(out, number);
            g_free(number);
        }
        return Cell::Value;
    }
    // Pictures, files, attachments: data that no text shows. The grid says what is there; the
    // page prints nothing.
    if (kind.type == MDB_OLE) {
        // An OLE field is a long-value header; one whose value is empty holds nothing.
        if (size >= 4 && (qFromLittleEndian<quint32>(bytes) & 0x3FFFFFFF) == 0)
            return Cell::Null;
        out += OleText;
    } else if (kind.type == MDB_COMPLEX) {
        out += ComplexText;
    } else if (size == 0) {
        return Cell::Null;
    } else {
        out += BinaryText;
    }
    return Cell::Placeholder;
}

// ---------------------------------------------------------------------------------------------

AccessSource::~AccessSource() = default;

std::unique_ptr<AccessSource> AccessSource::open(const QString &path, QString *error, const QString &password,
                                                 OpenFailure *failure)
{
    HandlePtr mdb = openHandle(path, error, password, failure);
    if (!mdb)
        return nullptr;
    QList<CatalogEntry> catalog;
    if (!readCatalog(mdb.get(), path, &catalog, error)) {
        if (failure)
            *failure = OpenFailure::Failed;
        return nullptr;
    }
    std::unique_ptr<AccessSource> database(new AccessSource);
    database->m_path = path;
    const QFileInfo info(path);
    database->m_size = info.size();
    database->m_modified = info.lastModified();
    database->m_password = password;
    for (const CatalogEntry &entry : std::as_const(catalog))
        database->m_tables.append({entry.name, entry.linked});
    return database;
}

const QString &AccessSource::path() const
{
    return m_path;
}

bool AccessSource::changedOnDisk() const
{
    const QFileInfo info(m_path);
    return !info.exists() || info.size() != m_size || info.lastModified() != m_modified;
}

QStringList AccessSource::tableNames() const
{
    QStringList names;
    names.reserve(m_tables.size());
    for (const TableEntry &table : m_tables)
        names.append(table.name);
    return names;
}

bool AccessSource::isLinkedTable(const QString &name) const
{
    const TableEntry *table = findByName(m_tables, name);
    return table && table->linked;
}

std::unique_ptr<RecordCursor> AccessSource::openTable(const QString &name, QString *error) const
{
    // A handle of its own, and the catalog read anew from it: the cursor then matches the file as
    // it is now, whatever happened to it since open().
    HandlePtr mdb = openHandle(m_path, error, m_password);
    if (!mdb)
        return nullptr;
    QList<CatalogEntry> catalog;
    if (!readCatalog(mdb.get(), m_path, &catalog, error))
        return nullptr;
    const CatalogEntry *entry = findByName(catalog, name);
    if (!entry) {
        fail(error, QStringLiteral("Baza de date %1 nu are tabela %2.").arg(m_path, name));
        return nullptr;
    }
    if (entry->linked) {
        fail(error, linkedTableMessage(*entry));
        return nullptr;
    }
    auto reader = std::make_unique<TableReader>();
    QString problem;
    if (!reader->open(mdb.get(), entry->name.toUtf8(), entry->page, &problem)) {
        fail(error, damaged(m_path, QStringLiteral("tabela %1: %2").arg(entry->name, problem)));
        return nullptr;
    }
    QStringList columns;
    std::vector<ColumnKind> kinds;
    QHash<QString, int> results;
    bool propertiesRead = false;
    for (int i = 0; i < reader->columnCount(); ++i) {
        const MdbColumn *column = reader->column(i);
        columns.append(QString::fromUtf8(column->name));
        ColumnKind kind{column->col_type, reader->isCalculated(i), reader->isHyperlink(i)};
        // The type the definition gives a calculated column need not be its result's (a sum of
        // currency may be declared Double): the column's ResultType property says.
        if (kind.calculated) {
            if (!std::exchange(propertiesRead, true)) {
                std::string blob;
                const auto *stored = reinterpret_cast<const unsigned char *>(entry->properties.data());
                if (reader->readLongValue(stored, entry->properties.size(), blob))
                    results = resultTypes(blob);
            }
            kind.type = results.value(columns.last(), kind.type);
        }
        kinds.push_back(kind);
    }
    return std::make_unique<AccessCursor>(std::move(mdb), std::move(reader), m_path, entry->name, std::move(columns),
                                          std::move(kinds));
}

SourceKind accessSourceKind()
{
    SourceKind kind;
    kind.name = QStringLiteral("Access Date");
    kind.extensions = {QStringLiteral("mdb"), QStringLiteral("accdb")};
    // Jet and ACE name themselves at byte 4 of the first page.
    kind.recognises = [](QByteArrayView head, const QString &) {
        return head.size() >= 19
            && (head.sliced(4, 15) == "Standard Jet DB" || head.sliced(4, 15) == "Standard ACE DB");
    };
    kind.open = [](const QString &path, const QString &password, QString *error, OpenFailure *failure)
        -> std::unique_ptr<RecordSource> { return AccessSource::open(path, error, password, failure); };
    return kind;
}

} // namespace formulix
