#pragma once
// A workbook's sheet as a table, whatever the workbook's format: the first row with a value
// names the columns, up to its last cell with a value (names as a text table's header makes
// them); the rows after it are the records, one cell per column, cells past the header's
// columns dropped. Rows with no value between records are records of NULLs, as the sheet shows
// them; those after the last record are not rows at all (a sheet's format often keeps
// formatted empty rows to its end).
//
// A format's reader gives the sheet's rows, sparse, to the cursor here, which lays them out.

#include "core/records/BufferedCursor.h"
#include "core/records/ColumnMatch.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace formulix {

class SheetRows
{
public:
    struct Row
    {
        qint64 index = 0;  // in the sheet, from 0
        qint64 repeat = 1; // the row stands for this many alike (OpenDocument keeps them once)
        std::string text;  // the cells' UTF-8, back to back
        std::vector<std::pair<int, quint32>> cells; // with a value: column, end of its text

        void clear()
        {
            repeat = 1;
            text.clear();
            cells.clear();
        }
        // Ends the cell whose text was appended since the last one; an empty one holds no value.
        void endCell(int column)
        {
            const std::size_t start = cells.empty() ? 0 : cells.back().second;
            if (text.size() > start)
                cells.emplace_back(column, quint32(text.size()));
        }
    };

    virtual ~SheetRows() = default;
    // The sheet's next row, with its cells of columns below `columns` (the others are left out),
    // in the sheet's order. False at the sheet's end, and on a fault, with the reason in
    // fault() naming the file.
    virtual bool nextRow(Row &row, int columns) = 0;
    // The file is no longer the one opened.
    virtual bool changed() const = 0;
    const QString &fault() const { return m_fault; }

protected:
    void setFault(const QString &reason) { m_fault = reason; }

private:
    QString m_fault;
};

class SheetCursor final : public BufferedCursor
{
public:
    // The limits both formats have: no cell of a real sheet is beyond them.
    static constexpr int MaxColumns = 16384;
    static constexpr qint64 MaxRows = 1048576;
    // A row of more text is a fault: no form needs it, and it would hold the memory.
    static constexpr std::size_t MaxRowBytes = 16u << 20;

    // Reads the sheet's header from `rows`; nullptr with a reason naming the file in `error` when
    // the sheet has no value or is damaged before it.
    static std::unique_ptr<RecordCursor> open(std::unique_ptr<SheetRows> rows, const QString &path,
                                              const QString &sheet, QString *error);

private:
    SheetCursor(const QString &path, const QString &sheet, const QStringList &columns);
    bool readRow(std::string &text, std::vector<quint32> &ends) override;
    bool changedSinceOpened() override { return m_rows->changed(); }

    std::unique_ptr<SheetRows> m_rows;
    SheetRows::Row m_row; // the row being given
    qint64 m_left = 0;    // times it is still to be given
    qint64 m_next = 0;    // the sheet's row the next record is
};


} // namespace formulix
