// "Proprietati Camp...": the selected field's style, format and size, changed in one dialog as
// one undo step; a double click on a field opens the dialog for it.

#include "gui/app/frmEcranPrincipal.h"
#include "gui/editor/FieldPropertiesDialog.h"

#include <QLabel>

namespace formulix {

void frmEcranPrincipal::editFieldProperties()
{
    const SelectieCamp selected = shownSelection();
    Camp *camp = selected.Index > 0 ? m.campSelectat() : nullptr;
    if (!camp)
        return;
    const FieldLook before{camp->style, camp->MarimeFont};
    const std::optional<FieldLook> after
        = FieldPropertiesDialog::ask(this, before, trimBlanks(displayText(*camp, selected.EsteGeneral)));
    if (!after || *after == before) // cancelled, or nothing to change: no step
        return;
    const PendingEdit edit = beginEdit();
    camp->style = after->style;
    camp->MarimeFont = after->size;
    clearSelection();
    RedeseneazaCampuri();
    markField(selected.EsteGeneral, selected.Index); // the marker takes the field's new look
    recordEdit(edit, QStringLiteral("Modificare proprietati camp"));
}

void frmEcranPrincipal::notePress(int button, int, float x, float y)
{
    // A press that took hold of a field left it in m_drag, at the very point pressed.
    const bool held = button == LeftButton && m_drag.pressed && !m_drag.started && m_drag.pressMm == QPointF(x, y);
    m_pressHeld[0] = m_pressHeld[1];
    m_pressHeld[1] = held ? SelectieCamp{m_drag.esteGeneral, qint16(m_drag.index)} : SelectieCamp{};
}

void frmEcranPrincipal::Picture1_DblClick(int Button, int, float, float)
{
    // Both presses on the same field with nothing armed: a click that placed a field or picked a
    // point is no half of a double click on a field.
    const SelectieCamp first = m_pressHeld[0], second = m_pressHeld[1];
    m_pressHeld[0] = m_pressHeld[1] = SelectieCamp{};
    if (Button != LeftButton || second.Index == 0 || !(first == second))
        return;
    // The second press holds the field as a drag would begin; the dialog opens instead.
    m_drag = Drag{};
    markField(second.EsteGeneral, second.Index);
    editFieldProperties();
}

} // namespace formulix
