// Every change of a node's keys in the real window (Add and Remove Keyframe, a key dragged along
// the ruler, a value typed at a key) is one step of the same undo history as a typed value: Undo
// and Redo walk that history in the order the user made it and give back, step by step, what the
// user had, keys and all.

#include "MainWindowFixture.h"
#include "ParameterObject.h"

#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
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
#include "params/ParameterContainer.h"

#include <algorithm>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QGraphicsPixmapItem>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoStack>

#include <random>

namespace MainWindowTest {
namespace {

using KeyframeInts = KelUtils::NumGroupParameter<int>;

// What the user can see of the animation: the keys of the node and of its effect, and the
// node's value at a row of frames.
struct Seen
{
    QList<int> nodeKeys;
    QList<int> effectKeys;
    QList<int> values;

    // Element by element: Qt 6.4's QList<int>::operator== hands an empty list's null data to
    // memcmp, which the undefined-behaviour sanitizer stops at.
    bool operator==(Seen const& other) const
    {
        return std::ranges::equal(nodeKeys, other.nodeKeys) && std::ranges::equal(effectKeys, other.effectKeys) &&
               std::ranges::equal(values, other.values);
    }
};

std::ostream& operator<<(std::ostream& out, Seen const& seen)
{
    auto list = [&out](QList<int> const& numbers) {
        out << '[';
        for (int n : numbers)
            out << n << ' ';
        out << ']';
    };
    out << "node keys ";
    list(seen.nodeKeys);
    out << " effect keys ";
    list(seen.effectKeys);
    out << " values ";
    list(seen.values);
    return out;
}

// Where the user works: the effect's row in the image view (the timeline holds the effect's
// keys, values are typed in the Important Parameters) or the node picked in the node-graph view
// (the node's keys, values typed in its panel).
enum class KeyframePlace { EffectRow, NodeInGraphView };

class KeyframeHistory : public MainWindowFixture, public ::testing::WithParamInterface<KeyframePlace>
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        addSizedEffect();
        ASSERT_NE(size, nullptr);
        ASSERT_NO_FATAL_FAILURE(showWindow());
        // The ruler in the place the image browser shares with it.
        window->form()->actionToggleBrowser->setChecked(false);
        settle();
        timeline = window->timeline();
        field = timeline->findChild<QSpinBox*>(QStringLiteral("currentFrameSB"));
        ASSERT_NE(field, nullptr);
        if (GetParam() == KeyframePlace::EffectRow) {
            clickProjectRow();
            ASSERT_EQ(timeline->selectedContainer(), effect->graph()->paramContainer());
        } else {
            window->form()->actionNodeGraphView->trigger();
            settle();
            clickNodeInGraphView();
            ASSERT_EQ(timeline->selectedContainer(), node->paramContainer());
        }
        stack = core()->undoStack();
        ASSERT_TRUE(timeline->ruler()->isVisible());
    }

    // An effect whose one node has an important number "size" of 0 to 1000, at 286.
    void addSizedEffect()
    {
        core()->cancelRender();
        KelVyxNodes::VyxNodeGraph* graph = core()->rootGraph()->addSubGraph(-1);
        graph->setName(QStringLiteral("Sized"));
        graph->setUp(core()->sourceImage(), nullptr, nullptr, false);
        node = graph->addNode(QStringLiteral("operator.inversion"), -1);
        ASSERT_NE(node, nullptr);
        graph->sourceNode()->connect(QStringLiteral("rgb"), node, QStringLiteral("inRgb"));
        node->connect(QStringLiteral("outRgb"), graph->destinationNode(), QStringLiteral("rgb"));
        KelUtils::IParameterContainer* container = node->paramContainer();
        KelUtils::ParameterList list;
        list.name = QStringLiteral("test");
        size = new KeyframeInts(QStringLiteral("size"), QStringLiteral("Size"), container, nullptr, 1, 0, 1000, 286,
                        false, 5);
        list.parameters = {size};
        container->paramLists().append(list);
        effect = core()->addObjectFromNodeGraph(graph);
        settle();
    }

