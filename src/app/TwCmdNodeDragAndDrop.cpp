#include "app/TwCmdNodeDragAndDrop.h"

#include "app/KelNGObject.h"
#include "app/ShownText.h"
#include "app/TwCore.h"
#include "app/TwNodeSnapshot.h"
#include "app/TwUtilities.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeGraph.h"

#include <QObject>

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

void TwCmdNodeDragAndDrop::redo()
{
    if (!m_core)
        return;
    m_core->cancelRender();
    KelNodes::Node* dragged = m_graph ? m_graph->findNode(m_draggedUid, true) : nullptr;
    KelNodes::Node* target = m_graph ? m_graph->findNode(m_targetUid, true) : nullptr;
    if (dragged && target) {
        KelNGObject* own = KelNGObject::objectOf(dragged->toNodeGraph());
        m_objectIndex = own ? m_core->indexOfObject(own) : -1;
        if (m_objectIndex >= 0) {
            // The object leaves the chain of objects; its links to its neighbours in the chain
            // would make any object downstream of it depend on itself and refuse the move.
            for (KelNodes::Node* peer : dragged->connectedNodes(~0u, ~0u))
                dragged->disconnect(peer);
        }
        TwUtilities::moveNodeToNodeGraph(m_core, dragged, target);
        // A top-level object that went inside another one leaves the chain of objects.
        if (m_objectIndex >= 0)
            m_core->sortFilters();

        KelNGObject* draggedObject = m_core->findObjectOfNode(dragged);
        KelNGObject* targetObject = m_core->findObjectOfNode(target);
        m_linkSourceUid = -1;
        m_linkTargetUid = -1;
        if (draggedObject && targetObject && draggedObject != targetObject) {
            KelNodes::Node* from = draggedObject->getSignatureNode(KelNGObject::LastNode);
            KelNodes::Node* to = targetObject->getSignatureNode(KelNGObject::LastNode);
            // Only a link this command made is broken again by undo.
            if (from && to && from->connect(to) >= 0) {
                m_linkSourceUid = from->uid();
                m_linkTargetUid = to->uid();
            }
        }
        m_core->updateUIAfterGraphOfNodeChanged(dragged);
    }
    m_core->start();
}

void TwCmdNodeDragAndDrop::undo()
{
    if (!m_core)
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
