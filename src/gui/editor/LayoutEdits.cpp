// The layout's history: each change the user makes is one step of "Anuleaza" and "Reface", and
// the step last saved is the layout's clean state.

#include "gui/app/frmEcranPrincipal.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QUndoStack>

namespace formulix {

frmEcranPrincipal::PendingEdit frmEcranPrincipal::beginEdit() const
{
    return {captureLayout(m), shownSelection()};
}

void frmEcranPrincipal::recordEdit(const PendingEdit &edit, const QString &text)
{
    // Refused, cancelled or nothing to change: no step to undo.
    m_document->recordChange(text, edit.before, edit.selected, shownSelection(),
                             [this](const LayoutState &state, SelectieCamp selected) { showLayout(state, selected); });
    showWhoPrints();
}

void frmEcranPrincipal::undoLayout()
{
    // A drag or a pick of boxes in progress works on the layout about to change: it ends first.
    cancelDrag();
    cancelBoxes();
    m_history->undo();
}

void frmEcranPrincipal::redoLayout()
{
    cancelDrag();
    cancelBoxes();
    m_history->redo();
}

void frmEcranPrincipal::showLayout(const LayoutState &state, SelectieCamp selected)
{
    restoreLayout(state, m);
    clearSelection();
    RedeseneazaCampuri();
    showWhoPrints();
    // The field the step was about is marked again, unless a placement is waiting for its click:
    // marking switches panels, and the armed one must stay.
    const int used = selected.EsteGeneral ? m.usedGen() : m.usedBD();
    if (selected.Index >= 1 && selected.Index <= used && !AsteaptaCampGen && !AsteaptaCampBD)
        markField(selected.EsteGeneral, selected.Index);
}

SelectieCamp frmEcranPrincipal::shownSelection() const
{
    if (Label8->isHidden() || !m.campSelectat())
        return {};
    return m.CampSelectat;
}

} // namespace formulix
