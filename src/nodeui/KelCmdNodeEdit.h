#pragma once

#include <QPointer>
#include <QUndoCommand>

class KelNGNodeGraphView;
class QBuffer;

namespace KelNodes {
class Node;
class NodeGraph;
}

// One finished parameter edit of a node, made in its panel or in a single-parameter editor:
// the node's parameter snapshots from before and after the edit. The node is kept by uid (and
// the uid of the graph holding it), so the command outlives node objects that other commands
// delete and re-create. Steps that cannot find the node do nothing.
class KelCmdNodeEdit : public QUndoCommand
{
public:
    // `graph` is the node's top-level graph; takes ownership of `before`.
    KelCmdNodeEdit(KelNGNodeGraphView* view, KelNodes::NodeGraph* graph, KelNodes::Node* node, QBuffer* before);
    ~KelCmdNodeEdit() override;

    // The first redo (inside the push) only records the state after the edit.
    void redo() override;
    void undo() override;

private:
    KelNodes::Node* findNode() const;
    // Loads a snapshot into the node, refreshes its panel and announces the change.
    void restore(KelNodes::Node* node, QBuffer* state);
    void announce(KelNodes::Node* node);

    QPointer<KelNGNodeGraphView> m_view;
    KelNodes::NodeGraph* m_graph;
    QBuffer* m_oldState;
    QBuffer* m_newState = nullptr;
    int m_nodeUid;
    int m_ownerUid;
};
