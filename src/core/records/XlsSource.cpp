#include "core/records/XlsSource.h"

#include "core/records/ColumnMatch.h"

#include "core/records/BufferedCursor.h"
#include "core/records/AccessFormat.h"
#include "core/files/FileSafety.h"
#include "core/files/LazyLibrary.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <QtEndian>

#include <freexl.h>

#include <charconv>
#include <cstring>
#include <cmath>
#include <unordered_map>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace formulix {

namespace {

// libfreexl, opened with the first Excel 97-2003 workbook.
#define LIBFREEXL_FUNCTIONS(F)                                                                      \
    F(freexl_open) F(freexl_open_info) F(freexl_close) F(freexl_get_info) F(freexl_get_worksheet_name) \
    F(freexl_select_active_worksheet) F(freexl_worksheet_dimensions) F(freexl_get_cell_value)
FORMULIX_LAZY_LIBRARY(LibFreexl, LIBFREEXL_FUNCTIONS, FORMULIX_LIBFREEXL)

// Only once a workbook has been opened, which loaded the library.
const LibFreexl &libfreexl()
{
    return *loadLibFreexl();
}

// Sheets as large as the format allows fit in less; the file is held whole, and libfreexl's
// copy of the stream and its cells besides.
constexpr qint64 MaxFileBytes = qint64(256) << 20;
// libfreexl keeps 16 bytes for every cell inside every sheet's declared bounds, all at once.
constexpr quint64 MaxCells = quint64(32) << 20;
// A sheet of the format has at most 65,536 rows of 256 columns.
constexpr quint32 MaxRows = 65536;
constexpr quint32 MaxColumns = 256;
constexpr char Ole2Magic[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

template<typename T>
T fail(QString *error, const QString &reason, T result = T())
{
    if (error)
        *error = reason;
    return result;
}

QString notWorkbook(const QString &path, const QString &why)
{
    return QStringLiteral("Fisierul %1 nu este un registru Excel: %2.").arg(native(path), why);
}

QString damaged(const QString &path, const QString &what)
{
    return QStringLiteral("Fisierul %1 este deteriorat (%2).").arg(native(path), what);
}

QString locked(const QString &path)
{
    return QStringLiteral("Fisierul %1 este protejat cu parola; salvati-l fara parola.").arg(native(path));
}

XlsSource::Stamp stampOf(const struct stat &status)
{
    return {qint64(status.st_size), qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec,
            qint64(status.st_ino), qint64(status.st_dev)};
}

quint16 u16(QByteArrayView data, qsizetype at)
{
    return qFromLittleEndian<quint16>(data.data() + at);
}

quint32 u32(QByteArrayView data, qsizetype at)
{
    return qFromLittleEndian<quint32>(data.data() + at);
}

// ---------------------------------------------------------------------------------------------
// The OLE2 container the workbook stream lives in, read here: libfreexl says nothing of a
// password, reads no formula's value, and trusts a damaged container's tables and names so far
// as to read past its buffers. It is handed the stream in a container made anew.

class Compound
{
public:
    // False when the container's tables cannot be read.
    bool open(QByteArrayView file);
    // A stream at the top level, its name compared ignoring case; empty when there is none.
    // False when it is there but cannot be read whole.
    bool stream(QStringView name, QByteArray *out) const;
    bool has(QStringView name) const { return find(name) != nullptr; }

private:
    struct Entry
    {
        QString name;
        quint8 type = 0;
        quint32 left = 0, right = 0, child = 0, start = 0;
        quint64 size = 0;
    };
    const Entry *find(QStringView name) const;
    bool chain(quint32 start, quint64 size, bool mini, QByteArray *out) const;
    qsizetype sectors() const { return (m_file.size() >> m_shift) + 1; }

    QByteArrayView m_file;
    int m_shift = 9;
    quint32 m_cutoff = 4096;
    std::vector<quint32> m_fat, m_miniFat;
    QByteArray m_mini;
    std::vector<Entry> m_entries;
    std::vector<quint32> m_top; // the root's children
};

bool Compound::chain(quint32 sector, quint64 size, bool mini, QByteArray *out) const
{
    const std::vector<quint32> &fat = mini ? m_miniFat : m_fat;
    const QByteArrayView from = mini ? QByteArrayView(m_mini) : m_file;
    const qsizetype unit = mini ? 64 : qsizetype(1) << m_shift;
    out->clear();
    if (size > quint64(from.size()))
        return false;
    out->reserve(qsizetype(size));
    for (std::size_t steps = 0; quint64(out->size()) < size; ++steps) {
        if (sector >= fat.size() || steps >= fat.size()) // outside the table, or a loop
            return false;
        const qsizetype offset = mini ? qsizetype(sector) * unit : (qsizetype(sector) + 1) * unit;
        const qsizetype take = qsizetype(std::min<quint64>(quint64(unit), size - quint64(out->size())));
        if (offset + take > from.size())
            return false;
        out->append(from.data() + offset, take);
        sector = fat[sector];
    }
    return true;
}

bool Compound::open(QByteArrayView file)
{
    m_file = file;
    if (file.size() < 512 || !file.startsWith(QByteArrayView(Ole2Magic, 8)))
        return false;
    m_shift = u16(file, 0x1E);
    if (m_shift != 9 && m_shift != 12)
        return false;
    m_cutoff = u32(file, 0x38);
    const qsizetype unit = qsizetype(1) << m_shift;
    const quint32 fatSectors = u32(file, 0x2C);
    if (fatSectors > quint64(sectors()))
        return false;
    // The sectors of the allocation table: 109 in the header, the rest in a chain of their own.
    std::vector<quint32> fatList;
    for (int i = 0; i < 109 && fatList.size() < fatSectors; ++i)
        fatList.push_back(u32(file, 0x4C + 4 * i));
    quint32 next = u32(file, 0x44);
    for (qsizetype steps = 0; fatList.size() < fatSectors; ++steps) {
        const qsizetype offset = (qsizetype(next) + 1) * unit;
        if (steps > sectors() || offset + unit > file.size())
            return false;
        for (qsizetype i = 0; i + 1 < unit / 4 && fatList.size() < fatSectors; ++i)
            fatList.push_back(u32(file, offset + 4 * i));
        next = u32(file, offset + unit - 4);
    }
    m_fat.reserve(fatList.size() * std::size_t(unit / 4));
    for (quint32 sector : fatList) {
        const qsizetype offset = (qsizetype(sector) + 1) * unit;
        if (offset + unit > file.size())
            return false;
        for (qsizetype i = 0; i < unit / 4; ++i)
            m_fat.push_back(u32(file, offset + 4 * i));
    }
    // The directory's length is its chain's, which passes each sector once at most.
    QByteArray directory;
    quint32 at = u32(file, 0x30);
    for (qsizetype steps = 0; at < m_fat.size(); at = m_fat[at]) {
        const qsizetype offset = (qsizetype(at) + 1) * unit;
        if (++steps > sectors() || offset + unit > file.size())
            return false;
        directory.append(file.data() + offset, unit);
    }
    for (qsizetype offset = 0; offset + 128 <= directory.size(); offset += 128) {
        const QByteArrayView raw(directory.constData() + offset, 128);
        Entry entry;
        const int nameBytes = std::min<int>(u16(raw, 64), 64);
        for (int i = 0; i + 1 < nameBytes; i += 2) {
            if (const char16_t c = u16(raw, i))
                entry.name += QChar(c);
        }
        entry.type = quint8(raw[66]);
        entry.left = u32(raw, 68);
        entry.right = u32(raw, 72);
        entry.child = u32(raw, 76);
        entry.start = u32(raw, 116);
        entry.size = qFromLittleEndian<quint64>(raw.data() + 120);
        if (m_shift == 9) // the high half is not kept by the older version
            entry.size &= 0xFFFFFFFFu;
        m_entries.push_back(entry);
    }
    if (m_entries.empty() || m_entries[0].type != 5)
        return false;
    // The small streams live in the root's stream, found through their own table.
    const quint32 miniFatSectors = u32(file, 0x40);
    QByteArray miniFat;
    if (miniFatSectors > 0
        && (quint64(miniFatSectors) > quint64(sectors())
            || !chain(u32(file, 0x3C), quint64(miniFatSectors) * quint64(unit), false, &miniFat)))
        return false;
    for (qsizetype i = 0; i + 4 <= miniFat.size(); i += 4)
        m_miniFat.push_back(u32(miniFat, i));
    if (!chain(m_entries[0].start, m_entries[0].size, false, &m_mini))
        m_mini.clear(); // only a small stream read later needs it
    // The top level is a tree of siblings under the root; each entry is visited once.
    std::vector<bool> seen(m_entries.size());
    std::vector<quint32> pending{m_entries[0].child};
    while (!pending.empty()) {
        const quint32 index = pending.back();
        pending.pop_back();
        if (index >= m_entries.size() || seen[index])
            continue;
        seen[index] = true;
        m_top.push_back(index);
        pending.push_back(m_entries[index].left);
        pending.push_back(m_entries[index].right);
    }
    return true;
}

const Compound::Entry *Compound::find(QStringView name) const
{
    for (quint32 index : m_top) {
        if (m_entries[index].type == 2 && m_entries[index].name.compare(name, Qt::CaseInsensitive) == 0)
            return &m_entries[index];
    }
    return nullptr;
}

bool Compound::stream(QStringView name, QByteArray *out) const
{
    out->clear();
    const Entry *entry = find(name);
    return !entry || chain(entry->start, entry->size, entry->size < m_cutoff, out);
}

// ---------------------------------------------------------------------------------------------
// The workbook stream's records: what libfreexl leaves out.

enum RecordType : quint16 {
    Formula = 0x0006,
    Eof = 0x000A,
    FilePass = 0x002F,
    Continue = 0x003C,
    Codepage = 0x0042,
    DateMode = 0x0022,
    BoundSheet = 0x0085,
    RString = 0x00D6,
    Xf = 0x00E0,
    SharedStrings = 0x00FC,
    MulRk = 0x00BD,
    MulBlank = 0x00BE,
    Number = 0x0203,
    Label = 0x0204,
    Rk = 0x027E,
    Dimension = 0x0200,
    String = 0x0207,
    Format = 0x041E,
    Bof = 0x0809,
};

class Records
{
public:
    Records(QByteArrayView stream, qsizetype from) : m_stream(stream), m_pos(from) {}
    // The next record; false at the stream's end or at a record cut by it.
    bool next()
    {
        if (m_pos < 0 || m_pos + 4 > m_stream.size())
            return false;
        const qsizetype size = u16(m_stream, m_pos + 2);
        if (m_pos + 4 + size > m_stream.size())
            return false;
        type = u16(m_stream, m_pos);
        data = m_stream.sliced(m_pos + 4, size);
        m_pos += 4 + size;
        return true;
    }
    // The continuation records right after the current one.
    std::vector<QByteArrayView> continued()
    {
        std::vector<QByteArrayView> pieces{data};
        for (;;) {
            const qsizetype at = m_pos;
            const quint16 beforeType = type;
            const QByteArrayView before = data;
            if (!next() || type != Continue) {
                m_pos = at;
                type = beforeType;
                data = before;
                return pieces;
            }
            pieces.push_back(data);
        }
    }

    quint16 type = 0;
    QByteArrayView data;

private:
    QByteArrayView m_stream;
    qsizetype m_pos;
};

// How a number shows under its cell's format.
enum class Shown { Number, Date, Time, DateTime };

Shown shownByFormat(int format, const QString &code)
{
    if ((format >= 14 && format <= 17))
        return Shown::Date;
    if ((format >= 18 && format <= 21) || (format >= 45 && format <= 47))
        return Shown::Time;
    if (format == 22)
        return Shown::DateTime;
    // A format of the file's own: the letters outside quotes, escapes and [colour] of its
    // first section ("m" is a minute beside an hour or a second).
    bool date = false, time = false, month = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i).toLower();
        if (c == u';')
            break;
        if (c == u'"') {
            i = code.indexOf(u'"', i + 1);
            if (i < 0)
                break;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u'[') {
            const qsizetype end = code.indexOf(u']', i);
            const QString inside = code.mid(i + 1, end - i - 1).toLower();
            time = time || (!inside.isEmpty() && QStringLiteral("hms").contains(inside.at(0)));
            if (end < 0)
                break;
            i = end;
        } else if (code.mid(i, 5).compare(QStringLiteral("am/pm"), Qt::CaseInsensitive) == 0) {
            i += 4;
        } else if (code.mid(i, 3).compare(QStringLiteral("a/p"), Qt::CaseInsensitive) == 0) {
            i += 2;
        } else if (c == u'y' || c == u'd') {
            date = true;
        } else if (c == u'h' || c == u's') {
            time = true;
        } else if (c == u'm') {
            month = true;
        }
    }
    date = date || (month && !time);
    return date && time ? Shown::DateTime : date ? Shown::Date : time ? Shown::Time : Shown::Number;
}

