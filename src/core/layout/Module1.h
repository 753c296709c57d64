#pragma once
// The layout model: the fields of the form being filled in, the database they come from, the
// page settings and the selection. One instance lives for the whole run and every window reads
// and writes it directly.

#include "core/layout/FieldStyle.h"
#include "core/text/TextRules.h"

#include <QString>
#include <optional>
#include <array>

namespace formulix {

// One placed field. A general field uses Text; a database field uses NumeCamp and the range.
struct Camp
{
    FixedString<50> Text;
    FixedString<20> NumeCamp;
    quint8 MarimeFont = 0; // points
    qint16 X = 0;          // whole millimetres from the template's left edge
    qint16 Y = 0;          // whole millimetres from the template's top edge
    quint8 RangMin = 0;    // first character printed, 1-based; 0 prints the whole value
    quint8 RangMax = 0;    // last character printed, inclusive

    // Beyond the fixed record: the look and format of the text, and a column's whole name when
    // it is longer than NumeCamp holds (empty otherwise).
    FieldStyle style;
    QString fullColumn;

    bool operator==(const Camp &other) const = default;
};

// A fixed-capacity table indexed from 1. An index outside 1..Capacity yields no entry, so no
// caller, however wrong its index, can reach memory outside the table.
template <typename T, int Capacity>
class Table1
{
public:
    static constexpr int Size = Capacity;

    static constexpr bool contains(int index) { return index >= 1 && index <= Capacity; }

    T *at(int index) { return contains(index) ? &m_items[std::size_t(index - 1)] : nullptr; }
    const T *at(int index) const
    {
        return contains(index) ? &m_items[std::size_t(index - 1)] : nullptr;
    }

private:
    std::array<T, Capacity> m_items{};
};

struct SelectieCamp
{
    bool EsteGeneral = false; // the selected field is in CampuriGen (else CampuriBD)
    qint16 Index = 0;         // 1-based index in that table; 0: nothing selected

    bool operator==(const SelectieCamp &other) const = default;
};

class Module1
{
public:
    static constexpr int MaxCampuriGen = 200;
    static constexpr int MaxCampuriBD = 50;

    Table1<Camp, MaxCampuriGen> CampuriGen;
    qint16 NrCampuriGen = 0;
    Table1<Camp, MaxCampuriBD> CampuriBD;
    qint16 NrCampuriBD = 0;

    QString CaleBazaDate; // full path of the loaded database
    QString NumeTabela;   // the chosen table

    qint16 PozStanga = 20; // mm the printed content moves to the left
    qint16 PozSus = 5;     // mm the printed content moves upwards
    qint16 Orientare = 1;  // 1 landscape, 2 portrait, anything else leaves the printer alone

    SelectieCamp CampSelectat;

    // The template the layout was made on, as the schema remembers it: its file (absolute), the
    // page of a many-page PDF or TIFF (0 is the first), and the factor "Corecteaza Scara
    // Machetei" applied to its size (1: none). Empty when no template is loaded.
    struct TemplateMemory
    {
        QString file;
        int page = 0;
        double scale = 1.0;
        bool operator==(const TemplateMemory &other) const = default;
    };
    TemplateMemory templ;

    // The field a selection names, or nothing when the selection is empty or names an entry
    // that is not in use (the table shrank, or a schema replaced it).
    Camp *campSelectat();
    const Camp *campSelectat() const;

    // Used entries only: 1..count, with the count clamped to the table's capacity.
    int usedGen() const { return qBound(0, int(NrCampuriGen), MaxCampuriGen); }
    int usedBD() const { return qBound(0, int(NrCampuriBD), MaxCampuriBD); }
};

// The column a database field reads: its whole name when the record had to cut it.
inline QString columnName(const Camp &camp)
{
    return camp.fullColumn.isEmpty() ? camp.NumeCamp.shown() : camp.fullColumn;
}

// What Camp::fullColumn keeps for a field placed on `column`: empty when NumeCamp holds it all.
inline QString fullColumnFor(const QString &column)
{
    return column.size() > decltype(Camp::NumeCamp)::Width ? column : QString();
}

// Names the column a database field reads, keeping its whole name when NumeCamp cuts it.
inline void setColumn(Camp &camp, const QString &column)
{
    camp.NumeCamp = column;
    camp.fullColumn = fullColumnFor(column);
}

// A database field takes a record's value: the value written in the field's format, then the
// whole of it or its range of characters, then in the field's case. Returns the text to show
// (whole: Text keeps only its first 50 characters), or nothing when the range is empty (the field
// then keeps its text).
std::optional<QString> takeRecordValue(Camp &camp, const QString &value);

} // namespace formulix
