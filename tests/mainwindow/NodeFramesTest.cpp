// The frames of the nodes inside an effect in the main window: the timeline follows a click on
// a node, its buttons follow a key dragged along the ruler, and an export gives every node,
// effect and the project the frame it had.

#include "MainWindowFixture.h"
#include "ParameterObject.h"

#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"

#include "app/KelNGObject.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "browser/TwSaveSequence.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/KelTimeline.h"
#include "nodeui/KelTimelineWidget.h"
#include "params/NumGroupParameter.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QGraphicsPixmapItem>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

namespace MainWindowTest {
namespace {

class NodeFrames : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        other = addInversion(QStringLiteral("Other"));
        effect = addBlurEffect(QStringLiteral("Blurred"));
        ASSERT_NE(blur, nullptr);
        ASSERT_NO_FATAL_FAILURE(showWindow());
        window->form()->actionNodeGraphView->trigger();
        settle();
        clickRow(effect);
        ASSERT_EQ(view()->graph(), effect->graph());
        timeline = window->timeline();
        field = timeline->findChild<QSpinBox*>(QStringLiteral("currentFrameSB"));
        ASSERT_NE(field, nullptr);
    }

    // An effect whose picture goes through a blur, its radius keyed 0 at frame 0 and 40 at 50.
    KelNGObject* addBlurEffect(QString const& name)
    {
        core()->cancelRender();
        KelVyxNodes::VyxNodeGraph* graph = core()->rootGraph()->addSubGraph(-1);
        graph->setName(name);
        graph->setUp(core()->sourceImage(), nullptr, nullptr, false);
        blur = graph->addNode(QStringLiteral("operator.blur"), -1);
        if (!blur)
            return nullptr;
        EXPECT_EQ(graph->sourceNode()->connect(QStringLiteral("rgb"), blur, QStringLiteral("in")), 0);
        EXPECT_EQ(blur->connect(QStringLiteral("out"), graph->destinationNode(), QStringLiteral("rgb")), 0);
        radius = dynamic_cast<KelUtils::NumGroupParameter<int>*>(
            blur->paramContainer()->getParamByName(QStringLiteral("radius")));
        EXPECT_NE(radius, nullptr);
        if (radius) {
            const int small = 0;
            const int large = 40;
            EXPECT_EQ(radius->setKeyframeAt(0, &small), 0);
            EXPECT_EQ(radius->setKeyframeAt(50, &large), 0);
        }
        KelNGObject* object = core()->addObjectFromNodeGraph(graph);
        settle();
        return object;
    }

    KelNGNodeGraphView* view() const { return window->objectEditorGraphView(); }

    // A click on the object's name in the node-graph view's list of effects.
    void clickRow(KelNGObject* object)
    {
        QTreeWidget* rows = window->objectEditor()->form()->treeWidget;
        ASSERT_NE(object->objectEditorItem, nullptr);
        const QRect row = rows->visualItemRect(object->objectEditorItem);
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(rows->columnViewportPosition(1) + 10, row.center().y()));
        settle();
    }

    // A click on the middle of a node's picture in the graph view.
    void clickNode(KelNodes::Node* node)
    {
        KelNGNode* item = KelNGNode::itemOf(node);
        ASSERT_TRUE(item && item->pixmapItem());
        const QPoint at = view()->mapFromScene(item->pixmapItem()->sceneBoundingRect().center());
        ASSERT_EQ(view()->nodeAt(at), item);
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        settle();
    }

    QToolButton* button(const char* name) const
    {
        return timeline->findChild<QToolButton*>(QLatin1String(name));
    }

    KelNGObject* other = nullptr;
    KelNGObject* effect = nullptr;
    KelNodes::Node* blur = nullptr;
    KelUtils::NumGroupParameter<int>* radius = nullptr;
    KelTimeline* timeline = nullptr;
    QSpinBox* field = nullptr;
};

