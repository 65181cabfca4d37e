#pragma once

#include <QBuffer>
#include <QUndoCommand>

class TwCore;

namespace KelNodes {
class Node;
class NodeGraph;
}

// Undoable insertion of a node in the node-graph view, which has already made the node when the
// command is pushed. Undo snapshots the node and takes it out; redo puts it back from the
// snapshot with its uid, attributes and data, without connections (a new node has none). The node
// and the graph holding it are kept by uid.
class KelCmdAddNode : public QUndoCommand
{
public:
    // `graph` is the top-level graph of `node`.
    KelCmdAddNode(TwCore* core, KelNodes::NodeGraph* graph, KelNodes::Node* node);
    ~KelCmdAddNode() override;

    void undo() override;
    void redo() override;

    int nodeUid() const { return m_nodeUid; }
    int ownerUid() const { return m_ownerUid; }

private:
    KelNodes::NodeGraph* m_graph;
    bool m_firstRedo = true;
    QBuffer m_snapshot;
    int m_nodeUid;
    int m_ownerUid;
    TwCore* m_core;
    // What the last undo took out: whether there is a snapshot, whether the node was a graph
    // carrying a project object, and where that object stood in the object list.
    bool m_hasSnapshot = false;
    bool m_carriesObject = false;
    int m_objectIndex = -1;
};
