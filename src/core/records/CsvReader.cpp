#include "core/records/CsvReader.h"

#include "core/records/ColumnMatch.h"

#include "core/files/FileSafety.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace formulix {

namespace {

constexpr std::size_t BlockSize = 256 * 1024;
constexpr std::size_t ProbeSize = 64 * 1024; // what decides the separator, and a long file's encoding

// How many bytes follow a character's first byte (0 for ASCII), or -1 when no character starts so.
int followingBytes(unsigned char c)
{
    return c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
}

// A first byte no valid character has, or its second byte, when there is one, out of range.
bool badStart(const unsigned char *bytes, std::size_t size, int more)
{
    const unsigned char c = bytes[0];
    return more < 0 || (more == 1 && c < 0xC2) || (c == 0xF4 && size > 1 && bytes[1] > 0x8F) || c > 0xF4;
}

// How much of the span's start is whole, valid UTF-8: where the first character that is not
// valid, or that the span's end cuts, begins.
std::size_t validUtf8Prefix(const unsigned char *bytes, std::size_t size)
{
    std::size_t i = 0;
    while (i < size) {
#ifdef __SSE2__
        // ASCII runs sixteen bytes at a time: most of a table's text.
        if (i + 16 <= size) {
            const auto high = unsigned(_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + i))));
            if (high == 0) {
                i += 16;
                continue;
            }
            i += std::size_t(std::countr_zero(high));
        }
#endif
        if (quint64 word; i + 8 <= size && (std::memcpy(&word, bytes + i, 8), (word & 0x8080808080808080ULL) == 0)) {
            i += 8;
            continue;
        }
        const unsigned char c = bytes[i];
        if (c >= 0xC2 && c <= 0xDF) { // two bytes, the letters of most European languages
            if (i + 1 >= size || (bytes[i + 1] & 0xC0) != 0x80)
                return i;
            i += 2;
            continue;
        }
        const int more = followingBytes(c);
        if (more == 0) {
            ++i;
            continue;
        }
        if (badStart(bytes + i, size - i, more) || i + std::size_t(more) >= size)
            return i;
        for (int k = 1; k <= more; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return i;
        }
        if (more == 2 && ((c == 0xE0 && bytes[i + 1] < 0xA0) || (c == 0xED && bytes[i + 1] > 0x9F)))
            return i; // overlong, or a UTF-16 surrogate
        if (more == 3 && c == 0xF0 && bytes[i + 1] < 0x90)
            return i;
        i += std::size_t(more) + 1;
    }
    return i;
}

bool isUtf8(const unsigned char *bytes, std::size_t size, bool cutAtEnd)
{
    const std::size_t i = validUtf8Prefix(bytes, size);
    if (i == size)
        return true;
    // A character cut by the span's end passes when asked to and what there is of it is right.
    const int more = followingBytes(bytes[i]);
    if (!cutAtEnd || more <= 0 || badStart(bytes + i, size - i, more) || i + std::size_t(more) < size)
        return false;
    for (std::size_t k = i + 1; k < size; ++k) {
        if ((bytes[k] & 0xC0) != 0x80)
            return false;
    }
    return true;
}

// How many bytes at the span's end begin a character the span cuts (0 to 3).
std::size_t cutCharacter(const unsigned char *bytes, std::size_t size)
{
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, size); ++back) {
        const unsigned char c = bytes[size - back];
        if ((c & 0xC0) == 0x80)
            continue;
        const std::size_t length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
        return length > back ? back : 0;
    }
    return 0;
}

// The cells of each row in the span, split as readFields splits them, up to `rows` rows; a row
// the span's end cuts is left out unless the span is the whole rest of the file.
std::vector<int> cellCounts(const char *bytes, std::size_t size, bool whole, char separator, int rows)
{
    std::vector<int> counts;
    std::size_t i = 0;
    while (int(counts.size()) < rows) {
        while (i < size && (bytes[i] == '\n' || bytes[i] == '\r'))
            ++i;
        if (i >= size)
            break;
        int cells = 1;
        bool ended = false; // by a line end or the file's end
        while (i < size) {
            if (bytes[i] == '"') {
                for (++i;;) {
                    const char *quote = static_cast<const char *>(std::memchr(bytes + i, '"', size - i));
                    if (!quote) {
                        i = size;
                        break;
                    }
                    i = std::size_t(quote - bytes) + 1;
                    if (i < size && bytes[i] == '"') {
                        ++i;
                        continue;
                    }
                    break;
                }
            }
            while (i < size && bytes[i] != separator && bytes[i] != '\n' && bytes[i] != '\r')
                ++i;
            if (i < size && bytes[i] == separator) {
                ++cells;
                ++i;
                continue;
            }
            ended = i < size;
            break;
        }
        if (!ended && !whole)
            break;
        counts.push_back(cells);
    }
    return counts;
}

