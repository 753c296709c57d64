#pragma once
// Finding a field's column by the name the layout stores for it. A .tip keeps a column's name in
// 20 single-byte characters of the Central European code page, which has ş and ţ (cedilla) but
// not ș and ț (comma below), so a name comes back from a saved schema cut and respelled.

#include <QString>
#include <QStringList>

namespace formulix {

// The column `stored` names: the exact name, else the name without blanks at its ends, else the
// same name with ș/ş and ț/ţ (either case) taken as one letter, else the one column whose name,
// cut to the schema's 20 characters, is `stored`. -1 when none is found, or when a cut name fits
// more than one column.
int findColumn(const QStringList &columns, const QString &stored);

// A table's column names from its header row, as every kind of text table and workbook makes
// them: trimmed, an empty one "Coloana N", a repeated one (ignoring case) with "_2", "_3"...
QStringList headerNames(const QStringList &cells);

class Module1;
// The columns the layout's database fields name that `columns` lacks, each once, in field order,
// as the layout shows them: those fields print nothing. Then the names in braces of general
// fields' composed texts that `columns` lacks, as "{Name}": those print as written.
QStringList missingColumns(const Module1 &layout, const QStringList &columns);
// What the messages add when `missing` has a name in braces: those are not left blank.
QString bracedNote(const QStringList &missing);

} // namespace formulix
