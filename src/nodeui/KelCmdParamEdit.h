#pragma once

#include <QPointer>
#include <QUndoCommand>

class KelParam;
class QBuffer;
class TwCore;

// A parameter-panel edit recorded on the core's own undo stack. The panel may go before the
// command: without it every step does nothing.
class KelCmdParamEdit : public QUndoCommand
{
public:
    // Takes ownership of `before`, the snapshot from before the edit.
    KelCmdParamEdit(TwCore* core, KelParam* panel, QBuffer* before);
    ~KelCmdParamEdit() override;

    void redo() override;
    void undo() override;

private:
    // Loads the snapshot and refreshes the panel.
    void restore(QBuffer* state);
    // Marks the project modified and renders again.
    void finish();

    TwCore* m_core;
    QPointer<KelParam> m_panel;
    QBuffer* m_before;
    QBuffer* m_after = nullptr;
};
