#pragma once

#include "nodes/GraphHooks.h"
#include "nodes/Node.h"
#include "nodes/NodeGraphParameterContainer.h"
#include "nodes/NodeSubscriber.h"
#include "nodes/UnrestoredLink.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QUuid>

#include <atomic>

class QDomDocument;
class QDomElement;
class QObject;
class QThread;

namespace KelNodes {

struct NodeDescriptor;

// A set of nodes that is itself a node. It owns its members, gives every node a uid unique in
// its tree of nested graphs (0 names the top-level graph), keeps the members in evaluation
// order, relays the members' events to its own subscribers and stores and loads itself as a
// "MarrowindGraphNode" document.
//
// A graph depends on its members: links that would make a graph feed one of its own members'
// upstream are refused, and a graph cannot be moved into itself or its descendants.
//
// The generic graph leaves descriptor() to the concrete graph class, whose create function is
// also used to make sub-graphs; the concrete class sets the node-type list.
class NodeGraph : public NodeSubscriber, public virtual Node
{
public:
    explicit NodeGraph(NodeGraph* parent = nullptr);
    // Removes every member, then (top-level graph only) publishes events 1 and 0.
    ~NodeGraph() override;

    // Relays a member's event to this graph's subscribers with the member as subject.
    void notify(Node* node, NodeSubscriber::Event event) override;

    NodeGraph* toNodeGraph() override { return this; }
    NodeGraph const* toNodeGraph() const override { return this; }
    void* objectPtr() override { return this; }

    // A new empty graph made by this graph's own create function, added under `uid`.
    virtual NodeGraph* addSubGraph(int uid);
    // Node plug-ins are the concrete graph's business: 0 here.
    virtual int enumerateNodes(QString const& path);
    // Sorts, then updates every member in order.
    void update() override;
    // Entry `index` of the node-type list; null outside it or without a list.
    virtual NodeDescriptor const* availableNode(int index) const;
    int getLevel(bool withOuter) const override;
    // Upstream of the graph as a node: what feeds its members from outside and its own inputs.
    QList<Node const*> levelInputs(bool withOuter) const override;
    // Both caches of the graph and of every direct member.
    void resetLevel() const override;
    int numTerminals() const override;
    Terminal* terminal(int index) const override;
    Terminal* getTerminal(QString const& name) const override;
    // Recomputes levels and terminals when the graph is dirty.
    virtual void renew() const;
    NodeGraphParameterContainer* paramContainer() override { return &m_container; }
    NodeGraphParameterContainer const* paramContainer() const override { return &m_container; }
    NodeGraph* topLevelGraph() const override;

    // Keyframe operations on every member, each keyframable parameter on its own; a parameter
    // that refuses is skipped. Member graphs pass them on to their members. Always 0.
    virtual int setKeyframeAt(int frame);
    virtual int deleteKeyframe(int frame);
    virtual int moveKeyframe(int from, int to);
    // Every member's container moves to `frame`; the first refusal stops the walk with -1.
    int setCurrentFrame(int frame);

    // The links of the graph's own terminals, then those of every member at any depth.
    int storeConnections(QDomDocument& document, QDomElement& parent, QList<Node*> const& nodes,
                         bool bothEnds) const override;
    // Rebuilds the terminal list: the graph's own terminals, then the members' terminals that
    // lead outside the graph.
    virtual void fillTerminals() const;

    // Uids. getUid draws the top-level graph's counter (post-increment).
    int getUid();
    void setUid(int counter);
    int uidCounter() const;

    // Membership. addNode takes `uid` as given when it is not negative (no check that it is
    // free); null for a null node, this graph itself or one of its ancestors.
    Node* addNode(Node* node, int uid);
    // Creates a node of a type (type id or uuid text) from the node-type list; null if none.
    Node* addNode(QString const& type, int uid);
    // Event 1 from the node, then it is deleted; -1 when it is no member.
    int removeNode(Node* node);
    // Deletes all members, or (all false) all but static nodes and graphs still holding some.
    void removeNodes(bool all);
    // Takes a member out without an event and without deleting it; its parent becomes null
    // without setParentGraph (the caller adds it elsewhere right away).
    void dropNode(Node* node);
    // Moves a member into `target` under its uid; -1 for a non-member, its own graph, or a
    // move that would put a graph inside itself or make a node depend on itself.
    int attach(Node* node, NodeGraph* target);
    int attach(QList<Node*> const& nodes, NodeGraph* target);
    // Dissolves a member sub-graph into this graph (links kept).
    int expand(NodeGraph* sub);
    // Wraps a member into a new sub-graph made by addSubGraph; null for a non-member.
    NodeGraph* collapse(Node* node, int uid);
    // Deletes every member without event 1, restarts the uid counter at 1 and puts the graph
    // back at frame 0 without graph keyframes.
    void unload();

    void setDirty();
    // Takes terminals off the boundary lists of this graph and its ancestors (before they are
    // deleted or leave the tree).
    void forgetTerminals(QSet<Terminal*> const& terminals);
    void forgetTerminalsOf(Node const* node);
    bool isDirty() const { return m_dirty; }
    // Rewrites the list only when it is out of order, so that a sorted graph is merely read.
    void sortNodes() const;

