#include "nodes/NodeGraph.h"

#include "nodes/GraphLoader.h"
#include "nodes/KindSettling.h"
#include "nodes/NodeDependencies.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/Terminal.h"
#include "params/Parameter.h"
#include "params/XmlNumbers.h"

#include <QDomDocument>
#include <QDomElement>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <utility>

namespace KelNodes {

namespace {
std::atomic<quint64> uidLookups{0};
}

QString NodeGraph::m_nodes_path;

NodeGraph::NodeGraph(NodeGraph* parent)
    : m_container(this, QStringLiteral("graph"), QString())
{
    // Node is a virtual base: set the graph's own node fields whoever initialised it.
    m_uid = 0;
    m_name = QStringLiteral("Graph");
    m_parentGraph = parent;
}

NodeGraph::~NodeGraph()
{
    // Terminals of the graph's own (a concrete graph may have some) go first.
    removeAllTerminals();
    removeNodes(true);
    m_terminals.clear(); // boundary terminals belong to the members
    if (!m_parentGraph) {
        sendNotification(NodeSubscriber::Removed);
        sendNotification(NodeSubscriber::Destroyed);
    }
}

void NodeGraph::notify(Node* node, NodeSubscriber::Event event)
{
    // A member deleted behind the graph's back must not stay listed.
    if (event == NodeSubscriber::Destroyed && node && m_nodes.contains(node)) {
        changeNodeList("a member's removal").removeAll(node);
        setDirty();
    }
    sendNotification(event, node);
}

// --- uids ------------------------------------------------------------------------------------

int NodeGraph::getUid()
{
    NodeGraph* top = topLevelGraph();
    return top->m_uidCounter++;
}

void NodeGraph::setUid(int counter)
{
    topLevelGraph()->m_uidCounter = counter;
}

int NodeGraph::uidCounter() const
{
    return topLevelGraph()->m_uidCounter;
}

NodeGraph* NodeGraph::topLevelGraph() const
{
    NodeGraph const* graph = this;
    while (graph->m_parentGraph)
        graph = graph->m_parentGraph;
    return const_cast<NodeGraph*>(graph);
}

// --- membership ------------------------------------------------------------------------------

Node* NodeGraph::addNode(Node* node, int uid)
{
    if (!node)
        return nullptr;
    // A graph inside itself would make every walk endless.
    if (NodeGraph const* graph = node->toNodeGraph(); graph && isInsideOf(graph))
        return nullptr;
    // Only a member has this graph as its parent: a new node (a loaded one) is not searched for
    // through a list that may be thousands long.
    if (node->parentGraph() == this && m_nodes.contains(node))
        return nullptr;
    if (uid < 0)
        uid = getUid();
    node->setNodeUid(uid);
    node->setParentGraph(this);
    changeNodeList("addNode").append(node);
    subscribe(node);
    setDirty();
    node->paramChanged(nullptr);
    sendNotification(NodeSubscriber::Added, node);
    return node;
}

Node* NodeGraph::addNode(QString const& type, int uid)
{
    if (uid < 0)
        uid = getUid();
    QList<NodeDescriptor const*> const* types = nodeTypes();
    if (!types)
        return nullptr;
    const QUuid uuid(type);
    for (NodeDescriptor const* d : *types) {
        if (!d || !(d->typeId == type || (!uuid.isNull() && d->typeUuid == uuid)))
            continue;
        if (!d->create)
            continue;
        Node* node = d->create(uid);
        if (!node)
            return nullptr;
        Node* added = addNode(node, uid);
        if (!added)
            delete node;
        return added;
    }
    return nullptr;
}

NodeGraph* NodeGraph::addSubGraph(int uid)
{
    NodeDescriptor const* type = descriptor();
    if (!type || !type->create)
        return nullptr;
    Node* node = type->create(0);
    NodeGraph* graph = node ? node->toNodeGraph() : nullptr;
    if (!graph) {
        delete node;
        return nullptr;
    }
    addNode(graph, uid);
    return graph;
}

int NodeGraph::enumerateNodes(QString const& /*path*/)
{
    return 0;
}

int NodeGraph::removeNode(Node* node)
{
    if (!node || !m_nodes.contains(node))
        return -1;
    changeNodeList("removeNode").removeAll(node);
    node->sendNotification(NodeSubscriber::Removed);
    delete node;
    setDirty();
    return 0;
}

void NodeGraph::removeNodes(bool all)
{
    // The neighbours left behind settle their kinds once, not once a link taken away.
    KindSettling settling;
    setDirty();
    const QList<Node*> members = m_nodes;
    for (Node* node : members) {
        if (!m_nodes.contains(node))
            continue;
        if (NodeGraph* sub = node->toNodeGraph()) {
            sub->removeNodes(all);
            if (!sub->m_nodes.isEmpty())
                continue;
        } else if (!all && node->isStatic()) {
            continue;
        }
        // Members go in list order: the first is taken off in constant time, not by a search
        // through a list as long as a stack of many effects.
        QList<Node*>& list = changeNodeList("removeNodes");
        if (list.first() == node)
            list.removeFirst();
        else
            list.removeAll(node);
        node->sendNotification(NodeSubscriber::Removed);
        delete node;
    }
}

void NodeGraph::dropNode(Node* node)
{
    if (!node)
        return;
    forgetTerminalsOf(node);
    changeNodeList("dropNode").removeAll(node);
    node->m_parentGraph = nullptr; // no event: the node is on its way elsewhere
    unsubscribe(node);
    setDirty();
}

int NodeGraph::attach(Node* node, NodeGraph* target)
{
    if (!node || !target || !m_nodes.contains(node) || node->parentGraph() == target)
        return -1;
    Node const* targetNode = target;
    if (targetNode == node || NodeDependencies::moveWouldCycle(node, target))
        return -1;
    forgetTerminalsOf(node);
    changeNodeList("attach").removeAll(node);
    node->m_parentGraph = nullptr;
    unsubscribe(node);
    setDirty();
    target->addNode(node, node->uid());
    setDirty();
    return 0;
}

int NodeGraph::attach(QList<Node*> const& nodes, NodeGraph* target)
{
    int result = 0;
    for (Node* node : nodes) {
        if (attach(node, target) < 0)
            result = -1;
    }
    return result;
}

int NodeGraph::expand(NodeGraph* sub)
{
    if (!sub || !m_nodes.contains(sub))
        return -1;
    forgetTerminalsOf(sub);
    changeNodeList("expand").removeAll(sub);
    // The boundary terminals go; a concrete graph's own terminals stay for its destructor.
    sub->m_terminals.removeIf([sub](Terminal* t) { return t->hostNode() != sub; });
    const QList<Node*> members = sub->m_nodes;
    for (Node* member : members) {
        sub->unsubscribe(member);
        addNode(member, member->uid());
    }
    sub->changeNodeList("expand").clear();
    sub->sendNotification(NodeSubscriber::Removed);
    delete sub;
    setDirty();
    return 0;
}

NodeGraph* NodeGraph::collapse(Node* node, int uid)
{
    if (!node || !m_nodes.contains(node))
        return nullptr;
    NodeGraph* sub = addSubGraph(uid);
    if (!sub)
        return nullptr;
    if (NodeDependencies::moveWouldCycle(node, sub)) {
        removeNode(sub);
        return nullptr;
    }
    dropNode(node);
    sub->addNode(node, node->uid());
    return sub;
}

void NodeGraph::unload()
{
    // Each node leaves the list before it dies, so nothing sees a dead member meanwhile.
    KindSettling settling;
    while (!m_nodes.isEmpty())
        delete changeNodeList("unload").takeFirst();
    setDirty();
    m_uidCounter = 1;
    // Loading members leaves the graph's own frame and keyframes alone, so a graph emptied
    // for the next project drops the last one's here.
    for (int frame : m_container.keyframes())
        m_container.removeGraphKeyframe(frame);
    m_container.setCurrentFrame(0);
}

// --- renders reading the graph -----------------------------------------------------------------

namespace {

std::atomic<quint64> renderReadFaultCount{0};

void reportRenderReadFault(char const* what)
{
    qCritical("NodeGraph: %s changed a graph while a render read it (the render must be cancelled "
              "first)", what);
}

std::atomic<NodeGraph::RenderReadFaultHook> renderReadFaultHook{&reportRenderReadFault};

} // namespace

void NodeGraph::beginRenderRead(QThread* reader) const
{
    m_renderReader.store(reader, std::memory_order_relaxed);
    m_renderReads.fetch_add(1, std::memory_order_release);
}

void NodeGraph::endRenderRead() const
{
    // Release: the window's next check sees everything the render did before as done.
    m_renderReads.fetch_sub(1, std::memory_order_release);
}

void NodeGraph::setRenderReadFaultHook(RenderReadFaultHook hook)
{
    renderReadFaultHook.store(hook ? hook : &reportRenderReadFault);
}

quint64 NodeGraph::renderReadFaults()
{
    return renderReadFaultCount.load();
}

void NodeGraph::checkNoRenderReads(char const* what) const
{
    for (NodeGraph const* graph = this; graph; graph = graph->m_parentGraph) {
        if (graph->m_renderReads.load(std::memory_order_acquire) <= 0)
            continue;
        // The render itself may sort what it reads before its rows start.
        if (graph->m_renderReader.load(std::memory_order_relaxed) == QThread::currentThread())
            return;
        renderReadFaultCount.fetch_add(1);
        renderReadFaultHook.load()(what);
        return;
    }
}

QList<Node*>& NodeGraph::changeNodeList(char const* what) const
{
    checkNoRenderReads(what);
    return m_nodes;
}

// --- evaluation order ------------------------------------------------------------------------

void NodeGraph::setDirty()
{
    checkNoRenderReads("setDirty");
    for (NodeGraph* graph = this; graph; graph = graph->m_parentGraph)
        graph->m_dirty = true;
}

void NodeGraph::forgetTerminals(QSet<Terminal*> const& terminals)
{
    for (NodeGraph* graph = this; graph; graph = graph->m_parentGraph)
        graph->m_terminals.removeIf([&](Terminal* t) { return terminals.contains(t); });
}

namespace {

void collectTerminals(Node const* node, QSet<Terminal*>& out)
{
    for (Terminal* t : node->terminalList()) {
        if (t && t->hostNode() == node)
            out.insert(t);
    }
    if (NodeGraph const* graph = node->toNodeGraph()) {
        for (Node const* member : graph->nodes())
            collectTerminals(member, out);
    }
}

} // namespace

void NodeGraph::forgetTerminalsOf(Node const* node)
{
    if (!node)
        return;
    QSet<Terminal*> terminals;
    collectTerminals(node, terminals);
    forgetTerminals(terminals);
}

void NodeGraph::resetLevel() const
{
    m_levelInner = -1;
    m_levelOuter = -1;
    for (Node const* member : std::as_const(m_nodes)) {
        if (NodeGraph const* sub = member->toNodeGraph())
            sub->Node::resetLevel();
        else
            member->resetLevel();
    }
}

void NodeGraph::renew() const
{
    if (!m_dirty)
        return;
    checkNoRenderReads("renew");
    m_dirty = false;
    resetLevel();
    getLevel(true);
    getLevel(false);
    fillTerminals();
}

int NodeGraph::getLevel(bool withOuter) const
{
    if (m_nodes.isEmpty())
        return 0;
    const int cached = levelCache(withOuter);
    if (cached >= 0)
        return cached;

    sortNodes();
    learnUpstreamLevels(withOuter);
    if (levelCache(withOuter) >= 0)
        return levelCache(withOuter);
    int level = 0;
    for (Node const* upstream : levelInputs(withOuter))
        level = std::max(level, upstream->getLevel(withOuter) + 1);
    setLevelCache(withOuter, level);
    return level;
}

QList<Node const*> NodeGraph::levelInputs(bool /*withOuter*/) const
{
    QList<Node const*> inputs;
    auto consider = [&](Node const* upstream) {
        if (upstream && !upstream->isInsideOf(this))
            inputs.append(upstream);
    };
    const QList<Node*> members = m_nodes;
    for (Node const* member : members) {
        const QList<Node*> upstream = member->getSubNodes(false);
        for (Node const* node : upstream)
            consider(node);
    }
    // A compound node's own inputs order it after what feeds them as well.
    for (Terminal const* own : std::as_const(m_terminals)) {
        if (!own || own->hostNode() != this || own->inputMask() == 0)
            continue;
        for (Terminal const* peer : own->connections())
            consider(peer ? peer->hostNode() : nullptr);
    }
    return inputs;
}

void NodeGraph::sortNodes() const
{
    if (m_nodes.isEmpty())
        return;
    renew();
    // Levels first, then a pure sort: asking a level may sort this list again re-entrantly.
    QList<std::pair<int, Node*>> ranked;
    const QList<Node*> members = m_nodes;
    ranked.reserve(members.size());
    for (Node* member : members)
        ranked.append({member->getLevel(true), member});
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](auto const& a, auto const& b) { return a.first < b.first; });
    QList<Node*> sorted;
    sorted.reserve(ranked.size());
    QSet<Node*> const still(m_nodes.cbegin(), m_nodes.cend());
    for (auto const& entry : std::as_const(ranked)) {
        if (still.contains(entry.second))
            sorted.append(entry.second);
    }
    if (sorted.size() == m_nodes.size() && sorted != m_nodes)
        changeNodeList("sortNodes") = sorted;
}

