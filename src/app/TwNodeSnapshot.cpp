#include "app/TwNodeSnapshot.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "app/TwNodeGraphIOCallbacks.h"
#include "app/UnrestoredLinksText.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeGraph.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDebug>
#include <QDomDocument>
#include <QDomElement>
#include <QTextStream>

namespace {

// The graph-level hook calls describe the graph the store or load runs on: the owner of the
// snapshot node, whose own attributes are none of the snapshot's business.
void storeNodeAttributes(KelNodes::NodeGraph const* graph, KelNodes::Node const* node,
                         QDomDocument& document, QDomElement& element, void* data)
{
    if (node && data)
        static_cast<TwNodeGraphIOCallbacks*>(data)->xmlStoreCallback(document, element, graph, node);
}

void loadNodeAttributes(KelNodes::NodeGraph* graph, KelNodes::Node* node,
                        QDomElement const& element, void* data)
{
    if (node && data)
        static_cast<TwNodeGraphIOCallbacks*>(data)->xmlLoadCallback(graph, node, element);
}

// Installs the node-level hooks on a graph for one store or load and puts back what it held.
class NodeHookScope
{
public:
    NodeHookScope(KelNodes::NodeGraph* graph, TwNodeGraphIOCallbacks* callbacks)
        : m_graph(graph)
        , m_storeHook(graph->storeHook())
        , m_storeData(graph->storeHookData())
        , m_loadHook(graph->loadHook())
        , m_loadData(graph->loadHookData())
    {
        graph->setStoreHook(&storeNodeAttributes, callbacks);
        graph->setLoadHook(&loadNodeAttributes, callbacks);
    }
    ~NodeHookScope()
    {
        m_graph->setStoreHook(m_storeHook, m_storeData);
        m_graph->setLoadHook(m_loadHook, m_loadData);
    }
    NodeHookScope(NodeHookScope const&) = delete;
    NodeHookScope& operator=(NodeHookScope const&) = delete;

private:
    KelNodes::NodeGraph* m_graph;
    KelNodes::GraphStoreHook m_storeHook;
    void* m_storeData;
    KelNodes::GraphLoadHook m_loadHook;
    void* m_loadData;
};

bool isTopLevel(KelNodes::NodeGraph const* graph)
{
    return graph && !graph->parentGraph();
}

} // namespace

int TwNodeSnapshot::ownerUid(KelNodes::Node const* node)
{
    KelNodes::NodeGraph const* parent = node ? node->parentGraph() : nullptr;
    if (!parent)
        return -1;
    return isTopLevel(parent) ? 0 : parent->uid();
}

KelNodes::NodeGraph* TwNodeSnapshot::findGraph(KelNodes::NodeGraph* top, int uid)
{
    if (!top || uid < 0)
        return nullptr;
    KelNodes::Node* node = top->findNode(uid, true);
    return node ? node->toNodeGraph() : nullptr;
}

void TwNodeSnapshot::store(TwCore* core, KelNodes::NodeGraph* owner, KelNodes::Node* node,
                           QBuffer& buffer, KelNodes::storeConnFlag connections)
{
    QDomDocument document(QStringLiteral("MarrowindGraphNode"));
    QDomElement root = document.createElement(QStringLiteral("graph"));
    document.appendChild(root);
    if (owner && node) {
        TwNodeGraphIOCallbacks callbacks(core, false);
        NodeHookScope hooks(owner, &callbacks);
        owner->store({node}, document, root, connections, true, true);
    }

    if (buffer.isOpen())
        buffer.close();
    if (!buffer.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qDebug() << "Undo error: cannot open the node snapshot buffer for writing";
        return;
    }
    QTextStream stream(&buffer);
    document.save(stream, 4);
    stream.flush();
    buffer.close();
}