// A formula's last value, as the file keeps it.
struct FormulaValue
{
    enum Kind : quint8 { Number, Text, Logical, Error, Empty } kind = Empty;
    quint16 xf = 0;
    double number = 0;
    std::string text;
};

struct Workbook
{
    Workbook() = default;
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;
    ~Workbook()
    {
        if (handle)
            libfreexl().freexl_close(handle);
        if (fd >= 0)
            ::close(fd);
    }

    int fd = -1;
    XlsSource::Stamp stamp;
    const void *handle = nullptr;
    QStringList sheets; // as libfreexl lists them

    // From the workbook stream.
    bool biff8 = true;
    bool date1904 = false;
    int codepage = 1252;
    std::vector<quint16> xfFormats; // each cell format's number format
    QHash<int, QString> formats;    // the file's own number formats
    struct Sheet
    {
        QString name;
        quint32 offset = 0;
    };
    std::vector<Sheet> streamSheets;
    // The opened sheet's formulas, and its numbers formatted as dates, by row << 16 | column.
    std::unordered_map<quint64, FormulaValue> formulas;
    std::unordered_map<quint64, Shown> dates;

    Shown shownBy(quint16 xf) const
    {
        const int format = xf < xfFormats.size() ? xfFormats[xf] : 0;
        return shownByFormat(format, formats.value(format));
    }
};