void NodeGraph::update()
{
    sortNodes();
    for (int i = 0; i < m_nodes.size(); ++i)
        m_nodes.at(i)->update();
}

void NodeGraph::fillTerminals() const
{
    // Terminals of the graph's own stay; the members' boundary terminals are listed afresh.
    m_terminals.removeIf([this](Terminal* t) { return !t || t->hostNode() != this; });
    QSet<Terminal*> taken(m_terminals.cbegin(), m_terminals.cend());
    for (Node const* member : std::as_const(m_nodes)) {
        for (int i = 0; i < member->numTerminals(); ++i) {
            Terminal* t = member->terminal(i);
            if (!t || taken.contains(t))
                continue;
            for (Terminal const* peer : t->connections()) {
                Node const* host = peer ? peer->hostNode() : nullptr;
                if (host && !host->isInsideOf(this)) {
                    m_terminals.append(t);
                    taken.insert(t);
                    break;
                }
            }
        }
    }
}

int NodeGraph::numTerminals() const
{
    renew();
    return Node::numTerminals();
}

Terminal* NodeGraph::terminal(int index) const
{
    renew();
    return Node::terminal(index);
}

Terminal* NodeGraph::getTerminal(QString const& name) const
{
    renew();
    return Node::getTerminal(name);
}