// Whether any byte of the span has its high bit set (is not ASCII), a word at a time.
bool hasHighBytes(const char *bytes, std::size_t size)
{
    std::size_t i = 0;
    quint64 any = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, bytes + i, 8);
        any |= word;
    }
    for (; i < size; ++i)
        any |= quint8(bytes[i]);
    return (any & 0x8080808080808080ULL) != 0;
}

// Eight bytes at a time: a word with 0x80 in each byte that equals `byte`, and nothing elsewhere.
constexpr quint64 Ones = 0x0101010101010101ULL, Lows = 0x7F7F7F7F7F7F7F7FULL;

quint64 bytesEqual(quint64 word, quint64 spread)
{
    const quint64 x = word ^ spread;
    return ~(((x & Lows) + Lows) | x | Lows);
}

quint64 load(const char *at)
{
    quint64 word;
    std::memcpy(&word, at, 8);
    return word;
}

// The line ends of a quoted span, and whether any of its bytes is not ASCII, in one pass.
std::size_t scanQuoted(const char *bytes, std::size_t size, bool *high)
{
    const quint64 newline = Ones * '\n';
    quint64 any = 0;
    std::size_t lines = 0, i = 0;
    for (; i + 8 <= size; i += 8) {
        const quint64 word = load(bytes + i);
        any |= word;
        if (const quint64 ends = bytesEqual(word, newline))
            lines += std::size_t(std::popcount(ends));
    }
    for (; i < size; ++i) {
        any |= quint8(bytes[i]);
        lines += bytes[i] == '\n';
    }
    *high = *high || (any & 0x8080808080808080ULL) != 0;
    return lines;
}

struct Stamp
{
    qint64 size = -1;
    qint64 modified = 0;
};

Stamp stampOf(int fd)
{
    struct stat status;
    if (fd < 0 || fstat(fd, &status) != 0)
        return {};
    return {qint64(status.st_size), qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
}

} // namespace

