#pragma once

#include <QUndoCommand>

class TwCore;

namespace KelNodes {
class NodeGraph;
}

// Switches an effect off or on (its graph's "disable", which Save writes). It goes on the undo
// stack of the graph's top-level graph and finds the graph there again by uid; both panels'
// rows are shown anew and the picture rendered.
class TwCmdObjectVisibility : public QUndoCommand
{
public:
    TwCmdObjectVisibility(TwCore* core, KelNodes::NodeGraph* graph, bool disabled);

    void redo() override;
    void undo() override;

private:
    void apply(bool disabled, bool render);

    TwCore* m_core;
    KelNodes::NodeGraph* m_topLevel;
    int m_uid;
    bool m_disabled;
    bool m_firstRedoDone = false;
};
