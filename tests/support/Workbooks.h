#pragma once
// Workbooks written for the tests and benchmarks: zips of chosen parts, the least an .xlsx or an
// .ods needs around a sheet's XML, and long sheets.

#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>

namespace formulix::test {

using ZipParts = QList<std::pair<QString, QByteArray>>;

// Writes the parts, deflated (the first stored when `storeFirst`, as OpenDocument's mimetype
// is), over `path`; false when libzip cannot.
bool writeZip(const QString &path, const ZipParts &parts, bool storeFirst = false);

// A workbook of one sheet, "Foaie1", whose xl/worksheets/sheet1.xml holds `sheetData` inside
// <worksheet> (rows, a dimension...); shared texts and styles only when given.
ZipParts xlsxParts(const QByteArray &sheet, const QByteArray &sharedStrings = {}, const QByteArray &styles = {});
// An OpenDocument spreadsheet whose office:spreadsheet holds `tables`, with `styles` as its
// automatic styles. Prefixes: office, table, text, style, number.
ZipParts odsParts(const QByteArray &tables, const QByteArray &styles = {});

// A long sheet as an office writes one: `rows` records under a header of `columns` names,
// texts (shared, numbered in order of first use: a name of its own per row, the others
// repeating) and numbers taking turns by column. Cell (r, c) reads as longSheetText(r, c), the
// header's as longSheetText(-1, c). `tail` goes after the last row and the last shared text.
bool writeLongXlsx(const QString &path, int rows, int columns, const QByteArray &tail = {});
QString longSheetText(int row, int column);

} // namespace formulix::test