QStringDecoder decoderFor(int codepage)
{
    QStringDecoder decoder(codepage == 10000 ? QByteArray("macintosh") : "cp" + QByteArray::number(codepage));
    return decoder.isValid() ? std::move(decoder) : QStringDecoder(QStringDecoder::Latin1);
}

// A string of the workbook's records starting at `pos` in the pieces of a record and its
// continuations: its length (of `lengthBytes`), and in the newer format a byte of flags that
// each continuation repeats.
QString readString(const std::vector<QByteArrayView> &pieces, qsizetype pos, int lengthBytes, const Workbook &book)
{
    if (pieces.empty() || pos + lengthBytes > pieces[0].size())
        return QString();
    const QByteArrayView first = pieces[0];
    quint32 length = lengthBytes == 1 ? quint8(first[pos]) : u16(first, pos);
    pos += lengthBytes;
    if (!book.biff8) {
        const qsizetype size = std::min<qsizetype>(length, first.size() - pos);
        QStringDecoder decoder = decoderFor(book.codepage);
        return decoder.decode(first.sliced(pos, size));
    }
    QString out;
    std::size_t piece = 0;
    while (length > 0) {
        const QByteArrayView data = pieces[piece];
        if (pos >= data.size())
            break;
        const bool wide = data[pos] & 1;
        ++pos;
        for (; length > 0 && pos + (wide ? 2 : 1) <= data.size(); --length) {
            out += QChar(wide ? u16(data, pos) : quint8(data[pos]));
            pos += wide ? 2 : 1;
        }
        if (++piece >= pieces.size())
            break;
        pos = 0;
    }
    return out;
}

// The globals: the encryption mark, number formats, the date system and where the sheets are.
// False when the file is encrypted.
bool readGlobals(QByteArrayView stream, Workbook *book)
{
    Records records(stream, 0);
    if (!records.next() || records.type != Bof || records.data.size() < 4)
        return true; // libfreexl says what is wrong
    book->biff8 = u16(records.data, 0) == 0x0600;
    while (records.next() && records.type != Eof) {
        const QByteArrayView data = records.data;
        switch (records.type) {
        case FilePass: return false;
        case Codepage:
            if (data.size() >= 2)
                book->codepage = u16(data, 0);
            break;
        case DateMode:
            if (data.size() >= 2)
                book->date1904 = u16(data, 0) == 1;
            break;
        case Xf:
            if (data.size() >= 4)
                book->xfFormats.push_back(u16(data, 2));
            break;
        case Format:
            if (data.size() >= 3)
                book->formats.insert(u16(data, 0), readString(records.continued(), 2, book->biff8 ? 2 : 1, *book));
            break;
        case BoundSheet:
            if (data.size() >= 7)
                book->streamSheets.push_back({readString({data}, 6, 1, *book), u32(data, 0)});
            break;
        default: break;
        }
    }
    return true;
}

// Whether the string at `pos` in `data` (its length of `lengthBytes`, then in the newer format
// a byte of flags, with the counts of its formatting runs and extra bytes when the flags say so)
// ends inside it; `pos` is moved past it.
bool stringFits(QByteArrayView data, qsizetype &pos, int lengthBytes, bool biff8)
{
    if (pos + lengthBytes + (biff8 ? 1 : 0) > data.size())
        return false;
    const qsizetype length = lengthBytes == 1 ? quint8(data[pos]) : u16(data, pos);
    pos += lengthBytes;
    if (!biff8) {
        pos += length;
        return pos <= data.size();
    }
    const quint8 flags = quint8(data[pos++]);
    qsizetype extra = 0;
    if (flags & 0x08) {
        if (pos + 2 > data.size())
            return false;
        extra += 4 * qsizetype(u16(data, pos));
        pos += 2;
    }
    if (flags & 0x04) {
        if (pos + 4 > data.size())
            return false;
        extra += qsizetype(u32(data, pos));
        pos += 4;
    }
    pos += length * (flags & 1 ? 2 : 1) + extra;
    return pos <= data.size();
}

