#include "core/layout/Document.h"

#include "core/layout/SchemaCodec.h"

namespace formulix {

Document::Document(Module1 &model, QObject *parent)
    : QObject(parent), m_model(model), m_saved(layoutSnapshot(model))
{
}

void Document::recordChange(const QString &text, LayoutState before, SelectieCamp selectedBefore,
                            SelectieCamp selectedAfter, LayoutCommand::Show show)
{
    LayoutState after = captureLayout(m_model);
    if (after == before)
        return;
    m_history.push(new LayoutCommand(text, std::move(before), selectedBefore, std::move(after), selectedAfter,
                                     std::move(show)));
}

void Document::markSaved()
{
    m_saved = layoutSnapshot(m_model);
    m_history.setClean();
}

bool Document::hasUnsavedChanges() const
{
    return !m_history.isClean() && layoutSnapshot(m_model) != m_saved;
}

} // namespace formulix
