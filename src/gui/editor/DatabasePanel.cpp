// The database-field panel: columns of the chosen table, placed with a click on the canvas.

#include "gui/app/frmEcranPrincipal.h"

#include <QAction>
#include <QGroupBox>

namespace formulix {

void frmEcranPrincipal::mnuDefCampBazaDate_Click()
{
    Frame2->show();
    Frame1->hide();
    mnuDefCampGen->setEnabled(true);
    mnuDefCampBazaDate->setEnabled(false);
}

void frmEcranPrincipal::List2_Click()
{
    if (!TabelaAleasa)
        return;
    setMousePointer(this, MousePointer::Cross);
    Picture1->setFocus();
    AsteaptaCampBD = true;
}

void frmEcranPrincipal::Command4_Click()
{
    if (m.NrCampuriBD <= 0)
        return;
    const PendingEdit edit = beginEdit();
    m.NrCampuriBD -= 1;
    // A marker left on the removed field would let "Sterge Camp" act on an entry no longer in use.
    if (!m.CampSelectat.EsteGeneral && m.CampSelectat.Index > m.NrCampuriBD)
        clearSelection();
    RedeseneazaCampuri();
    recordEdit(edit, QStringLiteral("stergerea ultimului camp din baza de date"));
}

void frmEcranPrincipal::Command5_Click()
{
    if (AsteaptaCampBD || pickingBoxes()) // a field waiting for its click keeps the panel open
        return;
    mnuDefCampGen->setEnabled(true);
    Frame2->hide();
}

} // namespace formulix