    void clickProjectRow()
    {
        QTreeWidget* rows = window->projectBrowser()->form()->treeWidget;
        ASSERT_NE(effect->projectBrowserItem, nullptr);
        const QRect row = rows->visualItemRect(effect->projectBrowserItem);
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(rows->columnViewportPosition(1) + 10, row.center().y()));
        settle();
    }

    void clickNodeInGraphView()
    {
        QTreeWidget* rows = window->objectEditor()->form()->treeWidget;
        ASSERT_NE(effect->objectEditorItem, nullptr);
        const QRect row = rows->visualItemRect(effect->objectEditorItem);
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(rows->columnViewportPosition(1) + 10, row.center().y()));
        settle();
        KelNGNodeGraphView* view = window->objectEditorGraphView();
        KelNGNode* item = KelNGNode::itemOf(node);
        ASSERT_TRUE(item && item->pixmapItem());
        const QPoint at = view->mapFromScene(item->pixmapItem()->sceneBoundingRect().center());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        settle();
    }

    QAbstractSpinBox* sizeEditor() const
    {
        QWidget* editor = GetParam() == KeyframePlace::EffectRow ? importantEditor(window.get(), size)
                                                         : nodePanelEditor(node, size);
        return qobject_cast<QAbstractSpinBox*>(editor);
    }

    // Typed and confirmed as a user does.
    void type(int value)
    {
        typeValue(sizeEditor(), QString::number(value));
        settle();
    }

    QToolButton* button(const char* name) const { return timeline->findChild<QToolButton*>(QLatin1String(name)); }

    void click(const char* name)
    {
        ASSERT_TRUE(button(name)->isEnabled()) << name;
        QTest::mouseClick(button(name), Qt::LeftButton);
        settle();
    }

    void goTo(int frame)
    {
        ASSERT_NO_FATAL_FAILURE(goToFrame(frame));
        ASSERT_EQ(field->value(), frame);
    }

    // Where frame `frame`'s key sits on the ruler.
    int rulerX(int frame) const
    {
        KelTimelineWidget* ruler = timeline->ruler();
        return int((frame - ruler->firstVisibleFrame()) * ruler->pixelsPerFrame() + 7) + 3;
    }

    void moveOnRuler(int frame, Qt::MouseButtons buttons)
    {
        KelTimelineWidget* ruler = timeline->ruler();
        const QPointF at(rulerX(frame), 5);
        QMouseEvent event(QEvent::MouseMove, at, ruler->mapToGlobal(at), Qt::NoButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(ruler, &event);
    }

    // The key at `from` pressed and moved, frame by frame, to `to`; the mouse is still down.
    void holdKey(int from, int to)
    {
        KelTimelineWidget* ruler = timeline->ruler();
        ASSERT_LE(to, ruler->lastVisibleFrame());
        moveOnRuler(from, Qt::NoButton);
        ASSERT_EQ(ruler->hoveredKey(), from);
        QTest::mousePress(ruler, Qt::LeftButton, Qt::NoModifier, QPoint(rulerX(from), 5));
        const int step = to > from ? 1 : -1;
        for (int frame = from + step; frame != to + step; frame += step)
            moveOnRuler(frame, Qt::LeftButton);
    }

    // A key dragged along the ruler from `from` to `to`, with the mouse, frame by frame.
    void drag(int from, int to)
    {
        ASSERT_NO_FATAL_FAILURE(holdKey(from, to));
        QTest::mouseRelease(timeline->ruler(), Qt::LeftButton, Qt::NoModifier, QPoint(rulerX(to), 5));
        moveOnRuler(to, Qt::NoButton);
        settle();
    }

    // Looks at every frame of the row through the timeline and goes back to the user's frame.
    Seen seen()
    {
        Seen result;
        result.nodeKeys = node->paramContainer()->keyframes();
        result.effectKeys = effect->graph()->paramContainer()->keyframes();
        const int frame = field->value();
        for (int at : {0, 10, 20, 30, 40, 50, 60}) {
            timeline->setCurrentFrame(at);
            result.values << size->value(0);
        }
        timeline->setCurrentFrame(frame);
        settle();
        return result;
    }

    // Undo back through `history` (what the user saw after each step, the first entry before
    // any) and Redo forward again: each step gives back what was seen at that point.
    void walkBackAndForth(QList<Seen> const& history, int firstIndex)
    {
        ASSERT_EQ(stack->index(), firstIndex + history.size() - 1) << "one undo step per change";
        for (int i = int(history.size()) - 2; i >= 0; --i) {
            SCOPED_TRACE(testing::Message() << "Undo to the state after step " << i);
            ASSERT_TRUE(window->undoAction()->isEnabled());
            window->undoAction()->trigger();
            settle();
            EXPECT_EQ(seen(), history.at(i));
        }
        EXPECT_EQ(stack->index(), firstIndex);
        for (int i = 1; i < history.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "Redo to the state after step " << i);
            ASSERT_TRUE(window->redoAction()->isEnabled());
            window->redoAction()->trigger();
            settle();
            EXPECT_EQ(seen(), history.at(i));
        }
    }

    KelNGObject* effect = nullptr;
    KelNodes::Node* node = nullptr;
    KeyframeInts* size = nullptr;
    KelTimeline* timeline = nullptr;
    QSpinBox* field = nullptr;
    QUndoStack* stack = nullptr;
};

