#pragma once

#include <QBuffer>
#include <QUndoCommand>

class TwCore;

namespace KelNodes {
class Node;
class NodeGraph;
}

// Undoable deletion of a node in the node-graph view; the node still exists when the command is
// pushed. Redo snapshots the node (uid, parameters, embedded data, editor attributes, nested
// graphs, connections) and removes it; undo loads it back into the graph that held it with every
// connection it had. The node and the graph holding it are kept by uid.
class KelCmdDeleteNode : public QUndoCommand
{
public:
    // `graph` is the top-level graph of `node`.
    KelCmdDeleteNode(TwCore* core, KelNodes::NodeGraph* graph, KelNodes::Node* node);
    ~KelCmdDeleteNode() override;

    void undo() override;
    void redo() override;

    int nodeUid() const { return m_nodeUid; }
    int ownerUid() const { return m_ownerUid; }

private:
    KelNodes::NodeGraph* m_graph;
    QBuffer m_snapshot;
    int m_nodeUid;
    int m_ownerUid;
    TwCore* m_core;
    // What the last redo took out (see KelCmdAddNode).
    bool m_hasSnapshot = false;
    bool m_carriesObject = false;
    int m_objectIndex = -1;
};
