#include "app/CoreTestGraphs.h"

#include "ui_DebugWindow.h"

#include "app/TwCore.h"
#include "app/TwMainWindowInterface.h"
#include "dialogs/TwDebugWindow.h"
#include "effects/NodeTypeRegistry.h"
#include "nodes/NodeDescriptor.h"

#include <QTextEdit>

#include <gtest/gtest.h>

#include <memory>

using namespace CoreTest;

namespace {

// Only the debug window's part of a main window.
class DebugOnlyWindow : public TwMainWindowInterface
{
public:
    TwDebugWindow* debugWindow = nullptr;

    QWidget* widget() override { return nullptr; }
    void renderingFinished() override {}
    void modifiedStateChanged() override {}
    void initObject(KelNGObject*) override {}
    void deinitObject(KelNGObject*) override {}
    void selectedObjectChanged(KelNGObject*) override {}
    void templateHasBeenAddedOrUpdated(bool, KelTemplate*) override {}
    void nodeAboutToBeDeleted(KelNodes::Node*) override {}
    void adjustUI(KelNGObject*) override {}
    bool isNodeGraphViewMode() const override { return false; }
    void statusBarShowMessage(QString const&) override {}
    void imageViewSetMessage(QString const&) override {}
    void debugWindowAppend(QString const& text) override
    {
        if (debugWindow)
            debugWindow->debugEdit()->append(text);
    }
    void nodeGraphViewSetObject(KelNodes::NodeGraph*) override {}
    void nodeGraphViewUpdateGraph() override {}
    void nodeGraphViewRedrawNodes() override {}
    bool nodeDockObjectPanelEditsNode(KelNodes::Node*) override { return false; }
    void nodeDockCrucialObjectSettingsFor(KelNGObject*) override {}
    bool nodeDockSubGraphPanelEditsNode(KelNodes::Node*) override { return false; }
    void nodeDockDeleteSubGraphPanel() override {}
    void projectBrowserSortFilters() override {}
    void projectBrowserDynamicObjectSettingsFor(KelNGObject*) override {}
    void projectBrowserNodeAboutToBeDeleted(KelNodes::Node*) override {}
    void objectEditorAdjustUI(KelNGObject*) override {}
    void objectEditorUpdateObject(KelNGObject*) override {}
    void objectEditorTemplateHasBeenAddedOrUpdated(KelTemplate*) override {}
};

class DebugWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        core = std::make_unique<TwCore>(nullptr);
        window = std::make_unique<TwDebugWindow>(nullptr, core.get());
    }
    void TearDown() override
    {
        window.reset();
        core->clear();
        core.reset();
    }
    Ui::DebugWindow* ui() const { return window->ui(); }

    std::unique_ptr<TwCore> core;
    std::unique_ptr<TwDebugWindow> window;
};

TEST_F(DebugWindowTest, FormStartsEmpty)
{
    EXPECT_EQ(ui()->tabWidget->currentIndex(), 0);
    EXPECT_EQ(ui()->tabWidget->tabText(0), "NodeGraph Hierarchy");
    EXPECT_EQ(ui()->tabWidget->tabText(1), "Available Nodes");
    QTreeWidgetItem* header = ui()->nodeGraphTreeWidget->headerItem();
    EXPECT_EQ(header->text(0), "Node");
    EXPECT_EQ(header->text(1), "Address");
    EXPECT_EQ(header->text(2), "UID");
    EXPECT_EQ(ui()->nodeGraphTreeWidget->columnWidth(0), 200);
    EXPECT_EQ(ui()->nodeGraphTreeWidget->topLevelItemCount(), 0);
    EXPECT_EQ(ui()->availableNodesListWidget->count(), 0);
    EXPECT_EQ(window->debugEdit(), ui()->textEdit);
}

