// The main window's accessors and what the core asks of its panels: the image view, the debug
// window, the node-graph view, the node dock, the project browser and the object editor.

#include "mainwindow/TwMainWindow.h"

#include "ui_MainWindow.h"
#include "ui_ObjectBrowser.h"

#include "app/KelNGObject.h"
#include "app/PlainTextWidgets.h"
#include "app/ShownText.h"
#include "app/TwCore.h"
#include "browser/ImageView.h"
#include "dialogs/TwDebugWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectEditorDock.h"
#include "mainwindow/TwProjectBrowser.h"
#include "mainwindow/TwUndoHistories.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelParamCrucial.h"
#include "nodeui/KelTimeline.h"
#include "nodeui/NodeDockTabWidget.h"
#include "nodeui/VyxNodeGraphView.h"

#include <QStatusBar>
#include <QTextEdit>
#include <QUndoGroup>
#include <QUndoStack>

namespace {

// One line of the debug window: its texts carry names from files and a service's replies.
constexpr int kDebugLineChars = 2000;
constexpr int kDebugLineLines = 20;

// Whether `held` is the parameter container of `going` or of a node inside it.
bool goesWith(KelUtils::IParameterContainer* held, KelNodes::Node* going)
{
    if (!held || !going)
        return false;
    if (going->paramContainer() == held)
        return true;
    if (KelNodes::NodeGraph* graph = going->toNodeGraph()) {
        for (KelNodes::Node* inner : graph->nodes()) {
            if (goesWith(held, inner))
                return true;
        }
    }
    return false;
}

// Whether `held` is `going` or lies inside it.
bool goesWith(KelNodes::NodeGraph* held, KelNodes::Node* going)
{
    for (KelNodes::Node* node = held; node; node = node->parentGraph()) {
        if (node == going)
            return true;
    }
    return false;
}

} // namespace

// --- accessors ---------------------------------------------------------------------------------

ImageView* TwMainWindow::imageView() const
{
    return m_ui->imageView;
}

ImageBrowser* TwMainWindow::imageBrowser() const
{
    return m_ui->imageBrowser;
}

KelTimeline* TwMainWindow::timeline() const
{
    return m_ui->timeline;
}

QTreeWidget* TwMainWindow::filtersTree() const
{
    return m_filtersUi->objectTemplates;
}

QTreeWidget* TwMainWindow::effectsTree() const
{
    return m_effectsUi->objectTemplates;
}

KelDescriptionLabel* TwMainWindow::filtersDescription() const
{
    return m_filtersUi->descriptionWidget;
}

KelDescriptionLabel* TwMainWindow::effectsDescription() const
{
    return m_effectsUi->descriptionWidget;
}

KelNGNodeGraphView* TwMainWindow::objectEditorGraphView() const
{
    return m_objectEditor ? m_objectEditor->graphView() : nullptr;
}

NodeDockTabWidget* TwMainWindow::nodeDock() const
{
    return m_objectEditorDock ? m_objectEditorDock->nodeDockTabWidget() : nullptr;
}

void TwMainWindow::dockDeleteCrucialWidgets()
{
    if (NodeDockTabWidget* dock = nodeDock())
        dock->deleteCrucialWidgets();
}

void TwMainWindow::dockNodeParameterChanged(KelNodes::Node* node)
{
    if (NodeDockTabWidget* dock = nodeDock())
        dock->nodeParameterChanged(node);
}


void TwMainWindow::setGraphViewLayoutFrozen(bool frozen)
{
    if (KelNGNodeGraphView* view = objectEditorGraphView())
        view->layoutFrozen = frozen;
}

// --- interface for the core --------------------------------------------------------------------

void TwMainWindow::nodeAboutToBeDeleted(KelNodes::Node* node)
{
    forgetGoing(node);
    if (m_projectBrowser)
        m_projectBrowser->nodeAboutToBeDeleted(node);
    if (NodeDockTabWidget* dock = nodeDock())
        dock->nodeAboutToBeDeleted(node);
}

void TwMainWindow::forgetGoing(KelNodes::Node* going)
{
    if (!going || !m_ui || m_tearingDown)
        return;
    bool dropped = false;
    // The timeline reads its containers again at every frame and when the window closes.
    if (KelTimeline* timeline = m_ui->timeline) {
        if (goesWith(timeline->masterContainer(), going) || goesWith(timeline->selectedContainer(), going)) {
            timeline->setMasterContainer(nullptr);
            dropped = true;
        }
    }
    if (KelNGNodeGraphView* view = objectEditorGraphView()) {
        if (goesWith(view->graph(), going)) {
            view->setObject(nullptr);
            dropped = true;
        }
    }
    // What is still alive is shown again once the removal is over: the going node may still
    // be what the panels find as selected until then.
    if (dropped && !m_holdersRefreshPosted) {
        m_holdersRefreshPosted = true;
        QMetaObject::invokeMethod(this, [this] {
            m_holdersRefreshPosted = false;
            if (m_core && m_objectEditor)
                showSelectionInEditors(m_core->selectedObject());
        }, Qt::QueuedConnection);
    }
}

