#pragma once

#include "nodes/KindSettling.h"
#include "nodes/NodePublisher.h"
#include "params/ParameterContainerInstance.h"

#include <QList>
#include <QSet>
#include <QString>

class QDomDocument;
class QDomElement;
class QImage;
class QObject;

namespace KelUtils {
class Parameter;
}

namespace KelNodes {

class NodeGraph;
class Terminal;
struct NodeDescriptor;

// Generic base of every node type and of the graph itself. A node owns its terminals, has a
// place in a graph and caches its evaluation level (0 without connected inputs, else one more
// than the largest level upstream).
//
// Node is a virtual base: the most derived class's initializer of Node is the one that runs,
// so node types pass the uid there (`Node(uid)`), not only to their direct bases.
//
// Operations that return int give 0 for success and -1 for failure. Nothing here locks: the
// application stops a running render before it changes a graph.
class Node : public virtual KelUtils::ParameterContainerInstance, public virtual NodePublisher
{
public:
    explicit Node(int uid = 0, QString const& name = QString(), NodeGraph* parent = nullptr);
    // Disconnects and deletes the terminals (hooks and event 5 for every link), then publishes
    // event 0.
    ~Node() override;

    Node(Node const&) = delete;
    Node& operator=(Node const&) = delete;

    // Terminals, in order of addition.
    virtual int numTerminals() const;
    virtual Terminal* terminal(int index) const;
    virtual Terminal* getTerminal(QString const& name) const;

    // Links this node's terminal `ownTerminal` with `otherTerminal` of `other`.
    virtual int connect(QString const& ownTerminal, Node* other, QString const& otherTerminal);
    // Tries the first output terminal against each input of `other`; the first success wins.
    virtual int connect(Node* other);
    // Drops every link with `other`, both directions; -1 when there was none.
    virtual int disconnect(Node* other);
    virtual bool isConnectedTo(Node const* other) const;

    // Node types react to their parameters here; null means all may have changed.
    virtual void paramChanged(KelUtils::Parameter* parameter);
    // paramChanged(null); a graph sorts and updates its members.
    virtual void update();

    virtual NodeGraph* toNodeGraph();
    virtual NodeGraph const* toNodeGraph() const;
    // The concrete object behind the node.
    virtual void* objectPtr() = 0;
    // -1: no preview.
    virtual int getPreview(QImage* image) const;
    // What a node view shows as the preview (-1: nothing yet). Default: getPreview, drawn on
    // demand; nodes whose preview samples the picture hand over the one their last render made.
    virtual int shownPreview(QImage* image) const;
    // Whether a node view offers the preview, read from nothing a render writes (a view asks it
    // while the graph renders). Default: getPreview(null) answers.
    virtual bool offersPreview() const;
    // Whether shownPreview is that of the graph's latest render (always, when drawn on demand).
    virtual bool shownPreviewIsCurrent() const;
    // A view shows the preview at width × height (0 × 0: no longer); renders make it meanwhile.
    virtual void setPreviewWanted(int width, int height);

    // Called by Terminal::connect on both hosts before a link is made; a negative result
    // refuses it. Overrides call this base first (it marks the graph dirty and resets levels).
    virtual int onConnect(Terminal const* own, Terminal const* peer);
    // Called while the link is still present on both sides.
    virtual void onDisconnect(Terminal const* own, Terminal const* peer);

    // withOuter false ignores upstream nodes outside this node's parent graph.
    virtual int getLevel(bool withOuter) const;
    // The nodes this node's level is one more than the highest of.
    virtual QList<Node const*> levelInputs(bool withOuter) const;
    virtual void resetLevel() const;
    virtual bool isInsideOf(NodeGraph const* graph) const;
    // 0 when this node is `graph`, 1 for a member of it, 2 for a member of a member graph...;
    // -1 when not inside it (always for null).
    virtual int howDeepIn(NodeGraph const* graph) const;

    // The node's section: its container's section, then storeStateSpecific on it.
    virtual int storeState(QDomDocument& document, QDomElement& parent, bool callHooks,
                           bool embed) const;
    virtual int loadState(QDomElement const& section);
    // A node type's own elements inside its section.
    virtual int storeStateSpecific(QDomDocument& document, QDomElement& section, bool embed) const;
    virtual int loadStateSpecific(QDomElement const& section);
    // Writes one "connection" per link that qualifies, from the end with the lower uid.
    virtual int storeConnections(QDomDocument& document, QDomElement& parent,
                                 QList<Node*> const& nodes, bool bothEnds) const;
    // Restores one stored link; logs and returns -1 when a terminal is missing.
    virtual int loadConnection(Node* other, QString const& ownTerminal,
                               QString const& otherTerminal);

    // Static nodes survive a graph's removeNodes(false).
    virtual bool isStatic() const;
    // The node type's record (may be null for a type without one).
    virtual NodeDescriptor const* descriptor() const = 0;
    // Publishes event 3 first when the node already had a parent graph.
    virtual void setParentGraph(NodeGraph* graph);
    virtual NodeGraph* topLevelGraph() const;

