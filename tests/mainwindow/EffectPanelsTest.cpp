// The panels of the real window that show one effect: the node-graph view, the node panel under
// it (name and colour of the selected node), the Important Parameters of the Nodes panel and of
// the Project tab. They show the selected row's effect after every click, delete, undo, redo and
// insertion, in either view mode, list that effect's nodes after each node added, removed or
// renamed, and are empty when nothing is selected.

#include "MainWindowFixture.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/KelParamAtom.h"
#include "nodeui/KelParamCrucial.h"
#include "nodeui/NodeDockTabWidget.h"
#include "nodeui/TreeWidgetByMimeType.h"
#include "ui_KelNodePanel.h"
#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <random>

namespace MainWindowTest {
namespace {

// Node types whose parameters are listed among the important ones.
const QString kGrayscale = QStringLiteral("operator.grayscale");
const QString kAberration = QStringLiteral("operator.chromaaber");

class EffectPanels : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(showWindow());
        settle();
    }

    // A new effect of the project holding a grayscale node (important parameters) named after it.
    KelNGObject* addEffect(QString const& name)
    {
        core()->cancelRender();
        KelVyxNodes::VyxNodeGraph* graph = core()->rootGraph()->addSubGraph(-1);
        graph->setName(name);
        graph->setUp(core()->sourceImage(), nullptr, nullptr, false);
        KelNodes::Node* node = graph->addNode(kGrayscale, -1);
        EXPECT_NE(node, nullptr);
        if (node)
            node->setName(name + QStringLiteral(" grey"));
        KelNGObject* object = core()->addObjectFromNodeGraph(graph);
        settle();
        return object;
    }

    KelNGObject* objectNamed(QString const& name) const
    {
        for (KelNGObject* object : core()->objectList()) {
            if (object->graph()->name() == name)
                return object;
        }
        return nullptr;
    }

    bool inGraphView() const { return window->isNodeGraphViewMode(); }
    void showGraphView() { window->form()->actionNodeGraphView->trigger(); settle(); }
    void showImageView() { window->form()->actionImageView->trigger(); settle(); }

    QTreeWidget* projectRows() const { return window->projectBrowser()->form()->treeWidget; }
    QTreeWidget* editorRows() const { return window->objectEditor()->form()->treeWidget; }
    KelNGNodeGraphView* view() const { return window->objectEditorGraphView(); }
    QLineEdit* nodeNameField() const { return window->objectEditor()->nodePanelForm()->nodeNameEdit; }