// The core's refresh after a change, and the reaction to a selection: the selected object's
// history, or the one that took the step just made, is the one Undo walks.
void TwMainWindow::adjustUI(KelNGObject*)
{
    m_histories->refreshed();
}

void TwMainWindow::nodesOfGraphChanged()
{
    if (m_projectBrowser)
        m_projectBrowser->listNodesAnew();
    if (NodeDockTabWidget* dock = nodeDock())
        dock->listNodesAnew();
}

bool TwMainWindow::isNodeGraphViewMode() const
{
    return m_currentViewAction && m_currentViewAction == m_ui->actionNodeGraphView;
}

void TwMainWindow::statusBarShowMessage(QString const& text)
{
    // Stays until the next message replaces it.
    statusBar()->showMessage(ShownText::name(text));
}

void TwMainWindow::showLastingMessage(QString const& text)
{
    if (m_lastingMessage)
        m_lastingMessage->show(text);
}

QString TwMainWindow::lastingMessage() const
{
    return m_lastingMessage ? m_lastingMessage->text() : QString();
}

void TwMainWindow::imageViewSetMessage(QString const& text)
{
    m_ui->imageView->setMessage(text);
}

void TwMainWindow::debugWindowAppend(QString const& text)
{
    if (m_debugWindow) {
        PlainTextWidgets::appendPlain(m_debugWindow->debugEdit(),
                                      ShownText::bounded(text, kDebugLineChars, kDebugLineLines));
    }
}

void TwMainWindow::nodeGraphViewSetObject(KelNodes::NodeGraph* graph)
{
    if (KelNGNodeGraphView* view = objectEditorGraphView())
        view->setObject(graph);
}

void TwMainWindow::nodeGraphViewUpdateGraph()
{
    if (KelNGNodeGraphView* view = objectEditorGraphView())
        view->updateGraph();
}

void TwMainWindow::nodeGraphViewRedrawNodes()
{
    if (KelNGNodeGraphView* view = objectEditorGraphView())
        view->redrawNodes();
}

bool TwMainWindow::nodeDockObjectPanelEditsNode(KelNodes::Node* node)
{
    NodeDockTabWidget* dock = nodeDock();
    KelParamCrucial* panel = dock ? dock->objectCrucialWidget() : nullptr;
    return panel && panel->containsNodeParameter(node);
}

void TwMainWindow::nodeDockCrucialObjectSettingsFor(KelNGObject* object)
{
    if (NodeDockTabWidget* dock = nodeDock())
        dock->crucialObjectSettingsFor(object);
}

bool TwMainWindow::nodeDockSubGraphPanelEditsNode(KelNodes::Node* node)
{
    NodeDockTabWidget* dock = nodeDock();
    KelParamCrucial* panel = dock ? dock->nodeGraphCrucialWidget() : nullptr;
    return panel && panel->containsNodeParameter(node);
}

void TwMainWindow::nodeDockDeleteSubGraphPanel()
{
    if (NodeDockTabWidget* dock = nodeDock())
        dock->crucialNodeGraphSettingsFor(nullptr);
}

void TwMainWindow::projectBrowserSortFilters()
{
    if (m_projectBrowser)
        m_projectBrowser->sortFilters();
}

void TwMainWindow::projectBrowserDynamicObjectSettingsFor(KelNGObject* object)
{
    if (m_projectBrowser)
        m_projectBrowser->dynamicObjectSettingsFor(object);
}

void TwMainWindow::projectBrowserNodeAboutToBeDeleted(KelNodes::Node* node)
{
    if (m_projectBrowser)
        m_projectBrowser->nodeAboutToBeDeleted(node);
}

void TwMainWindow::projectBrowserUpdateObject(KelNGObject* object)
{
    if (m_projectBrowser)
        m_projectBrowser->updateObject(object);
}

void TwMainWindow::objectEditorAdjustUI(KelNGObject* object)
{
    if (m_objectEditor)
        m_objectEditor->showSelection(object);
}

void TwMainWindow::objectEditorUpdateObject(KelNGObject* object)
{
    if (m_objectEditor)
        m_objectEditor->updateObject(object);
}

void TwMainWindow::objectEditorTemplateHasBeenAddedOrUpdated(KelTemplate* objectTemplate)
{
    if (m_objectEditor)
        m_objectEditor->objectTemplateHasBeenAddedOrUpdated(objectTemplate);
}