    // The node owns `terminal` from now on; -1 for null.
    int addTerminal(Terminal* terminal);
    int removeTerminal(QString const& name);
    void removeAllTerminals();
    // The raw terminal list (a graph's list is refreshed only by its renewal).
    QList<Terminal*> const& terminalList() const { return m_terminals; }

    // Hosts of the peers of every terminal whose input mask meets `inMask` or whose output
    // mask meets `outMask`; duplicates stay.
    QList<Node*> connectedNodes(unsigned int inMask, unsigned int outMask) const;
    // Direct upstream nodes, or with `recursive` everything upstream, each once, nearest first.
    QList<Node*> getSubNodes(bool recursive) const;
    // The upstream nodes that feed nothing but this node's sub-tree, each once.
    QList<Node*> getSubTree() const;
    // The nearest upstream nodes of a type (type id or uuid text) on every path.
    QList<Node*> getNearestNode(QString const& type) const;
    // The nearest upstream nodes whose output terminal meets `kindMask`.
    QList<Node*> getNearestNode(int kindMask) const;
    // Puts `other` in this node's place; returns the nodes the caller may now remove.
    QList<Node*> swap(Node* other, bool allTerminals);

    // Moves this node into `target`; -1 when that would put a graph inside itself or make a
    // node depend on itself.
    int move(NodeGraph* target, bool keepUid);
    // This node is listed, or is a member (at any depth) of a listed graph.
    bool isInList(QList<Node*> const& nodes) const;
    // While alive, isInList on `nodes` (on this thread) looks the list up in a set: a store of
    // many objects asks it for every node and link.
    class ListIndex
    {
    public:
        explicit ListIndex(QList<Node*> const& nodes);
        ~ListIndex();
        ListIndex(ListIndex const&) = delete;
        ListIndex& operator=(ListIndex const&) = delete;
        bool covers(QList<Node*> const& nodes) const { return &nodes == m_nodes; }
        bool contains(Node const* node) const { return m_set.contains(node); }

    private:
        QList<Node*> const* m_nodes;
        QSet<Node const*> m_set;
        ListIndex* m_outer;
    };

    int uid() const { return m_uid; }
    void setNodeUid(int uid) { m_uid = uid; }
    QString const& name() const { return m_name; }
    void setName(QString const& name) { m_name = name; }
    // The name, or the type's display name when the name is empty.
    QString displayName() const;
    NodeGraph* parentGraph() const { return m_parentGraph; }

    // Whether the node takes a link of `own` with `peer` that the masks admit, asked before
    // anything changes (a refused link drops no link it would replace). Default: yes.
    virtual bool admitsLink(Terminal const* own, Terminal const* peer) const;
    // After a link of `own` was made or broken (both ends are told, the link lists up to date).
    // Default: nothing.
    virtual void linksChanged(Terminal const* own);
    // Node types whose terminals' kinds follow their links (KindSettling): take the widest kinds
    // for links made again, and settle the kinds of this node (and of whatever they depend on)
    // from the links as they stand, listing in `round` the links those kinds cannot serve.
    // Default: the kinds are fixed.
    virtual void openKinds();
    virtual void settleKinds(KindSettling::Round& round);

    // Slot for the node's item in the node-graph view (a widget); whoever deletes the item
    // clears the slot. The node never owns or reads it.
    QObject* viewItem() const { return m_viewItem; }
    void setViewItem(QObject* item) { m_viewItem = item; }

protected:
    friend class NodeGraph; // takes members out without the parent-set event

    // For graphs, whose terminal list is rebuilt from their members' terminals.
    QList<Terminal*>& terminalListRef() const { return m_terminals; }
    // The links of the terminals this node hosts itself (a graph's list also holds its
    // members'), each written by the end with the lower uid.
    void storeOwnConnections(QDomDocument& document, QDomElement& parent,
                             QList<Node*> const& nodes, bool bothEnds) const;
    // Whether a link belongs to what is stored, by which ends are among the stored nodes.
    static bool linkIsStored(bool oneStored, bool otherStored, bool bothEnds)
    {
        return bothEnds ? (oneStored && otherStored) : (oneStored || otherStored);
    }
    // One "connection" element, written by the host of `own`.
    static void appendConnection(QDomDocument& document, QDomElement& parent, Terminal const* own,
                                 Terminal const* peer);
    void setLevelCache(bool withOuter, int level) const;
    // Asks the levels of everything upstream not known yet, farthest first, in a loop: each level
    // asked then finds those it is made from known, so no walk recurses as deep as a chain of
    // nodes (a stack of many effects) is long.
    void learnUpstreamLevels(bool withOuter) const;
    bool knowsLevel(bool withOuter) const;
    int levelCache(bool withOuter) const { return withOuter ? m_levelOuter : m_levelInner; }

    int m_uid;
    NodeGraph* m_parentGraph;
    mutable QList<Terminal*> m_terminals;
    mutable int m_levelInner = -1; // getLevel(false)
    mutable int m_levelOuter = -1; // getLevel(true)
    QString m_name;

private:
    QObject* m_viewItem = nullptr;
};

} // namespace KelNodes
