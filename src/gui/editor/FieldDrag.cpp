// Moving fields directly: a left-button drag on the canvas, and Ctrl+arrows on the selected
// field. Both land on whole millimetres, as the layout stores them, and are one undo step each.

#include "gui/app/frmEcranPrincipal.h"
#include "gui/editor/FieldGhost.h"
#include "core/page/FieldText.h"
#include "widgets/Units.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <cmath>
#include <limits>

namespace formulix {

namespace {

// The drag starts once the pointer has gone this far: a press that barely moves is a click.
constexpr double DragThresholdMm = 1.0;

std::optional<qint16> wholeMm(double value)
{
    const double rounded = roundHalfEven(value);
    if (!(rounded >= std::numeric_limits<qint16>::min() && rounded <= std::numeric_limits<qint16>::max()))
        return std::nullopt;
    return qint16(rounded);
}

} // namespace

bool frmEcranPrincipal::beginDragAt(QPointF point)
{
    if (!MachetaIncarcata || m_pickingScale)
        return false;
    // The field a right click there would select: general fields first, each table in order.
    auto find = [&](bool esteGeneral, int count) {
        for (int i = 1; i <= count; ++i) {
            const Camp &camp = esteGeneral ? *m.CampuriGen.at(i) : *m.CampuriBD.at(i);
            if (fieldRect(camp, esteGeneral).contains(point))
                return i;
        }
        return 0;
    };
    int index = find(true, m.usedGen());
    const bool esteGeneral = index > 0;
    if (!esteGeneral)
        index = find(false, m.usedBD());
    if (index == 0)
        return false;
    const Camp &camp = esteGeneral ? *m.CampuriGen.at(index) : *m.CampuriBD.at(index);
    m_drag = Drag{true, false, esteGeneral, index, point, QPointF(camp.X, camp.Y), shownSelection()};
    return true;
}

void frmEcranPrincipal::Picture1_MouseMove(int Buttons, int, float X, float Y)
{
    if (!m_drag.pressed)
        return;
    if (!(Buttons & LeftButton)) { // the release went elsewhere
        cancelDrag();
        return;
    }
    const QPointF delta = QPointF(X, Y) - m_drag.pressMm;
    if (!m_drag.started) {
        if (std::hypot(delta.x(), delta.y()) < DragThresholdMm)
            return;
        const Camp *camp = m_drag.esteGeneral ? m.CampuriGen.at(m_drag.index) : m.CampuriBD.at(m_drag.index);
        if (!camp) {
            cancelDrag();
            return;
        }
        m_drag.started = true;
        Label8->hide();
        // Once, at the start: the page without the field, which then only the ghost shows.
        redrawWithout(m_drag.esteGeneral, m_drag.index);
        if (!m_ghost)
            m_ghost = new FieldGhost(Picture1);
        m_ghost->setField(printedField(*camp, displayText(*camp, m_drag.esteGeneral)), Picture1->pixelsPerMm());
        m_ghost->raise();
        m_ghost->show();
    }
    m_ghost->moveToMm(m_drag.originMm + delta);
}

void frmEcranPrincipal::finishDrag(QPointF point)
{
    const Drag drag = m_drag;
    m_drag = Drag{};
    if (!drag.started)
        return; // a click: nothing new
    if (m_ghost)
        m_ghost->hide();
    const QPointF landing = drag.originMm + (point - drag.pressMm);
    const std::optional<qint16> x = wholeMm(landing.x()), y = wholeMm(landing.y());
    Camp *camp = drag.esteGeneral ? m.CampuriGen.at(drag.index) : m.CampuriBD.at(drag.index);
    if (camp && x && y) {
        const PendingEdit edit{captureLayout(m), drag.shown};
        camp->X = *x;
        camp->Y = *y;
        clearSelection();
        RedeseneazaCampuri();
        markField(drag.esteGeneral, drag.index);
        recordEdit(edit, QStringLiteral("Muta camp"));
    } else {
        RedeseneazaCampuri();
    }
    Picture1->setFocus(); // Ctrl+arrows go on from here
}

void frmEcranPrincipal::cancelDrag()
{
    const Drag started = m_drag;
    m_drag = Drag{};
    if (!started.started)
        return;
    if (m_ghost)
        m_ghost->hide();
    RedeseneazaCampuri();
    // The selection shown before the drag comes back with the field.
    if (started.shown.Index > 0)
        markField(started.shown.EsteGeneral, started.shown.Index);
}

void frmEcranPrincipal::redrawWithout(bool esteGeneral, int index)
{
    Picture1->setPicture(Picture2->picture());
    for (int i = 1; i <= m.usedGen(); ++i) {
        if (!(esteGeneral && i == index))
            DeseneazaCamp(*m.CampuriGen.at(i), true);
    }
    for (int i = 1; i <= m.usedBD(); ++i) {
        if (!(!esteGeneral && i == index))
            DeseneazaCamp(*m.CampuriBD.at(i), false);
    }
}

bool frmEcranPrincipal::nudgeSelection(int dxMm, int dyMm)
{
    // Typing in a text box, Ctrl+arrows move its cursor by words, not a field.
    if (qobject_cast<QLineEdit *>(QApplication::focusWidget()) || dragging())
        return false;
    const SelectieCamp selected = shownSelection();
    Camp *camp = selected.Index > 0 ? m.campSelectat() : nullptr;
    if (!camp)
        return false;
    const std::optional<qint16> x = wholeMm(double(camp->X) + dxMm), y = wholeMm(double(camp->Y) + dyMm);
    if (!x || !y)
        return true; // at the edge of what a layout can hold: the field stays
    const PendingEdit edit = beginEdit();
    camp->X = *x;
    camp->Y = *y;
    RedeseneazaCampuri();
    const QRectF drawn = fieldRect(*camp, selected.EsteGeneral);
    mm::move(Label8, drawn.left(), drawn.top());
    recordEdit(edit, QStringLiteral("Muta camp"));
    return true;
}

} // namespace formulix