CsvReader::~CsvReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool CsvReader::open(const QString &path, const CsvOptions &options, QString *error)
{
    m_path = QDir::toNativeSeparators(path);
    m_options = options;
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    const auto unreadable = [&](const QString &reason) {
        return fail(reason == readReason(ENOENT) ? QStringLiteral("Fisierul %1 nu exista.").arg(m_path)
                                                 : QStringLiteral("Fisierul %1 nu poate fi citit: %2.").arg(m_path, reason));
    };
    const QString notText = QStringLiteral("Fisierul %1 nu este un tabel text.").arg(m_path);
    const QString empty = m_options.header == CsvOptions::Header::No
        ? QStringLiteral("Fisierul %1 este gol.").arg(m_path)
        : QStringLiteral("Fisierul %1 este gol: primul rand trebuie sa dea numele coloanelor.").arg(m_path);
    // Opening a FIFO waits for a writer, for ever: only a regular file is opened, and without
    // waiting should it be swapped for one meanwhile.
    if (const QString reason = notRegularFile(path); !reason.isEmpty())
        return unreadable(reason);
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0)
        return unreadable(readReason(errno));
    struct stat status;
    if (fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode))
        return fail(notText);
    const Stamp stamp = stampOf(m_fd);
    m_size = stamp.size;
    m_modified = stamp.modified;

    // The byte order mark, read aside: it decides the encoding left to the guess, and UTF-16
    // text is made UTF-8 as it is read.
    unsigned char mark[3] = {};
    const ssize_t marked = ::pread(m_fd, mark, sizeof mark, 0);
    const bool utf8Mark = marked == 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF;
    const bool littleMark = marked >= 2 && mark[0] == 0xFF && mark[1] == 0xFE;
    const bool bigMark = marked >= 2 && mark[0] == 0xFE && mark[1] == 0xFF;
    using Encoding = CsvOptions::Encoding;
    if (m_options.encoding == Encoding::Auto && (littleMark || bigMark))
        m_options.encoding = Encoding::Utf16;
    else if (m_options.encoding == Encoding::Auto && utf8Mark)
        m_options.encoding = Encoding::Utf8;
    if (m_options.encoding == Encoding::Utf16) // the decoder drops the mark
        m_utf16 = QStringDecoder(bigMark ? QStringConverter::Utf16BE : QStringConverter::Utf16LE);

    m_buffer.resize(BlockSize);
    while (m_end < ProbeSize && fill()) {
    }
    if (m_end == 0)
        return fail(m_failure.isEmpty() ? empty : m_failure);
    if (m_options.encoding == Encoding::Utf8 && utf8Mark)
        m_pos = 3;
    const std::size_t probe = std::min(m_end, ProbeSize);
    if (std::memchr(m_buffer.data(), 0, probe))
        return fail(notText);
    if (m_options.encoding == Encoding::Auto) {
        const bool whole = m_size <= WholeScanBytes;
        const bool utf8 = whole ? wholeFileIsUtf8()
                                : isUtf8(reinterpret_cast<const unsigned char *>(m_buffer.data()), probe, m_end > probe);
        m_options.encoding = utf8 ? Encoding::Utf8 : Encoding::Windows1250;
    }
    if (m_options.encoding == Encoding::Windows1250 || m_options.encoding == Encoding::Iso88592) {
        m_eightBit = QStringDecoder(m_options.encoding == Encoding::Windows1250 ? "windows-1250" : "ISO-8859-2");
        if (!m_eightBit.isValid())
            return fail(QStringLiteral("Fisierul %1 nu poate fi citit: codificarea %2 lipseste din sistem.")
                            .arg(m_path, encodingCaption(m_options.encoding)));
    }

    if (!m_options.separator)
        m_options.separator = guessSeparator();
    m_stops.fill(false);
    for (unsigned char stop : {static_cast<unsigned char>(m_options.separator), static_cast<unsigned char>('\n'),
                               static_cast<unsigned char>('\r')})
        m_stops[stop] = true;

    if (m_options.header == CsvOptions::Header::No) {
        // A row the sample cuts counts the cells it shows.
        const std::vector<int> counts = cellCounts(m_buffer.data() + m_pos, std::max(std::min(m_end, ProbeSize), m_pos) - m_pos,
                                                   true, m_options.separator, SampleRows);
        if (counts.empty())
            return fail(empty);
        const int columns = *std::max_element(counts.begin(), counts.end());
        for (int i = 1; i <= columns; ++i)
            m_columns.append(QStringLiteral("Coloana %1").arg(i));
        return true;
    }
    m_options.header = CsvOptions::Header::Yes;
    std::vector<std::string> names;
    if (!readFields(&names, nullptr, nullptr))
        return fail(m_failure.isEmpty() ? empty : m_failure);
    QStringList header;
    header.reserve(qsizetype(names.size()));
    for (const std::string &name : names)
        header.append(QString::fromUtf8(name));
    m_columns = headerNames(header);
    return true;
}

// Read aside with pread, so the reads of the rows go on from where they are.
bool CsvReader::wholeFileIsUtf8() const
{
    std::vector<unsigned char> chunk(BlockSize + 4);
    std::size_t carried = 0; // the start of a character the last block cut
    for (qint64 offset = 0;;) {
        const ssize_t got = ::pread(m_fd, chunk.data() + carried, BlockSize, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) // a fault in reading is told when the rows reach it
            return carried == 0;
        offset += got;
        const std::size_t size = carried + std::size_t(got);
        if (!hasHighBytes(reinterpret_cast<const char *>(chunk.data()), size)) {
            carried = 0;
            continue;
        }
        if (!isUtf8(chunk.data(), size, true))
            return false;
        carried = cutCharacter(chunk.data(), size);
        std::memmove(chunk.data(), chunk.data() + size - carried, carried);
    }
}

