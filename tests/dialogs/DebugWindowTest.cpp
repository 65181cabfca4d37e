#include "app/CoreTestGraphs.h"

#include "ui_DebugWindow.h"

#include "app/TwCore.h"
#include "dialogs/TwDebugWindow.h"
#include "effects/NodeTypeRegistry.h"
#include "nodes/NodeDescriptor.h"

#include <gtest/gtest.h>

#include <memory>

using namespace CoreTest;

namespace {

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

} // namespace
