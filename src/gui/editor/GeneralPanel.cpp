// The general-field panel: texts typed by the user, placed with a click on the canvas.

#include "gui/app/frmEcranPrincipal.h"

#include <QAction>
#include <QGroupBox>
#include <QLineEdit>

namespace formulix {

void frmEcranPrincipal::mnuDefCampGen_Click()
{
    Frame1->show();
    Frame2->hide();
    mnuDefCampGen->setEnabled(false);
    mnuDefCampBazaDate->setEnabled(true);
}

void frmEcranPrincipal::Command1_Click()
{
    if (!MachetaIncarcata)
        return;
    AsteaptaCampGen = true;
    setMousePointer(this, MousePointer::Cross);
}

void frmEcranPrincipal::Command2_Click()
{
    // A field still waiting for its click keeps the panel open: there is no other way to place it.
    if (AsteaptaCampGen)
        return;
    Frame1->hide();
    mnuDefCampBazaDate->setEnabled(true);
}

void frmEcranPrincipal::Command3_Click()
{
    if (m.NrCampuriGen <= 0)
        return;
    const PendingEdit edit = beginEdit();
    m.NrCampuriGen -= 1;
    // A marker left on the removed field would let its buttons act on an entry no longer in use.
    if (m.CampSelectat.EsteGeneral && m.CampSelectat.Index > m.NrCampuriGen)
        clearSelection();
    RedeseneazaCampuri();
    recordEdit(edit, QStringLiteral("stergerea ultimului camp"));
}

void frmEcranPrincipal::Command8_Click()
{
    Text1->clear();
}

} // namespace formulix
