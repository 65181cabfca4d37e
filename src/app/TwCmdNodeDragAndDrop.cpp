#include "app/TwCmdNodeDragAndDrop.h"

#include "app/KelNGObject.h"
#include "app/ShownText.h"
#include "app/TwCore.h"
#include "app/TwNodeSnapshot.h"
#include "app/TwUtilities.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeDependencies.h"
#include "nodes/NodeGraph.h"

#include <QObject>

namespace {

QString quoted(KelNodes::Node const* node)
{
    return QLatin1Char('"') + ShownText::name(node->displayName(), ShownText::kMenuEntryChars) + QLatin1Char('"');
}

} // namespace

TwCmdNodeDragAndDrop::TwCmdNodeDragAndDrop(TwCore* core, KelNodes::NodeGraph* graph,
                                           KelNodes::Node* dragged, KelNodes::Node* target)
    : m_core(core)
    , m_graph(graph)
    , m_draggedUid(dragged ? dragged->uid() : -1)
    , m_targetUid(target ? target->uid() : -1)
    , m_ownerUid(TwNodeSnapshot::ownerUid(dragged))
{
    setText(QObject::tr("Drag and Drop") + QLatin1Char(' ')
            + (dragged ? ShownText::name(dragged->displayName()) : QString()));
}

TwCmdNodeDragAndDrop::~TwCmdNodeDragAndDrop() = default;

QString TwCmdNodeDragAndDrop::refusal(TwCore* core, KelNodes::Node* dragged, KelNodes::Node* target)
{
    if (!core || !dragged || !target)
        return QObject::tr("Nothing was moved: the node is no longer there.");
    // The graph the move goes to, as moveNodeToNodeGraph finds it, without stopping the render.
    KelNodes::NodeGraph* targetGraph = target->toNodeGraph();
    KelNGObject* targetObject = KelNGObject::objectOf(targetGraph ? targetGraph : target->parentGraph());
    KelNodes::NodeGraph* destination = targetObject ? targetObject->graph() : targetGraph;
    KelNodes::NodeGraph* parent = dragged->parentGraph();
    if (!destination || !parent)
        return QObject::tr("%1 cannot be moved into %2.").arg(quoted(dragged), quoted(target));
    if (parent == destination)
        return QObject::tr("%1 is in %2 already.").arg(quoted(dragged), quoted(destination));
    KelNodes::NodeGraph* draggedGraph = dragged->toNodeGraph();
    if (destination == dragged || (draggedGraph && destination->isInsideOf(draggedGraph)))
        return QObject::tr("%1 cannot go into itself.").arg(quoted(dragged));
    // A top-level effect leaves the chain of effects before it moves, and with it every link
    // that could close a loop.
    KelNGObject* own = KelNGObject::objectOf(draggedGraph);
    const bool leavesChain = own && core->indexOfObject(own) >= 0;
    if (!leavesChain && KelNodes::NodeDependencies::moveWouldCycle(dragged, destination))
        return QObject::tr("%1 was not moved into %2: there it would read its own picture, in a loop.")
            .arg(quoted(dragged), quoted(destination));
    return QString();
}

void TwCmdNodeDragAndDrop::redo()
{
    m_linkSourceUid = -1;
    m_linkTargetUid = -1;
    m_moved = false;
    if (!m_core)
        return;
    KelNodes::Node* dragged = m_graph ? m_graph->findNode(m_draggedUid, true) : nullptr;
    KelNodes::Node* target = m_graph ? m_graph->findNode(m_targetUid, true) : nullptr;
    // Decided before anything changes: a refused move would still cut an object's links to the
    // chain, or link it to an object it never went into.
    if (!refusal(m_core, dragged, target).isEmpty()) {
        setObsolete(true);
        return;
    }
    m_core->cancelRender();
    KelNodes::NodeGraph* from = dragged->parentGraph();
    KelNGObject* own = KelNGObject::objectOf(dragged->toNodeGraph());
    m_objectIndex = own ? m_core->indexOfObject(own) : -1;
    if (m_objectIndex >= 0) {
        // The object leaves the chain of objects; its links to its neighbours in the chain
        // would make any object downstream of it depend on itself and refuse the move.
        for (KelNodes::Node* peer : dragged->connectedNodes(~0u, ~0u))
            dragged->disconnect(peer);
    }
    TwUtilities::moveNodeToNodeGraph(m_core, dragged, target);
    m_moved = dragged->parentGraph() != from;
    // A top-level object that went inside another one leaves the chain of objects.
    if (m_objectIndex >= 0)
        m_core->sortFilters();

    KelNGObject* draggedObject = m_core->findObjectOfNode(dragged);
    KelNGObject* targetObject = m_core->findObjectOfNode(target);
    if (m_moved && draggedObject && targetObject && draggedObject != targetObject) {
        KelNodes::Node* last = draggedObject->getSignatureNode(KelNGObject::LastNode);
        KelNodes::Node* to = targetObject->getSignatureNode(KelNGObject::LastNode);
        // Only a link this command made is broken again by undo.
        if (last && to && last->connect(to) >= 0) {
            m_linkSourceUid = last->uid();
            m_linkTargetUid = to->uid();
        }
    }
    m_core->updateUIAfterGraphOfNodeChanged(dragged);
    m_core->start();
}

void TwCmdNodeDragAndDrop::undo()
{
    if (!m_core || !m_moved)
        return;
    m_core->cancelRender();
    if (m_linkSourceUid >= 0 && m_linkTargetUid >= 0 && m_graph) {
        KelNodes::Node* from = m_graph->findNode(m_linkSourceUid, true);
        KelNodes::Node* to = m_graph->findNode(m_linkTargetUid, true);
        if (from && to)
            from->disconnect(to);
    }
    KelNodes::Node* dragged = m_graph ? m_graph->findNode(m_draggedUid, true) : nullptr;
    KelNodes::NodeGraph* owner = TwNodeSnapshot::findGraph(m_graph, m_ownerUid);
    if (dragged && owner) {
        // Back at the top level, the object rejoins the project at its former place.
        KelNGObject* own = KelNGObject::objectOf(dragged->toNodeGraph());
        const bool rejoins = own && owner == m_core->rootGraph() && m_core->indexOfObject(own) < 0;
        if (rejoins)
            m_core->setInsertionIndexFor(m_draggedUid, m_objectIndex);
        TwUtilities::moveNodeToNodeGraph(m_core, dragged, owner);
        if (rejoins && dragged->parentGraph() == m_core->rootGraph()
            && m_core->indexOfObject(own) < 0)
            m_core->objectAddedToGraph(own);
        // Not used up when the move was refused.
        m_core->setInsertionIndexFor(m_draggedUid, -1);
        m_core->updateUIAfterGraphOfNodeChanged(dragged);
    }
    m_core->start();
}
