// A node that Undo or Redo brings back, or that is dropped onto an effect's graph, stands at the
// frame of its effect, which may have moved since the node was taken out: the Important Parameters
// then show and edit the effect's frame.

#include "WindowUser.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "mainwindow/TwMainWindow.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/NodeDockTabWidget.h"
#include "nodeui/TreeWidgetByMimeType.h"
#include "params/NumGroupParameter.h"

#include <QAction>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QTreeWidget>

#include <map>
#include <memory>

namespace MainWindowTest {
namespace {

using BroughtBackInts = KelUtils::NumGroupParameter<int>;

class NodeBroughtBack : public WindowUser
{
protected:
    void SetUp() override
    {
        WindowUser::SetUp();
        effect = addKeyedHsvEffect(QStringLiteral("Tone FX"));
        ASSERT_NE(effect, nullptr);
        pressGraphView();
        clickShowProject();
        clickRow(effect);
    }

    int effectFrame() const { return effect->graph()->paramContainer()->currentFrame(); }
    KelNodes::Node* nodeOf(QString const& type) const { return nodeOfType(effect, type); }
    void trigger(QAction* action)
    {
        ASSERT_TRUE(action->isEnabled());
        action->trigger();
        settle();
    }

    // "Tone FX" dragged onto "Nest" in the graph view: Nest's inner effect.
    KelNGObject* nestToneFx()
    {
        KelNGObject* nest = addConstEffect(QStringLiteral("Nest"));
        window->nodeDragAndDrop(window->objectEditorGraphView(), effect->graph(), nest->graph());
        settle();
        EXPECT_EQ(effect->getRootObject(), nest);
        return nest;
    }
    static KelNGObject* innerOf(KelNGObject* outer)
    {
        for (KelNodes::Node* node : outer->graph()->nodes()) {
            if (KelNGObject* inner = KelNGObject::objectOf(node->toNodeGraph()))
                return inner;
        }
        return nullptr;
    }
    static int frameOf(KelNodes::Node* node) { return node->paramContainer()->currentFrame(); }
    static BroughtBackInts* hueOf(KelNGObject* object)
    {
        return dynamic_cast<BroughtBackInts*>(
            parameterOf(nodeOfType(object, QStringLiteral("operator.hsv")), QStringLiteral("Hue")));
    }

