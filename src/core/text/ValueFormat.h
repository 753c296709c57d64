#pragma once
// What a field prints: a record's value read as a date or a number and written in the field's
// format, the text in the field's case, and a general field's text filled in from the record.

#include "core/layout/FieldStyle.h"

#include <QDate>
#include <functional>
#include <optional>

namespace formulix {

// The value written in `format`. AsGiven gives the value untouched; a value the format cannot
// read (no date, no number, a number too large for words) comes back as given, so a field never
// prints nothing or a number that is not the record's.
//  - Date: written with `pattern` (writeDate), "dd.MM.yyyy" when it is empty.
//  - Number: `decimals` places (rounded half to even, padded with zeros), else the value's own;
//    the decimal comma or point, and with `thousands` the other of the two between groups of
//    three digits: "1.234,56", "1,234.56".
//  - Words: decimalWords or, with lei, leiWords, after rounding to `decimals` places (lei keep
//    at most two, the bani).
QString formatValue(const FieldFormat &format, const QString &value);

// A date as record sources write it, a time of day after it ignored: first in the system's
// short date format with a four-digit year, as Access values are written (so "3/4/2010" is the
// 4th of March under an American setting), then "14.03.2010" or "14/3/2010" (day first, with
// dots, slashes or dashes), then "2010-03-14". Nothing when it is no date.
std::optional<QDate> readDate(const QString &value);

// A date written with a pattern: d, dd (day), M, MM (month), MMM, MMMM (the month's short and
// full Romanian name: "mar.", "martie"), ddd, dddd (the day of the week: "dum.", "duminică"),
// yy, yyyy (year); text in single quotes and every other character as it is.
QString writeDate(QDate date, const QString &pattern);

// UPPER, or Title: the first letter of each word capital, the others small; a word is a run of
// letters (so "ION-MIHAI" is "Ion-Mihai").
QString applyCase(TextCase textCase, const QString &text);

// A record's value in a column named as a layout names it (found as findColumn finds a column),
// or nothing when the record has no such column.
using ColumnLookup = std::function<std::optional<QString>(const QString &column)>;

// A text with each {Column} replaced by the record's value in that column, without its trailing
// blanks; "{{" and "}}" stand for "{" and "}". A column the record lacks, or a brace left open,
// stays as written.
QString composeText(const QString &text, const ColumnLookup &lookup);

} // namespace formulix
