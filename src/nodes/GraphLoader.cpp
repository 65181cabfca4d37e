#include "nodes/GraphLoader.h"

#include "nodes/LinkBatch.h"
#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"
#include "nodes/KindSettling.h"
#include "params/Base64.h"
#include "io/XmlDocumentDepth.h"
#include "params/XmlNumbers.h"

#include <QDebug>
#include <QDomElement>

namespace KelNodes {

// Documents are refused before parsing when nested deeper than the deepest graph this loader takes.
static_assert(2 * (GraphLoader::MaxNesting + 1) + 32 <= KelUtils::MaxXmlDepth);

namespace {

QString const GraphTag = QStringLiteral("graph");
QString const NodesTag = QStringLiteral("nodes");
QString const ConnectionsTag = QStringLiteral("connections");
QString const ConnectionTag = QStringLiteral("connection");

QString const ConnectionAttributes[4] = {
    QStringLiteral("node_uid1"), QStringLiteral("node_uid2"),
    QStringLiteral("terminal1"), QStringLiteral("terminal2")};

// Text that is not a number reads as 0, as everywhere in graph documents.
int readUid(QString const& text)
{
    return KelUtils::parseXmlInt(text);
}

} // namespace

GraphLoader::GraphLoader(NodeGraph* graph, bool keepUid, QList<Node*>* loaded,
                         QMap<int, int>* uidMap)
    : m_graph(graph)
    , m_keepUid(keepUid)
    , m_loaded(loaded ? loaded : &m_localLoaded)
    , m_uidMap(uidMap ? uidMap : &m_localMap)
{
}

int GraphLoader::storedUid(QDomElement const& section)
{
    return section.hasAttribute(QStringLiteral("uid"))
        ? readUid(section.attribute(QStringLiteral("uid"))) : -1;
}

bool GraphLoader::carriesOwnSection(QDomElement const& element)
{
    // A stored graph's section has a uid; a document's root has none and holds the graph's
    // own state only when someone put a frame or parameters there.
    if (element.hasAttribute(QStringLiteral("uid")))
        return true;
    for (QString const& tag : {QStringLiteral("keyframes"), QStringLiteral("paramset"),
                               QStringLiteral("data")}) {
        if (!element.firstChildElement(tag).isNull())
            return true;
    }
    return false;
}

// --- checking the structure before anything changes ------------------------------------------

bool GraphLoader::validateSection(QDomElement const& section, int depth)
{
    if (section.tagName() == GraphTag)
        return validateGraph(section, depth + 1, true);
    if (section.attribute(QStringLiteral("uuid")).isEmpty()) {
        qDebug() << "Graph loading error: node section without uuid" << section.tagName();
        return false;
    }
    return true;
}

bool GraphLoader::validateGraph(QDomElement const& element, int depth, bool withConnections)
{
    if (depth > MaxNesting) {
        qDebug() << "Graph loading error: sub-graphs nested too deep";
        return false;
    }
    const QDomElement nodes = element.firstChildElement(NodesTag);
    if (nodes.isNull())
        return true; // nothing below is read
    for (QDomElement child = nodes.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        if (!validateSection(child, depth))
            return false;
    }
    if (withConnections && depth > 0 && !validateConnections(element))
        return false;
    return true;
}

bool GraphLoader::validateConnections(QDomElement const& element)
{
    // Only the form of a link is checked here: a link whose end is found nowhere is left open
    // when it is loaded, and the nodes load all the same.
    const QDomElement connections = element.firstChildElement(ConnectionsTag);
    for (QDomElement c = connections.firstChildElement(ConnectionTag); !c.isNull();
         c = c.nextSiblingElement(ConnectionTag)) {
        for (QString const& name : ConnectionAttributes) {
            if (c.attribute(name).isEmpty()) {
                qDebug() << "Graph loading error: connection without" << name;
                return false;
            }
        }
        const int uid = readUid(c.attribute(ConnectionAttributes[0]));
        if (uid == readUid(c.attribute(ConnectionAttributes[1]))) {
            qDebug() << "Graph loading error: connection of node" << uid << "with itself";
            return false;
        }
    }
    return true;
}

// --- loading ---------------------------------------------------------------------------------

void GraphLoader::begin()
{
    m_unrestored.clear();
    m_loadedSize = m_loaded->size();
    m_counter = m_graph->uidCounter();
    m_name = m_graph->name();
}

int GraphLoader::load(QDomElement const& graphElement, loadConnFlag flag)
{
    const bool connections = flag != LoadNoConnections;
    if (!validateGraph(graphElement, 0, connections)
        || (connections && !graphElement.firstChildElement(NodesTag).isNull()
            && !validateConnections(graphElement)))
        return -1;

    begin();
    const Result result = loadInto(m_graph, graphElement, flag, 0);
    if (result == Result::Malformed) {
        rollback();
        m_unrestored.clear();
        return -1;
    }
    return result == Result::Ok ? 0 : -1;
}

Node* GraphLoader::addNode(QDomElement const& section)
{
    if (!validateSection(section, 0))
        return nullptr;
    begin();
    Result result = Result::Ok;
    // The node's kinds follow its links, of which a lone section brings none.
    KindSettling settling;
    Node* node = makeNode(m_graph, section, 0, result);
    for (Node const* made : std::as_const(m_created))
        KindSettling::takeIn(const_cast<Node*>(made), true);
    if (result == Result::Malformed) {
        rollback();
        return nullptr;
    }
    return node;
}

GraphLoader::Result GraphLoader::loadInto(NodeGraph* graph, QDomElement const& element,
                                          loadConnFlag flag, int depth)
{
    const QString name = element.attribute(QStringLiteral("name"));
    if (!name.isEmpty())
        graph->setName(KelUtils::fromBase64(name));
    graph->callLoadHooks(nullptr, element);
    // Loading members into a graph that is already there must not reset its frame, graph
    // keyframes or settings: only a graph section of its own replaces them.
    if (graph != m_graph || carriesOwnSection(element))
        graph->paramContainer()->loadState(element);

    const QDomElement nodes = element.firstChildElement(NodesTag);
    if (nodes.isNull())
        return Result::Ok;

    Result result = Result::Ok;
    // Text and comments between the sections are not sections.
    for (QDomElement section = nodes.firstChildElement(); !section.isNull();
         section = section.nextSiblingElement()) {
        Result sectionResult = Result::Ok;
        Node* node = makeNode(graph, section, depth, sectionResult);
        if (sectionResult == Result::Malformed)
            return Result::Malformed;
        if (sectionResult == Result::Skipped || !node)
            result = Result::Skipped;
        if (!node)
            continue;
        m_loaded->append(node);
        node->update();
    }

    // The kinds the sections stored give way to those the links settle, or to none.
    KindSettling settling;
    for (Node* member : graph->nodes()) {
        if (m_created.contains(member))
            KindSettling::takeIn(member, true);
    }
    if (flag != LoadNoConnections) {
        const Result links = loadConnections(graph, element, flag);
        if (links == Result::Malformed)
            return Result::Malformed;
        if (links == Result::Skipped)
            result = Result::Skipped;
    }
    graph->update();
    return result;
}

GraphLoader::Result GraphLoader::loadConnections(NodeGraph* graph, QDomElement const& element,
                                                 loadConnFlag flag)
{
    const QDomElement connections = element.firstChildElement(ConnectionsTag);
    if (connections.firstChildElement(ConnectionTag).isNull())
        return Result::Ok;
    // One look-up table instead of a search of the whole tree for every link; the first node
    // met depth first keeps a repeated uid, as a search finds it.
    QHash<int, Node*> byUid;
    indexUids(graph, byUid);
    QSet<Node const*> const loaded = flag == LoadConnectionsOfLoaded
                                         ? QSet<Node const*>(m_loaded->cbegin(), m_loaded->cend())
                                         : QSet<Node const*>();
    LinkBatch links(true);
    Result result = Result::Ok;
    for (QDomElement c = connections.firstChildElement(ConnectionTag); !c.isNull();
         c = c.nextSiblingElement(ConnectionTag)) {
        QString values[4];
        for (int i = 0; i < 4; ++i) {
            values[i] = c.attribute(ConnectionAttributes[i]);
            if (values[i].isEmpty())
                return Result::Malformed;
        }
        const int uid1 = readUid(values[0]);
        const int uid2 = readUid(values[1]);
        // Links of a skipped section are skipped with it.
        if ((m_skippedUids.contains(uid1) && !m_mappedKeys.contains(uid1))
            || (m_skippedUids.contains(uid2) && !m_mappedKeys.contains(uid2)))
            continue;
        Node* node1 = linkEnd(byUid, uid1);
        Node* node2 = linkEnd(byUid, uid2);
        // A nested graph looks its links up among its own nodes only. A link to a node that is
        // not there (an effect copied away from the one that fed it) is left open, as any
        // unconnected input is.
        if (!node1 || !node2 || node1 == node2) {
            qDebug() << "Graph loading: a link to a node that is not there is left open"
                     << (node1 ? uid2 : uid1);
            result = Result::Skipped;
            continue;
        }
        if (flag == LoadConnectionsOfLoaded && !(loaded.contains(node1) && loaded.contains(node2)))
            continue;
        links.add(node1, values[2], node2, values[3]);
    }
    QList<LinkBatch::Unmade> unmade;
    {
        // The file lists links by their ends' uids, not in the order they were made: every
        // link is made on the widest kinds its ends take, and the kinds are settled once the
        // links stand. A link no settled kind can serve is broken again and named.
        KindSettling settling;
        links.connectAll();
        unmade = links.unmade();
        for (KindSettling::Unserved const& link : settling.settle())
            unmade.append({link.outputNode, link.outputTerminal, link.inputNode, link.inputTerminal,
                           LinkBatch::Refusal::Refused});
    }
    // What still cannot be made is left open, named, and the document was not read whole.
    for (LinkBatch::Unmade const& link : std::as_const(unmade)) {
        m_unrestored.append(describe(link));
        UnrestoredLink const& named = m_unrestored.constLast();
        qDebug().noquote() << QStringLiteral("Graph loading: the link from \"%1\" (%2) to \"%3\" (%4) "
                                             "could not be made again")
                                  .arg(named.fromNode, named.fromTerminal, named.toNode, named.toTerminal);
        result = Result::Skipped;
    }
    return result;
}

UnrestoredLink GraphLoader::describe(LinkBatch::Unmade const& link)
{
    Terminal const* first = link.a->getTerminal(link.aTerminal);
    Terminal const* second = link.b->getTerminal(link.bTerminal);
    // The document names a link's ends by uid order; the user knows it by the way values go.
    const bool reversed = first && second && first->isInput() && !first->isOutput() && second->isOutput();
    UnrestoredLink named;
    named.fromNode = (reversed ? link.b : link.a)->displayName();
    named.fromTerminal = reversed ? link.bTerminal : link.aTerminal;
    named.toNode = (reversed ? link.a : link.b)->displayName();
    named.toTerminal = reversed ? link.aTerminal : link.bTerminal;
    switch (link.why) {
    case LinkBatch::Refusal::NoTerminal:
        named.why = UnrestoredLink::Why::NoTerminal;
        break;
    case LinkBatch::Refusal::ClosesCycle:
        named.why = UnrestoredLink::Why::ClosesCycle;
        break;
    case LinkBatch::Refusal::Refused:
        named.why = UnrestoredLink::Why::Refused;
        break;
    }
    return named;
}

Node* GraphLoader::linkEnd(QHash<int, Node*> const& byUid, int stored) const
{
    if (m_mappedKeys.contains(stored))
        return byUid.value(m_uidMap->value(stored));
    // Any other uid names a node that was there before this load: a new node that drew the
    // same number is not the one the link meant.
    Node* node = byUid.value(m_uidMap->value(stored, stored));
    return node && !m_created.contains(node) ? node : nullptr;
}

void GraphLoader::indexUids(NodeGraph const* graph, QHash<int, Node*>& byUid)
{
    for (Node* member : graph->nodes()) {
        if (!byUid.contains(member->uid()))
            byUid.insert(member->uid(), member);
        if (NodeGraph const* sub = member->toNodeGraph())
            indexUids(sub, byUid);
    }
}

Node* GraphLoader::makeNode(NodeGraph* graph, QDomElement const& section, int depth,
                            Result& result)
{
    const int stored = storedUid(section);
    Node* node = nullptr;

    if (section.tagName() == GraphTag) {
        NodeDescriptor const* type = graph->descriptor();
        Node* made = (type && type->create) ? type->create(0) : nullptr;
        NodeGraph* sub = made ? made->toNodeGraph() : nullptr;
        if (!sub || !graph->addNode(sub, assignUid(graph, stored))) {
            delete made;
            qDebug() << "Graph loading error: cannot create a sub-graph";
            skipSection(section);
            result = Result::Skipped;
            return nullptr;
        }
        m_created.insert(sub);
        if (graph == m_graph)
            m_addedToGraph.append(sub);
        result = loadInto(sub, section, LoadAllConnections, depth + 1);
        if (result == Result::Malformed)
            return nullptr;
        node = sub;
    } else {
        const QString uuid = section.attribute(QStringLiteral("uuid"));
        if (uuid.isEmpty()) {
            qDebug() << "Graph loading error: node section without uuid" << section.tagName();
            result = Result::Malformed;
            return nullptr;
        }
        node = graph->addNode(uuid, assignUid(graph, stored));
        if (!node) {
            qDebug().noquote() << QStringLiteral("Graph loading error: unknown node \"%1\"")
                                      .arg(section.tagName());
            skipSection(section);
            result = Result::Skipped;
            return nullptr;
        }
        m_created.insert(node);
        if (graph == m_graph)
            m_addedToGraph.append(node);
        node->loadState(section);
        graph->callLoadHooks(node, section);
    }

    node->setName(KelUtils::fromBase64(section.attribute(QStringLiteral("name"))));
    recordUid(stored, node->uid());
    NodeGraph* top = graph->topLevelGraph();
    if (top->uidCounter() <= node->uid())
        top->setUid(node->uid() + 1);
    return node;
}

int GraphLoader::assignUid(NodeGraph* graph, int stored)
{
    NodeGraph* top = graph->topLevelGraph();
    if (top != m_takenTop) {
        if (m_takenTop)
            unsubscribe(const_cast<NodeGraph*>(m_takenTop));
        m_takenUids.clear();
        collectUids(top, m_takenUids);
        m_takenTop = top;
        subscribe(top);
    }
    const bool valid = stored >= 1 && stored <= MaxUid;
    int uid = stored;
    if (!m_keepUid || !valid || m_takenUids.contains(stored)) {
        // A new number that no node of the tree uses yet.
        uid = top->getUid();
        while (uid == 0 || m_takenUids.contains(uid))
            uid = top->getUid();
    }
    // Taken from now on, even should the node not be added: a number is never given twice.
    m_takenUids.insert(uid);
    return uid;
}

void GraphLoader::collectUids(NodeGraph const* graph, QSet<int>& uids)
{
    for (Node* member : graph->nodes()) {
        uids.insert(member->uid());
        if (NodeGraph const* sub = member->toNodeGraph())
            collectUids(sub, uids);
    }
}

void GraphLoader::notify(Node* node, Event event)
{
    if (event != Added || !node || !m_takenTop)
        return;
    m_takenUids.insert(node->uid());
    // A graph that came with members brings their uids too.
    if (NodeGraph const* graph = node->toNodeGraph())
        collectUids(graph, m_takenUids);
}

void GraphLoader::recordUid(int stored, int uid)
{
    // With repeated stored uids the first section keeps the links.
    if (m_mappedKeys.contains(stored))
        return;
    if (!m_mapBackup.contains(stored)) {
        auto it = m_uidMap->constFind(stored);
        m_mapBackup.insert(stored, it != m_uidMap->constEnd() ? std::optional<int>(it.value())
                                                               : std::nullopt);
    }
    m_uidMap->insert(stored, uid);
    m_mappedKeys.insert(stored);
}

void GraphLoader::skipSection(QDomElement const& section)
{
    m_skippedUids.insert(storedUid(section));
    const QDomElement nodes = section.firstChildElement(NodesTag);
    for (QDomElement child = nodes.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement())
        skipSection(child);
}

void GraphLoader::rollback()
{
    // Nested nodes go with the sub-graph that holds them.
    for (auto it = m_addedToGraph.crbegin(); it != m_addedToGraph.crend(); ++it) {
        if (m_graph->nodes().contains(*it))
            m_graph->removeNode(*it);
    }
    m_addedToGraph.clear();
    m_created.clear();
    if (m_loaded->size() > m_loadedSize)
        m_loaded->resize(m_loadedSize);
    for (auto it = m_mapBackup.cbegin(); it != m_mapBackup.cend(); ++it) {
        if (it.value())
            m_uidMap->insert(it.key(), *it.value());
        else
            m_uidMap->remove(it.key());
    }
    m_mapBackup.clear();
    m_mappedKeys.clear();
    m_graph->setUid(m_counter);
    m_graph->setName(m_name);
}

} // namespace KelNodes
