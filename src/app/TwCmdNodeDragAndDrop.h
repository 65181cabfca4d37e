#pragma once

#include <QString>
#include <QUndoCommand>

class TwCore;

namespace KelNodes {
class Node;
class NodeGraph;
}

// Undoable drop of a node onto another node in the node-graph view: the dragged node moves into
// the target's graph. When it thereby becomes part of another project object (an object's graph
// dropped into another object), that object's last node is linked to the target object's last
// node. Undo breaks the link and moves the node back; a project object that comes back to the top
// level returns to its place in the object list. Nodes are kept by uid. A move the graph would
// refuse changes nothing and makes no link; such a command is obsolete and leaves the stack.
class TwCmdNodeDragAndDrop : public QUndoCommand
{
public:
    // `graph` is the top-level graph of both nodes.
    TwCmdNodeDragAndDrop(TwCore* core, KelNodes::NodeGraph* graph, KelNodes::Node* dragged,
                         KelNodes::Node* target);
    ~TwCmdNodeDragAndDrop() override;

    void undo() override;
    void redo() override;

    // Why the graph would refuse to move `dragged` where it is dropped on `target`, in the user's
    // words; empty when the move goes. Reads the graphs only (a running render goes on).
    static QString refusal(TwCore* core, KelNodes::Node* dragged, KelNodes::Node* target);

    int linkSourceUid() const { return m_linkSourceUid; }
    int linkTargetUid() const { return m_linkTargetUid; }

private:
    TwCore* m_core;
    KelNodes::NodeGraph* m_graph;
    int m_draggedUid;
    int m_targetUid;
    int m_ownerUid;
    int m_linkSourceUid = -1;
    int m_linkTargetUid = -1;
    // Whether the last redo moved the node: an undo of a move that never happened moves nothing.
    bool m_moved = false;
    // Object-list index of the dragged object when it was a top-level object (-1 otherwise).
    int m_objectIndex = -1;
};
