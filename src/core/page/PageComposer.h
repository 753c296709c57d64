#pragma once
// The page "Tipareste" prints, composed from a layout and one record. The record travels as a
// parameter: nothing that restores, drags or redraws a layout changes whose values print.

#include "core/layout/Module1.h"
#include "core/page/PageRenderer.h"
#include "core/text/ValueFormat.h"

#include <optional>

namespace formulix {

// One record's values, one per database field of the layout in index order; nothing for a
// field whose column the table lacks.
using FieldValues = QList<std::optional<QString>>;

// What a general field prints: with the record's columns, its text with each {Column} filled
// in (composeText); without them, its text as written. Then in the field's case.
QString generalText(const Camp &camp, const ColumnLookup &columns = {});

// Every field's text at its place: general fields first, then database fields, each table in
// index order. With a record, a database field shows its value as choosing the record shows it
// (formatted, the whole value or its range of characters, in its case), and nothing when the
// record has no value for it or no character in its range; with no record, the text the layout
// holds. `columns` gives the same record's values by column name, for composed general texts.
PageContent composePage(const Module1 &layout, const FieldValues *record = nullptr, const ColumnLookup &columns = {});

} // namespace formulix
