#pragma once

#include "nodes/GraphHooks.h"
#include "nodes/LinkBatch.h"
#include "nodes/NodeSubscriber.h"
#include "nodes/UnrestoredLink.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <optional>

class QDomElement;

namespace KelNodes {

class Node;
class NodeGraph;

// Reads a "MarrowindGraphNode" graph element (or one section) into a graph for one call of
// NodeGraph::load or NodeGraph::addNode, nested sub-graphs included.
//
// The document's structure is checked before anything changes: a section without "uuid", a
// "connection" lacking an attribute or linking a node with itself, and sub-graphs nested
// absurdly deep make the whole call fail with nothing added. A section of an unknown node type
// is skipped with its links, and a link naming a node that is neither in the document nor was
// in the graph before the call (in a nested graph: among that graph's own nodes), or one that
// would close a cycle, is left open, as any unconnected input is; the rest is loaded and the
// call then reports -1. Links are made in document order on the widest kinds their ends take,
// and the kinds settle once they stand (KindSettling), so the order a file lists them in does not
// matter. One that cannot be made (or names a terminal its node lacks, or closes a cycle, or no
// settled kind serves) is left open and listed in unrestoredLinks(), and the call reports -1.
// Stored uids
// outside 1..2^30, or already taken when uids are kept, get a new free number, recorded in the
// uid map so that links still land on the right nodes. The loading graph's own settings, frame
// and keyframes change only when the element carries them.
class GraphLoader : private NodeSubscriber
{
public:
    GraphLoader(NodeGraph* graph, bool keepUid, QList<Node*>* loaded, QMap<int, int>* uidMap);

    int load(QDomElement const& graphElement, loadConnFlag flag);
    Node* addNode(QDomElement const& section);
    // The links between nodes that are there that the last load could not make.
    QList<UnrestoredLink> const& unrestoredLinks() const { return m_unrestored; }

    static constexpr int MaxUid = 1 << 30;
    static constexpr int MaxNesting = 64;

private:
    enum class Result { Ok, Skipped, Malformed };

    Result loadInto(NodeGraph* graph, QDomElement const& element, loadConnFlag flag, int depth);
    Node* makeNode(NodeGraph* graph, QDomElement const& section, int depth, Result& result);
    Result loadConnections(NodeGraph* graph, QDomElement const& element, loadConnFlag flag);
    static UnrestoredLink describe(LinkBatch::Unmade const& link);
    // The node a link's stored uid names: a section of this document, or else a node that was
    // there before the load; null when there is none.
    Node* linkEnd(QHash<int, Node*> const& byUid, int stored) const;
    static void indexUids(NodeGraph const* graph, QHash<int, Node*>& byUid);
    static void collectUids(NodeGraph const* graph, QSet<int>& uids);
    // Hears of every node added to the tree during the load, the loader's own and those a node
    // makes for itself (a sub-graph its source when a link reaches its input).
    void notify(Node* node, Event event) override;

    bool validateGraph(QDomElement const& element, int depth, bool withConnections);
    bool validateSection(QDomElement const& section, int depth);
    static bool validateConnections(QDomElement const& element);

    int assignUid(NodeGraph* graph, int stored);
    void recordUid(int stored, int uid);
    void skipSection(QDomElement const& section);
    void begin();
    void rollback();

    static int storedUid(QDomElement const& section);
    // Whether a graph element holds the loading graph's own section (settings, frame,
    // keyframes) and not only members.
    static bool carriesOwnSection(QDomElement const& element);

    NodeGraph* m_graph;
    bool m_keepUid;
    QList<Node*> m_localLoaded;
    QMap<int, int> m_localMap;
    QList<Node*>* m_loaded;
    QMap<int, int>* m_uidMap;

    // For taking a failed call back.
    qsizetype m_loadedSize = 0;
    QMap<int, std::optional<int>> m_mapBackup;
    QSet<int> m_mappedKeys;
    QList<Node*> m_addedToGraph;
    int m_counter = 1;
    QString m_name;

    QList<UnrestoredLink> m_unrestored;
    QSet<int> m_skippedUids;
    // Every node this call made, at any depth.
    QSet<Node const*> m_created;

    // The uids of the tree that nodes are loaded into, gathered once per load (asking the tree
    // for each new node would cost the square of its size) and kept up to date with every node
    // added to the tree after that.
    QSet<int> m_takenUids;
    NodeGraph const* m_takenTop = nullptr;
};

} // namespace KelNodes
