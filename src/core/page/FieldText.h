#pragma once
// A field's text as the page and the canvas draw it: its face, its case and its placement from
// the field's style, and the rectangle it covers, so what is drawn and what is measured (a
// click, a margin check) never differ.

#include "core/layout/Module1.h"
#include "core/page/PageRenderer.h"

namespace formulix {

// The program's font in the style's family, bold and italic. A family this system lacks gives
// the program's font: the field still prints, in the font it would have had without a style.
QFont fieldFace(const FieldStyle &style);

TextPlacement fieldPlacement(const FieldStyle &style);

// The field showing `text` at its point, in black.
PrintedText printedField(const Camp &camp, const QString &text);

// What the field showing `text` covers on the page (or as the canvas draws it), in millimetres.
inline QRectF fieldRectMm(const Camp &camp, const QString &text, TextMeasure measure = TextMeasure::Paper)
{
    return textRectMm(printedField(camp, text), measure);
}

} // namespace formulix