TEST_F(DebugWindowTest, HierarchyFollowsTheNestedGraphsOnRefresh)
{
    *core->sourceImage() = ramp(8, 8);
    KelVyxNodes::VyxNodeGraph* outer = addEffect(core->rootGraph());
    outer->setName(QStringLiteral("Outer"));
    KelVyxNodes::VyxNodeGraph* inner = addEffect(outer);
    core->addObjectFromNodeGraph(outer);
    waitForRenders(*core);

    ui()->refreshButton->click();
    QTreeWidget* tree = ui()->nodeGraphTreeWidget;
    QList<KelNodes::Node*> const top = core->rootGraph()->nodes();
    ASSERT_EQ(tree->topLevelItemCount(), top.size());
    QTreeWidgetItem* outerRow = nullptr;
    for (int i = 0; i < top.size(); ++i) {
        QTreeWidgetItem* row = tree->topLevelItem(i);
        KelNodes::Node* node = top.at(i);
        const QString expectedName = node->name().isEmpty() ? node->descriptor()->displayName : node->name();
        EXPECT_EQ(row->text(0), expectedName);
        EXPECT_EQ(row->text(1), QString::number(quintptr(node)));
        EXPECT_EQ(row->text(2), QString::number(node->uid()));
        EXPECT_FALSE(row->flags() & Qt::ItemIsEditable);
        if (node == outer)
            outerRow = row;
    }
    ASSERT_NE(outerRow, nullptr);
    EXPECT_EQ(outerRow->text(0), "Outer");
    EXPECT_TRUE(outerRow->isExpanded());
    ASSERT_EQ(outerRow->childCount(), outer->nodes().size());
    QTreeWidgetItem* innerRow = nullptr;
    for (int i = 0; i < outerRow->childCount(); ++i) {
        if (outerRow->child(i)->text(1) == QString::number(quintptr(static_cast<KelNodes::Node*>(inner))))
            innerRow = outerRow->child(i);
    }
    ASSERT_NE(innerRow, nullptr);
    EXPECT_TRUE(innerRow->isExpanded());
    EXPECT_EQ(innerRow->childCount(), inner->nodes().size());
    // An unnamed inversion shows its type's name.
    bool typeNameShown = false;
    for (int i = 0; i < innerRow->childCount(); ++i)
        typeNameShown = typeNameShown || innerRow->child(i)->text(0) == QStringLiteral("Inversion");
    EXPECT_TRUE(typeNameShown);

    // Nothing updates by itself; a second refresh does not accumulate.
    const int before = tree->topLevelItemCount();
    ui()->refreshButton->click();
    EXPECT_EQ(tree->topLevelItemCount(), before);
}

TEST_F(DebugWindowTest, AvailableNodesListEveryTypeOnce)
{
    ui()->tabWidget->setCurrentIndex(1);
    ui()->refreshButton->click();
    ui()->refreshButton->click();
    QListWidget* list = ui()->availableNodesListWidget;
    auto const& registry = *KelVyxNodes::NodeTypeRegistry::list();
    ASSERT_EQ(list->count(), registry.size());
    ASSERT_EQ(KelVyxNodes::NodeTypeRegistry::builtIns().size(), 57);
    for (int i = 0; i < 57; ++i) {
        KelNodes::NodeDescriptor const* descriptor = KelVyxNodes::NodeTypeRegistry::builtIns().at(i);
        EXPECT_EQ(list->item(i)->text(), descriptor->typeId + " -> " + descriptor->typeUuid.toString());
        EXPECT_TRUE(list->item(i)->flags() & Qt::ItemIsEditable);
    }
    bool noise = false;
    for (int i = 0; i < list->count(); ++i)
        noise = noise || list->item(i)->text().startsWith(QStringLiteral("generator.noise -> {"));
    EXPECT_TRUE(noise);
    EXPECT_EQ(ui()->nodeGraphTreeWidget->topLevelItemCount(), 0);
}

TEST(DebugLogTest, CoreTextsReachTheLogOnlyThroughTheWindow)
{
    DebugOnlyWindow mainWindow;
    TwCore core(&mainWindow);
    core.addDebugText(QStringLiteral("before the window"));
    TwDebugWindow debug(nullptr, &core);
    mainWindow.debugWindow = &debug;
    core.addDebugText(QStringLiteral("Startup Completed."));
    core.addDebugText(QStringLiteral("second"));
    EXPECT_EQ(debug.debugEdit()->toPlainText(), "Startup Completed.\nsecond");
    EXPECT_EQ(debug.debugEdit()->document()->blockCount(), 2);
    mainWindow.debugWindow = nullptr;
    core.clear();
}

} // namespace