char CsvReader::guessSeparator() const
{
    const std::size_t end = std::max(std::min(m_end, ProbeSize), m_pos);
    const bool whole = m_eof && m_end <= ProbeSize;
    char best = ','; // for a single column, which any separator reads alike
    std::pair<bool, int> bestScore{false, 1};
    for (const char candidate : {';', '\t', ','}) {
        std::vector<int> counts = cellCounts(m_buffer.data() + m_pos, end - m_pos, whole, candidate, SampleRows);
        if (counts.empty()) // a first line longer than the sample: what the buffer holds of it
            counts = cellCounts(m_buffer.data() + m_pos, m_end - m_pos, true, candidate, 1);
        const int header = counts.empty() ? 1 : counts.front();
        const bool regular = header > 1 && std::all_of(counts.begin(), counts.end(), [&](int n) { return n == header; });
        const std::pair<bool, int> score{regular, header};
        if (score > bestScore) {
            best = candidate;
            bestScore = score;
        }
    }
    return best;
}

QString CsvReader::longRowsWarning() const
{
    if (m_longRows == 0)
        return QString();
    QStringList lines;
    for (const qint64 line : m_longLines)
        lines.append(QString::number(line));
    QString which = (m_longRows == 1 ? QStringLiteral("linia ") : QStringLiteral("liniile ")) + lines.join(QStringLiteral(", "));
    if (m_longRows > qint64(m_longLines.size()))
        which += QStringLiteral(" si inca %1").arg(m_longRows - qint64(m_longLines.size()));
    return QStringLiteral("Fisierul %1: %2 %3 mai multe celule decat coloanele tabelei (%4); celulele in plus nu se citesc.")
        .arg(m_path, which, m_longRows == 1 ? QStringLiteral("are") : QStringLiteral("au"))
        .arg(m_columns.size());
}

bool CsvReader::fill()
{
    if (m_eof)
        return false;
    if (m_pos > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_pos, m_end - m_pos);
        m_end -= m_pos;
        m_offset += qint64(m_pos);
        m_pos = 0;
    }
    if (m_utf16.isValid())
        return fillUtf16();
    if (m_end == m_buffer.size())
        m_buffer.resize(m_buffer.size() * 2); // one field longer than a block
    const ssize_t got = readBlock(m_buffer.data() + m_end, m_buffer.size() - m_end);
    if (got <= 0)
        return false;
    m_end += std::size_t(got);
    return true;
}

ssize_t CsvReader::readBlock(char *into, std::size_t size)
{
    ssize_t got;
    do
        got = ::read(m_fd, into, size);
    while (got < 0 && errno == EINTR);
    if (got <= 0) {
        if (got < 0)
            m_failure = QStringLiteral("Fisierul %1 nu a putut fi citit dupa linia %2: %3.")
                            .arg(m_path)
                            .arg(m_line)
                            .arg(readReason(errno));
        m_eof = true;
    }
    return got;
}

// A block of UTF-16 appended as UTF-8; the decoder keeps a character the block cuts for the next.
bool CsvReader::fillUtf16()
{
    m_raw.resize(BlockSize);
    for (;;) {
        const ssize_t got = readBlock(m_raw.data(), m_raw.size());
        if (got <= 0)
            return false;
        const QByteArray text = QString(m_utf16.decode(QByteArrayView(m_raw.data(), got))).toUtf8();
        if (text.isEmpty())
            continue;
        if (m_buffer.size() < m_end + std::size_t(text.size()))
            m_buffer.resize(std::max(m_buffer.size() * 2, m_end + std::size_t(text.size())));
        std::memcpy(m_buffer.data() + m_end, text.constData(), std::size_t(text.size()));
        m_end += std::size_t(text.size());
        return true;
    }
}

bool CsvReader::changed() const
{
    const Stamp now = stampOf(m_fd);
    return now.size != m_size || now.modified != m_modified;
}

bool CsvReader::readRow(std::string &text, std::vector<quint32> &ends)
{
    // A row that starts here, not after blank lines, tried on the buffer first.
    if (m_pos < m_end && m_buffer[m_pos] != '\n' && m_buffer[m_pos] != '\r' && m_failure.isEmpty()
        && readWholeLine(text, ends))
        return true;
    return readFields(nullptr, &text, &ends);
}