    // A click on the effect's name in the list the window shows: the Project tab beside the
    // image, the object editor's list beside the graph.
    void clickRow(KelNGObject* object)
    {
        const bool graph = inGraphView();
        QTreeWidget* rows = graph ? editorRows() : projectRows();
        QTreeWidgetItem* row = graph ? object->objectEditorItem : object->projectBrowserItem;
        ASSERT_NE(row, nullptr);
        ASSERT_TRUE(rows->isVisible());
        rows->scrollToItem(row);
        const QRect cell = rows->visualItemRect(row);
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(rows->columnViewportPosition(1) + 10, cell.center().y()));
        settle();
    }

    // The first node of the graph the view shows that Delete may remove.
    KelNodes::Node* deletableNodeInView() const
    {
        if (!view()->graph())
            return nullptr;
        for (KelNodes::Node* node : view()->graph()->nodes()) {
            if (!node->isStatic())
                return node;
        }
        return nullptr;
    }

    // Selects the node in the graph view and presses Delete there.
    void deleteInView(KelNodes::Node* node)
    {
        view()->setSelectedNode(KelNGNode::itemOf(node));
        view()->setFocus();
        QTest::keyClick(view(), Qt::Key_Delete);
        settle();
    }

    // Drags a node type from the Nodes panel's Available Nodes into the graph view.
    KelNodes::Node* dropNode(QString const& typeId)
    {
        TreeWidgetByMimeType* types = window->nodeDock()->availableNodesTree();
        QList<QTreeWidgetItem*> const found =
            types->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive);
        QTreeWidgetItem* item = nullptr;
        for (QTreeWidgetItem* candidate : found) {
            if (candidate->data(0, Qt::UserRole + 1).toString() == typeId)
                item = candidate;
        }
        EXPECT_NE(item, nullptr) << typeId.toStdString();
        if (!item)
            return nullptr;
        std::unique_ptr<QMimeData> data(types->model()->mimeData({types->indexFromItem(item)}));
        KelNodes::Node* added = nullptr;
        auto connection = QObject::connect(view(), &KelNGNodeGraphView::addNodeToGraphView,
                                           [&](KelNGNodeGraphView*, KelNodes::Node* node) { added = node; });
        const QPoint at(60, 60);
        QWidget* viewport = view()->viewport();
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &drop);
        QObject::disconnect(connection);
        settle();
        return added;
    }

    // The node names an important-parameters panel heads its groups with, in order.
    static QStringList headings(KelParamCrucial const* panel)
    {
        QStringList names;
        if (!panel)
            return names;
        for (QGroupBox const* heading : panel->findChildren<QGroupBox*>())
            names << heading->title();
        return names;
    }

    static QList<KelNodes::Node*> listedNodes(KelParamCrucial const* panel)
    {
        QList<KelNodes::Node*> nodes;
        if (!panel)
            return nodes;
        for (KelParamAtom* atom : panel->atoms()) {
            if (!nodes.contains(atom->node()))
                nodes << atom->node();
        }
        return nodes;
    }

    // Whatever the view mode: the panels show the selected row's effect, and only its nodes.
    void expectPanelsShow(KelNGObject* selected)
    {
        KelNodes::NodeGraph* graph = selected ? selected->graph() : nullptr;
        TwObjectEditor* editor = window->objectEditor();
        EXPECT_EQ(editor->currentObject(), selected);
        EXPECT_EQ(view()->graph(), graph) << "the node-graph view";
        NodeDockTabWidget* dock = window->nodeDock();
        EXPECT_EQ(dock->object(), selected) << "the Nodes panel";
        KelParamCrucial* important = dock->objectCrucialWidget();
        EXPECT_EQ(important ? important->object() : nullptr, selected) << "Important Parameters";
        for (KelNodes::Node* node : listedNodes(important))
            EXPECT_EQ(node->parentGraph(), graph) << "Important Parameters list a node of another effect";
        KelParamCrucial* project = window->projectBrowser()->crucialPanel();
        EXPECT_EQ(project ? project->object() : nullptr, selected) << "the Project tab";

        KelNGNode* shown = editor->panelNode();
        if (!selected) {
            EXPECT_EQ(shown, nullptr) << "the node panel";
            EXPECT_TRUE(nodeNameField()->text().isEmpty());
            EXPECT_FALSE(editor->nodePanelWidget()->isEnabled());
            return;
        }
        ASSERT_TRUE(shown && shown->node()) << "the node panel shows no node";
        EXPECT_EQ(shown->node()->parentGraph(), graph) << "the node panel";
        EXPECT_EQ(nodeNameField()->text(), shown->node()->displayName());
        EXPECT_TRUE(editor->nodePanelWidget()->isEnabled());
        // A click on any other row is a change of the row.
        EXPECT_EQ(projectRows()->currentItem(), selected->projectBrowserItem) << "the Project tab's row";
        EXPECT_EQ(editorRows()->currentItem(), selected->objectEditorItem) << "the editor's row";
    }

    static QStringList nodeNames(KelNGObject* object)
    {
        QStringList names;
        for (KelNodes::Node* node : object->graph()->nodes())
            names << node->displayName();
        return names;
    }
};

TEST_F(EffectPanels, AfterDeleteAndUndoTheClickedEffectIsTheOneTheGraphShowsAndEdits)
{
    addEffect(QStringLiteral("Tint"));
    KelNGObject* invert = addEffect(QStringLiteral("Invert"));
    // Tint was looked at in the node graph before.
    showGraphView();
    clickRow(objectNamed(QStringLiteral("Tint")));
    showImageView();

    clickRow(objectNamed(QStringLiteral("Tint")));
    window->form()->actionDelete->trigger();
    settle();
    ASSERT_EQ(objectNamed(QStringLiteral("Tint")), nullptr);
    window->undoAction()->trigger();
    settle();
    KelNGObject* tint = objectNamed(QStringLiteral("Tint"));
    ASSERT_NE(tint, nullptr);
    clickRow(invert);
    ASSERT_EQ(core()->selectedObject(), invert);
    showGraphView();
    expectPanelsShow(invert);

    // Delete in the graph takes Invert's node, not Tint's.
    KelNodes::Node* node = deletableNodeInView();
    ASSERT_NE(node, nullptr);
    deleteInView(node);
    EXPECT_TRUE(nodeNames(tint).contains(QStringLiteral("Tint grey")));
    EXPECT_FALSE(nodeNames(invert).contains(QStringLiteral("Invert grey")));
}