// --- queries ---------------------------------------------------------------------------------

bool NodeGraph::containsNode(Node const* node, bool deep) const
{
    for (Node const* member : std::as_const(m_nodes)) {
        if (member == node)
            return true;
        NodeGraph const* sub = member->toNodeGraph();
        if (deep && sub && sub->containsNode(node, true))
            return true;
    }
    return false;
}

Node* NodeGraph::findNode(int uid, bool deep) const
{
    if (uid == 0 && !m_parentGraph)
        return const_cast<NodeGraph*>(this);
    uidLookups.fetch_add(quint64(m_nodes.size()), std::memory_order_relaxed);
    for (Node* member : std::as_const(m_nodes)) {
        if (member->uid() == uid)
            return member;
        NodeGraph const* sub = member->toNodeGraph();
        if (deep && sub) {
            // A nested graph is never the top-level one, so uid 0 is only looked up there.
            if (Node* found = sub->findNode(uid, true))
                return found;
        }
    }
    return nullptr;
}

quint64 NodeGraph::uidLookupCount()
{
    return uidLookups.load(std::memory_order_relaxed);
}

bool NodeGraph::findNodes(int uid1, int uid2, Node** out1, Node** out2, bool deep) const
{
    if (!out1 || !out2)
        return false;
    for (Node* member : std::as_const(m_nodes)) {
        if (*out1 && *out2)
            break;
        // The first node with a uid wins when uids repeat.
        if (member->uid() == uid1) {
            if (!*out1)
                *out1 = member;
        } else if (member->uid() == uid2) {
            if (!*out2)
                *out2 = member;
        }
        NodeGraph const* sub = member->toNodeGraph();
        if (deep && sub && !(*out1 && *out2))
            sub->findNodes(uid1, uid2, out1, out2, true);
    }
    return *out1 && *out2;
}