// The common row, read straight from the buffer: one line, there whole, its quoted cells closed
// on it and its text valid in its encoding. Anything else (a quoted line break, a lone CR, a cell
// to decode from an 8-bit encoding, a fault to tell) is left, with nothing changed, to the
// general loop.
bool CsvReader::readWholeLine(std::string &text, std::vector<quint32> &ends)
{
    const char separator = m_options.separator;
    if (separator == '"' || separator == '\n' || separator == '\r')
        return false;
    const char *const buffer = m_buffer.data();
    const char *const begin = buffer + m_pos;
    const char *const eol = static_cast<const char *>(std::memchr(begin, '\n', m_end - m_pos));
    if (!eol || eol - begin > MaxRowBytes)
        return false;
    const char *const lineEnd = eol > begin && eol[-1] == '\r' ? eol - 1 : eol;
    if (m_eightBit.isValid()) {
        if (hasHighBytes(begin, std::size_t(lineEnd - begin)))
            return false;
    } else if (!m_utf16.isValid()) {
        // UTF-8 is checked a buffer at a time: cut at ASCII bytes, valid text gives valid cells.
        const qint64 from = m_offset + qint64(m_pos), to = m_offset + (lineEnd - buffer);
        if (to > m_validTo) {
            const qint64 start = std::max(m_validTo, from);
            if (start != m_validTo)
                m_validFrom = start;
            const std::size_t at = std::size_t(start - m_offset);
            m_validTo = start + qint64(validUtf8Prefix(reinterpret_cast<const unsigned char *>(buffer) + at, m_end - at));
        }
        if (from < m_validFrom || to > m_validTo)
            return false;
    }

    const std::size_t columns = std::size_t(m_columns.size());
    const std::size_t textSize = text.size(), endsSize = ends.size();
    const auto giveUp = [&] {
        text.resize(textSize);
        ends.resize(endsSize);
        return false;
    };
    const quint64 spread = Ones * static_cast<unsigned char>(separator), returns = Ones * '\r';
    std::size_t cells = 0;
    const char *p = begin;
    for (;;) {
        const std::size_t start = text.size();
        if (p < lineEnd && *p == '"') {
            for (++p;;) {
                const char *quote = static_cast<const char *>(std::memchr(p, '"', std::size_t(lineEnd - p)));
                if (!quote) // closed on a later line, or never
                    return giveUp();
                text.append(p, std::size_t(quote - p));
                p = quote + 1;
                if (p < lineEnd && *p == '"') {
                    text += '"';
                    ++p;
                    continue;
                }
                break;
            }
        }
        // Up to the separator, eight bytes at a time; a CR within the line ends the row early.
        const char *from = p;
        while (lineEnd - p >= 8) {
            const quint64 word = load(p);
            if (bytesEqual(word, spread) | bytesEqual(word, returns))
                break;
            p += 8;
        }
        while (p < lineEnd && *p != separator && *p != '\r')
            ++p;
        if (p < lineEnd && *p == '\r')
            return giveUp();
        if (cells < columns) {
            if (p != from)
                text.append(from, std::size_t(p - from));
            ends.push_back(quint32(text.size()));
        } else {
            text.resize(start); // past the header's columns
        }
        ++cells;
        if (p == lineEnd)
            break;
        ++p; // the separator
    }
    if (cells > columns && ++m_longRows <= 5)
        m_longLines.push_back(m_line);
    for (; cells < columns; ++cells)
        ends.push_back(quint32(text.size()));
    m_pos = std::size_t(eol + 1 - buffer);
    ++m_line;
    return true;
}

bool CsvReader::refuseLongRow(qint64 line)
{
    m_failure = QStringLiteral("Fisierul %1: linia %2 are peste %3 MB; un rand de tabel poate avea cel mult %3 MB.")
                    .arg(m_path)
                    .arg(line)
                    .arg(MaxRowBytes >> 20);
    return true;
}

