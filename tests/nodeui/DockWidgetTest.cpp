#include "PanelTestSupport.h"

#include "app/KelCore.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/KelNodeDescription.h"
#include "nodeui/KelNodeDescriptionEdit.h"
#include "nodeui/KelParamAtom.h"
#include "nodeui/KelParamCrucial.h"
#include "nodeui/NodeDockTabWidget.h"
#include "nodeui/TreeWidgetByMimeType.h"

#include <gtest/gtest.h>

#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QPointer>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeWidgetItem>
#include <QUndoStack>

using PanelTest::ObjectFixture;

namespace {

struct DockFixture
{
    DockFixture()
    {
        blur = objects.node(QStringLiteral("operator.blur"));
        sub = objects.graph->addSubGraph(-1);
        subLevels = objects.node(QStringLiteral("operator.levels"), sub);
        objects.makeObject();
        dock.setCore(&core);
        dock.setNodeGraphView(&view);
    }
    ~DockFixture() { dock.deleteCrucialWidgets(); }

    ObjectFixture objects;
    KelNodes::Node* blur = nullptr;
    KelVyxNodes::VyxNodeGraph* sub = nullptr;
    KelNodes::Node* subLevels = nullptr;
    PanelTest::FakeCore core;
    KelNGNodeGraphView view;
    NodeDockTabWidget dock;
};

QStringList checkedButtons(NodeDockTabWidget& dock)
{
    QStringList checked;
    for (QToolButton* button : {dock.importantParametersButton(), dock.currentNodeButton(), dock.availableNodesButton()}) {
        if (button && button->isChecked())
            checked << button->text();
    }
    return checked;
}

} // namespace

TEST(DockModes, InitSelectionAndModeButtons)
{
    DockFixture f;
    EXPECT_EQ(f.dock.currentMode(), 2);
    f.dock.init();
    EXPECT_EQ(f.dock.currentMode(), 1);
    EXPECT_EQ(checkedButtons(f.dock), QStringList{QStringLiteral("Important Parameters")});
    EXPECT_EQ(f.dock.objectCrucialWidget(), nullptr);
    EXPECT_GT(f.dock.availableNodesTree()->topLevelItemCount(), 0);

    // An ordinary node shows its own panel.
    KelNGNode item(f.blur);
    f.dock.selectedNodeChanged(&item);
    EXPECT_EQ(f.dock.currentMode(), 0);
    EXPECT_EQ(checkedButtons(f.dock), QStringList{QStringLiteral("Current Node")});
    EXPECT_EQ(f.dock.currentNodeStack()->currentWidget(), &item);

    // A sub-graph node shows its object's important parameters; the next ordinary node drops them.
    KelNGNode subItem(f.sub);
    f.dock.selectedNodeChanged(&subItem);
    QPointer<KelParamCrucial> subPanel = f.dock.nodeGraphCrucialWidget();
    ASSERT_TRUE(subPanel);
    EXPECT_EQ(subPanel->object(), KelNGObject::objectOf(f.sub));
    EXPECT_EQ(f.dock.currentNodeStack()->currentWidget(), subPanel.data());
    f.dock.selectedNodeChanged(&item);
    EXPECT_FALSE(subPanel);
    EXPECT_EQ(f.dock.currentNodeStack()->indexOf(&subItem), -1);

    // Mode buttons.
    f.dock.availableNodesButton()->click();
    EXPECT_EQ(f.dock.currentMode(), 2);
    EXPECT_EQ(checkedButtons(f.dock), QStringList{QStringLiteral("Available Nodes")});
    f.dock.importantParametersButton()->click();
    EXPECT_EQ(f.dock.currentMode(), 1);
}

TEST(DockModes, ImportantParametersFollowObjectAndDeletions)
{
    DockFixture f;
    f.dock.init();
    f.dock.hide();
    f.dock.adjustUI(f.objects.object);
    EXPECT_TRUE(f.dock.isVisible());
    ASSERT_NE(f.dock.objectCrucialWidget(), nullptr);
    EXPECT_TRUE(f.dock.objectCrucialWidget()->containsNodeParameter(f.blur));

    // Row edits become node-edit commands on the node's top-level stack, through the view.
    QUndoStack stack;
    f.objects.root.setUndoStack(&stack);
    KelParamAtom* row = f.dock.objectCrucialWidget()->atoms().first();
    ASSERT_EQ(row->node(), f.blur);
    auto* spin = qobject_cast<QAbstractSpinBox*>(row->editorFor(0));
    spin->stepUp();
    emit spin->editingFinished();
    ASSERT_EQ(stack.count(), 1);
    EXPECT_EQ(stack.text(0), f.blur->displayName() + QStringLiteral(" edit"));
    f.objects.root.setUndoStack(nullptr);

    f.dock.nodeParameterChanged(f.blur);

    // The node goes: the panel with it; the page builds a fresh one when chosen again.
    f.dock.nodeAboutToBeDeleted(f.blur);
    EXPECT_EQ(f.dock.objectCrucialWidget(), nullptr);
    f.dock.importantParametersButton()->click();
    ASSERT_NE(f.dock.objectCrucialWidget(), nullptr);
    EXPECT_EQ(f.dock.objectCrucialWidget()->object(), f.objects.object);

    f.dock.adjustUI(nullptr);
    EXPECT_EQ(f.dock.objectCrucialWidget(), nullptr);
    EXPECT_TRUE(f.dock.isVisible());
    f.dock.nodeParameterChanged(f.blur);
}

TEST(DockTeardown, NodeItemsOutliveTheDock)
{
    DockFixture f;
    auto* dock = new NodeDockTabWidget;
    dock->setCore(&f.core);
    dock->init();
    QPointer<KelNGNode> item = new KelNGNode(f.blur);
    dock->selectedNodeChanged(item);
    delete dock;
    ASSERT_TRUE(item);
    EXPECT_EQ(item->parentWidget(), nullptr);
    delete item.data();
}

TEST(DockNodeTree, DescriptionFollowsTheCurrentItem)
{
    DockFixture f;
    f.dock.init();
    TreeWidgetByMimeType* tree = f.dock.availableNodesTree();
    QTextEdit* help = f.dock.nodeDescription()->textEdit();
    QTreeWidgetItem* category = tree->findItems(QStringLiteral("Operator"), Qt::MatchExactly).value(0);
    ASSERT_NE(category, nullptr);
    QTreeWidgetItem* node = nullptr;
    for (int i = 0; i < category->childCount() && !node; ++i) {
        if (!category->child(i)->data(0, Qt::UserRole + 1).toString().isEmpty())
            node = category->child(i);
    }
    ASSERT_NE(node, nullptr);
    tree->setCurrentItem(node);
    EXPECT_FALSE(help->toPlainText().isEmpty());
    tree->setCurrentItem(category);
    EXPECT_TRUE(help->toPlainText().isEmpty());
    tree->setCurrentItem(node);
    tree->clear();
    EXPECT_TRUE(help->toPlainText().isEmpty());
}
