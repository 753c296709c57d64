#pragma once
// The storage every file-reading cursor shares: rows are read one at a time by the kind's own
// reader and kept as compact UTF-8 in chunks, so a table of any length can be walked holding only
// the rows still wanted.

#include "core/records/RecordSource.h"

#include <string>
#include <vector>

namespace formulix {

class BufferedCursor : public RecordCursor
{
public:
    const QString &tableName() const final { return m_tableName; }
    const QStringList &columnNames() const final { return m_columnNames; }
    qint64 rowsRead() const final { return m_rowsRead; }
    bool allRead() const final { return m_allRead; }
    bool failed() const final { return !m_failure.isEmpty(); }
    QString failure() const final { return m_failure; }
    qint64 fetchMore(qint64 count) final;
    void forgetRowsBefore(qint64 row) final;
    QString text(qint64 row, int column) const final;
    bool isNull(qint64 row, int column) const final;
    QString displayText(qint64 row, int column) const final;

    // A cell's end offset carries this bit when the cell is NULL.
    static constexpr quint32 NullCell = 0x80000000u;
    // Ends the cell whose text was just appended to `text`.
    static void endCell(const std::string &text, std::vector<quint32> &ends, bool null = false)
    {
        ends.push_back(quint32(text.size()) | (null ? NullCell : 0));
    }
    // Ends a cell whose data no text shows: NULL, with the placeholder just appended to `text`
    // as its displayText().
    static void endPlaceholder(const std::string &text, std::vector<quint32> &ends)
    {
        ends.push_back(quint32(text.size()) | NullCell);
    }

protected:
    // `what` names the file in messages: "Baza de date" or "Fisierul".
    BufferedCursor(QString path, QString what, QString tableName, QStringList columnNames);

    // Appends the next row, exactly one cell per column, each cell's UTF-8 to `text` and its end
    // to `ends` (endCell). False at the table's end, or on a fault after failWith(); whatever a
    // false call appended is dropped.
    virtual bool readRow(std::string &text, std::vector<quint32> &ends) = 0;
    // The file was rewritten or cut since the table was opened.
    virtual bool changedSinceOpened() = 0;
    // Asked when the rows end: why that is too early (rows fewer than the file records), or empty.
    virtual QString endedEarly() { return QString(); }

    void failWith(const QString &reason);
    const QString &path() const { return m_path; }

private:
    struct Chunk
    {
        qint64 firstRow = 0;
        int rows = 0;
        std::string text;
        std::vector<quint32> ends; // per cell, row by row: where its text ends, NullCell when NULL
                                   // (a NULL cell's text is a placeholder or empty)
    };
    bool readOneRow();
    void closeChunk();
    // The chunk holding `row` and the cell's index in it, or nullptr when out of range.
    const Chunk *locate(qint64 row, int column, std::size_t *cell) const;
    QString storedText(qint64 row, int column, bool nullToo) const;

    QString m_path;
    QString m_what;
    QString m_tableName;
    QStringList m_columnNames;
    std::vector<Chunk> m_chunks;
    Chunk m_spare;                    // a let-go chunk's room, for the next rows
    std::size_t m_lastChunkBytes = 0; // rows of a table are much alike: a guess for the next chunk
    qint64 m_rowsRead = 0;
    bool m_allRead = false;
    QString m_failure;
};

} // namespace formulix
