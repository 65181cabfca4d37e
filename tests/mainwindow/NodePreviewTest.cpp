// Node previews in the real window: a preview shown when no render follows (an effect's graph
// opened, a preview expanded) still comes (the view asks the window for a render), with the
// pull path's bytes.

#include "MainWindowFixture.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "effects/VyxNode.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"

#include <QImage>
#include <QTest>
#include <QTreeWidget>

namespace MainWindowTest {
namespace {

class NodePreviews : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(showWindow());
        settle();
    }
};

TEST_F(NodePreviews, AnEffectsGraphOpenedWithoutARenderGetsItsPreviews)
{
    KelNGObject* object = addInversion(QStringLiteral("Invert"));
    ASSERT_NE(object, nullptr);
    settle();
    KelNodes::Node* inversion = nullptr;
    for (KelNodes::Node* node : object->graph()->nodes()) {
        if (node->descriptor()->typeId == QLatin1String("operator.inversion"))
            inversion = node;
    }
    ASSERT_NE(inversion, nullptr);
    inversion->paramContainer()->auxData().insert(QStringLiteral("previewIsExpanded"), true);
    auto const* effect = dynamic_cast<KelVyxNodes::VyxNode const*>(inversion);
    ASSERT_NE(effect, nullptr);
    EXPECT_FALSE(effect->shownPreviewIsCurrent()) << "no view wanted it yet";

    window->form()->actionNodeGraphView->trigger();
    settle();
    QTreeWidget* rows = window->objectEditor()->form()->treeWidget;
    QTreeWidgetItem* row = object->objectEditorItem;
    ASSERT_NE(row, nullptr);
    rows->scrollToItem(row);
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(rows->columnViewportPosition(1) + 10, rows->visualItemRect(row).center().y()));
    settle();
    ASSERT_EQ(window->objectEditorGraphView()->graph(), object->graph());
    KelNGNode* item = KelNGNode::itemOf(inversion);
    ASSERT_NE(item, nullptr);
    // Expanded by the user when the view kept it collapsed: no render follows by itself.
    if (!item->previewExpanded()) {
        item->setPreviewExpanded(true);
        item->calculateUI();
        item->updatePixmap();
    }
    ASSERT_TRUE(item->previewExpanded());
    // The render the view asked for, and the repaint at its end.
    for (int i = 0; i < 2 && item->lastPreview().isNull(); ++i) {
        waitForRender();
        settle();
    }
    ASSERT_FALSE(item->lastPreview().isNull());
    EXPECT_TRUE(effect->shownPreviewIsCurrent());
    QImage expected(KelNGNode::kPreviewImageWidth, KelNGNode::kPreviewImageHeight, QImage::Format_ARGB32);
    expected.fill(Qt::transparent);
    ASSERT_EQ(effect->getPreview(&expected), 0);
    EXPECT_TRUE(item->lastPreview() == expected);
}

} // namespace
} // namespace MainWindowTest
