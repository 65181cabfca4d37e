#pragma once

#include "app/KelCmdNodeSnapshot.h"

// Undoable insertion of a node in the node-graph view, which has already made the node when the
// command is pushed. Undo snapshots the node and takes it out; redo puts it back from the
// snapshot with its uid, attributes and data, without connections (a new node has none).
class KelCmdAddNode : public KelCmdNodeSnapshot
{
public:
    // `graph` is the top-level graph of `node`.
    KelCmdAddNode(TwCore* core, KelNodes::NodeGraph* graph, KelNodes::Node* node);
    ~KelCmdAddNode() override;

    void undo() override;
    void redo() override;

private:
    bool m_firstRedo = true;
};
