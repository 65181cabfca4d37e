#include "app/TwUtilities.h"

#include "app/KelNGObject.h"
#include "app/StoragePaths.h"
#include "app/TwCore.h"
#include "app/TwNodeGraphIOCallbacks.h"
#include "app/TwNodeSnapshot.h"
#include "app/UnrestoredLinksText.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeGraph.h"
#include "io/XmlDocumentDepth.h"
#include "style/ResourcePaths.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDebug>
#include <QDomDocument>
#include <QPainter>
#include <QSet>
#include <QTextStream>

#include <memory>

namespace {

// Stores `nodes` from `graph` (hooks and embedded data on, links with at least one end among
// them) into the buffer, replacing what it held.
void storeNodes(TwCore* core, KelNodes::NodeGraph* graph, QList<KelNodes::Node*> const& nodes,
                QBuffer* buffer)
{
    if (!graph)
        return;
    std::unique_ptr<QDomDocument> document;
    {
        TwNodeGraphIOCallbacks callbacks(core, false);
        TwNodeGraphIOCallbacks::Scope hooks(graph, &callbacks, true, false);
        document.reset(graph->store(nodes, true, true, false));
    }
    if (buffer->isOpen())
        buffer->close();
    if (!buffer->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qDebug() << "TwUtilities error: cannot open the snapshot buffer for writing";
        return;
    }
    QTextStream stream(buffer);
    document->save(stream, 4);
    stream.flush();
    buffer->close();
}

} // namespace

QString TwUtilities::getResourcesDirectory()
{
    return ResourcePaths::resourcesFolder();
}

QString TwUtilities::getStorageLocation()
{
    return StoragePaths::storageRoot();
}

void TwUtilities::moveNodeToNodeGraph(TwCore* core, KelNodes::Node* node, KelNodes::Node* target)
{
    if (!core || !node || !target)
        return;
    KelNGObject* nodeObject = core->findObjectOfNode(node);
    KelNGObject* targetObject = core->findObjectOfNode(target);
    KelNodes::NodeGraph* destination = targetObject ? targetObject->graph() : target->toNodeGraph();
    KelNodes::NodeGraph* parent = node->parentGraph();
    if (!destination || !parent)
        return;
    const bool movesObject = nodeObject && static_cast<KelNodes::Node*>(nodeObject->graph()) == node;
    const bool wasListed = movesObject && core->indexOfObject(nodeObject) >= 0;
    if (parent->attach(node, destination) < 0)
        return;
    TwNodeSnapshot::standAtEffectFrame(destination, {node});
    // The move sends no leave event: the core's part of it is done here.
    if (QObject* item = node->viewItem()) {
        node->setViewItem(nullptr);
        delete item;
    }
    if (movesObject) {
        nodeObject->deleteUIItems();
        if (wasListed && destination != static_cast<KelNodes::NodeGraph*>(core->rootGraph())) {
            core->unselectObject(nodeObject);
            core->removeObject(nodeObject);
            core->sortFilters();
        }
    }
    if (targetObject)
        targetObject->getRootObject()->setGraphChanged(true);
}

QBuffer* TwUtilities::storeObjectsToXML(TwCore* core, QList<KelNGObject*> objects, QBuffer* buffer)
{
    if (!buffer)
        buffer = new QBuffer;
    QList<KelNodes::Node*> nodes;
    KelNodes::NodeGraph* top = core ? static_cast<KelNodes::NodeGraph*>(core->rootGraph()) : nullptr;
    for (KelNGObject* object : objects) {
        if (!object || !object->graph())
            continue;
        nodes.append(object->graph());
        if (!top)
            top = object->graph()->topLevelGraph();
    }
    storeNodes(core, top, nodes, buffer);
    return buffer;
}

QBuffer* TwUtilities::storeObjectToXML(TwCore* core, KelNGObject* object, QBuffer* buffer)
{
    if (!buffer)
        buffer = new QBuffer;
    if (!object || !object->graph())
        return buffer;
    storeNodes(core, object->graph()->topLevelGraph(), {object->graph()}, buffer);
    return buffer;
}

int TwUtilities::loadObjectFromBuffer(TwCore* core, KelNodes::NodeGraph* graph, QBuffer* buffer,
                                      bool keepUids)
{
    if (!core || !graph || !buffer)
        return -2;
    core->cancelRender();

    QDomDocument document;
    QDomElement element;
    QString message;
    if (KelUtils::setXmlContent(document, buffer->data(), &message))
        element = document.documentElement();
    else
        qDebug().noquote() << "TwUtilities: the objects could not be read:" << message;

    int result = -2;
    QList<KelNodes::Node*> loaded;
    {
        TwNodeGraphIOCallbacks callbacks(core, false);
        TwNodeGraphIOCallbacks::Scope hooks(graph, &callbacks, false, true);
        if (!element.isNull()) {
            QMap<int, int> uidMap;
            result = graph->load(element, keepUids, KelNodes::LoadAllConnections, &loaded, &uidMap);
            if (result < 0)
                qDebug() << "TwUtilities: a snapshot loaded with skipped parts or links left open";
            UnrestoredLinksText::tell(core, QCoreApplication::translate("TwUtilities", "Not every link came back."),
                                      graph->unrestoredLinks());
        }

        // Graphs at the top level of the root graph become project objects again, those of
        // this load first and in its order (the graph's own list is sorted by level).
        KelVyxNodes::VyxNodeGraph* root = core->rootGraph();
        QList<KelNodes::Node*> topNodes;
        for (KelNodes::Node* node : std::as_const(loaded)) {
            if (root && node->parentGraph() == root)
                topNodes.append(node);
        }
        if (root) {
            QSet<KelNodes::Node*> const listed(topNodes.cbegin(), topNodes.cend());
            for (KelNodes::Node* node : root->nodes()) {
                if (!listed.contains(node))
                    topNodes.append(node);
            }
        }
        {
            TwCore::ObjectBatch batch(core);
            for (KelNodes::Node* node : std::as_const(topNodes)) {
                auto* effectGraph = dynamic_cast<KelVyxNodes::VyxNodeGraph*>(node);
                if (effectGraph && !core->findObjectOfNode(node))
                    core->addObjectFromNodeGraph(effectGraph);
            }
        }

        // A graph restored inside an object's graph gets its child object back.
        KelNGObject* owner = graph == root ? nullptr : core->findObjectOfNode(graph);
        if (owner) {
            for (KelNodes::Node* node : std::as_const(loaded)) {
                KelNodes::NodeGraph* sub = node->toNodeGraph();
                if (sub && sub->parentGraph() == graph && !KelNGObject::objectOf(sub)) {
                    new KelNGObject(sub);
                    owner->getRootObject()->setGraphChanged(true);
                }
            }
        }
        // Brought back (by Undo, Redo or Paste) at the frame it was taken at, which its effect
        // may have left since.
        QList<KelNodes::Node*> direct;
        for (KelNodes::Node* node : std::as_const(loaded)) {
            if (node->parentGraph() == graph)
                direct.append(node);
        }
        TwNodeSnapshot::standAtEffectFrame(graph, direct);
    }
    core->updateAndSync();
    return result;
}

QPixmap TwUtilities::createPixmapWithCenteredImage(QSize size, QPixmap image)
{
    QPixmap canvas(size);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.drawPixmap((size.width() - image.width()) / 2, (size.height() - image.height()) / 2,
                       image);
    painter.end();
    return canvas;
}
