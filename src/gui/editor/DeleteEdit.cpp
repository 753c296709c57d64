// Deleting the selected field and replacing a general field's text.

#include "gui/app/frmEcranPrincipal.h"
#include "widgets/Dialogs.h"

namespace formulix {

void frmEcranPrincipal::Command7_Click()
{
    StergeCampSelectat();
}

void frmEcranPrincipal::Command6_Click()
{
    StergeCampSelectat();
}

void frmEcranPrincipal::Command9_Click()
{
    EditeazaCampSelectat();
}

void frmEcranPrincipal::StergeCampSelectat()
{
    // Only a field that is really selected and in use can go.
    if (!m.campSelectat()) {
        clearSelection();
        return;
    }
    const PendingEdit edit = beginEdit();
    const bool general = m.CampSelectat.EsteGeneral;
    qint16 &count = general ? m.NrCampuriGen : m.NrCampuriBD;
    const int n = general ? m.usedGen() : m.usedBD();
    for (int i = m.CampSelectat.Index; i < n; ++i) {
        if (general)
            *m.CampuriGen.at(i) = *m.CampuriGen.at(i + 1);
        else
            *m.CampuriBD.at(i) = *m.CampuriBD.at(i + 1);
    }
    count = qint16(n - 1);
    clearSelection();
    RedeseneazaCampuri();
    recordEdit(edit, QStringLiteral("stergerea campului"));
}

void frmEcranPrincipal::EditeazaCampSelectat()
{
    Camp *camp = m.CampSelectat.EsteGeneral ? m.campSelectat() : nullptr;
    if (!camp) {
        clearSelection();
        return;
    }
    const PendingEdit edit = beginEdit();
    const FixedString<50> previous = camp->Text;
    camp->Text = trimBlanks(InputBox::ask(this, QStringLiteral("Introduceti noul text"), QStringLiteral("Text Nou")));
    // Cancelled, empty or blank: the field keeps its text.
    if (trimBlanks(camp->Text.raw()).isEmpty())
        camp->Text = previous;
    clearSelection();
    RedeseneazaCampuri();
    recordEdit(edit, QStringLiteral("editarea campului"));
}

} // namespace formulix