// Back on the node after its effect's row, the timeline is the node's again, also while the node
// was still drawn selected: the field, the key marks and Add Keyframe are the node's.
TEST_F(NodeFrames, AClickOnTheNodeDrawnSelectedMakesItTheTimelinesContainer)
{
    clickNode(blur);
    ASSERT_EQ(timeline->selectedContainer(), blur->paramContainer());
    timeline->setCurrentFrame(25);
    settle();
    ASSERT_EQ(blur->paramContainer()->currentFrame(), 25);

    clickRow(other);
    clickRow(effect);
    ASSERT_EQ(timeline->selectedContainer(), effect->graph()->paramContainer());
    ASSERT_TRUE(KelNGNode::itemOf(blur)->isSelected()) << "the node is still drawn selected";
    // The effect's row shows the frame its keyed node shows, the frame of the picture.
    EXPECT_EQ(field->value(), 25);

    clickNode(blur);
    EXPECT_EQ(timeline->selectedContainer(), blur->paramContainer());
    EXPECT_EQ(field->value(), 25);
    EXPECT_EQ(timeline->selectedContainer()->keyframes(), (QList<int>{0, 50}));
    ASSERT_TRUE(button("addKeyframeTB")->isEnabled());
    button("addKeyframeTB")->click();
    settle();
    EXPECT_EQ(blur->paramContainer()->keyframes(), (QList<int>{0, 25, 50}));
    EXPECT_FALSE(effect->graph()->paramContainer()->isKeyframe(25));

    // Clicking it again leaves the timeline where it is.
    clickNode(blur);
    EXPECT_EQ(timeline->selectedContainer(), blur->paramContainer());
    EXPECT_EQ(field->value(), 25);
}

