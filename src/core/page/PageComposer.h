#pragma once
// The page "Tipareste" prints, composed from a layout and one record. The record travels as a
// parameter: nothing that restores, drags or redraws a layout changes whose values print.

#include "core/layout/Module1.h"
#include "core/page/PageRenderer.h"

#include <optional>

namespace formulix {

// One record's values, one per database field of the layout in index order; nothing for a
// field whose column the table lacks.
using FieldValues = QList<std::optional<QString>>;

// Every field's text at its place: general fields first, then database fields, each table in
// index order. With a record, a database field shows its value as choosing the record shows it
// (the whole value or its range of characters), and nothing when the record has no value for it
// or no character in its range; with no record, the text the layout holds.
PageContent composePage(const Module1 &layout, const FieldValues *record = nullptr);

} // namespace formulix