// Whether the shared strings fill the table of them and its continuations: each string's
// characters may go on in the next piece (after a byte of flags of their own), the rest of it too.
bool sharedStringsFit(const std::vector<QByteArrayView> &pieces)
{
    if (pieces[0].size() < 8)
        return false;
    quint64 total = 0;
    for (QByteArrayView piece : pieces)
        total += quint64(piece.size());
    const quint32 count = u32(pieces[0], 4);
    if (count > total / 3) // each takes three bytes at least
        return false;
    std::size_t piece = 0;
    qsizetype pos = 8;
    const auto available = [&] { return pieces[piece].size() - pos; };
    const auto nextPiece = [&] {
        if (++piece >= pieces.size())
            return false;
        pos = 0;
        return true;
    };
    for (quint32 i = 0; i < count; ++i) {
        if (available() == 0 && !nextPiece())
            return false;
        const QByteArrayView data = pieces[piece];
        if (available() < 3)
            return false;
        qsizetype length = u16(data, pos);
        const quint8 flags = quint8(data[pos + 2]);
        pos += 3;
        qsizetype extra = 0;
        if (flags & 0x08) {
            if (available() < 2)
                return false;
            extra += 4 * qsizetype(u16(data, pos));
            pos += 2;
        }
        if (flags & 0x04) {
            if (available() < 4)
                return false;
            extra += qsizetype(u32(data, pos));
            pos += 4;
        }
        for (qsizetype width = flags & 1 ? 2 : 1; length > 0;) {
            if (available() < width) {
                if (!nextPiece() || available() < 1)
                    return false;
                width = pieces[piece][pos++] & 1 ? 2 : 1;
                continue;
            }
            const qsizetype take = std::min(length, available() / width);
            length -= take;
            pos += take * width;
        }
        while (extra > 0) {
            if (available() == 0 && !nextPiece())
                return false;
            const qsizetype take = std::min(extra, available());
            extra -= take;
            pos += take;
        }
    }
    return true;
}

// Why libfreexl must not be given the stream, or an empty string. It trusts every record's
// length, every string's and every sheet's declared bounds, allocating for those, and reads past
// its buffers or frees twice when they are wrong. `cells` is what the bounds add up to.
QString unfitRecords(QByteArrayView stream, bool biff8, quint64 *cells)
{
    const qsizetype longest = biff8 ? 8224 : 2080;
    const QString wrong = QStringLiteral("inregistrarile registrului nu se potrivesc");
    std::vector<QByteArrayView> records;
    qsizetype pos = 0;
    for (; pos + 4 <= stream.size();) {
        const qsizetype size = u16(stream, pos + 2);
        if (size > longest || pos + 4 + size > stream.size())
            break;
        records.push_back(stream.sliced(pos, 4 + size));
        pos += 4 + size;
    }
    // What follows the last whole record may only be padding.
    for (; pos < stream.size(); ++pos) {
        if (stream[pos] != 0)
            return wrong;
    }
    bool bounded = true; // the current sheet's bounds are declared already
    for (std::size_t i = 0; i < records.size(); ++i) {
        const quint16 type = u16(records[i], 0);
        const QByteArrayView data = records[i].sliced(4);
        qsizetype at = 0;
        bool fits = true;
        switch (type) {
        case Bof: bounded = false; break;
        case Dimension: {
            if (bounded || data.size() < (biff8 ? 12 : 8))
                return wrong;
            bounded = true;
            const quint32 first = biff8 ? u32(data, 0) : u16(data, 0), rows = biff8 ? u32(data, 4) : u16(data, 2);
            const quint16 firstColumn = u16(data, biff8 ? 8 : 4), columns = u16(data, biff8 ? 10 : 6);
            if (first > rows || firstColumn > columns || rows > MaxRows || columns > MaxColumns)
                return QStringLiteral("o foaie declara mai multe randuri sau coloane decat poate avea");
            *cells += quint64(rows) * columns;
            break;
        }
        case Format:
            at = 2;
            fits = stringFits(data, at, biff8 ? 2 : 1, biff8);
            break;
        case BoundSheet:
            at = 6;
            fits = stringFits(data, at, 1, biff8);
            break;
        case Label:
        case RString:
            at = 6;
            fits = stringFits(data, at, 2, biff8);
            break;
        case MulRk:
        case MulBlank: {
            // A run of cells: the first column, one entry per cell, the last column.
            const qsizetype entry = type == MulRk ? 6 : 2;
            fits = data.size() >= 6 + entry && (data.size() - 6) % entry == 0
                && u16(data, data.size() - 2) == u16(data, 2) + (data.size() - 6) / entry - 1;
            break;
        }
        case SharedStrings: {
            std::vector<QByteArrayView> pieces{data};
            while (i + 1 < records.size() && u16(records[i + 1], 0) == Continue)
                pieces.push_back(records[++i].sliced(4));
            fits = sharedStringsFit(pieces);
            break;
        }
        default: break;
        }
        if (!fits)
            return wrong;
    }
    return QString();
}

