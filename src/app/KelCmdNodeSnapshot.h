#pragma once

#include "app/TwEffectSnapshot.h"
#include "nodes/GraphHooks.h"

#include <QUndoCommand>

class TwCore;

namespace KelNodes {
class Node;
class NodeGraph;
}

// What node insertion and deletion share: taking a node out of its graph into a snapshot (uid,
// parameters, embedded data, editor attributes, nested graphs, connections) and loading it back
// into the graph that held it, with the project object it carried and that object's template. The node and that graph are
// kept by uid, so the command outlives any particular node object.
class KelCmdNodeSnapshot : public QUndoCommand
{
public:
    ~KelCmdNodeSnapshot() override;

    int nodeUid() const { return m_nodeUid; }
    int ownerUid() const { return m_ownerUid; }

protected:
    // `graph` is the top-level graph of `node`; `verb` and the node's name make the text.
    KelCmdNodeSnapshot(TwCore* core, KelNodes::NodeGraph* graph, KelNodes::Node* node,
                   QString const& verb);

    // Snapshots the node and removes it; a node that is gone leaves no snapshot.
    void takeOut();
    // Loads the last snapshot back, if any, restoring the links `connections` asks for.
    void putBack(KelNodes::loadConnFlag connections);

    TwCore* m_core;
    KelNodes::NodeGraph* m_graph;
    int m_nodeUid;
    int m_ownerUid;

private:
    TwEffectSnapshot m_snapshot;
    // Whether the last take-out left a snapshot, whether the node was a graph carrying a
    // project object, and where that object stood in the object list.
    bool m_hasSnapshot = false;
    bool m_carriesObject = false;
    int m_objectIndex = -1;
};
