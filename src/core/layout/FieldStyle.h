#pragma once
// How a field's text looks and how its value is written: kept beside the fixed records of a
// schema, so a field without a style is exactly the field the records describe.

#include <QString>
#include <QtGlobal>

namespace formulix {

// Where the text stands against X. Without a box: its left end, its centre or its right end at
// X. With a box (boxWidthMm > 0): left, centred or right within [X, X + boxWidthMm].
enum class TextAlign : quint8 { Left, Centre, Right };

// What a text wider than its box does; only with a box.
enum class TextFit : quint8 {
    None,   // runs past the box as it is
    Shrink, // its size goes down until it fits, not below minPoints
    Wrap,   // broken onto lines of lineHeightMm at word boundaries
};

enum class TextCase : quint8 { AsWritten, Upper, Title };

enum class ValueKind : quint8 {
    AsGiven, // the value as the record holds it
    Date,    // a date read from the value, written with `pattern`
    Number,  // a number read from the value, with decimals and separators below
    Words,   // a number written in Romanian words, with `unit` after it
};

// Romanian words for an amount: a bare number, or lei (and bani for the decimals).
enum class WordsUnit : quint8 { None, Lei };

struct FieldFormat
{
    ValueKind kind = ValueKind::AsGiven;
    QString pattern;          // Date: "dd.MM.yyyy", "d MMMM yyyy" (Romanian month names), "dd", "MM", "yyyy"
    qint8 decimals = -1;      // Number and Words: digits after the decimal point; -1 keeps the value's own
    bool thousands = false;   // Number: a separator between groups of three digits
    bool decimalComma = true; // Number: "9,50" rather than "9.50"
    WordsUnit unit = WordsUnit::None;

    bool operator==(const FieldFormat &other) const = default;
};

struct FieldStyle
{
    QString family; // empty: the program's font
    bool bold = false;
    bool italic = false;
    TextAlign align = TextAlign::Left;
    double boxWidthMm = 0; // 0: no box
    TextFit fit = TextFit::None;
    double minPoints = 6;    // Shrink: the smallest size
    double lineHeightMm = 0; // Wrap: 0 takes the font's own line height
    TextCase textCase = TextCase::AsWritten;
    FieldFormat format;

    bool operator==(const FieldStyle &other) const = default;
    bool isPlain() const { return *this == FieldStyle(); }
};

} // namespace formulix