Node* NodeGraph::findFirstNode(QUuid const& typeUuid, bool deep) const
{
    for (Node* member : std::as_const(m_nodes)) {
        NodeDescriptor const* type = member->descriptor();
        if (type && type->typeUuid == typeUuid)
            return member;
        NodeGraph const* sub = member->toNodeGraph();
        if (deep && sub) {
            if (Node* found = sub->findFirstNode(typeUuid, true))
                return found;
        }
    }
    return nullptr;
}

int NodeGraph::findNode(QString const& uuid, QList<Node*>* out, bool deep) const
{
    const QUuid wanted(uuid);
    int count = 0;
    for (Node* member : std::as_const(m_nodes)) {
        NodeDescriptor const* type = member->descriptor();
        if (type && type->typeUuid == wanted) {
            ++count;
            if (out)
                out->append(member);
            continue;
        }
        NodeGraph const* sub = member->toNodeGraph();
        if (deep && sub)
            count += sub->findNode(uuid, out, true);
    }
    return count;
}

int NodeGraph::totalNumNodes() const
{
    int total = int(m_nodes.size());
    for (Node const* member : std::as_const(m_nodes)) {
        if (NodeGraph const* sub = member->toNodeGraph())
            total += sub->totalNumNodes();
    }
    return total;
}

