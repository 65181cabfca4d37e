#include "ShownTargets.h"

#include "ui_KelNodePanel.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TemplateEditor.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "app/Renderer.h"
#include "effects/VyxNode.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/NodeSubscriber.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/KelParamAtom.h"
#include "nodeui/KelParamCrucial.h"
#include "nodeui/KelTimeline.h"
#include "nodeui/NodeDockTabWidget.h"
#include "params/IParameterContainer.h"

#include <QGraphicsPixmapItem>
#include <QImage>
#include <QLineEdit>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTreeWidget>


namespace MainWindowTest {
namespace {

// What the project and the template store hold now: an editor may point at nothing else. Only
// pointers found here are read, so that a freed one is reported, not followed.
struct Alive
{
    QSet<KelNGObject*> objects;
    QSet<KelNodes::Node*> nodes;
    // The graphs apart: a freed graph's address is never turned into its node's.
    QSet<KelNodes::NodeGraph*> graphs;
    // A container with the node that owns it.
    QHash<KelUtils::IParameterContainer*, KelNodes::Node*> containers;
    QSet<KelNGNode*> items;

    void addGraph(KelNodes::NodeGraph* graph)
    {
        if (!graph || graphs.contains(graph))
            return;
        graphs << graph;
        addNode(graph);
        for (KelNodes::Node* node : graph->nodes()) {
            if (auto* inner = dynamic_cast<KelNodes::NodeGraph*>(node))
                addGraph(inner);
            else
                addNode(node);
        }
    }
    void addNode(KelNodes::Node* node)
    {
        nodes << node;
        containers.insert(node->paramContainer(), node);
        if (KelNGNode* item = KelNGNode::itemOf(node))
            items << item;
    }
    void addObject(KelNGObject* object)
    {
        if (!object || objects.contains(object))
            return;
        objects << object;
        addGraph(object->graph());
        for (KelNGObject* child : object->getChildObjectList(true))
            addObject(child);
    }
};

Alive g_alive;

void collectAlive(TwMainWindow* window)
{
    TwCore* core = window->core();
    g_alive = Alive();
    g_alive.addGraph(core->rootGraph());
    for (KelNGObject* object : core->objectList())
        g_alive.addObject(object);
    if (TwTemplateContainer* store = core->templateStore()) {
        for (KelTemplate* objectTemplate : std::as_const(store->objectTemplateList))
            g_alive.addObject(objectTemplate->objectInstance());
    }
}

QString nameOf(KelNGObject* object)
{
    if (!object)
        return QStringLiteral("nothing");
    if (!g_alive.objects.contains(object))
        return QStringLiteral("an effect the project no longer has");
    return QStringLiteral("\"%1\"").arg(object->graph() ? object->graph()->displayName() : QString());
}

QString nameOf(KelNodes::Node* node)
{
    if (!node)
        return QStringLiteral("no node");
    if (!g_alive.nodes.contains(node))
        return QStringLiteral("a node the project no longer has");
    return QStringLiteral("node \"%1\"").arg(node->displayName());
}

KelNGObject* projectRowObject(TwMainWindow* window)
{
    QTreeWidgetItem* row = window->projectBrowser()->form()->treeWidget->currentItem();
    if (!row)
        return nullptr;
    for (KelNGObject* object : window->core()->objectList()) {
        if (object->projectBrowserItem == row)
            return object;
    }
    return nullptr;
}

KelNGObject* templateRowObject(TwMainWindow* window)
{
    QTreeWidgetItem* row = window->objectEditor()->form()->templatesTreeWidget->currentItem();
    TwTemplateContainer* store = window->core()->templateStore();
    if (!row || !store)
        return nullptr;
    for (KelTemplate* objectTemplate : std::as_const(store->objectTemplateList)) {
        KelNGObject* root = objectTemplate->objectInstance();
        if (!root)
            continue;
        if (root->templateTreeItem == row)
            return root;
        for (KelNGObject* child : root->getChildObjectList(true)) {
            if (child->templateTreeItem == row)
                return child;
        }
    }
    return nullptr;
}

// The atoms of a panel stand at `frame`.
void checkPanelFrames(KelParamCrucial const* panel, int frame, QString const& what, QStringList& faults)
{
    if (!panel)
        return;
    for (KelParamAtom* atom : panel->atoms()) {
        KelNodes::Node* node = atom->node();
        if (node && !g_alive.nodes.contains(node)) {
            faults << QStringLiteral("%1 hold a node the project no longer has").arg(what);
            return;
        }
        KelUtils::IParameterContainer* container = node ? node->paramContainer() : nullptr;
        if (container && container->currentFrame() != frame) {
            faults << QStringLiteral("%1 shows %2 at frame %3, the timeline reads %4")
                          .arg(what, nameOf(node))
                          .arg(container->currentFrame())
                          .arg(frame);
            return;
        }
    }
}

// Every preview the graph view shows expanded is the one the last render made of its node
// (the node's output now), when that render ran the effects of the graph shown.
void previewFaults(TwCore* core, KelNGNodeGraphView* view, QStringList& faults)
{
    KelNodes::NodeGraph* graph = view->graph();
    if (!graph || !core->areEffectsOn() || core->isRenderPending() || !core->renderer()->completedSucceeded())
        return;
    // Only a graph the render runs makes previews.
    KelNodes::NodeGraph* rendered = graph;
    while (rendered && rendered != core->currentGraph())
        rendered = rendered->parentGraph();
    if (!rendered)
        return;
    for (KelNodes::Node* node : graph->nodes()) {
        KelNGNode* item = KelNGNode::itemOf(node);
        auto const* effect = dynamic_cast<KelVyxNodes::VyxNode const*>(node);
        if (!item || !effect || !item->hasPreview() || !item->previewExpanded() || !item->pixmapItem() ||
            item->pixmapItem()->scene() != view->scene() || !effect->previewIsSampled())
            continue;
        // The render's preview is the node's output now, as the pull path samples it.
        QImage pulled(KelNGNode::kPreviewImageWidth, KelNGNode::kPreviewImageHeight, QImage::Format_ARGB32);
        pulled.fill(Qt::transparent);
        // A node the render did not run (unlinked, in an effect it looks through) keeps its last.
        if (effect->shownPreviewIsCurrent() && effect->getPreview(&pulled) >= 0 && item->lastPreview() != pulled) {
            faults << QStringLiteral("%1 shows another preview than the last render made (%2)")
                          .arg(nameOf(node), item->lastPreview().isNull() ? QStringLiteral("none shown")
                                                                          : QStringLiteral("an older one"));
        }
    }
}

} // namespace

KelNGObject* shownSelection(TwMainWindow* window)
{
    if (!window->isNodeGraphViewMode())
        return projectRowObject(window);
    if (window->objectEditor()->showMode() == 0) {
        QTreeWidgetItem* row = window->objectEditor()->form()->treeWidget->currentItem();
        for (KelNGObject* object : window->core()->objectList()) {
            if (row && object->objectEditorItem == row)
                return object;
        }
        return nullptr;
    }
    return templateRowObject(window);
}

QStringList shownTargetFaults(TwMainWindow* window)
{
    QStringList faults;
    TwCore* core = window->core();
    TwObjectEditor* editor = window->objectEditor();
    KelNGNodeGraphView* view = window->objectEditorGraphView();
    NodeDockTabWidget* dock = window->nodeDock();
    KelTimeline* timeline = window->timeline();
    const bool graphView = window->isNodeGraphViewMode();
    collectAlive(window);
    KelNGObject* selected = shownSelection(window);
    const int frame = timeline->findChild<QSpinBox*>(QStringLiteral("currentFrameSB"))->value();

    // Nothing an editor holds is freed: what it holds is one of the things the project and the
    // store hold now, judged by the things alive, never by an address seen before (a new thing
    // may live where a freed one did). What is not is reported here and not read below.
    auto holds = [&](bool alive, QString const& what) {
        if (!alive)
            faults << QStringLiteral("%1 something the project no longer has").arg(what);
    };
    auto aliveContainer = [&](KelUtils::IParameterContainer* container, QString const&) {
        return !container || g_alive.containers.contains(container);
    };
    auto aliveObject = [&](KelNGObject* object, QString const&) { return !object || g_alive.objects.contains(object); };
    auto aliveNode = [&](KelNodes::Node* node, QString const&) { return !node || g_alive.nodes.contains(node); };
    auto aliveItem = [&](KelNGNode* item, QString const&) { return !item || g_alive.items.contains(item); };
    auto check = [&](auto alive, auto* pointer, QString const& what) { holds(alive(pointer, what), what); };
    check(aliveContainer, timeline->selectedContainer(), QStringLiteral("the timeline's keys are of"));
    check(aliveContainer, timeline->masterContainer(), QStringLiteral("the timeline's frames are of"));
    check(aliveObject, editor->currentObject(), QStringLiteral("the object editor edits"));
    auto aliveGraph = [&](KelNodes::NodeGraph* graph, QString const&) { return !graph || g_alive.graphs.contains(graph); };
    check(aliveGraph, view->graph(), QStringLiteral("the node-graph view shows"));
    check(aliveItem, view->selectedNode(), QStringLiteral("the node-graph view picks"));
    check(aliveItem, editor->panelNode(), QStringLiteral("the node name field edits"));
    check(aliveObject, editor->templateEditor()->object(), QStringLiteral("the Template tab edits"));
    if (dock) {
        check(aliveObject, dock->object(), QStringLiteral("the Nodes panel shows"));
        check(aliveObject, dock->objectCrucialWidget() ? dock->objectCrucialWidget()->object() : nullptr,
              QStringLiteral("the Nodes panel's parameters are of"));
        check(aliveObject, dock->nodeGraphCrucialWidget() ? dock->nodeGraphCrucialWidget()->object() : nullptr,
              QStringLiteral("the Nodes panel's node parameters are of"));
        auto* nodePanel = qobject_cast<KelNGNode*>(dock->currentNodeStack()->currentWidget());
        check(aliveNode, nodePanel ? nodePanel->node() : nullptr, QStringLiteral("the Current Node page shows"));
    }
    KelParamCrucial* tabPanel = window->projectBrowser()->crucialPanel();
    check(aliveObject, tabPanel ? tabPanel->object() : nullptr,
          QStringLiteral("the Project tab's Important Parameters are of"));
    if (!faults.isEmpty())
        return faults;

    // The timeline: the image view's holds the root graph's frames and the selected effect's
    // keys.
    KelUtils::IParameterContainer* effectContainer =
        selected && selected->graph() ? selected->graph()->paramContainer() : nullptr;
    KelNGNode* pickedItem = graphView && view ? view->selectedNode() : nullptr;
    KelNodes::Node* picked = pickedItem ? pickedItem->node() : nullptr;
    // In the node-graph view a row click holds the effect's keys, a click on a node the node's.
    KelUtils::IParameterContainer* keys = timeline->selectedContainer();
    if (keys != effectContainer && (!picked || keys != picked->paramContainer())) {
        faults << QStringLiteral("the timeline holds the keys of another container than %1")
                      .arg(picked ? nameOf(picked) : nameOf(selected));
    }
    if (!graphView && selected && timeline->masterContainer() != core->rootGraph()->paramContainer())
        faults << QStringLiteral("the image view's timeline does not hold the root graph's frames");
    if (timeline->selectedContainer() && timeline->selectedContainer()->currentFrame() != frame) {
        faults << QStringLiteral("the timeline reads frame %1, its container stands at %2")
                      .arg(frame)
                      .arg(timeline->selectedContainer()->currentFrame());
    }
    // With no keys held the picture is the project's frame: the timeline reads that one.
    const int rendered = core->rootGraph()->paramContainer()->currentFrame();
    if (!timeline->selectedContainer() && frame != rendered)
        faults << QStringLiteral("the timeline holds no effect and reads frame %1, the project renders frame %2")
                      .arg(frame)
                      .arg(rendered);
    if (graphView)
        previewFaults(core, view, faults);

    if (!graphView) {
        // The Project tab: its Important Parameters are the highlighted row's.
        KelParamCrucial* panel = window->projectBrowser()->crucialPanel();
        KelNGObject* shown = panel ? panel->object() : nullptr;
        if (shown != selected)
            faults << QStringLiteral("the Project tab's Important Parameters show %1, its row %2")
                          .arg(nameOf(shown), nameOf(selected));
        checkPanelFrames(panel, frame, QStringLiteral("the Project tab's Important Parameters"), faults);
        return faults;
    }

    // The object editor: its effect, the graph, the node strip, the Template tab.
    if (editor->currentObject() != selected)
        faults << QStringLiteral("the object editor edits %1, the highlighted row is %2")
                      .arg(nameOf(editor->currentObject()), nameOf(selected));
    KelNodes::NodeGraph* graph = selected ? selected->graph() : nullptr;
    if (view->graph() != graph)
        faults << QStringLiteral("the node-graph view shows the graph of another effect than %1").arg(nameOf(selected));
    if (picked && picked->parentGraph() != graph)
        faults << QStringLiteral("the node-graph view's picked %1 is not in %2").arg(nameOf(picked), nameOf(selected));
    KelNGNode* strip = editor->panelNode();
    if (strip != pickedItem)
        faults << QStringLiteral("the node name field edits %1, the graph picks %2")
                      .arg(nameOf(strip ? strip->node() : nullptr), nameOf(picked));
    if (picked && editor->nodePanelForm()->nodeNameEdit->text() != picked->displayName())
        faults << QStringLiteral("the node name field reads \"%1\" for %2")
                      .arg(editor->nodePanelForm()->nodeNameEdit->text(), nameOf(picked));
    if (editor->templateEditor()->object() != selected)
        faults << QStringLiteral("the Template tab edits %1, the highlighted row is %2")
                      .arg(nameOf(editor->templateEditor()->object()), nameOf(selected));

    // The Nodes panel: its Important Parameters are the effect's; its Current Node page the
    // picked node's.
    if (!dock)
        return faults;
    KelParamCrucial* important = dock->objectCrucialWidget();
    if (dock->object() != selected || (important && important->object() != selected) || (!important && selected))
        faults << QStringLiteral("the Nodes panel's Important Parameters show %1, the highlighted row is %2")
                      .arg(nameOf(important ? important->object() : dock->object()), nameOf(selected));
    if (dock->currentMode() == 1)
        checkPanelFrames(important, frame, QStringLiteral("the Nodes panel's Important Parameters"), faults);
    if (dock->currentMode() == 0) {
        QWidget* page = dock->currentNodeStack()->currentWidget();
        auto* nodePanel = qobject_cast<KelNGNode*>(page);
        KelParamCrucial* compound = dock->nodeGraphCrucialWidget();
        KelNodes::Node* shown = nodePanel ? nodePanel->node() : nullptr;
        if (page && compound && page == compound && compound->object())
            shown = compound->object()->graph();
        if (shown != picked)
            faults << QStringLiteral("the Current Node page shows %1, the graph picks %2").arg(nameOf(shown), nameOf(picked));
        if (nodePanel && shown && shown->paramContainer()->currentFrame() != frame)
            faults << QStringLiteral("the Current Node page shows %1 at frame %2, the timeline reads %3")
                          .arg(nameOf(shown))
                          .arg(shown->paramContainer()->currentFrame())
                          .arg(frame);
        if (page == compound)
            checkPanelFrames(compound, frame, QStringLiteral("the Current Node page"), faults);
    }
    return faults;
}

} // namespace MainWindowTest
