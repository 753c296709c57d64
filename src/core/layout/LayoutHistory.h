#pragma once
// The layout as one value, and the undo step that swaps two of them. Every change the user makes
// to the fields, the offsets or the orientation is recorded as the layout before and after it,
// so one kind of step undoes placing, deleting, moving, editing and opening a schema alike.

#include "core/layout/Module1.h"

#include <QList>
#include <QUndoCommand>
#include <functional>

namespace formulix {

struct LayoutState
{
    QList<Camp> gen; // the used entries only
    QList<Camp> bd;
    qint16 nrGen = 0;
    qint16 nrBD = 0;
    qint16 pozStanga = 0;
    qint16 pozSus = 0;
    qint16 orientare = 0;

    bool operator==(const LayoutState &other) const = default;
};

LayoutState captureLayout(const Module1 &module);

// Puts `state` back into `module`. A database field keeps the record value it holds now when
// the restored table has a field of the same column and range: the value belongs to the record
// chosen since, not to the one chosen when the state was taken.
void restoreLayout(const LayoutState &state, Module1 &module);

class LayoutCommand : public QUndoCommand
{
public:
    // `show` puts a state into the model and the window, with the selection to mark.
    using Show = std::function<void(const LayoutState &, SelectieCamp)>;

    LayoutCommand(const QString &text, LayoutState before, SelectieCamp selectedBefore, LayoutState after,
                  SelectieCamp selectedAfter, Show show);

    void undo() override;
    void redo() override;

    const LayoutState &before() const { return m_before; }
    const LayoutState &after() const { return m_after; }

private:
    LayoutState m_before, m_after;
    SelectieCamp m_selectedBefore, m_selectedAfter;
    Show m_show;
    bool m_done = true; // pushed after the change was made: the first redo has nothing to do
};

} // namespace formulix