    KelNGObject* effect = nullptr;
};

TEST_F(NodeBroughtBack, ByUndoOfItsDeleteAtTheEffectsFrameWhereTheImportantParametersEditIt)
{
    ASSERT_EQ(effectFrame(), 0);
    clickNode(nodeOf(QStringLiteral("operator.hsv")));
    window->objectEditorGraphView()->setFocus();
    QTest::keyClick(window->objectEditorGraphView(), Qt::Key_Delete);
    settle();
    ASSERT_EQ(nodeOf(QStringLiteral("operator.hsv")), nullptr);
    clickRow(effect);
    goTo(19);
    ASSERT_EQ(effectFrame(), 19);

    trigger(window->undoAction());
    KelNodes::Node* back = nodeOf(QStringLiteral("operator.hsv"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->paramContainer()->currentFrame(), 19);

    // Typed at the frame the timeline reads, not at the one the node was deleted at.
    pressImageView();
    clickRow(effect);
    ASSERT_EQ(shownFrame(), 19);
    auto* hue = dynamic_cast<BroughtBackInts*>(parameterOf(back, QStringLiteral("Hue")));
    ASSERT_NE(hue, nullptr);
    type(shownImportantEditor(hue), 90);
    EXPECT_EQ(hue->value(0), 90);
    core()->cancelRender();
    ASSERT_EQ(back->paramContainer()->setCurrentFrame(0), 0);
    EXPECT_EQ(hue->value(0), 250) << "frame 0's key was written";
}

TEST_F(NodeBroughtBack, ByRedoOfItsInsertionAtTheEffectsFrameAsWhenItWasDropped)
{
    goTo(7);
    ASSERT_EQ(effectFrame(), 7);
    TreeWidgetByMimeType* types = window->nodeDock()->availableNodesTree();
    QTreeWidgetItem* grayscale = nullptr;
    for (QTreeWidgetItem* item : types->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive)) {
        if (item->data(0, Qt::UserRole + 1).toString() == QLatin1String("operator.grayscale"))
            grayscale = item;
    }
    ASSERT_NE(grayscale, nullptr);
    std::unique_ptr<QMimeData> data(types->model()->mimeData({types->indexFromItem(grayscale)}));
    QWidget* viewport = window->objectEditorGraphView()->viewport();
    const QPoint at(viewport->width() / 2, viewport->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    settle();
    ASSERT_NE(nodeOf(QStringLiteral("operator.grayscale")), nullptr);
    EXPECT_EQ(nodeOf(QStringLiteral("operator.grayscale"))->paramContainer()->currentFrame(), 7)
        << "a dropped node joins its effect's frame too";

    trigger(window->undoAction());
    ASSERT_EQ(nodeOf(QStringLiteral("operator.grayscale")), nullptr);
    // The image view's timeline holds the effect, whatever node the graph picks.
    pressImageView();
    goTo(23);
    ASSERT_EQ(effectFrame(), 23);
    trigger(window->redoAction());
    KelNodes::Node* back = nodeOf(QStringLiteral("operator.grayscale"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->paramContainer()->currentFrame(), 23);
}

// The inner effect's node deleted in the node-graph view, its effect moved to another frame: Undo
// brings the inner effect and its keyed node back at that frame, with that frame's values; so
// does Undo after a Redo with the effect at yet another frame.
TEST_F(NodeBroughtBack, AnInnerEffectByUndoOfItsDeleteAtItsEffectsFrame)
{
    KelNGObject* nest = nestToneFx();
    ASSERT_EQ(innerOf(nest), effect);
    clickRow(nest);
    ASSERT_EQ(window->objectEditorGraphView()->graph(), nest->graph());
    // The Hue the key frames give at 19 and 7, read as the effect stands there.
    std::map<int, int> hueAt;
    for (int frame : {19, 7, 0}) {
        goTo(frame);
        ASSERT_EQ(frameOf(nodeOfType(effect, QStringLiteral("operator.hsv"))), frame);
        hueAt[frame] = hueOf(effect)->value(0);
    }
    ASSERT_NE(hueAt[19], hueAt[0]);

    clickNode(effect->graph());
    window->objectEditorGraphView()->setFocus();
    QTest::keyClick(window->objectEditorGraphView(), Qt::Key_Delete);
    settle();
    ASSERT_EQ(innerOf(nest), nullptr);
    ASSERT_EQ(window->undoAction()->text(), QStringLiteral("Undo Delete Tone FX"));

    // The image view's timeline holds the effect, whatever node the graph picks.
    pressImageView();
    for (int frame : {19, 7}) {
        SCOPED_TRACE(frame);
        clickRow(nest);
        goTo(frame);
        ASSERT_EQ(nest->graph()->paramContainer()->currentFrame(), frame);
        trigger(window->undoAction());
        KelNGObject* inner = innerOf(nest);
        ASSERT_NE(inner, nullptr);
        EXPECT_EQ(frameOf(inner->graph()), frame) << "the inner effect stands at its effect's frame";
        EXPECT_EQ(frameOf(nodeOfType(inner, QStringLiteral("operator.hsv"))), frame) << "and its keyed node too";
        EXPECT_EQ(hueOf(inner)->value(0), hueAt[frame]) << "the values shown are that frame's";
        trigger(window->redoAction());
        ASSERT_EQ(innerOf(nest), nullptr);
    }
}

// An effect dragged onto another one that stands at another frame joins that frame.
TEST_F(NodeBroughtBack, AnEffectDraggedIntoAnotherAtThatEffectsFrame)
{
    KelNGObject* nest = addConstEffect(QStringLiteral("Nest"));
    clickRow(nest);
    goTo(19);
    ASSERT_EQ(nest->graph()->paramContainer()->currentFrame(), 19);
    ASSERT_EQ(effectFrame(), 0);
    window->nodeDragAndDrop(window->objectEditorGraphView(), effect->graph(), nest->graph());
    settle();
    ASSERT_EQ(innerOf(nest), effect);
    EXPECT_EQ(effectFrame(), 19);
    EXPECT_EQ(frameOf(nodeOf(QStringLiteral("operator.hsv"))), 19);
}

} // namespace
} // namespace MainWindowTest