    // A render reads this graph and every graph inside it on `reader` (its thread) from
    // beginRenderRead until endRenderRead; any thread may call either. Meanwhile a change of a
    // node list, of a graph's dirty state or of its levels from another thread is a fault (the
    // render iterates them without a lock): it is counted and handed to the hook (default: a
    // critical message). The window must cancel the render first.
    void beginRenderRead(QThread* reader) const;
    void endRenderRead() const;
    using RenderReadFaultHook = void (*)(char const* what);
    // Null restores the default.
    static void setRenderReadFaultHook(RenderReadFaultHook hook);
    // Changes made under a render since the process started.
    static quint64 renderReadFaults();

    QList<Node*> const& nodes() const { return m_nodes; }
    int numNodes() const { return int(m_nodes.size()); }

    // Queries (member order, depth first with `deep`).
    bool containsNode(Node const* node, bool deep) const;
    Node* findNode(int uid, bool deep) const;
    // Members looked at by every findNode(uid) so far: what uid look-ups cost, for the tests.
    static quint64 uidLookupCount();
    bool findNodes(int uid1, int uid2, Node** out1, Node** out2, bool deep) const;
    Node* findFirstNode(QUuid const& typeUuid, bool deep) const;
    int findNode(QString const& uuid, QList<Node*>* out, bool deep) const;
    int totalNumNodes() const;

    // Graph document. The whole-document store returns a new document owned by the caller.
    QDomDocument* store(QList<Node*> const& list, bool callHooks, bool embed, bool bothEnds) const;
    int store(QList<Node*> const& list, QDomDocument& document, QDomElement& parent,
              storeConnFlag flag, bool callHooks, bool embed) const;
    // Every link of the stored set once: by its lower-uid end when both ends lie inside this
    // graph, otherwise by the end inside it.
    int storeConnections(QList<Node*> const& list, QDomDocument& document, QDomElement& parent,
                         bool bothEnds) const;
    // Loads a "graph" element into this graph (see GraphLoader). 0 on success. The graph's own
    // settings, frame and keyframes are read only from an element that carries them (a stored
    // graph's section); a document's root, which holds members only, leaves them alone. -1 when a
    // section of an unknown node type was skipped with its links, a link to a node that is not
    // there was left open, or a link between nodes that are there could not be made (see
    // unrestoredLinks; everything else is loaded), or when the document is malformed:
    // then nothing of this call stays (no node, no entry in `loaded` or `uidMap`). `loaded` and
    // `uidMap` are filled, not cleared; every node loaded at any depth ends in both (a sub-graph
    // after its members).
    int load(QDomElement const& graphElement, bool keepUid, loadConnFlag flag,
             QList<Node*>* loaded = nullptr, QMap<int, int>* uidMap = nullptr);
    // The links between nodes that are there that the latest load() into this graph named and
    // could not make, for telling the user.
    QList<UnrestoredLink> const& unrestoredLinks() const { return m_unrestoredLinks; }
    // Makes one node (or sub-graph) from a section; null when it cannot.
    Node* addNode(QDomElement const& section, bool keepUid, QMap<int, int>* uidMap,
                  QList<Node*>* loaded);

    // Hooks (see GraphHooks.h).
    void setStoreHook(GraphStoreHook hook, void* data);
    void setLoadHook(GraphLoadHook hook, void* data);
    GraphStoreHook storeHook() const { return m_storeHook; }
    void* storeHookData() const { return m_storeHookData; }
    GraphLoadHook loadHook() const { return m_loadHook; }
    void* loadHookData() const { return m_loadHookData; }
    void callStoreHooks(Node const* node, QDomDocument& document, QDomElement& element) const;
    void callLoadHooks(Node* node, QDomElement const& element);

    // The node-type list; graphs without one of their own use their nearest ancestor's.
    void setNodeTypes(QList<NodeDescriptor const*>* types) { m_nodeTypes = types; }
    QList<NodeDescriptor const*>* nodeTypes() const;

    // Slots for the application: the graph's undo stack and the project object that wraps it.
    QObject* undoStack() const { return m_undoStack; }
    void setUndoStack(QObject* stack) { m_undoStack = stack; }
    QObject* projectObject() const { return m_projectObject; }
    void setProjectObject(QObject* object) { m_projectObject = object; }

    // The folder node plug-ins are loaded from: `path` when such a folder exists, else empty.
    static void setNodesPath(QString const& path);
    static QString m_nodes_path;

protected:
    // Every change of a node list passes here (and every change of the dirty state or levels
    // through checkNoRenderReads): the one place that catches a change under a render.
    QList<Node*>& changeNodeList(char const* what) const;
    void checkNoRenderReads(char const* what) const;

    // Node keyframe helpers for the graph-wide operations.
    enum class KeyOp { Set, Delete, Move };
    void applyKeyOp(KeyOp op, int frame, int to);
    // The links from members (at any depth) to `storing` itself or to nodes outside it.
    void storeLeavingConnections(NodeGraph const* storing, QDomDocument& document,
                                 QDomElement& parent, QList<Node*> const& nodes,
                                 bool bothEnds) const;

    NodeGraphParameterContainer m_container;
    mutable QList<Node*> m_nodes;
    QList<NodeDescriptor const*>* m_nodeTypes = nullptr;
    int m_uidCounter = 1;
    GraphStoreHook m_storeHook = nullptr;
    void* m_storeHookData = nullptr;
    GraphLoadHook m_loadHook = nullptr;
    void* m_loadHookData = nullptr;
    QList<UnrestoredLink> m_unrestoredLinks;
    mutable bool m_dirty = true;
    QObject* m_undoStack = nullptr;
    QObject* m_projectObject = nullptr;
    mutable std::atomic<int> m_renderReads{0};
    mutable std::atomic<QThread*> m_renderReader{nullptr};
};

} // namespace KelNodes