// Random runs of what changes the selected row, in both view modes, each step checked against
// the row the project has selected.
TEST_F(EffectPanels, EveryChangeOfTheSelectedRowIsFollowedByTheGraphTheNodePanelAndTheImportantParameters)
{
    enum Step { Click, Delete, Undo, Redo, Add, SwitchView, StepCount };
    const char* const stepNames[] = {"click", "delete", "undo", "redo", "add", "switch view"};
    for (unsigned seed = 1; seed <= 5; ++seed) {
        discardProject();
        showImageView();
        for (QString const& name : {QStringLiteral("Tint"), QStringLiteral("Invert"), QStringLiteral("Warm")})
            addEffect(name);
        std::mt19937 random(seed);
        std::string done = "seed " + std::to_string(seed) + ":";
        int added = 0;
        for (int i = 0; i < 12; ++i) {
            const auto step = Step(std::uniform_int_distribution<int>(0, StepCount - 1)(random));
            QList<KelNGObject*> const objects = core()->objectList();
            done += std::string(" ") + stepNames[step];
            switch (step) {
            case Click:
                if (!objects.isEmpty())
                    clickRow(objects.at(std::uniform_int_distribution<int>(0, int(objects.size()) - 1)(random)));
                break;
            case Delete:
                window->form()->actionDelete->trigger();
                break;
            case Undo:
                window->undoAction()->trigger();
                break;
            case Redo:
                window->redoAction()->trigger();
                break;
            case Add:
                addEffect(QStringLiteral("Added %1").arg(++added));
                break;
            case SwitchView:
                if (inGraphView())
                    showImageView();
                else
                    showGraphView();
                break;
            default:
                break;
            }
            settle();
            SCOPED_TRACE(done);
            expectPanelsShow(core()->selectedObject());
            if (HasFailure())
                return;
        }
    }
}

TEST_F(EffectPanels, TheImportantParametersFollowTheNodesOfTheEffectAndNewEmptiesTheNodePanel)
{
    showGraphView();
    window->addNewEmptyFilter();
    settle();
    KelNGObject* effect = core()->selectedObject();
    ASSERT_NE(effect, nullptr);
    NodeDockTabWidget* dock = window->nodeDock();
    ASSERT_EQ(dock->object(), effect);
    EXPECT_TRUE(listedNodes(dock->objectCrucialWidget()).isEmpty());

    // The first node: listed at once, on both pages that list the effect's nodes.
    KelNodes::Node* grey = dropNode(kGrayscale);
    ASSERT_NE(grey, nullptr);
    ASSERT_EQ(grey->parentGraph(), effect->graph());
    EXPECT_EQ(listedNodes(dock->objectCrucialWidget()), QList<KelNodes::Node*>{grey});
    EXPECT_EQ(listedNodes(window->projectBrowser()->crucialPanel()), QList<KelNodes::Node*>{grey});

    KelNodes::Node* aberration = dropNode(kAberration);
    ASSERT_NE(aberration, nullptr);
    EXPECT_EQ(listedNodes(dock->objectCrucialWidget()).size(), 2);

    // A rename in the node panel: the new name heads the node's parameters.
    view()->setSelectedNode(KelNGNode::itemOf(grey));
    settle();
    ASSERT_EQ(window->objectEditor()->panelNode(), KelNGNode::itemOf(grey));
    nodeNameField()->setText(QStringLiteral("Cool tint"));
    QTest::keyClick(nodeNameField(), Qt::Key_Return);
    settle();
    ASSERT_EQ(grey->name(), QStringLiteral("Cool tint"));
    for (KelParamCrucial* panel : {dock->objectCrucialWidget(), window->projectBrowser()->crucialPanel()}) {
        QStringList const titles = headings(panel);
        EXPECT_TRUE(titles.contains(QStringLiteral("Node Cool tint"))) << titles.join(", ").toStdString();
    }

    // Removed: gone, while the other node stays listed.
    deleteInView(grey);
    ASSERT_FALSE(effect->graph()->nodes().contains(grey));
    EXPECT_EQ(listedNodes(dock->objectCrucialWidget()), QList<KelNodes::Node*>{aberration});
    EXPECT_EQ(listedNodes(window->projectBrowser()->crucialPanel()), QList<KelNodes::Node*>{aberration});
    // And back with Undo.
    window->undoAction()->trigger();
    settle();
    EXPECT_EQ(listedNodes(dock->objectCrucialWidget()).size(), 2);

    // New: nothing selected, nothing shown, and the name field takes no typing.
    view()->setSelectedNode(KelNGNode::itemOf(aberration));
    settle();
    ASSERT_FALSE(nodeNameField()->text().isEmpty());
    answerMessageBox(QMessageBox::Discard);
    ASSERT_TRUE(window->on_actionNew_triggered());
    settle();
    expectPanelsShow(nullptr);
    EXPECT_EQ(dock->objectCrucialWidget(), nullptr);
}

} // namespace
} // namespace MainWindowTest