// What libfreexl does not give of a sheet: its formulas' values, and which numbers are dates
// (libfreexl turns those into text a day at a time, so it is given no formats at all).
void readSheet(QByteArrayView stream, quint32 offset, Workbook *book)
{
    static const struct
    {
        char code;
        const char *text;
    } errors[] = {{0x00, "#NULL!"}, {0x07, "#DIV/0!"}, {0x0F, "#VALUE!"}, {0x17, "#REF!"},
                  {0x1D, "#NAME?"}, {0x24, "#NUM!"},   {0x2A, "#N/A"}};
    const auto number = [book](quint16 row, quint16 column, quint16 xf) {
        if (const Shown shown = book->shownBy(xf); shown != Shown::Number)
            book->dates[quint64(row) << 16 | column] = shown;
    };
    Records records(stream, offset);
    FormulaValue *pending = nullptr; // a text value, in the record that follows
    for (int depth = 0; records.next();) {
        const QByteArrayView data = records.data;
        if (records.type == Bof) {
            ++depth;
        } else if (records.type == Eof) {
            if (--depth <= 0)
                break;
        } else if (depth != 1) {
            continue; // a chart's records inside the sheet
        } else if ((records.type == Number || records.type == Rk) && data.size() >= 6) {
            number(u16(data, 0), u16(data, 2), u16(data, 4));
        } else if (records.type == MulRk && data.size() >= 6) {
            for (qsizetype at = 4, column = u16(data, 2); at + 6 <= data.size(); at += 6, ++column)
                number(u16(data, 0), quint16(column), u16(data, at));
        } else if (records.type == Formula && data.size() >= 20) {
            const quint64 key = quint64(u16(data, 0)) << 16 | u16(data, 2);
            FormulaValue &value = book->formulas[key];
            value = FormulaValue();
            value.xf = u16(data, 4);
            pending = nullptr;
            if (u16(data, 12) != 0xFFFF) {
                value.kind = FormulaValue::Number;
                value.number = qFromLittleEndian<double>(data.data() + 6);
            } else if (data[6] == 0) {
                pending = &value;
            } else if (data[6] == 1) {
                value.kind = FormulaValue::Logical;
                value.number = data[8] ? 1 : 0;
            } else if (data[6] == 2) {
                value.kind = FormulaValue::Error;
                value.text = "#N/A";
                for (const auto &error : errors) {
                    if (data[8] == error.code)
                        value.text = error.text;
                }
            }
        } else if (records.type == String && pending) {
            pending->text = readString(records.continued(), 0, 2, *book).toStdString();
            pending->kind = pending->text.empty() ? FormulaValue::Empty : FormulaValue::Text;
            pending = nullptr;
        }
    }
}

// The stream with every cell format's number format General.
QByteArray withoutNumberFormats(QByteArray stream)
{
    char *bytes = stream.data(); // a copy of its own, before the records are walked
    Records records(stream, 0);
    while (records.next() && records.type != Eof) {
        if (records.type == Xf && records.data.size() >= 4) {
            const qsizetype at = records.data.data() - bytes;
            qToLittleEndian<quint16>(0, bytes + at + 2);
        }
    }
    return stream;
}

void appendTwoDigits(std::string &out, int value)
{
    out += char('0' + value / 10 % 10);
    out += char('0' + value % 10);
}

void appendDate(std::string &out, int year, int month, int day)
{
    appendTwoDigits(out, day);
    out += '.';
    appendTwoDigits(out, month);
    out += '.';
    out += std::to_string(year);
}

void appendTime(std::string &out, int seconds)
{
    appendTwoDigits(out, seconds / 3600);
    out += ':';
    appendTwoDigits(out, seconds / 60 % 60);
    out += ':';
    appendTwoDigits(out, seconds % 60);
}

// A serial day number of the 1900 or the 1904 system; false outside the years a spreadsheet
// shows.
bool appendSerial(std::string &out, double serial, bool date1904, Shown shown)
{
    if (!(serial >= 0 && serial < 2958466))
        return false;
    const qint64 total = std::llround(serial * 86400);
    const qint64 days = total / 86400;
    const int seconds = int(total % 86400);
    // The 1900 system counts a 29 February 1900 that was not.
    const QDate date = date1904 ? QDate(1904, 1, 1).addDays(days)
                                : QDate(1899, 12, days < 60 ? 31 : 30).addDays(days);
    if (shown == Shown::Time) {
        appendTime(out, seconds);
        return true;
    }
    appendDate(out, date.year(), date.month(), date.day());
    if (shown == Shown::DateTime && seconds != 0) {
        out += ' ';
        appendTime(out, seconds);
    }
    return true;
}

