#pragma once
// The layout being edited with its history: undo, redo and "unsaved changes" in one place, so
// they work the same with or without a window.

#include "core/layout/LayoutHistory.h"
#include "core/layout/Module1.h"

#include <QByteArray>
#include <QObject>
#include <QUndoStack>

namespace formulix {

class Document : public QObject
{
    Q_OBJECT
public:
    explicit Document(Module1 &model, QObject *parent = nullptr);

    Module1 &model() { return m_model; }
    const Module1 &model() const { return m_model; }
    QUndoStack *history() { return &m_history; }

    // Records a change already made to the model as one undo step; `show` puts a layout back into
    // the model (and whatever shows it) on undo and redo.
    void recordChange(const QString &text, LayoutState before, SelectieCamp selectedBefore,
                      SelectieCamp selectedAfter, LayoutCommand::Show show);

    // The layout as it stands is the one in its file: saved, or just opened.
    void markSaved();
    // Changed since it was saved or opened. Undone back to what was saved, the layout is
    // unchanged; what the file keeps is said by layoutSnapshot (the orientation and the
    // fields' styles are changes, a template or database loaded is none).
    bool hasUnsavedChanges() const;

private:
    Module1 &m_model;
    QUndoStack m_history;
    QByteArray m_saved; // the file's bytes of the layout when it was last saved or opened
};

} // namespace formulix
