#include "nodes/Node.h"

#include "nodes/KindSettling.h"
#include "nodes/NodeDependencies.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"
#include "params/ParameterContainer.h"
#include "params/XmlNumbers.h"

#include <QDebug>
#include <QDomDocument>
#include <QDomElement>
#include <QSet>
#include <QUuid>

#include <algorithm>
#include <vector>

namespace KelNodes {

Node::Node(int uid, QString const& name, NodeGraph* parent)
    : m_uid(uid)
    , m_parentGraph(parent)
    , m_name(name)
{
    m_node = this;
}

Node::~Node()
{
    // A settling under way may hold it (an end of a link made again).
    KindSettling::forget(this);
    removeAllTerminals();
    sendNotification(NodeSubscriber::Destroyed);
}

// --- terminals -------------------------------------------------------------------------------

int Node::numTerminals() const
{
    return int(m_terminals.size());
}

Terminal* Node::terminal(int index) const
{
    if (index < 0 || index >= m_terminals.size())
        return nullptr;
    return m_terminals.at(index);
}

Terminal* Node::getTerminal(QString const& name) const
{
    for (Terminal* terminal : std::as_const(m_terminals)) {
        if (terminal && terminal->name() == name)
            return terminal;
    }
    return nullptr;
}

int Node::addTerminal(Terminal* terminal)
{
    if (!terminal)
        return -1;
    m_terminals.append(terminal);
    return 0;
}

int Node::removeTerminal(QString const& name)
{
    // Only a terminal of this node's own: a graph's list also shows its members' terminals.
    for (int i = 0; i < m_terminals.size(); ++i) {
        Terminal* terminal = m_terminals.at(i);
        if (!terminal || terminal->name() != name || terminal->hostNode() != this)
            continue;
        terminal->disconnectAll();
        m_terminals.removeOne(terminal);
        if (m_parentGraph)
            m_parentGraph->forgetTerminals({terminal});
        delete terminal;
        return 0;
    }
    return -1;
}

void Node::removeAllTerminals()
{
    const QList<Terminal*> terminals = m_terminals;
    for (Terminal* terminal : terminals) {
        if (terminal && terminal->hostNode() == this)
            terminal->disconnectAll();
    }
    m_terminals.clear();
    QSet<Terminal*> owned;
    for (Terminal* terminal : terminals) {
        if (terminal && terminal->hostNode() == this)
            owned.insert(terminal);
    }
    // The enclosing graphs list boundary terminals; none may outlive its terminal.
    if (m_parentGraph && !owned.isEmpty())
        m_parentGraph->forgetTerminals(owned);
    for (Terminal* terminal : std::as_const(owned))
        delete terminal;
}

// --- links -----------------------------------------------------------------------------------

int Node::connect(QString const& ownTerminal, Node* other, QString const& otherTerminal)
{
    Terminal* own = getTerminal(ownTerminal);
    if (!own)
        return -1;
    return own->connect(other, otherTerminal);
}

int Node::connect(Node* other)
{
    if (!other)
        return -1;
    Terminal* output = nullptr;
    for (int i = 0; i < numTerminals() && !output; ++i) {
        Terminal* t = terminal(i);
        if (t && t->outputMask() != 0)
            output = t;
    }
    if (!output)
        return -1;
    for (int i = 0; i < other->numTerminals(); ++i) {
        Terminal* input = other->terminal(i);
        if (!input || input->inputMask() == 0)
            continue;
        const int result = output->connect(input);
        if (result >= 0)
            return result;
    }
    return -1;
}

int Node::disconnect(Node* other)
{
    bool removed = false;
    for (int i = 0; i < numTerminals(); ++i) {
        Terminal* own = terminal(i);
        if (!own)
            continue;
        int k = 0;
        while (k < own->numConnections()) {
            Terminal* peer = own->connectedTo(k);
            if (peer && peer->hostNode() == other) {
                own->disconnect(peer);
                removed = true;
            } else {
                ++k;
            }
        }
    }
    return removed ? 0 : -1;
}

bool Node::isConnectedTo(Node const* other) const
{
    for (int i = 0; i < numTerminals(); ++i) {
        Terminal const* own = terminal(i);
        if (!own)
            continue;
        for (Terminal const* peer : own->connections()) {
            if (peer && peer->hostNode() == other)
                return true;
        }
    }
    return false;
}

void Node::paramChanged(KelUtils::Parameter* /*parameter*/)
{
}

void Node::update()
{
    paramChanged(nullptr);
}

NodeGraph* Node::toNodeGraph()
{
    return nullptr;
}

NodeGraph const* Node::toNodeGraph() const
{
    return nullptr;
}

int Node::getPreview(QImage* /*image*/) const
{
    return -1;
}

bool Node::offersPreview() const
{
    return getPreview(nullptr) >= 0;
}

int Node::shownPreview(QImage* image) const
{
    return getPreview(image);
}

bool Node::shownPreviewIsCurrent() const
{
    return true;
}

void Node::setPreviewWanted(int /*width*/, int /*height*/)
{
}

int Node::onConnect(Terminal const* /*own*/, Terminal const* /*peer*/)
{
    if (m_parentGraph)
        m_parentGraph->setDirty();
    m_levelInner = -1;
    m_levelOuter = -1;
    return 0;
}

void Node::onDisconnect(Terminal const* /*own*/, Terminal const* /*peer*/)
{
    if (m_parentGraph)
        m_parentGraph->setDirty();
    m_levelInner = -1;
    m_levelOuter = -1;
}

// --- levels and nesting ----------------------------------------------------------------------

void Node::setLevelCache(bool withOuter, int level) const
{
    (withOuter ? m_levelOuter : m_levelInner) = level;
}

int Node::getLevel(bool withOuter) const
{
    if (m_parentGraph && m_parentGraph->isDirty())
        m_parentGraph->renew();
    if (levelCache(withOuter) >= 0)
        return levelCache(withOuter);
    learnUpstreamLevels(withOuter);
    if (levelCache(withOuter) >= 0)
        return levelCache(withOuter);

    int level = 0;
    for (Node const* host : levelInputs(withOuter))
        level = std::max(level, host->getLevel(withOuter) + 1);
    setLevelCache(withOuter, level);
    return level;
}

QList<Node const*> Node::levelInputs(bool withOuter) const
{
    QList<Node const*> inputs;
    for (int i = 0; i < numTerminals(); ++i) {
        Terminal const* own = terminal(i);
        if (!own || own->inputMask() == 0)
            continue;
        for (Terminal const* peer : own->connections()) {
            Node const* host = peer ? peer->hostNode() : nullptr;
            if (!host)
                continue;
            if (!withOuter) {
                NodeGraph const* hostGraph = host->parentGraph();
                if (!hostGraph || !hostGraph->isInsideOf(m_parentGraph))
                    continue;
            }
            inputs.append(host);
        }
    }
    return inputs;
}

bool Node::knowsLevel(bool withOuter) const
{
    // As getLevel finds it: a plain node's level is renewed with its dirty graph first, a
    // graph's own level is not.
    if (levelCache(withOuter) < 0)
        return false;
    return toNodeGraph() || !(m_parentGraph && m_parentGraph->isDirty());
}

void Node::learnUpstreamLevels(bool withOuter) const
{
    struct Pending
    {
        Node const* node;
        QList<Node const*> inputs;
        qsizetype next;
    };
    std::vector<Pending> pending;
    // A node met twice (or a cycle, which the links refuse) is asked once.
    QSet<Node const*> met{this};
    pending.push_back({this, levelInputs(withOuter), 0});
    while (!pending.empty()) {
        if (pending.back().next < pending.back().inputs.size()) {
            Node const* input = pending.back().inputs.at(pending.back().next++);
            if (!input || input->knowsLevel(withOuter) || met.contains(input))
                continue;
            met.insert(input);
            pending.push_back({input, input->levelInputs(withOuter), 0});
            continue;
        }
        Node const* ready = pending.back().node;
        pending.pop_back();
        if (ready != this)
            ready->getLevel(withOuter);
    }
}

void Node::resetLevel() const
{
    m_levelInner = -1;
    m_levelOuter = -1;
}

int Node::howDeepIn(NodeGraph const* graph) const
{
    if (!graph)
        return -1;
    Node const* target = graph;
    int depth = 0;
    for (Node const* node = this; node; node = node->m_parentGraph, ++depth) {
        if (node == target)
            return depth;
    }
    return -1;
}

bool Node::isInsideOf(NodeGraph const* graph) const
{
    return howDeepIn(graph) != -1;
}

NodeGraph* Node::topLevelGraph() const
{
    return m_parentGraph ? m_parentGraph->topLevelGraph() : nullptr;
}

void Node::setParentGraph(NodeGraph* graph)
{
    if (m_parentGraph)
        sendNotification(NodeSubscriber::ParentSet);
    m_parentGraph = graph;
}

int Node::move(NodeGraph* target, bool keepUid)
{
    if (target == m_parentGraph)
        return 0;
    if (!target || NodeDependencies::moveWouldCycle(this, target))
        return -1;
    if (m_parentGraph)
        m_parentGraph->dropNode(this);
    target->addNode(this, keepUid ? m_uid : -1);
    return 0;
}

namespace {
thread_local Node::ListIndex* t_listIndex = nullptr;
}

Node::ListIndex::ListIndex(QList<Node*> const& nodes)
    : m_nodes(&nodes), m_set(nodes.cbegin(), nodes.cend()), m_outer(t_listIndex)
{
    t_listIndex = this;
}

Node::ListIndex::~ListIndex()
{
    t_listIndex = m_outer;
}

bool Node::isInList(QList<Node*> const& nodes) const
{
    // Listed, or inside a listed graph at any depth: this node or one of the graphs around it
    // is in the list (a walk up the nesting, not down every listed graph).
    ListIndex const* index = t_listIndex && t_listIndex->covers(nodes) ? t_listIndex : nullptr;
    for (Node const* node = this; node; node = node->m_parentGraph) {
        if (index ? index->contains(node) : nodes.contains(const_cast<Node*>(node)))
            return true;
    }
    return false;
}

bool Node::isStatic() const
{
    return false;
}

QString Node::displayName() const
{
    if (!m_name.isEmpty())
        return m_name;
    NodeDescriptor const* type = descriptor();
    return type ? type->displayName : QString();
}

// --- structure -------------------------------------------------------------------------------

QList<Node*> Node::connectedNodes(unsigned int inMask, unsigned int outMask) const
{
    QList<Node*> result;
    for (int i = 0; i < numTerminals(); ++i) {
        Terminal const* own = terminal(i);
        if (!own || ((own->inputMask() & inMask) == 0 && (own->outputMask() & outMask) == 0))
            continue;
        for (Terminal const* peer : own->connections()) {
            if (peer && peer->hostNode())
                result.append(peer->hostNode());
        }
    }
    return result;
}

QList<Node*> Node::getSubNodes(bool recursive) const
{
    const QList<Node*> direct = connectedNodes(~0u, 0);
    if (!recursive)
        return direct;
    // A list walked in a loop, each node once: a chain as long as a stack of many effects must
    // not recurse as deep, and shared upstream nodes are not listed once per path.
    QList<Node*> result;
    QSet<Node const*> listed;
    for (Node* node : direct) {
        if (node && !listed.contains(node)) {
            listed.insert(node);
            result.append(node);
        }
    }
    for (qsizetype i = 0; i < result.size(); ++i) {
        const QList<Node*> feeding = result.at(i)->connectedNodes(~0u, 0);
        for (Node* node : feeding) {
            if (node && !listed.contains(node)) {
                listed.insert(node);
                result.append(node);
            }
        }
    }
    return result;
}

QList<Node*> Node::getSubTree() const
{
    const QList<Node*> upstream = getSubNodes(true);
    const QSet<Node*> upstreamSet(upstream.cbegin(), upstream.cend());

    // Nodes that also feed something outside the sub-tree, and whatever feeds them.
    QList<Node*> shared;
    QSet<Node*> sharedSet;
    for (Node* node : upstream) {
        if (sharedSet.contains(node))
            continue;
        bool feedsOutside = false;
        for (int i = 0; i < node->numTerminals() && !feedsOutside; ++i) {
            Terminal const* t = node->terminal(i);
            if (!t || t->outputMask() == 0)
                continue;
            for (Terminal const* peer : t->connections()) {
                Node const* host = peer ? peer->hostNode() : nullptr;
                if (host && host != this && !upstreamSet.contains(const_cast<Node*>(host))) {
                    feedsOutside = true;
                    break;
                }
            }
        }
        if (feedsOutside) {
            shared.append(node);
            sharedSet.insert(node);
        }
    }
    for (int i = 0; i < shared.size(); ++i) {
        const QList<Node*> feeding = shared.at(i)->getSubNodes(true);
        for (Node* node : feeding) {
            if (upstreamSet.contains(node) && !sharedSet.contains(node)) {
                shared.append(node);
                sharedSet.insert(node);
            }
        }
    }

    QList<Node*> result;
    QSet<Node*> taken;
    for (Node* node : upstream) {
        if (sharedSet.contains(node) || taken.contains(node))
            continue;
        taken.insert(node);
        result.append(node);
    }
    return result;
}

QList<Node*> Node::getNearestNode(QString const& type) const
{
    const QUuid uuid(type);
    QList<Node*> result;
    for (int i = 0; i < numTerminals(); ++i) {
        Terminal const* own = terminal(i);
        if (!own || own->inputMask() == 0)
            continue;
        for (Terminal const* peer : own->connections()) {
            Node* host = peer ? peer->hostNode() : nullptr;
            if (!host)
                continue;
            NodeDescriptor const* d = host->descriptor();
            if (d && ((!uuid.isNull() && d->typeUuid == uuid) || d->typeId == type))
                result.append(host);
            else
                result += host->getNearestNode(type);
        }
    }
    return result;
}

QList<Node*> Node::getNearestNode(int kindMask) const
{
    QList<Node*> result;
    for (int i = 0; i < numTerminals(); ++i) {
        Terminal const* own = terminal(i);
        if (!own || own->inputMask() == 0)
            continue;
        for (Terminal const* peer : own->connections()) {
            Node* host = peer ? peer->hostNode() : nullptr;
            if (!host)
                continue;
            if ((peer->outputMask() & unsigned(kindMask)) != 0)
                result.append(host);
            else
                result += host->getNearestNode(kindMask);
        }
    }
    return result;
}

QList<Node*> Node::swap(Node* other, bool allTerminals)
{
    if (!other || other == this)
        return {};

    // Rewiring: links of this node's terminals go to the free terminals of the same name.
    const QList<Terminal*> own = m_terminals;
    for (Terminal* t : own) {
        if (!t || t->hostNode() != this || (!allTerminals && t->outputMask() == 0))
            continue;
        Terminal* o = other->getTerminal(t->name());
        if (!o || o->numConnections() != 0)
            continue;
        while (t->numConnections() > 0) {
            Terminal* peer = t->connections().first();
            t->disconnect(peer);
            o->connect(peer);
        }
    }

    QList<Node*> removable = getSubTree();

    NodeGraph* target = m_parentGraph;
    NodeGraph* source = other->parentGraph();
    if (target && source && target != source) {
        auto moveOver = [&](Node* node) {
            // The node itself, or its enclosing graph that lies directly in the source graph.
            Node* candidate = node;
            while (candidate && candidate->parentGraph() != source)
                candidate = candidate->parentGraph();
            if (!candidate || NodeDependencies::moveWouldCycle(candidate, target))
                return;
            source->dropNode(candidate);
            target->addNode(candidate, candidate->uid());
        };
        const QList<Node*> upstream = other->getSubNodes(true);
        for (Node* node : upstream)
            moveOver(node);
        moveOver(other);
    }

    if (!removable.contains(this))
        removable.append(this);
    return removable;
}

// --- XML -------------------------------------------------------------------------------------

int Node::storeState(QDomDocument& document, QDomElement& parent, bool callHooks, bool embed) const
{
    KelUtils::ParameterContainer const* container = paramContainer();
    // Without a container there is no section to add to.
    if (!container)
        return 0;
    if (container->storeState(document, parent, callHooks, embed) < 0)
        return -1;
    QDomElement section = parent.lastChildElement();
    return storeStateSpecific(document, section, embed);
}

int Node::loadState(QDomElement const& section)
{
    KelUtils::ParameterContainer* container = paramContainer();
    if (container && container->loadState(section) < 0)
        return -1;
    return loadStateSpecific(section) < 0 ? -1 : 0;
}

int Node::storeStateSpecific(QDomDocument& /*document*/, QDomElement& /*section*/,
                             bool /*embed*/) const
{
    return 0;
}

int Node::loadStateSpecific(QDomElement const& /*section*/)
{
    return 0;
}

int Node::storeConnections(QDomDocument& document, QDomElement& parent, QList<Node*> const& nodes,
                           bool bothEnds) const
{
    storeOwnConnections(document, parent, nodes, bothEnds);
    return 0;
}

void Node::storeOwnConnections(QDomDocument& document, QDomElement& parent,
                               QList<Node*> const& nodes, bool bothEnds) const
{
    const bool thisStored = isInList(nodes);
    for (Terminal const* own : std::as_const(m_terminals)) {
        if (!own || own->hostNode() != this)
            continue;
        for (Terminal const* peer : own->connections()) {
            Node const* host = peer ? peer->hostNode() : nullptr;
            // Written once, by the end with the lower uid.
            if (!host || !(m_uid < host->uid())
                || !linkIsStored(thisStored, host->isInList(nodes), bothEnds))
                continue;
            appendConnection(document, parent, own, peer);
        }
    }
}

void Node::appendConnection(QDomDocument& document, QDomElement& parent, Terminal const* own,
                            Terminal const* peer)
{
    QDomElement connection = document.createElement(QStringLiteral("connection"));
    connection.setAttribute(QStringLiteral("node_uid1"), KelUtils::formatXmlInt(own->hostNode()->uid()));
    connection.setAttribute(QStringLiteral("node_uid2"), KelUtils::formatXmlInt(peer->hostNode()->uid()));
    connection.setAttribute(QStringLiteral("terminal1"), own->name());
    connection.setAttribute(QStringLiteral("terminal2"), peer->name());
    parent.appendChild(connection);
}

int Node::loadConnection(Node* other, QString const& ownTerminal, QString const& otherTerminal)
{
    if (!other)
        return -1;
    Terminal* own = getTerminal(ownTerminal);
    Terminal* peer = other->getTerminal(otherTerminal);
    if (!own || !peer) {
        qDebug() << "Connection load error: terminal" << (own ? otherTerminal : ownTerminal)
                 << "not found (" << displayName() << ":" << ownTerminal << "->"
                 << other->displayName() << ":" << otherTerminal << ")";
        return -1;
    }
    return own->connect(peer);
}

bool Node::admitsLink(Terminal const* /*own*/, Terminal const* /*peer*/) const
{
    return true;
}

void Node::linksChanged(Terminal const* /*own*/)
{
}

void Node::openKinds()
{
}

void Node::settleKinds(KindSettling::Round& /*round*/)
{
}

} // namespace KelNodes