// A value typed (286 to 200), a key at 0, a key at 50 and 20 typed there: two Undos leave the
// key at 0 holding 200, the two others bring back 200 without keys and then 286; Redo builds
// the animation up again.
TEST_P(KeyframeHistory, UndoAndRedoWalkAnEditAndTwoKeysInTheUsersOrder)
{
    QList<Seen> history{seen()};
    const int first = stack->index();
    type(200);
    history << seen();
    click("addKeyframeTB");
    history << seen();
    goTo(50);
    click("addKeyframeTB");
    history << seen();
    type(20);
    history << seen();

    ASSERT_EQ(history.at(0).values, QList<int>(7, 286));
    ASSERT_EQ(history.at(1).values, QList<int>(7, 200));
    ASSERT_EQ(history.at(2).nodeKeys, QList<int>{0});
    ASSERT_EQ(history.at(3).nodeKeys, (QList<int>{0, 50}));
    ASSERT_EQ(history.at(4).values, (QList<int>{200, 164, 128, 92, 56, 20, 20}));
    walkBackAndForth(history, first);

    // Two Undos: the key at 0 stays, with its 200.
    window->undoAction()->trigger();
    window->undoAction()->trigger();
    settle();
    EXPECT_EQ(node->paramContainer()->keyframes(), QList<int>{0});
    EXPECT_EQ(size->value(0), 200);
    EXPECT_EQ(field->value(), 50);
}

// Remove Keyframe is a step of its own, undone and redone like the others; so is a key dragged
// along the ruler, however many frames it passed.
TEST_P(KeyframeHistory, RemovingAndDraggingAKeyAreStepsOfTheirOwn)
{
    type(200);
    click("addKeyframeTB");
    goTo(40);
    click("addKeyframeTB");
    type(20);
    QList<Seen> history{seen()};
    const int first = stack->index();

    click("removeKeyframeTB");
    history << seen();
    ASSERT_EQ(history.last().nodeKeys, QList<int>{0});
    ASSERT_EQ(stack->index(), first + 1);

    click("addKeyframeTB");
    history << seen();
    goTo(10);
    drag(0, 25);
    history << seen();
    ASSERT_EQ(history.last().nodeKeys, (QList<int>{25, 40}));
    walkBackAndForth(history, first);
}

