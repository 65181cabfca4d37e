// Node previews in the real window: a preview shown when no render follows (an effect's graph
// opened, a preview expanded) still comes (the view asks the window for a render), with the
// pull path's bytes.

#include "MainWindowFixture.h"
#include "WindowUser.h"

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
#include "ui_ProjectBrowser.h"

#include "mainwindow/TwProjectBrowser.h"
#include "params/Parameter.h"

#include <QImage>
#include <QTest>
#include <QToolButton>
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

// The value typed in the node-graph view's node panel (false) or in the image view's Important
// Parameters (true).
class PreviewsFollowTheRender : public WindowUser, public ::testing::WithParamInterface<bool>
{
};

// A value typed while the effects are off: the render after Effects On makes every shown preview,
// and the node view shows the previews of that render, with the pull path's bytes.
TEST_P(PreviewsFollowTheRender, AValueTypedWhileEffectsAreOffIsShownAfterEffectsOn)
{
    ASSERT_NO_FATAL_FAILURE(showWindow());
    KelNGObject* object = addKeyedHsvEffect(QStringLiteral("Tone FX"));
    KelNodes::Node* hsv = nodeOfType(object, QStringLiteral("operator.hsv"));
    ASSERT_NE(hsv, nullptr);
    hsv->paramContainer()->auxData().insert(QStringLiteral("previewIsExpanded"), true);
    pressGraphView();
    clickRow(object);
    clickNode(hsv);
    KelNGNode* item = KelNGNode::itemOf(hsv);
    ASSERT_NE(item, nullptr);
    if (!item->previewExpanded()) {
        item->setPreviewExpanded(true);
        item->calculateUI();
        item->updatePixmap();
    }
    auto const* effect = dynamic_cast<KelVyxNodes::VyxNode const*>(hsv);
    ASSERT_NE(effect, nullptr);
    for (int i = 0; i < 2 && !effect->shownPreviewIsCurrent(); ++i) {
        waitForRender();
        settle();
    }
    ASSERT_TRUE(effect->shownPreviewIsCurrent());
    auto pulled = [effect] {
        QImage image(KelNGNode::kPreviewImageWidth, KelNGNode::kPreviewImageHeight, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        EXPECT_EQ(effect->getPreview(&image), 0);
        return image;
    };
    const QImage before = item->lastPreview();
    ASSERT_TRUE(before == pulled());

    // The eye below the Project tab's list, in the image view.
    QToolButton* effectsOn = window->projectBrowser()->form()->effectsOn;
    KelUtils::Parameter* hue = parameterOf(hsv, QStringLiteral("Hue"));
    ASSERT_NE(hue, nullptr);
    pressImageView();
    clickRow(object);
    effectsOn->click();
    settle();
    ASSERT_FALSE(core()->areEffectsOn());
    if (GetParam()) {
        type(shownImportantEditor(hue), 10);
    } else {
        pressGraphView();
        type(currentNodeEditor(hsv, hue), 10);
        pressImageView();
    }
    settle();
    effectsOn->click();
    settle();
    ASSERT_TRUE(core()->areEffectsOn());
    auto awaitTheRender = [this] {
        for (int i = 0; i < 2 && core()->isRenderPending(); ++i) {
            waitForRender();
            settle();
        }
    };
    awaitTheRender();
    pressGraphView();
    awaitTheRender();
    const QImage after = pulled();
    ASSERT_FALSE(after == before) << "the typed value changes the node's output";
    EXPECT_TRUE(effect->shownPreviewIsCurrent());
    EXPECT_TRUE(item->lastPreview() == after) << "the view shows the preview of the render after Effects On";
}

INSTANTIATE_TEST_SUITE_P(Where, PreviewsFollowTheRender, ::testing::Bool(),
                         [](auto const& info) { return info.param ? "ImportantParameters" : "NodePanel"; });

} // namespace
} // namespace MainWindowTest
