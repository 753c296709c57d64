// Drawing the fields on the canvas: one field, or the whole layout over the clean template.

#include "gui/app/frmEcranPrincipal.h"
#include "core/page/FieldText.h"

namespace formulix {

QString frmEcranPrincipal::displayText(const Camp &camp, bool esteGeneral)
{
    if (esteGeneral)
        return camp.Text.shown();
    // A field cut to a character range shows only the first letter of its column.
    if (camp.RangMin != 0)
        return camp.NumeCamp.shown().left(1);
    return camp.NumeCamp.shown();
}

void frmEcranPrincipal::DeseneazaCamp(const Camp &camp, bool esteGeneral)
{
    // As the page draws it: face, case, alignment and box from the field's style.
    Picture1->printText(printedField(camp, displayText(camp, esteGeneral)));
}

QRectF frmEcranPrincipal::fieldRect(const Camp &camp, bool esteGeneral)
{
    return fieldRectMm(camp, displayText(camp, esteGeneral), TextMeasure::Screen);
}

void frmEcranPrincipal::RedeseneazaCampuri()
{
    Picture1->setPicture(Picture2->picture());
    for (int i = 1; i <= m.usedGen(); ++i)
        DeseneazaCamp(*m.CampuriGen.at(i), true);
    for (int i = 1; i <= m.usedBD(); ++i)
        DeseneazaCamp(*m.CampuriBD.at(i), false);
}

} // namespace formulix
