#pragma once

#include "nodes/GraphHooks.h"

#include <QList>

class QBuffer;
class TwCore;

namespace KelNodes {
class Node;
class NodeGraph;
}

// Snapshots of single nodes for the graph-edit undo commands: one node written as a graph
// document into a QBuffer, with its nested graphs, its embedded parameter data, the editor's
// node attributes (position, colour, expanded states) and its connections, and read back into
// the graph that held it with the same uids. Also where those commands find, remove and re-wrap
// nodes, so that a node taken out and put back is the same node to every panel.
class TwNodeSnapshot
{
public:
    TwNodeSnapshot() = delete;

    // The uid under which a command keeps the graph holding `node`: 0 for the top-level graph,
    // -1 when the node has no graph.
    static int ownerUid(KelNodes::Node const* node);
    // The graph with that uid below (or being) `top`, or null.
    static KelNodes::NodeGraph* findGraph(KelNodes::NodeGraph* top, int uid);

    // Writes `node`, a member of `owner`, into the buffer, replacing what it held. Only the
    // node's own attributes are recorded, never those of `owner`.
    static void store(TwCore* core, KelNodes::NodeGraph* owner, KelNodes::Node* node,
                      QBuffer& buffer, KelNodes::storeConnFlag connections);
    // Loads a snapshot into `owner` with its uids kept and returns the nodes it created directly
    // in `owner`. The owner's own state (name, parameters, graph keyframes, current frame) is
    // left alone. Links to nodes that are gone are dropped; the node still comes back.
    static QList<KelNodes::Node*> load(TwCore* core, KelNodes::NodeGraph* owner, QBuffer& buffer,
                                       KelNodes::loadConnFlag connections);

    // Brings nodes loaded back into `owner` to the frame of the effect holding them (the graph of
    // owner's root project object): they come back at the frame they had when taken out, and the
    // effect may stand elsewhere by now. Nodes of a graph without an object (the root graph, a
    // template's) keep their frame, and a graph among them brings its nodes to it.
    static void standAtEffectFrame(KelNodes::NodeGraph* owner, QList<KelNodes::Node*> const& nodes);

    // Whether the node is a graph that carries a project object.
    static bool carriesObject(KelNodes::Node* node);
    // Takes a node out of the project and deletes it: a graph that carries a project object
    // through that object (a top-level one through the core's removal, so that the panels let go
    // of it), any other node through its own graph. Marks the root object changed.
    static void remove(TwCore* core, KelNodes::Node* node);
    // Gives a graph that came back from a snapshot its project object again: a child object
    // inside an object's graph, a new top-level project object in the root graph (which goes
    // back to `objectIndex` in the object list, -1 to append).
    static void restoreObject(TwCore* core, KelNodes::Node* node, int objectIndex);
};
