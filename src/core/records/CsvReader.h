#pragma once
// A table kept as text, as spreadsheets save it (CSV, "Unicode text"): fields separated by one
// character, quoted with doubled quotes and separators or line breaks inside; the first line names
// the columns unless the options say it does not. Rows are read on demand, a block of the file at
// a time.
//
// What the options leave to the guess:
// - the encoding: a byte order mark says UTF-8 or UTF-16 (little or big endian); otherwise a file
//   of up to WholeScanBytes is UTF-8 when all of it is, else Windows-1250. A longer one is judged
//   by its first 64 KiB: a line after them that is not UTF-8 then ends the table with a failure
//   naming it, rather than reading as garbled text.
// - the separator: of semicolon, tab and comma, the one that gives every row sampled (the first
//   SampleRows rows of the first 64 KiB) as many cells as the first line, and more than one;
//   between those, or when none does, the one giving the first line most cells; a tie goes to
//   the earlier in that order.
// - the first line names the columns.

#include "core/records/CsvOptions.h"

#include <QString>
#include <sys/types.h>
#include <QStringDecoder>
#include <QStringList>
#include <array>
#include <string>
#include <vector>

namespace formulix {

class CsvReader
{
public:
    // A row (its line, or its lines with a quoted line break) of more bytes (as UTF-8) is a fault:
    // no table needs it, and reading it whole would hold the window and the memory.
    static constexpr qint64 MaxRowBytes = 1 << 20;
    static constexpr qint64 WholeScanBytes = 16 << 20;
    static constexpr int SampleRows = 200;

    CsvReader() = default;
    ~CsvReader();
    CsvReader(const CsvReader &) = delete;
    CsvReader &operator=(const CsvReader &) = delete;

    // Opens the file and reads its header; false with a Romanian reason naming the file.
    bool open(const QString &path, const CsvOptions &options, QString *error);
    bool open(const QString &path, QString *error) { return open(path, CsvOptions(), error); }
    // What the file is read with: the options given, the guess for the rest (none is Auto).
    const CsvOptions &options() const { return m_options; }
    // The header's names: an empty one becomes "Coloana N", a repeated one gets "_2", "_3"...;
    // without a header, "Coloana 1" to "Coloana N" for the most cells a sampled row has.
    const QStringList &columnNames() const { return m_columns; }

    // The next row as UTF-8 cells, one per column (a short row's missing cells empty, a long
    // row's extra ones dropped and counted): each cell's text appended to `text` and the offset
    // where it ends to `ends`. False at the end of the file, and on a fault (failure() says which
    // line).
    bool readRow(std::string &text, std::vector<quint32> &ends);
    QString failure() const { return m_failure; }
    // The file is no longer the one opened: rewritten or cut in place.
    bool changed() const;
    // The rows read so far that had more cells than the table has columns, as a Romanian warning
    // naming the file and the first of their lines; empty when there were none.
    QString longRowsWarning() const;

private:
    bool fill();                      // more bytes after the ones not yet parsed; false at the end
    bool fillUtf16();
    // Up to `size` bytes of the file; at its end or on a fault (told) 0 or less, and no more reads.
    ssize_t readBlock(char *into, std::size_t size);
    bool atEnd() { return m_pos >= m_end && !fill(); } // no byte left to parse
    int peek() { return atEnd() ? -1 : static_cast<unsigned char>(m_buffer[m_pos]); } // -1 at the end
    bool readFields(std::vector<std::string> *fields, std::string *text, std::vector<quint32> *ends);
    bool refuseLongRow(qint64 line); // says why, and is true
    bool readWholeLine(std::string &text, std::vector<quint32> &ends);
    bool wholeFileIsUtf8() const;
    char guessSeparator() const;

    QString m_path;
    int m_fd = -1;
    qint64 m_size = -1;
    qint64 m_modified = 0;
    CsvOptions m_options;
    std::vector<char> m_buffer;       // the text as UTF-8, or in its 8-bit encoding
    std::size_t m_pos = 0, m_end = 0;
    qint64 m_offset = 0; // of the buffer's first byte, in the text
    qint64 m_validFrom = 0, m_validTo = 0; // the span of the text last found valid UTF-8
    bool m_eof = false;
    std::array<bool, 256> m_stops{}; // the bytes that end an unquoted field
    QStringDecoder m_eightBit;       // for an 8-bit encoding, the fields with high bytes
    QStringDecoder m_utf16;          // for UTF-16, every block as it is read
    std::vector<char> m_raw;         // a UTF-16 block before decoding
    QStringList m_columns;
    qint64 m_line = 1; // of the next byte
    QString m_failure;
    qint64 m_longRows = 0;
    std::vector<qint64> m_longLines; // the first of them
};

} // namespace formulix