// A General number: 15 significant digits, the locale's separator.
void appendNumber(std::string &out, double value, const access::ValueFormat &format)
{
    if (value == 0 || !std::isfinite(value)) {
        format.appendDouble(out, value);
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    format.appendDecimalText(out, std::string_view(buffer, std::size_t(result.ptr - buffer)));
}

// The cell's text as the spreadsheet shows it appended to `out`; false for an empty cell, and
// for one libfreexl cannot read (`code` then says why).
bool appendCell(const Workbook &book, const access::ValueFormat &format, quint32 row, quint16 column,
                std::string &out, int *code)
{
    FreeXL_CellValue value;
    *code = libfreexl().freexl_get_cell_value(book.handle, row, column, &value);
    if (*code != FREEXL_OK)
        return false;
    const std::size_t start = out.size();
    const quint64 key = quint64(row) << 16 | column;
    switch (value.type) {
    case FREEXL_CELL_INT:
    case FREEXL_CELL_DOUBLE: {
        const double number = value.type == FREEXL_CELL_INT ? value.value.int_value : value.value.double_value;
        const auto date = book.dates.empty() ? book.dates.end() : book.dates.find(key);
        if (date != book.dates.end() && appendSerial(out, number, book.date1904, date->second))
            break;
        if (value.type == FREEXL_CELL_INT)
            format.appendInteger(out, value.value.int_value);
        else
            appendNumber(out, number, format);
        break;
    }
    case FREEXL_CELL_NULL: {
        const auto formula = book.formulas.find(key);
        if (formula == book.formulas.end())
            return false;
        const FormulaValue &result = formula->second;
        switch (result.kind) {
        case FormulaValue::Number:
            if (const Shown shown = book.shownBy(result.xf);
                shown == Shown::Number || !appendSerial(out, result.number, book.date1904, shown))
                appendNumber(out, result.number, format);
            break;
        case FormulaValue::Logical: format.appendInteger(out, qint64(result.number)); break;
        case FormulaValue::Text:
        case FormulaValue::Error: out += result.text; break;
        case FormulaValue::Empty: break;
        }
        break;
    }
    default: // text
        if (value.value.text_value)
            out += value.value.text_value;
        break;
    }
    return out.size() > start;
}

// An OLE2 container of one stream, as simple as the format allows: 4 KiB sectors, the allocation
// table first, the stream in one run, the directory last. Empty when the stream is too long for
// the table the header holds (over 400 MB, more than a file may have).
QByteArray containerOf(QByteArray stream, const QString &name)
{
    constexpr qsizetype Sector = 4096;
    constexpr quint32 Free = 0xFFFFFFFF, EndOfChain = 0xFFFFFFFE, FatSector = 0xFFFFFFFD;
    if (stream.size() < Sector) // a shorter one would be looked for among the small streams
        stream.append(QByteArray(Sector - stream.size(), '\0'));
    const qsizetype streamSectors = (stream.size() + Sector - 1) / Sector;
    qsizetype fatSectors = 1;
    while (fatSectors * (Sector / 4) < fatSectors + streamSectors + 1)
        ++fatSectors;
    if (fatSectors > 109)
        return QByteArray();
    const quint32 directory = quint32(fatSectors + streamSectors);
    QByteArray out((1 + directory + 1) * Sector, '\0');
    char *header = out.data();
    std::memcpy(header, Ole2Magic, 8);
    qToLittleEndian<quint16>(0x003E, header + 0x18);
    qToLittleEndian<quint16>(4, header + 0x1A);
    qToLittleEndian<quint16>(0xFFFE, header + 0x1C);
    qToLittleEndian<quint16>(12, header + 0x1E);
    qToLittleEndian<quint16>(6, header + 0x20);
    qToLittleEndian<quint32>(1, header + 0x28);
    qToLittleEndian<quint32>(quint32(fatSectors), header + 0x2C);
    qToLittleEndian<quint32>(directory, header + 0x30);
    qToLittleEndian<quint32>(4096, header + 0x38);
    qToLittleEndian<quint32>(EndOfChain, header + 0x3C);
    qToLittleEndian<quint32>(EndOfChain, header + 0x44);
    for (int i = 0; i < 109; ++i)
        qToLittleEndian<quint32>(i < fatSectors ? quint32(i) : Free, header + 0x4C + 4 * i);
    char *fat = out.data() + Sector;
    for (qsizetype i = 0; i < fatSectors * (Sector / 4); ++i) {
        quint32 next = Free;
        if (i < fatSectors)
            next = FatSector;
        else if (i < fatSectors + streamSectors)
            next = i + 1 < fatSectors + streamSectors ? quint32(i + 1) : EndOfChain;
        else if (i == directory)
            next = EndOfChain;
        qToLittleEndian<quint32>(next, fat + 4 * i);
    }
    std::memcpy(out.data() + (1 + fatSectors) * Sector, stream.constData(), std::size_t(stream.size()));
    char *entries = out.data() + (1 + qsizetype(directory)) * Sector;
    const auto entry = [&](int index, const QString &entryName, quint8 type, quint32 child, quint32 start, quint64 size) {
        char *e = entries + 128 * index;
        std::memcpy(e, entryName.utf16(), std::size_t(entryName.size()) * 2);
        qToLittleEndian<quint16>(quint16((entryName.size() + 1) * 2), e + 64);
        e[66] = char(type);
        e[67] = 1; // black
        qToLittleEndian<quint32>(Free, e + 68);
        qToLittleEndian<quint32>(Free, e + 72);
        qToLittleEndian<quint32>(child, e + 76);
        qToLittleEndian<quint32>(start, e + 116);
        qToLittleEndian<quint64>(size, e + 120);
    };
    entry(0, QStringLiteral("Root Entry"), 5, 1, EndOfChain, 0);
    entry(1, name, 2, Free, quint32(fatSectors), quint64(stream.size()));
    for (int i = 2; i < int(Sector / 128); ++i) {
        char *e = entries + 128 * i;
        qToLittleEndian<quint32>(Free, e + 68);
        qToLittleEndian<quint32>(Free, e + 72);
        qToLittleEndian<quint32>(Free, e + 76);
    }
    return out;
}

// libfreexl opens files by name only: the container goes to a file in memory. With `cells` false
// only the workbook's and the sheets' names are read.
int openFreexl(const QByteArray &container, bool cells, const void **handle)
{
    if (container.isEmpty())
        return FREEXL_INSUFFICIENT_MEMORY;
    const int fd = memfd_create("formulix-xls", MFD_CLOEXEC);
    if (fd < 0)
        return FREEXL_INSUFFICIENT_MEMORY;
    qsizetype written = 0;
    while (written < container.size()) {
        const ssize_t n = ::write(fd, container.constData() + written, std::size_t(container.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += n;
    }
    const QByteArray name = "/proc/self/fd/" + QByteArray::number(fd);
    int code = FREEXL_INSUFFICIENT_MEMORY;
    if (written == container.size())
        code = cells ? libfreexl().freexl_open(name.constData(), handle)
                     : libfreexl().freexl_open_info(name.constData(), handle);
    ::close(fd);
    return code;
}

QString freexlProblem(int code)
{
    switch (code) {
    case FREEXL_INSUFFICIENT_MEMORY: return QStringLiteral("memoria nu ajunge pentru a-l citi");
    case FREEXL_BIFF_INVALID_SST:
    case FREEXL_BIFF_ILLEGAL_SST_INDEX: return QStringLiteral("tabela de texte nu poate fi citita");
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
    case FREEXL_BIFF_INVALID_BOF: return QStringLiteral("registrul nu poate fi gasit in fisier");
    case FREEXL_INVALID_CHARACTER:
    case FREEXL_UNSUPPORTED_CHARSET: return QStringLiteral("un text are caractere care nu pot fi citite");
    default: return QStringLiteral("structura interna nu poate fi citita, cod %1").arg(code);
    }
}

// Why a file that is no OLE2 container is not a workbook.
QString foreignReason(QByteArrayView head)
{
    if (head.size() >= 4 && head[0] == 0x09 && (head[1] == 0x00 || head[1] == 0x02 || head[1] == 0x04))
        return QStringLiteral("este salvat in formatul vechi Excel 2-4; salvati-l ca registru Excel 97-2003");
    if (head.startsWith("PK"))
        return QStringLiteral("este o arhiva ZIP (poate un registru .xlsx sau .ods cu alt nume)");
    if (!head.isEmpty() && !head.contains('\0'))
        return QStringLiteral("este un fisier text (poate o pagina web sau un tabel CSV cu extensia .xls); "
                              "deschideti-l in programul de calcul si salvati-l ca registru Excel");
    return QStringLiteral("nu are structura unui registru Excel 97-2003");
}

// The workbook at `path` with its sheets listed; when a sheet is `wanted` (exact name first, then
// ignoring case; *sheet its index) loaded whole by libfreexl, with what it leaves out of that
// sheet.
std::unique_ptr<Workbook> load(const QString &path, const QString *wanted, int *sheet, QString *error)
{
    using Result = std::unique_ptr<Workbook>;
    const QString name = native(path);
    const auto unreadable = [&](const QString &reason) {
        return fail<Result>(error, reason == readReason(ENOENT)
                                       ? QStringLiteral("Fisierul %1 nu exista.").arg(name)
                                       : QStringLiteral("Fisierul %1 nu poate fi citit: %2.").arg(name, reason));
    };
    // A FIFO would wait for a writer for ever: only a regular file is opened, without waiting.
    if (const QString reason = notRegularFile(path); !reason.isEmpty())
        return unreadable(reason);
    auto book = std::make_unique<Workbook>();
    book->fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat status;
    if (book->fd < 0)
        return unreadable(readReason(errno));
    if (fstat(book->fd, &status) != 0 || !S_ISREG(status.st_mode))
        return fail<Result>(error, notWorkbook(path, QStringLiteral("nu este un fisier obisnuit")));
    book->stamp = stampOf(status);
    if (status.st_size > MaxFileBytes)
        return fail<Result>(error, QStringLiteral("Fisierul %1 are peste %2 MB; un registru Excel 97-2003 nu "
                                                  "poate fi atat de mare.").arg(name).arg(MaxFileBytes >> 20));
    QByteArray file(qsizetype(status.st_size), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < file.size()) {
        const ssize_t n = ::pread(book->fd, file.data() + got, std::size_t(file.size() - got), got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return unreadable(readReason(errno));
        if (n == 0)
            break;
        got += n;
    }
    file.truncate(got);
    if (file.isEmpty())
        return fail<Result>(error, QStringLiteral("Fisierul %1 este gol.").arg(name));
    if (!file.startsWith(QByteArrayView(Ole2Magic, 8)))
        return fail<Result>(error, notWorkbook(path, foreignReason(QByteArrayView(file).first(std::min<qsizetype>(file.size(), 4096)))));

    Compound compound;
    if (!compound.open(file))
        return fail<Result>(error, damaged(path, QStringLiteral("containerul OLE2 nu poate fi citit")));
    // An Excel 2007 workbook with a password is kept encrypted in the same container.
    if (compound.has(u"EncryptedPackage") || compound.has(u"EncryptionInfo"))
        return fail<Result>(error, locked(path));
    QByteArray stream;
    QString streamName = QStringLiteral("Workbook");
    if (compound.has(u"Book") && !compound.has(streamName))
        streamName = QStringLiteral("Book"); // Excel 5.0/95
    if (!compound.stream(streamName, &stream))
        return fail<Result>(error, damaged(path, QStringLiteral("registrul nu poate fi citit in intregime")));
    if (stream.isEmpty())
        return fail<Result>(error, notWorkbook(path, QStringLiteral("este un alt document Office, fara foi de calcul")));
    if (!readGlobals(stream, book.get()))
        return fail<Result>(error, locked(path));
    quint64 cells = 0;
    if (const QString unfit = unfitRecords(stream, book->biff8, &cells); !unfit.isEmpty())
        return fail<Result>(error, damaged(path, unfit));
    if (cells > MaxCells)
        return fail<Result>(error, QStringLiteral("Fisierul %1 are foi prea mari: peste %2 milioane de celule.")
                                       .arg(name).arg(MaxCells >> 20));

    // libfreexl reads the stream out of a container made here, not the file's own: it trusts
    // the container's names and tables, which a damaged file gets wrong.
    if (!loadLibFreexl())
        return fail<Result>(error, QStringLiteral("Registrul %1 nu poate fi citit: %2.")
                                       .arg(path, missingLibraryReason(FORMULIX_LIBFREEXL, "libfreexl1")));
    file.clear();
    int code = openFreexl(containerOf(withoutNumberFormats(stream), streamName), wanted != nullptr, &book->handle);
    unsigned int count = 0;
    if (code == FREEXL_OK)
        code = libfreexl().freexl_get_info(book->handle, FREEXL_BIFF_SHEET_COUNT, &count);
    for (unsigned int i = 0; code == FREEXL_OK && i < count && i <= 0xFFFF; ++i) {
        const char *sheetName = nullptr;
        code = libfreexl().freexl_get_worksheet_name(book->handle, quint16(i), &sheetName);
        if (code == FREEXL_OK)
            book->sheets.append(QString::fromUtf8(sheetName ? sheetName : ""));
    }
    if (code != FREEXL_OK)
        return fail<Result>(error, damaged(path, freexlProblem(code)));
    if (book->sheets.isEmpty())
        return fail<Result>(error, notWorkbook(path, QStringLiteral("nu are nicio foaie de calcul")));
    if (!wanted)
        return book;

    *sheet = int(book->sheets.indexOf(*wanted));
    for (qsizetype i = 0; i < book->sheets.size() && *sheet < 0; ++i) {
        if (book->sheets[i].compare(*wanted, Qt::CaseInsensitive) == 0)
            *sheet = int(i);
    }
    if (*sheet < 0)
        return fail<Result>(error, QStringLiteral("Fisierul %1 nu are foaia %2.").arg(name, *wanted));
    // The same sheet in the records: by name, else by place when both list the same sheets.
    const Workbook::Sheet *streamSheet = nullptr;
    for (const Workbook::Sheet &candidate : book->streamSheets) {
        if (candidate.name == book->sheets[*sheet])
            streamSheet = &candidate;
    }
    if (!streamSheet && book->streamSheets.size() == std::size_t(book->sheets.size()))
        streamSheet = &book->streamSheets[std::size_t(*sheet)];
    if (streamSheet)
        readSheet(stream, streamSheet->offset, book.get());
    return book;
}

class XlsCursor final : public BufferedCursor
{
public:
    XlsCursor(const QString &path, QString table, QStringList columns, std::unique_ptr<Workbook> book, quint32 rows,
              access::ValueFormat format)
        : BufferedCursor(native(path), QStringLiteral("Fisierul"), std::move(table), std::move(columns)),
          m_book(std::move(book)), m_format(std::move(format)), m_rows(rows)
    {
    }

protected:
    bool readRow(std::string &text, std::vector<quint32> &ends) override
    {
        if (m_next >= m_rows)
            return false;
        const int columns = int(columnNames().size());
        for (int column = 0; column < columns; ++column) {
            int code = FREEXL_OK;
            const bool value = appendCell(*m_book, m_format, m_next, quint16(column), text, &code);
            if (code != FREEXL_OK) {
                failWith(QStringLiteral("Fisierul %1 este deteriorat (foaia %2, randul %3: %4).")
                             .arg(path(), tableName())
                             .arg(m_next + 1)
                             .arg(freexlProblem(code)));
                return false;
            }
            endCell(text, ends, !value);
        }
        ++m_next;
        return true;
    }

    bool changedSinceOpened() override
    {
        struct stat status;
        return fstat(m_book->fd, &status) != 0 || stampOf(status) != m_book->stamp;
    }

private:
    std::unique_ptr<Workbook> m_book;
    access::ValueFormat m_format;
    quint32 m_rows;      // the header's and those after it, up to the last with a value
    quint32 m_next = 1;  // the row read next
};

} // namespace

std::unique_ptr<XlsSource> XlsSource::open(const QString &path, QString *error)
{
    int sheet = -1;
    const std::unique_ptr<Workbook> book = load(path, nullptr, &sheet, error);
    if (!book)
        return nullptr;
    std::unique_ptr<XlsSource> source(new XlsSource);
    source->m_path = path;
    source->m_sheets = book->sheets;
    source->m_stamp = book->stamp;
    return source;
}

bool XlsSource::changedOnDisk() const
{
    struct stat status;
    return ::stat(QFile::encodeName(m_path).constData(), &status) != 0 || stampOf(status) != m_stamp;
}

std::unique_ptr<RecordCursor> XlsSource::openTable(const QString &name, QString *error) const
{
    int sheet = -1;
    std::unique_ptr<Workbook> book = load(m_path, &name, &sheet, error);
    if (!book)
        return nullptr;
    const QString table = book->sheets[sheet];
    unsigned int rows = 0;
    unsigned short columns = 0;
    int code = libfreexl().freexl_select_active_worksheet(book->handle, quint16(sheet));
    if (code == FREEXL_OK)
        code = libfreexl().freexl_worksheet_dimensions(book->handle, &rows, &columns);
    if (code == FREEXL_OK && (rows > MaxRows || columns > MaxColumns))
        code = FREEXL_CRAFTED_FILE;
    if (code != FREEXL_OK)
        return fail<std::unique_ptr<RecordCursor>>(error, damaged(m_path, QStringLiteral("foaia %1: %2").arg(table, freexlProblem(code))));

    // Columns and rows past the last value are only formatting, or nothing.
    access::ValueFormat format{QLocale()};
    std::string scratch;
    const auto hasValue = [&](quint32 row, quint16 column) {
        scratch.clear();
        int unused;
        return appendCell(*book, format, row, column, scratch, &unused);
    };
    while (columns > 0) {
        quint32 row = 0;
        while (row < rows && !hasValue(row, columns - 1))
            ++row;
        if (row < rows)
            break;
        --columns;
    }
    while (rows > 1) {
        quint16 column = 0;
        while (column < columns && !hasValue(rows - 1, column))
            ++column;
        if (column < columns)
            break;
        --rows;
    }
    if (columns == 0)
        return fail<std::unique_ptr<RecordCursor>>(
            error, QStringLiteral("Fisierul %1: foaia %2 este goala; primul rand trebuie sa dea numele coloanelor.")
                       .arg(native(m_path), table));
    QStringList header;
    for (quint16 column = 0; column < columns; ++column)
        header.append(hasValue(0, column) ? QString::fromStdString(scratch) : QString());
    return std::make_unique<XlsCursor>(m_path, table, headerNames(header), std::move(book), rows, std::move(format));
}

SourceKind xlsSourceKind()
{
    // Word and PowerPoint files are OLE2 too; an encrypted Excel 2007 one is the .xlsx kind's.
    const auto recognises = [](QByteArrayView head, const QString &path) {
        return head.startsWith(QByteArrayView(Ole2Magic, 8)) && QFileInfo(path).suffix().compare(u"xls", Qt::CaseInsensitive) == 0;
    };
    const auto open = [](const QString &path, const QString &, QString *error,
                         OpenFailure *failure) -> std::unique_ptr<RecordSource> {
        std::unique_ptr<XlsSource> source = XlsSource::open(path, error);
        if (failure)
            *failure = source ? OpenFailure::None : OpenFailure::Failed;
        return source;
    };
    return {QStringLiteral("Registre Excel 97-2003"), {QStringLiteral("xls")}, recognises, open};
}

} // namespace formulix
