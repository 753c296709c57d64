#include "core/records/BufferedCursor.h"

#include <algorithm>

namespace formulix {

namespace {

// A chunk closes at ChunkRows rows or ChunkBytes of text; one row alone is at most 255 memos of
// 4 MiB as UTF-8, so offsets stay below 2^31.
constexpr int ChunkRows = 4096;
constexpr std::size_t ChunkBytes = 64u << 20;
constexpr quint32 OffsetMask = 0x7FFFFFFFu;

} // namespace

BufferedCursor::BufferedCursor(QString path, QString what, QString tableName, QStringList columnNames)
    : m_path(std::move(path)), m_what(std::move(what)), m_tableName(std::move(tableName)),
      m_columnNames(std::move(columnNames))
{
}

void BufferedCursor::failWith(const QString &reason)
{
    m_failure = reason;
    closeChunk();
}

bool BufferedCursor::readOneRow()
{
    const std::size_t columns = std::size_t(m_columnNames.size());
    if (m_chunks.empty() || m_chunks.back().rows >= ChunkRows || m_chunks.back().text.size() >= ChunkBytes) {
        closeChunk();
        Chunk chunk = std::move(m_spare);
        m_spare = Chunk();
        chunk.firstRow = m_rowsRead;
        chunk.rows = 0;
        chunk.text.clear();
        chunk.ends.clear();
        chunk.text.reserve(std::min(std::max<std::size_t>(m_lastChunkBytes + m_lastChunkBytes / 16, 64 * 1024), ChunkBytes));
        chunk.ends.reserve(std::size_t(ChunkRows) * columns);
        m_chunks.push_back(std::move(chunk));
    }
    Chunk &chunk = m_chunks.back();
    const std::size_t text = chunk.text.size(), ends = chunk.ends.size();
    if (!readRow(chunk.text, chunk.ends) || chunk.ends.size() != ends + columns) {
        chunk.text.resize(text); // a row cut by a fault leaves nothing behind
        chunk.ends.resize(ends);
        return false;
    }
    ++chunk.rows;
    ++m_rowsRead;
    return true;
}

qint64 BufferedCursor::fetchMore(qint64 count)
{
    // A file rewritten or cut in place while it is read loses rows silently: say so instead of
    // ending the table there.
    const auto changedMessage = [this] {
        return QStringLiteral("%1 %2 s-a schimbat in timp ce era citita tabela %3; inregistrarile de "
                              "dupa %4 nu pot fi citite. Incarcati baza de date din nou.")
            .arg(m_what, m_path, m_tableName)
            .arg(m_rowsRead);
    };
    qint64 read = 0;
    while (read < count && !m_allRead && m_failure.isEmpty()) {
        if (read % 256 == 0 && changedSinceOpened()) {
            failWith(changedMessage());
            break;
        }
        if (readOneRow()) {
            ++read;
        } else if (!m_failure.isEmpty()) {
            break;
        } else if (changedSinceOpened()) {
            failWith(changedMessage());
        } else if (const QString early = endedEarly(); !early.isEmpty()) {
            failWith(early);
        } else {
            m_allRead = true;
            closeChunk();
        }
    }
    return read;
}

void BufferedCursor::closeChunk()
{
    if (m_chunks.empty())
        return;
    // Only a chunk with much room to spare is copied into a tight one.
    Chunk &chunk = m_chunks.back();
    m_lastChunkBytes = chunk.text.size();
    if (chunk.text.capacity() > chunk.text.size() + chunk.text.size() / 8)
        chunk.text.shrink_to_fit();
    if (chunk.ends.capacity() > chunk.ends.size() + chunk.ends.size() / 8)
        chunk.ends.shrink_to_fit();
}

const BufferedCursor::Chunk *BufferedCursor::locate(qint64 row, int column, std::size_t *cell) const
{
    if (row < 0 || row >= m_rowsRead || column < 0 || column >= m_columnNames.size() || m_chunks.empty()
        || row < m_chunks.front().firstRow)
        return nullptr;
    const auto after = std::upper_bound(m_chunks.begin(), m_chunks.end(), row,
                                        [](qint64 r, const Chunk &chunk) { return r < chunk.firstRow; });
    const Chunk &chunk = *(after - 1);
    *cell = std::size_t(row - chunk.firstRow) * std::size_t(m_columnNames.size()) + std::size_t(column);
    return &chunk;
}

void BufferedCursor::forgetRowsBefore(qint64 row)
{
    auto end = m_chunks.begin();
    while (end != m_chunks.end() && end->firstRow + end->rows <= row)
        ++end;
    if (end != m_chunks.begin()) {
        m_spare = std::move(*(end - 1)); // its room serves the rows read next
        m_chunks.erase(m_chunks.begin(), end); // the next row read starts a chunk of its own
    }
}

QString BufferedCursor::storedText(qint64 row, int column, bool nullToo) const
{
    std::size_t cell = 0;
    const Chunk *chunk = locate(row, column, &cell);
    if (!chunk || (!nullToo && (chunk->ends[cell] & NullCell)))
        return QString();
    const quint32 start = cell == 0 ? 0 : chunk->ends[cell - 1] & OffsetMask;
    const quint32 end = chunk->ends[cell] & OffsetMask;
    return QString::fromUtf8(chunk->text.data() + start, qsizetype(end - start));
}

QString BufferedCursor::text(qint64 row, int column) const
{
    return storedText(row, column, false);
}

QString BufferedCursor::displayText(qint64 row, int column) const
{
    return storedText(row, column, true);
}

bool BufferedCursor::isNull(qint64 row, int column) const
{
    std::size_t cell = 0;
    const Chunk *chunk = locate(row, column, &cell);
    return !chunk || (chunk->ends[cell] & NullCell);
}

} // namespace formulix
