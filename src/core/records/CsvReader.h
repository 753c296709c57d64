#pragma once
// A table kept as text, as spreadsheets save it (CSV): the first line names the columns, the
// separator (comma, semicolon or tab) is the one the first line uses most, fields may be quoted
// with doubled quotes and separators or line breaks inside. Text is UTF-8 (with or without a
// byte order mark); a file whose beginning is not UTF-8 is read as Windows-1250. Rows are read
// on demand, a block of the file at a time.

#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <array>
#include <string>
#include <vector>

namespace formulix {

class CsvReader
{
public:
    // A row (its line, or its lines with a quoted line break) of more bytes is a fault: no table
    // needs it, and reading it whole would hold the window and the memory.
    static constexpr qint64 MaxRowBytes = 1 << 20;

    CsvReader() = default;
    ~CsvReader();
    CsvReader(const CsvReader &) = delete;
    CsvReader &operator=(const CsvReader &) = delete;

    // Opens the file and reads its header; false with a Romanian reason naming the file.
    bool open(const QString &path, QString *error);
    // The header's names: an empty one becomes "Coloana N", a repeated one gets "_2", "_3"...
    const QStringList &columnNames() const { return m_columns; }

    // The next row as UTF-8 cells, one per column (a short row's missing cells empty, a long
    // row's extra ones dropped): each cell's text appended to `text` and the offset where it ends
    // to `ends`. False at the end of the file, and on a fault (failure() says which line).
    bool readRow(std::string &text, std::vector<quint32> &ends);
    QString failure() const { return m_failure; }
    // The file is no longer the one opened: rewritten or cut in place.
    bool changed() const;

private:
    bool fill();                      // more bytes after the ones not yet parsed; false at the end
    bool atEnd() { return m_pos >= m_end && !fill(); } // no byte left to parse
    int peek() { return atEnd() ? -1 : static_cast<unsigned char>(m_buffer[m_pos]); } // -1 at the end
    bool readFields(std::vector<std::string> *fields, std::string *text, std::vector<quint32> *ends);
    void appendField(std::string &out, const char *bytes, std::size_t size, bool high);

    QString m_path;
    int m_fd = -1;
    qint64 m_size = -1;
    qint64 m_modified = 0;
    std::vector<char> m_buffer;
    std::size_t m_pos = 0, m_end = 0;
    qint64 m_offset = 0; // in the file, of the buffer's first byte
    bool m_eof = false;
    char m_separator = ',';
    std::array<bool, 256> m_stops{}; // the bytes that end an unquoted field
    bool m_utf8 = true;
    QStringDecoder m_windows1250{"windows-1250"};
    QStringList m_columns;
    qint64 m_line = 1; // of the next byte
    QString m_failure;
    std::string m_field; // reused for a field that crosses a block
};

} // namespace formulix
