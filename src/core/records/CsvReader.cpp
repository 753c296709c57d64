#include "core/records/CsvReader.h"

#include "core/files/FileSafety.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <cstring>
#include <limits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace formulix {

namespace {

constexpr std::size_t BlockSize = 256 * 1024;
constexpr std::size_t ProbeSize = 64 * 1024; // what decides the encoding and the separator

bool isUtf8(const unsigned char *bytes, std::size_t size, bool cutAtEnd)
{
    std::size_t i = 0;
    while (i < size) {
        const unsigned char c = bytes[i];
        int more = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (more < 0 || (more == 1 && c < 0xC2) || (c == 0xF4 && i + 1 < size && bytes[i + 1] > 0x8F) || c > 0xF4)
            return false;
        if (i + more >= size && more > 0)
            return cutAtEnd; // a character cut by the probe's end
        for (int k = 1; k <= more; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return false;
        }
        if (more == 2 && ((c == 0xE0 && bytes[i + 1] < 0xA0) || (c == 0xED && bytes[i + 1] > 0x9F)))
            return false; // overlong, or a UTF-16 surrogate
        if (more == 3 && c == 0xF0 && bytes[i + 1] < 0x90)
            return false;
        i += std::size_t(more) + 1;
    }
    return true;
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

std::size_t countNewlines(const char *bytes, std::size_t size)
{
    std::size_t lines = 0;
    for (const char *p = bytes, *end = bytes + size; (p = static_cast<const char *>(std::memchr(p, '\n', std::size_t(end - p))));
         ++p)
        ++lines;
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

bool CsvReader::open(const QString &path, QString *error)
{
    m_path = QDir::toNativeSeparators(path);
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    const auto unreadable = [&](const QString &reason) {
        return fail(reason == readReason(ENOENT) ? QStringLiteral("Fisierul %1 nu exista.").arg(m_path)
                                                 : QStringLiteral("Fisierul %1 nu poate fi citit: %2.").arg(m_path, reason));
    };
    // Opening a FIFO waits for a writer, for ever: only a regular file is opened, and without
    // waiting should it be swapped for one meanwhile.
    if (const QString reason = notRegularFile(path); !reason.isEmpty())
        return unreadable(reason);
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0)
        return unreadable(readReason(errno));
    struct stat status;
    if (fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode))
        return fail(QStringLiteral("Fisierul %1 nu este un tabel text.").arg(m_path));
    const Stamp stamp = stampOf(m_fd);
    m_size = stamp.size;
    m_modified = stamp.modified;
    m_buffer.resize(BlockSize);
    while (m_end < ProbeSize && fill()) {
    }
    if (m_end == 0)
        return fail(QStringLiteral("Fisierul %1 este gol: primul rand trebuie sa dea numele coloanelor.").arg(m_path));

    const auto *bytes = reinterpret_cast<const unsigned char *>(m_buffer.data());
    const std::size_t probe = std::min(m_end, ProbeSize);
    if (std::memchr(bytes, 0, probe))
        return fail(QStringLiteral("Fisierul %1 nu este un tabel text.").arg(m_path));
    if (probe >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        m_pos = 3;
    else
        m_utf8 = isUtf8(bytes, probe, m_end > probe);

    // The separator the first line uses most, quoted parts left out.
    int counts[3] = {};
    const char candidates[3] = {';', ',', '\t'};
    bool quoted = false;
    for (std::size_t i = m_pos; i < m_end; ++i) {
        const char c = m_buffer[i];
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted)
            for (int k = 0; k < 3; ++k)
                counts[k] += c == candidates[k];
    }
    int best = 1; // a single column reads alike with any separator
    for (int k = 0; k < 3; ++k) {
        if (counts[k] > counts[best])
            best = k;
    }
    m_separator = candidates[best];
    m_stops.fill(false);
    for (unsigned char stop : {static_cast<unsigned char>(m_separator), static_cast<unsigned char>('\n'),
                               static_cast<unsigned char>('\r')})
        m_stops[stop] = true;

    std::vector<std::string> names;
    if (!readFields(&names, nullptr, nullptr))
        return fail(m_failure.isEmpty() ? QStringLiteral("Fisierul %1 este gol: primul rand trebuie sa dea numele coloanelor.").arg(m_path)
                                        : m_failure);
    // The names taken, folded as they compare, and for each name repeated the next number to try:
    // a header of thousands of columns, or of one name thousands of times, must not compare each
    // name with every other.
    QSet<QString> taken;
    QHash<QString, int> nextNumber;
    taken.reserve(qsizetype(names.size()));
    m_columns.reserve(qsizetype(names.size()));
    for (std::size_t i = 0; i < names.size(); ++i) {
        QString name = QString::fromUtf8(names[i]).trimmed();
        if (name.isEmpty())
            name = QStringLiteral("Coloana %1").arg(i + 1);
        QString folded = name.toCaseFolded();
        if (taken.contains(folded)) {
            const QString base = name;
            auto next = nextNumber.find(folded);
            if (next == nextNumber.end())
                next = nextNumber.insert(folded, 2);
            int &n = *next;
            do {
                name = QStringLiteral("%1_%2").arg(base).arg(n++);
                folded = name.toCaseFolded();
            } while (taken.contains(folded));
        }
        taken.insert(folded);
        m_columns.append(name);
    }
    return true;
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
    if (m_end == m_buffer.size())
        m_buffer.resize(m_buffer.size() * 2); // one field longer than a block
    ssize_t got;
    do
        got = ::read(m_fd, m_buffer.data() + m_end, m_buffer.size() - m_end);
    while (got < 0 && errno == EINTR);
    if (got <= 0) {
        if (got < 0)
            m_failure = QStringLiteral("Fisierul %1 nu a putut fi citit dupa linia %2: %3.")
                            .arg(m_path)
                            .arg(m_line)
                            .arg(readReason(errno));
        m_eof = true;
        return false;
    }
    m_end += std::size_t(got);
    return true;
}

bool CsvReader::changed() const
{
    const Stamp now = stampOf(m_fd);
    return now.size != m_size || now.modified != m_modified;
}

bool CsvReader::readRow(std::string &text, std::vector<quint32> &ends)
{
    return readFields(nullptr, &text, &ends);
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

    // A row longer than any table needs is refused before it fills the memory.
    const qint64 rowStart = m_offset + qint64(m_pos), rowLine = m_line;
    const auto tooLong = [&] {
        if (m_offset + qint64(m_pos) - rowStart <= MaxRowBytes)
            return false;
        m_failure = QStringLiteral("Fisierul %1: linia %2 are peste %3 MB; un rand de tabel poate avea cel mult %3 MB.")
                        .arg(m_path)
                        .arg(rowLine)
                        .arg(MaxRowBytes >> 20);
        return true;
    };
    const std::size_t columns = fields ? std::numeric_limits<std::size_t>::max() : std::size_t(m_columns.size());
    std::string header;
    std::string &out = fields ? header : *text;
    std::size_t cells = 0;
    for (;;) {
        const std::size_t start = out.size();
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
                high = high || hasHighBytes(from, std::size_t(until - from));
                m_line += qint64(countNewlines(from, std::size_t(until - from)));
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
            while (p < end && !m_stops[static_cast<unsigned char>(*p)])
                ++p;
            high = high || hasHighBytes(from, std::size_t(p - from));
            out.append(from, std::size_t(p - from));
            m_pos += std::size_t(p - from);
            if (tooLong())
                return false;
            if (p < end)
                break;
        }
        if (high && (!m_utf8 || !isUtf8(reinterpret_cast<const unsigned char *>(out.data() + start), out.size() - start, false))) {
            const QString decoded = m_windows1250.decode(QByteArrayView(out.data() + start, qsizetype(out.size() - start)));
            out.resize(start);
            out += decoded.toStdString();
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
        if (next == m_separator) {
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
    for (; !fields && cells < columns; ++cells)
        ends->push_back(quint32(out.size()));
    return true;
}

} // namespace formulix