// Writes the row either into `fields` (the header) or as cells into `text` and `ends`.
bool CsvReader::readFields(std::vector<std::string> *fields, std::string *text, std::vector<quint32> *ends)
{
    if (!m_failure.isEmpty())
        return false;
    // Blank lines between rows hold no record.
    for (int c = peek(); c == '\n' || c == '\r'; c = peek()) {
        ++m_pos;
        if (c == '\n' || peek() != '\n')
            ++m_line;
    }
    if (atEnd())
        return false;
    if (!fields && readWholeLine(*text, *ends))
        return true;

    // A row longer than any table needs is refused before it fills the memory.
    const qint64 rowStart = m_offset + qint64(m_pos), rowLine = m_line;
    const auto tooLong = [&] { return m_offset + qint64(m_pos) - rowStart > MaxRowBytes && refuseLongRow(rowLine); };
    const std::size_t columns = fields ? std::numeric_limits<std::size_t>::max() : std::size_t(m_columns.size());
    std::string header;
    std::string &out = fields ? header : *text;
    std::size_t cells = 0;
    for (;;) {
        const std::size_t start = out.size();
        const qint64 fieldLine = m_line;
        bool high = false;
        if (peek() == '"') {
            const qint64 opened = m_line;
            ++m_pos;
            for (;;) {
                if (atEnd()) {
                    m_failure = QStringLiteral("Fisierul %1: ghilimelele deschise la linia %2 nu se mai inchid.")
                                    .arg(m_path)
                                    .arg(opened);
                    return false;
                }
                const char *from = m_buffer.data() + m_pos;
                const char *quote = static_cast<const char *>(std::memchr(from, '"', m_end - m_pos));
                const char *until = quote ? quote : m_buffer.data() + m_end;
                m_line += qint64(scanQuoted(from, std::size_t(until - from), &high));
                out.append(from, std::size_t(until - from));
                m_pos += std::size_t(until - from);
                if (tooLong())
                    return false;
                if (!quote)
                    continue;
                ++m_pos; // the quote
                if (peek() == '"') {
                    out += '"';
                    ++m_pos;
                    continue;
                }
                break;
            }
        }
        // Unquoted text, or what follows a closing quote before the separator (kept as written).
        for (;;) {
            if (atEnd())
                break;
            const char *from = m_buffer.data() + m_pos, *end = m_buffer.data() + m_end;
            const char *p = from;
            // Eight bytes at a time up to the word holding a stop, then byte by byte.
            const quint64 separator = Ones * static_cast<unsigned char>(m_options.separator);
            quint64 any = 0;
            for (; end - p >= 8; p += 8) {
                const quint64 word = load(p);
                if (bytesEqual(word, separator) | bytesEqual(word, Ones * '\n') | bytesEqual(word, Ones * '\r'))
                    break;
                any |= word;
            }
            for (; p < end && !m_stops[static_cast<unsigned char>(*p)]; ++p)
                any |= quint8(*p);
            high = high || (any & 0x8080808080808080ULL) != 0;
            out.append(from, std::size_t(p - from));
            m_pos += std::size_t(p - from);
            if (tooLong())
                return false;
            if (p < end)
                break;
        }
        if (high && m_eightBit.isValid()) {
            const QString decoded = m_eightBit.decode(QByteArrayView(out.data() + start, qsizetype(out.size() - start)));
            out.resize(start);
            out += decoded.toStdString();
        } else if (high && !m_utf16.isValid()
                   && !isUtf8(reinterpret_cast<const unsigned char *>(out.data() + start), out.size() - start, false)) {
            m_failure = QStringLiteral("Fisierul %1: linia %2 nu este scrisa in UTF-8. Alegeti codificarea fisierului "
                                       "(de exemplu Windows-1250) cand il incarcati.")
                            .arg(m_path)
                            .arg(fieldLine);
            return false;
        }
        if (cells < columns) {
            if (fields) {
                fields->push_back(out.substr(start));
                out.resize(start);
            } else {
                ends->push_back(quint32(out.size()));
            }
        } else {
            out.resize(start); // past the header's columns
        }
        ++cells;
        const int next = peek();
        if (next == m_options.separator) {
            ++m_pos;
            continue;
        }
        if (next == '\r') {
            ++m_pos;
            if (peek() == '\n')
                ++m_pos;
            ++m_line;
        } else if (next == '\n') {
            ++m_pos;
            ++m_line;
        }
        break;
    }
    if (!fields && cells > columns && ++m_longRows <= 5)
        m_longLines.push_back(rowLine);
    for (; !fields && cells < columns; ++cells)
        ends->push_back(quint32(out.size()));
    return true;
}

} // namespace formulix