NodeDescriptor const* NodeGraph::availableNode(int index) const
{
    QList<NodeDescriptor const*> const* types = nodeTypes();
    if (!types || index < 0 || index >= types->size())
        return nullptr;
    return types->at(index);
}

QList<NodeDescriptor const*>* NodeGraph::nodeTypes() const
{
    for (NodeGraph const* graph = this; graph; graph = graph->m_parentGraph) {
        if (graph->m_nodeTypes)
            return graph->m_nodeTypes;
    }
    return nullptr;
}

// --- frames and keyframes --------------------------------------------------------------------

int NodeGraph::setCurrentFrame(int frame)
{
    const QList<Node*> members = m_nodes;
    for (Node* member : members) {
        KelUtils::ParameterContainer* container = member->paramContainer();
        if (container && container->setCurrentFrame(frame) < 0)
            return -1;
    }
    return 0;
}

namespace {

// Every keyframable parameter of a container and its child containers.
void collectKeyframable(KelUtils::IParameterContainer* container, QList<KelUtils::Parameter*>& out,
                        int depth = 0)
{
    if (!container || depth > 64)
        return;
    for (KelUtils::ParameterList const& list : container->paramLists()) {
        for (KelUtils::Parameter* parameter : list.parameters) {
            if (parameter && parameter->supportsKeyframes())
                out.append(parameter);
        }
    }
    for (KelUtils::IParameterContainer* child : container->children())
        collectKeyframable(child, out, depth + 1);
}

} // namespace

void NodeGraph::applyKeyOp(KeyOp op, int frame, int to)
{
    const QList<Node*> members = m_nodes;
    for (Node* member : members) {
        if (NodeGraph* sub = member->toNodeGraph()) {
            // Keep the sub-graph's own keyframe list in step, then reach its members.
            NodeGraphParameterContainer* keys = sub->paramContainer();
            if (op == KeyOp::Set) {
                keys->addGraphKeyframe(frame);
            } else if (op == KeyOp::Delete) {
                keys->removeGraphKeyframe(frame);
            } else if (keys->isKeyframe(frame) && !keys->isKeyframe(to)
                       && to >= 0 && to < keys->numFrames()) {
                keys->removeGraphKeyframe(frame);
                keys->addGraphKeyframe(to);
            }
            sub->applyKeyOp(op, frame, to);
            continue;
        }
        // One parameter at a time: one that refuses (no key to move, a key already there)
        // keeps its keys and the others still get the change.
        QList<KelUtils::Parameter*> parameters;
        collectKeyframable(member->paramContainer(), parameters);
        for (KelUtils::Parameter* parameter : std::as_const(parameters)) {
            switch (op) {
            case KeyOp::Set:
                parameter->setKeyframeAt(frame);
                break;
            case KeyOp::Delete:
                parameter->deleteKeyframe(frame);
                break;
            case KeyOp::Move:
                parameter->moveKeyframe(frame, to);
                break;
            }
        }
    }
}

int NodeGraph::setKeyframeAt(int frame)
{
    applyKeyOp(KeyOp::Set, frame, frame);
    return 0;
}

int NodeGraph::deleteKeyframe(int frame)
{
    applyKeyOp(KeyOp::Delete, frame, frame);
    return 0;
}

int NodeGraph::moveKeyframe(int from, int to)
{
    if (from != to)
        applyKeyOp(KeyOp::Move, from, to);
    return 0;
}

// --- graph document: storing -----------------------------------------------------------------

QDomDocument* NodeGraph::store(QList<Node*> const& list, bool callHooks, bool embed,
                               bool bothEnds) const
{
    auto* document = new QDomDocument(QStringLiteral("MarrowindGraphNode"));
    QDomElement root = document->createElement(QStringLiteral("graph"));
    if (!m_parentGraph)
        root.setAttribute(QStringLiteral("num_nodes"), KelUtils::formatXmlInt(totalNumNodes()));
    document->appendChild(root);
    store(list, *document, root, bothEnds ? StoreConnectionsBothEnds : StoreConnectionsAnyEnd,
          callHooks, embed);
    return document;
}

