#include "core/records/SheetCursor.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <numeric>

namespace formulix {

namespace {

// Cells in column order, each column once (the first kept): writers keep them so, a damaged
// file may not.
void putInOrder(SheetRows::Row &row)
{
    const auto &cells = row.cells;
    bool ordered = true;
    for (std::size_t i = 1; i < cells.size() && ordered; ++i)
        ordered = cells[i - 1].first < cells[i].first;
    if (ordered)
        return;
    std::vector<std::size_t> order(cells.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return cells[a].first < cells[b].first; });
    SheetRows::Row sorted;
    sorted.index = row.index;
    sorted.repeat = row.repeat;
    for (std::size_t i : order) {
        if (!sorted.cells.empty() && sorted.cells.back().first == cells[i].first)
            continue;
        const quint32 start = i == 0 ? 0 : cells[i - 1].second;
        sorted.text.append(row.text, start, cells[i].second - start);
        sorted.endCell(cells[i].first);
    }
    row = std::move(sorted);
}

} // namespace

SheetCursor::SheetCursor(const QString &path, const QString &sheet, const QStringList &columns)
    : BufferedCursor(path, QStringLiteral("Fisierul"), sheet, columns)
{
}

std::unique_ptr<RecordCursor> SheetCursor::open(std::unique_ptr<SheetRows> rows, const QString &path,
                                                const QString &sheet, QString *error)
{
    SheetRows::Row header;
    do {
        if (!rows->nextRow(header, MaxColumns)) {
            if (error)
                *error = !rows->fault().isEmpty()
                             ? rows->fault()
                             : QStringLiteral("Foaia %1 din fisierul %2 este goala: primul rand trebuie sa dea numele "
                                              "coloanelor.").arg(sheet, path);
            return nullptr;
        }
    } while (header.cells.empty());
    if (header.index >= MaxRows) {
        if (error)
            *error = QStringLiteral("Fisierul %1 este deteriorat: foaia %2 are mai mult de %3 randuri.").arg(path, sheet).arg(MaxRows);
        return nullptr;
    }
    putInOrder(header);
    QStringList cells(header.cells.back().first + 1);
    quint32 start = 0;
    for (const auto &[column, end] : header.cells) {
        cells[column] = QString::fromUtf8(header.text.data() + start, qsizetype(end - start));
        start = end;
    }
    std::unique_ptr<SheetCursor> cursor(new SheetCursor(path, sheet, headerNames(cells)));
    cursor->m_rows = std::move(rows);
    cursor->m_next = header.index + 1;
    // A header kept as a repeated row repeats as records.
    cursor->m_left = std::max<qint64>(std::min(header.repeat, MaxRows - header.index) - 1, 0);
    cursor->m_row = std::move(header);
    return cursor;
}

bool SheetCursor::readRow(std::string &text, std::vector<quint32> &ends)
{
    const int columns = int(columnNames().size());
    if (m_left <= 0) {
        do {
            if (!m_rows->nextRow(m_row, columns)) {
                if (!m_rows->fault().isEmpty())
                    failWith(m_rows->fault());
                return false;
            }
            if (m_row.index < m_next) {
                failWith(QStringLiteral("Fisierul %1 este deteriorat: randurile foii %2 nu sunt in ordine.")
                             .arg(path(), tableName()));
                return false;
            }
        } while (m_row.cells.empty());
        if (m_row.index + m_row.repeat > MaxRows) {
            failWith(QStringLiteral("Fisierul %1 este deteriorat: foaia %2 are mai mult de %3 randuri.")
                         .arg(path(), tableName())
                         .arg(MaxRows));
            return false;
        }
        if (m_row.text.size() > MaxRowBytes) {
            failWith(QStringLiteral("Fisierul %1: randul %2 din foaia %3 are peste %4 MB; un rand de tabel poate avea "
                                    "cel mult %4 MB.")
                         .arg(path())
                         .arg(m_row.index + 1)
                         .arg(tableName())
                         .arg(MaxRowBytes >> 20));
            return false;
        }
        putInOrder(m_row);
        m_left = m_row.repeat;
    }
    if (m_next < m_row.index) { // an empty row between records
        for (int column = 0; column < columns; ++column)
            endCell(text, ends, true);
        ++m_next;
        return true;
    }
    std::size_t cell = 0;
    quint32 start = 0;
    const auto &cells = m_row.cells;
    for (int column = 0; column < columns; ++column) {
        if (cell < cells.size() && cells[cell].first == column) {
            text.append(m_row.text, start, cells[cell].second - start);
            start = cells[cell].second;
            ++cell;
            endCell(text, ends);
        } else {
            endCell(text, ends, true);
        }
    }
    ++m_next;
    --m_left;
    return true;
}

} // namespace formulix
