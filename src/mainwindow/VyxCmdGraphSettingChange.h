#pragma once

#include <QUndoCommand>

class KelNGObject;
class TwCore;

namespace KelNodes {
class NodeGraph;
}

// Shared steps of the blend-mode and opacity commands of both project panels: find the object
// graph again by its uid in the project's root graph, set the value, refresh the issuing
// panel's row (not on the first redo: its combo box already shows the value), mark the project
// modified and let the panel announce the change. A graph that is gone leaves the command
// without effect.
class VyxCmdGraphSettingChange : public QUndoCommand
{
public:
    enum class Setting { BlendMode, Opacity };

    // For BlendMode the values are blend-mode ids.
    VyxCmdGraphSettingChange(TwCore* core, KelNodes::NodeGraph* graph, Setting setting,
                             int newValue, int oldValue, QString const& text);

    void redo() override;
    void undo() override;

protected:
    virtual void refreshRow(KelNGObject* object) = 0;
    virtual void announce(KelNGObject* object) = 0;

private:
    void apply(int value, bool refresh);

    TwCore* m_core;
    int m_graphUid;
    Setting m_setting;
    int m_newValue;
    int m_oldValue;
    bool m_firstRedoDone = false;
};
