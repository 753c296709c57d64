#pragma once
// The page "Tipareste" prints, composed on a page image from the layout as it stands.

#include "core/layout/Module1.h"
#include "widgets/PictureBox.h"

namespace formulix {

// Prints every field's text on `page` at its place: general fields first, then database
// fields, each table in index order.
void composePage(const Module1 &m, PictureBox &page);

} // namespace formulix