QList<KelNodes::Node*> TwNodeSnapshot::load(TwCore* core, KelNodes::NodeGraph* owner,
                                            QBuffer& buffer, KelNodes::loadConnFlag connections)
{
    QList<KelNodes::Node*> created;
    if (!owner)
        return created;
    QDomDocument document;
    if (!document.setContent(buffer.data(), false)) {
        qDebug() << "Undo error: the node snapshot is not a graph document";
        return created;
    }
    // Links to nodes that are gone are left open by the loader.
    QDomElement root = document.documentElement();
    QList<KelNodes::Node*> loaded;
    {
        TwNodeGraphIOCallbacks callbacks(core, false);
        NodeHookScope hooks(owner, &callbacks);
        if (owner->load(root, true, connections, &loaded, nullptr) < 0)
            qDebug() << "Undo: a node snapshot loaded with skipped parts";
        UnrestoredLinksText::tell(core, QCoreApplication::translate("TwNodeSnapshot", "Not every link came back."),
                                  owner->unrestoredLinks());
    }
    for (KelNodes::Node* node : std::as_const(loaded)) {
        if (node->parentGraph() == owner)
            created.append(node);
    }
    return created;
}

void TwNodeSnapshot::standAtEffectFrame(KelNodes::NodeGraph* owner, QList<KelNodes::Node*> const& nodes)
{
    KelNGObject* object = KelNGObject::objectOf(owner);
    KelNodes::NodeGraph* effect = object ? object->getRootObject()->graph() : nullptr;
    auto* effectFrames = effect ? effect->paramContainer() : nullptr;
    for (KelNodes::Node* node : nodes) {
        auto* container = node ? node->paramContainer() : nullptr;
        if (!container)
            continue;
        // A graph's container brings every node inside it to the frame, even one it stands at.
        if (effectFrames)
            container->setCurrentFrame(effectFrames->currentFrame());
        else if (node->toNodeGraph())
            container->setCurrentFrame(container->currentFrame());
    }
}

bool TwNodeSnapshot::carriesObject(KelNodes::Node* node)
{
    return node && KelNGObject::objectOf(node->toNodeGraph());
}

void TwNodeSnapshot::remove(TwCore* core, KelNodes::Node* node)
{
    KelNodes::NodeGraph* parent = node ? node->parentGraph() : nullptr;
    if (!parent)
        return;
    KelNGObject* parentObject = KelNGObject::objectOf(parent);
    if (parentObject)
        parentObject->getRootObject()->setGraphChanged(true);

    if (KelNGObject* object = KelNGObject::objectOf(node->toNodeGraph())) {
        if (parentObject) {
            parentObject->deleteNode(node);
        } else if (core && isTopLevel(parent) && core->indexOfObject(object) >= 0) {
            core->queueObjectToBeRemoved(object);
        } else {
            // Its destructor takes the graph out of the parent and deletes it.
            delete object;
        }
        return;
    }
    // Also without an object: left in place, the node would meet its own copy (same uid) when
    // the command is undone.
    if (parentObject)
        parentObject->deleteNode(node);
    else
        parent->removeNode(node);
}

void TwNodeSnapshot::restoreObject(TwCore* core, KelNodes::Node* node, int objectIndex)
{
    KelNodes::NodeGraph* graph = node ? node->toNodeGraph() : nullptr;
    if (!graph || KelNGObject::objectOf(graph))
        return;
    KelNodes::NodeGraph* parent = graph->parentGraph();
    if (KelNGObject* parentObject = KelNGObject::objectOf(parent)) {
        new KelNGObject(graph);
        parentObject->getRootObject()->setGraphChanged(true);
        return;
    }
    auto* effectGraph = dynamic_cast<KelVyxNodes::VyxNodeGraph*>(graph);
    if (core && isTopLevel(parent) && effectGraph) {
        core->setInsertionIndexFor(graph->uid(), objectIndex);
        core->addObjectFromNodeGraph(effectGraph);
    } else {
        new KelNGObject(graph);
    }
}