// A project emptied while a key is held by the mouse (New, answered Discard): its nodes are
// gone, and the release that follows hands on no step of them.
TEST_P(KeyframeHistory, ANewProjectWhileAKeyIsDraggedLeavesNoStepOfTheNodesItFreed)
{
    click("addKeyframeTB");
    ASSERT_NO_FATAL_FAILURE(holdKey(0, 5));
    ASSERT_EQ(timeline->ruler()->hoveredKey(), 5);

    QList<KelUtils::IParameterContainer*> handedOn;
    QObject::connect(timeline, &KelTimeline::keyframesChanged,
                     [&](KelUtils::IParameterContainer* container, QBuffer*) { handedOn << container; });
    answerMessageBox(QMessageBox::Discard);
    ASSERT_TRUE(window->on_actionNew_triggered());
    settle();
    QTest::mouseRelease(timeline->ruler(), Qt::LeftButton, Qt::NoModifier, QPoint(rulerX(5), 5));
    settle();
    EXPECT_TRUE(handedOn.isEmpty());
    EXPECT_EQ(stack->count(), 0);
}

// Random sequences of typed values, frames, added, removed and dragged keys, then Undo to the
// start and Redo to the end: every step gives back what the user had seen at that point.
TEST_P(KeyframeHistory, RandomEditsUndoAndRedoThroughTheRecordedHistory)
{
    int removals = 0;
    int drags = 0;
    for (unsigned seed : {7u, 2024u}) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        std::mt19937 random(seed);
        auto pick = [&random](int count) { return int(random() % unsigned(count)); };
        // A value other than the one shown: a value typed again is no change.
        auto typeAnother = [&] { type((size->value(0) + 1 + pick(1000)) % 1001); };
        QList<Seen> history{seen()};
        const int first = stack->index();
        for (int operation = 0; operation < 8; ++operation) {
            const QList<int> keys = timeline->selectedContainer()->keyframes();
            switch (pick(5)) {
            case 0:
                typeAnother();
                break;
            case 1:
                goTo(pick(46));
                if (button("addKeyframeTB")->isEnabled())
                    click("addKeyframeTB");
                else
                    typeAnother();
                break;
            case 2:
                if (keys.isEmpty()) {
                    click("addKeyframeTB");
                    break;
                }
                goTo(keys.at(pick(int(keys.size()))));
                click("removeKeyframeTB");
                ++removals;
                break;
            case 3: {
                if (keys.isEmpty()) {
                    typeAnother();
                    break;
                }
                const int from = keys.at(pick(int(keys.size())));
                int to = pick(46);
                while (keys.contains(to))
                    to = (to + 1) % 46;
                // The drag stops short of any key on its way.
                const int step = to > from ? 1 : -1;
                for (int frame = from + step; frame != to; frame += step) {
                    if (keys.contains(frame)) {
                        to = frame - step;
                        break;
                    }
                }
                if (to == from) {
                    typeAnother();
                    break;
                }
                drag(from, to);
                ++drags;
                break;
            }
            default:
                goTo(pick(46));
                typeAnother();
                break;
            }
            history << seen();
            ASSERT_EQ(stack->index(), first + operation + 1) << "one undo step per change";
        }
        walkBackAndForth(history, first);
        // The next sequence starts where this one ended, on a history of its own.
        stack->clear();
    }
    EXPECT_GT(removals, 0);
    EXPECT_GT(drags, 0);
}

INSTANTIATE_TEST_SUITE_P(Places, KeyframeHistory,
                         ::testing::Values(KeyframePlace::EffectRow, KeyframePlace::NodeInGraphView),
                         [](auto const& info) {
                             return std::string(info.param == KeyframePlace::EffectRow ? "EffectRow"
                                                                                       : "NodeInGraphView");
                         });

} // namespace
} // namespace MainWindowTest