int NodeGraph::store(QList<Node*> const& list, QDomDocument& document, QDomElement& parent,
                     storeConnFlag flag, bool callHooks, bool embed) const
{
    QDomElement nodesElement = document.createElement(QStringLiteral("nodes"));
    parent.appendChild(nodesElement);
    for (Node* node : list) {
        if (!node)
            continue;
        node->storeState(document, nodesElement, callHooks, embed);
        if (callHooks) {
            QDomElement section = nodesElement.lastChildElement();
            callStoreHooks(node, document, section);
        }
    }
    if (callHooks)
        callStoreHooks(nullptr, document, parent);
    if (flag != StoreNoConnections)
        storeConnections(list, document, parent, flag == StoreConnectionsBothEnds);
    return 0;
}

int NodeGraph::storeConnections(QList<Node*> const& list, QDomDocument& document,
                                QDomElement& parent, bool bothEnds) const
{
    const ListIndex stored(list);
    QDomElement connections = document.createElement(QStringLiteral("connections"));
    parent.appendChild(connections);
    for (Node const* member : std::as_const(m_nodes))
        member->storeConnections(document, connections, list, bothEnds);
    storeLeavingConnections(this, document, connections, list, bothEnds);
    return 0;
}

int NodeGraph::storeConnections(QDomDocument& document, QDomElement& parent,
                                QList<Node*> const& nodes, bool bothEnds) const
{
    // The links of the graph's own terminals (a compound node's inputs and outputs) are its
    // own to write; the rest of its terminal list belongs to its members, which write theirs.
    storeOwnConnections(document, parent, nodes, bothEnds);
    for (Node const* member : std::as_const(m_nodes))
        member->storeConnections(document, parent, nodes, bothEnds);
    return 0;
}

void NodeGraph::storeLeavingConnections(NodeGraph const* storing, QDomDocument& document,
                                        QDomElement& parent, QList<Node*> const& nodes,
                                        bool bothEnds) const
{
    // The far end of a link that leaves the storing graph, or reaches its own terminals, is
    // never asked to write: the inside end writes it, also when the far end's uid is lower.
    for (Node const* member : std::as_const(m_nodes)) {
        const bool memberStored = member->isInList(nodes);
        for (Terminal const* own : member->terminalList()) {
            if (!own || own->hostNode() != member)
                continue;
            for (Terminal const* peer : own->connections()) {
                Node const* host = peer ? peer->hostNode() : nullptr;
                if (!host || (host != storing && host->isInsideOf(storing))
                    || !(host->uid() < member->uid())
                    || !linkIsStored(memberStored, host->isInList(nodes), bothEnds))
                    continue;
                appendConnection(document, parent, own, peer);
            }
        }
        if (NodeGraph const* sub = member->toNodeGraph())
            sub->storeLeavingConnections(storing, document, parent, nodes, bothEnds);
    }
}

// --- graph document: loading ----------------------------------------------------------------

int NodeGraph::load(QDomElement const& graphElement, bool keepUid, loadConnFlag flag,
                    QList<Node*>* loaded, QMap<int, int>* uidMap)
{
    GraphLoader loader(this, keepUid, loaded, uidMap);
    const int result = loader.load(graphElement, flag);
    m_unrestoredLinks = loader.unrestoredLinks();
    return result;
}

Node* NodeGraph::addNode(QDomElement const& section, bool keepUid, QMap<int, int>* uidMap,
                         QList<Node*>* loaded)
{
    GraphLoader loader(this, keepUid, loaded, uidMap);
    return loader.addNode(section);
}

// --- hooks -----------------------------------------------------------------------------------

void NodeGraph::setStoreHook(GraphStoreHook hook, void* data)
{
    m_storeHook = hook;
    m_storeHookData = data;
}

void NodeGraph::setLoadHook(GraphLoadHook hook, void* data)
{
    m_loadHook = hook;
    m_loadHookData = data;
}

void NodeGraph::callStoreHooks(Node const* node, QDomDocument& document, QDomElement& element) const
{
    for (NodeGraph const* graph = this; graph; graph = graph->m_parentGraph) {
        if (graph->m_storeHook)
            graph->m_storeHook(this, node, document, element, graph->m_storeHookData);
    }
}

void NodeGraph::callLoadHooks(Node* node, QDomElement const& element)
{
    for (NodeGraph const* graph = this; graph; graph = graph->m_parentGraph) {
        if (graph->m_loadHook)
            graph->m_loadHook(this, node, element, graph->m_loadHookData);
    }
}

void NodeGraph::setNodesPath(QString const& path)
{
    m_nodes_path = (!path.isEmpty() && QFileInfo(path).isDir()) ? path : QString();
}

} // namespace KelNodes