// A key dragged along the ruler from 20 to 30, the frame staying at 20: Goto Next Keyframe
// reaches it with the first click, and the buttons say what the keys now are.
TEST_F(NodeFrames, TheKeyButtonsFollowAKeyDraggedAlongTheRuler)
{
    clickNode(blur);
    ASSERT_EQ(timeline->selectedContainer(), blur->paramContainer());
    ASSERT_EQ(radius->deleteKeyframe(50), 0);
    timeline->setCurrentFrame(20);
    button("addKeyframeTB")->click();
    settle();
    ASSERT_EQ(blur->paramContainer()->keyframes(), (QList<int>{0, 20}));
    ASSERT_FALSE(button("gotoNextKeyframeTB")->isEnabled());
    ASSERT_TRUE(button("removeKeyframeTB")->isEnabled());

    // The ruler in the place the image browser shares with it.
    window->form()->actionToggleBrowser->setChecked(false);
    QCoreApplication::processEvents();
    KelTimelineWidget* ruler = timeline->ruler();
    ASSERT_TRUE(ruler->isVisible());
    ASSERT_GE(ruler->lastVisibleFrame(), 30);
    auto xOf = [ruler](int frame) {
        return int((frame - ruler->firstVisibleFrame()) * ruler->pixelsPerFrame() + 7) + 3;
    };
    auto move = [ruler](int x, Qt::MouseButtons buttons) {
        QMouseEvent event(QEvent::MouseMove, QPointF(x, 5), ruler->mapToGlobal(QPointF(x, 5)),
                          Qt::NoButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(ruler, &event);
    };
    move(xOf(20), Qt::NoButton);
    ASSERT_EQ(ruler->hoveredKey(), 20);
    QTest::mousePress(ruler, Qt::LeftButton, Qt::NoModifier, QPoint(xOf(20), 5));
    for (int frame = 21; frame <= 30; ++frame)
        move(xOf(frame), Qt::LeftButton);
    QTest::mouseRelease(ruler, Qt::LeftButton, Qt::NoModifier, QPoint(xOf(30), 5));
    settle();
    ASSERT_EQ(blur->paramContainer()->keyframes(), (QList<int>{0, 30}));
    ASSERT_EQ(field->value(), 20);

    EXPECT_TRUE(button("gotoNextKeyframeTB")->isEnabled());
    EXPECT_FALSE(button("removeKeyframeTB")->isEnabled()) << "no key at 20 any more";
    EXPECT_TRUE(button("addKeyframeTB")->isEnabled());
    QTest::mouseClick(button("gotoNextKeyframeTB"), Qt::LeftButton);
    settle();
    EXPECT_EQ(field->value(), 30);
    EXPECT_EQ(blur->paramContainer()->currentFrame(), 30);
}

// After Save Sequence of frames 1-3 the node is at the frame the user left it at, though its
// effect and the project stand at another: the field, the parameter and the picture are what
// they were before the export.
TEST_F(NodeFrames, SaveSequenceGivesEveryNodeEffectAndTheProjectItsFrameBack)
{
    clickNode(blur);
    ASSERT_EQ(timeline->selectedContainer(), blur->paramContainer());
    timeline->setCurrentFrame(25);
    settle();
    ASSERT_EQ(radius->value(0), 20);
    // The other effect stands at a frame of its own as well.
    ASSERT_EQ(other->graph()->paramContainer()->setCurrentFrame(7), 0);
    core()->start();
    ASSERT_TRUE(waitForRender());
    ASSERT_TRUE(core()->renderer()->completedSucceeded());
    const QImage before = core()->resultImage()->copy();
    const int rootFrame = core()->rootGraph()->paramContainer()->currentFrame();
    const int effectFrame = effect->graph()->paramContainer()->currentFrame();
    ASSERT_NE(rootFrame, 25);
    ASSERT_NE(effectFrame, 25);

    const bool started = exportThroughTheDialog([this] { window->saveSequence(); }, dir.path(), 1, 3);
    settle();
    ASSERT_TRUE(started);

    EXPECT_EQ(blur->paramContainer()->currentFrame(), 25);
    EXPECT_EQ(radius->value(0), 20);
    EXPECT_EQ(effect->graph()->paramContainer()->currentFrame(), effectFrame);
    EXPECT_EQ(other->graph()->paramContainer()->currentFrame(), 7);
    EXPECT_EQ(core()->rootGraph()->paramContainer()->currentFrame(), rootFrame);
    EXPECT_EQ(timeline->selectedContainer(), blur->paramContainer());
    EXPECT_EQ(field->value(), 25);
    EXPECT_TRUE(core()->renderer()->completedSucceeded());
    EXPECT_TRUE(core()->resultImage()->copy() == before) << "the picture of the user's frame";
}

// A value typed at one frame and undone or redone at another: the node stays at the frame the
// user is on, and the field, the parameter and its editor show that frame's value of what the
// step restored, not the frame the edit was made at. So for the node's panel and for the
// Important Parameters panel, whose steps restore the node each their own way.
TEST_F(NodeFrames, UndoAndRedoOfAnEditKeepTheNodeAtTheUsersFrame)
{
    clickNode(blur);
    ASSERT_EQ(timeline->selectedContainer(), blur->paramContainer());
    KelUtils::Parameter* parameter = blur->paramContainer()->getParamByName(QStringLiteral("radius"));
    window->projectBrowser()->dynamicObjectSettingsFor(effect);
    settle();
    const struct
    {
        const char* name;
        QWidget* editor;
    } panels[] = {{"node panel", nodePanelEditor(blur, parameter)},
                  {"Important Parameters", importantEditor(window.get(), parameter)}};
    for (auto const& panel : panels) {
        SCOPED_TRACE(panel.name);
        auto* editor = qobject_cast<QAbstractSpinBox*>(panel.editor);
        ASSERT_NE(editor, nullptr);
        timeline->setCurrentFrame(50);
        settle();
        ASSERT_EQ(radius->value(0), 40);
        // Typed and confirmed as a user does: the key at 50 becomes 30.
        typeValue(editor, QStringLiteral("30"));
        settle();
        ASSERT_EQ(radius->value(0), 30);

        timeline->setCurrentFrame(25);
        settle();
        ASSERT_EQ(radius->value(0), 15);
        const struct
        {
            const char* step;
            QAction* action;
            int radiusAt25;
        } steps[] = {{"Undo", window->undoAction(), 20},
                     {"Redo", window->redoAction(), 15},
                     {"Undo again", window->undoAction(), 20}};
        for (auto const& step : steps) {
            SCOPED_TRACE(step.step);
            ASSERT_TRUE(step.action->isEnabled());
            step.action->trigger();
            settle();
            EXPECT_EQ(blur->paramContainer()->currentFrame(), 25);
            EXPECT_EQ(field->value(), 25);
            EXPECT_EQ(radius->value(0), step.radiusAt25);
            EXPECT_EQ(editor->text(), QString::number(step.radiusAt25));
            EXPECT_EQ(blur->paramContainer()->keyframes(), (QList<int>{0, 50}));
        }
    }
}

} // namespace
} // namespace MainWindowTest
