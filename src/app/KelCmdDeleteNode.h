#pragma once

#include "app/KelCmdNodeSnapshot.h"

// Undoable deletion of a node in the node-graph view; the node still exists when the command is
// pushed. Redo snapshots the node and removes it; undo loads it back into the graph that held it
// with every connection it had.
class KelCmdDeleteNode : public KelCmdNodeSnapshot
{
public:
    // `graph` is the top-level graph of `node`.
    KelCmdDeleteNode(TwCore* core, KelNodes::NodeGraph* graph, KelNodes::Node* node);
    ~KelCmdDeleteNode() override;

    void undo() override;
    void redo() override;
};
