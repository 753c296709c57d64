#include "core/layout/LayoutHistory.h"

namespace formulix {

LayoutState captureLayout(const Module1 &module)
{
    LayoutState state;
    state.nrGen = module.NrCampuriGen;
    state.nrBD = module.NrCampuriBD;
    state.pozStanga = module.PozStanga;
    state.pozSus = module.PozSus;
    state.orientare = module.Orientare;
    state.gen.reserve(module.usedGen());
    for (int i = 1; i <= module.usedGen(); ++i)
        state.gen.append(*module.CampuriGen.at(i));
    state.bd.reserve(module.usedBD());
    for (int i = 1; i <= module.usedBD(); ++i)
        state.bd.append(*module.CampuriBD.at(i));
    return state;
}

void restoreLayout(const LayoutState &state, Module1 &module)
{
    QList<Camp> bd = state.bd;
    for (Camp &camp : bd) {
        for (int i = 1; i <= module.usedBD(); ++i) {
            const Camp &now = *module.CampuriBD.at(i);
            if (now.NumeCamp == camp.NumeCamp && now.RangMin == camp.RangMin && now.RangMax == camp.RangMax) {
                camp.Text = now.Text;
                break;
            }
        }
    }
    for (int i = 0; i < state.gen.size() && i < Module1::MaxCampuriGen; ++i)
        *module.CampuriGen.at(i + 1) = state.gen.at(i);
    for (int i = 0; i < bd.size() && i < Module1::MaxCampuriBD; ++i)
        *module.CampuriBD.at(i + 1) = bd.at(i);
    module.NrCampuriGen = state.nrGen;
    module.NrCampuriBD = state.nrBD;
    module.PozStanga = state.pozStanga;
    module.PozSus = state.pozSus;
    module.Orientare = state.orientare;
}

LayoutCommand::LayoutCommand(const QString &text, LayoutState before, SelectieCamp selectedBefore, LayoutState after,
                             SelectieCamp selectedAfter, Show show)
    : QUndoCommand(text), m_before(std::move(before)), m_after(std::move(after)), m_selectedBefore(selectedBefore),
      m_selectedAfter(selectedAfter), m_show(std::move(show))
{
}

void LayoutCommand::undo()
{
    m_show(m_before, m_selectedBefore);
}

void LayoutCommand::redo()
{
    if (m_done) {
        m_done = false;
        return;
    }
    m_show(m_after, m_selectedAfter);
}

} // namespace formulix
