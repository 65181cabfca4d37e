// The main window's share in edits: settings changed in the panels, parameter-panel edits, and
// the structural and parameter edits of the node-graph view, each under the change rule.

#include "mainwindow/TwMainWindow.h"

#include "ui_MainWindow.h"

#include "app/KelCmdAddNode.h"
#include "app/KelCmdDeleteNode.h"
#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TwCmdDeleteObject.h"
#include "app/TwCmdNodeDragAndDrop.h"
#include "app/TwCore.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "mainwindow/TwUndoHistories.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelCmdConnection.h"
#include "nodeui/KelCmdParamEdit.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeConnection.h"
#include "nodeui/KelTimeline.h"
#include "nodeui/NodeDockTabWidget.h"
#include "nodeui/VyxNodeGraphView.h"

#include <QTimer>
#include <QUndoStack>

// --- edits from the panels ---------------------------------------------------------------------

void TwMainWindow::markEdited(KelNGObject* object)
{
    KelNGObject* root = object ? object->getRootObject() : nullptr;
    if (root && root->isTemplateInstance()) {
        if (KelTemplate* objectTemplate = root->getValidTemplate()) {
            objectTemplate->setModified(true);
            m_objectEditor->updateTemplateObject(root);
        }
        return;
    }
    m_core->setModified(true);
}

void TwMainWindow::vyxGraphSettingChanged(KelNGObject* object, bool fromProjectBrowser)
{
    m_core->cancelRender();
    if (fromProjectBrowser)
        m_objectEditor->updateObject(object);
    else
        m_projectBrowser->updateObject(object);
    // Visibility, blend mode and opacity are saved with the project.
    markEdited(object);
    if (!m_settingRender) {
        m_settingRender = new QTimer(this);
        m_settingRender->setSingleShot(true);
        m_settingRender->setInterval(100);
        connect(m_settingRender, &QTimer::timeout, this, &TwMainWindow::startRender);
    }
    m_settingRender->start();
}

bool TwMainWindow::isSettingRenderDue() const
{
    return m_settingRender && m_settingRender->isActive();
}

void TwMainWindow::moveObject(KelNGObject*, KelNGObject*) {}

void TwMainWindow::addParamUndo(KelParam* panel, QBuffer* before)
{
    m_core->undoStack()->push(new KelCmdParamEdit(m_core, panel, before));
}

// --- node-graph view ---------------------------------------------------------------------------

namespace {

KelNodes::NodeGraph* topLevelGraphOf(KelNodes::Node* node)
{
    if (!node)
        return nullptr;
    if (KelNodes::NodeGraph* graph = node->toNodeGraph())
        return graph->topLevelGraph();
    return node->parentGraph() ? node->parentGraph()->topLevelGraph() : nullptr;
}

} // namespace

// The stack of the node's top-level graph: the core's for project nodes, a template's own.
QUndoStack* TwMainWindow::undoStackOf(KelNodes::Node* node)
{
    QUndoStack* stack = m_histories->historyOf(node);
    // Followed, so that the step about to be pushed decides which history is active.
    m_histories->follow(stack);
    return stack;
}


void TwMainWindow::addNodeToGraphView(KelNGNodeGraphView*, KelNodes::Node* node)
{
    undoStackOf(node)->push(new KelCmdAddNode(m_core, topLevelGraphOf(node), node));
}

void TwMainWindow::deleteNodeFromGraphView(KelNGNodeGraphView*, KelNodes::Node* node)
{
    if (KelNodes::NodeGraph* graph = node->toNodeGraph()) {
        KelNGObject* object = m_core->findObjectOfNode(graph);
        if (object) {
            undoStackOf(node)->push(new TwCmdDeleteObject(m_core, topLevelGraphOf(node), {object}));
            return;
        }
    }
    nodeAboutToBeDeleted(node);
    undoStackOf(node)->push(new KelCmdDeleteNode(m_core, topLevelGraphOf(node), node));
}

void TwMainWindow::nodeConnectionChangedInGraphView(KelNGNodeGraphView* view,
                                                    KelNGNodeConnection* connection, bool connect)
{
    KelNodes::Node* first = connection->sourceNode() ? connection->sourceNode()->node() : nullptr;
    if (!first)
        return;
    undoStackOf(first)->push(new KelCmdConnection(m_core, view, topLevelGraphOf(first), connection, connect));
}

void TwMainWindow::nodeDragAndDrop(KelNGNodeGraphView*, KelNodes::Node* dragged, KelNodes::Node* target)
{
    // Decided before the push: pushing even a step that then changes nothing cuts the redo history.
    const QString refusal = TwCmdNodeDragAndDrop::refusal(m_core, dragged, target);
    if (!refusal.isEmpty()) {
        statusBarShowMessage(refusal);
        return;
    }
    undoStackOf(dragged)->push(new TwCmdNodeDragAndDrop(m_core, topLevelGraphOf(dragged), dragged, target));
}

void TwMainWindow::nodeParameterChanged(KelNGNodeGraphView* view, KelNodes::Node* node)
{
    // The render reads the graph without a lock: stop it before the update writes.
    m_core->cancelRender();
    if (node->parentGraph())
        node->parentGraph()->update();
    KelNGObject* templateObject = view == objectEditorGraphView()
                                      ? m_core->findObjectTemplateInstanceOfNode(node)
                                      : nullptr;
    if (templateObject) {
        if (KelTemplate* objectTemplate = templateObject->getValidTemplate())
            objectTemplate->setModified(true);
        m_objectEditor->updateTemplateObject(templateObject);
    }
    m_projectBrowser->checkUpdateNodeParameters(node);
    dockNodeParameterChanged(node);
    m_core->cancelRender();
    if (!templateObject)
        m_core->setModified(true);
    m_core->start();
}

void TwMainWindow::selectedNodeChanged(KelNGNode* item)
{
    NodeDockTabWidget* dock = nodeDock();
    // The image view's timeline stays on the effect, whatever the hidden graph picks.
    if (!isNodeGraphViewMode()) {
        if (dock)
            dock->showOnCurrentNodePage(item);
        return;
    }
    // A node picked by the user brings the Nodes panel to its page.
    if (dock && item && item->node())
        dock->selectedNodeChanged(item);
    showPickedNodeInEditors(true);
}

void TwMainWindow::objectGraphChanged()
{
    KelNGObject* object = m_objectEditor->currentObject();
    if (object)
        object->setGraphChanged(true);
    if (object && object->getRootObject()->isTemplateInstance()) {
        if (KelTemplate* objectTemplate = object->getValidTemplate())
            objectTemplate->setModified(true);
        m_objectEditor->updateTemplateObject(object->getRootObject());
        nodeGraphViewUpdateGraph();
        m_projectBrowser->dynamicObjectSettingsFor(object);
        m_core->cancelRender();
        m_core->start();
        return;
    }
    nodeGraphViewUpdateGraph();
    m_projectBrowser->dynamicObjectSettingsFor(object);
    m_core->cancelRender();
    m_core->updateAfterChangingGraph(nullptr);
    m_core->setModified(true);
    m_core->start();
}

void TwMainWindow::nodePositionsChanged()
{
    // Positions are saved with the project (or the template) but need no render.
    if (KelNGObject* object = m_objectEditor->currentObject())
        markEdited(object);
}

