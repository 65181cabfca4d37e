// The wire command: texts, undo and redo by uid and terminal name, a refused link, and the
// first redo of a broken wire marking the project without rebuilding the view.

#include "ViewTestSupport.h"

#include "app/KelNGObject.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "nodes/Terminal.h"
#include "nodeui/KelCmdConnection.h"

#include <gtest/gtest.h>

#include <QUndoStack>

using namespace ViewTest;

namespace {

// A view whose wire signals become commands on a stack, as the main window does.
class ViewCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        a = h.add(ColourInOut, QStringLiteral("A"), QPointF(20, 20));
        b = h.add(ColourInOut, QString(), QPointF(320, 20));
        QObject::connect(&h.view, &KelNGNodeGraphView::nodeConnectionChangedInGraphView,
                         [this](KelNGNodeGraphView* view, KelNGNodeConnection* wire, bool made) {
                             stack.push(new KelCmdConnection(core, view, &h.graph, wire, made));
                         });
        h.view.setObject(&h.graph);
    }
    bool linked() const { return a->terminal(1)->isConnectedTo(b->terminal(0)); }
    void wireAToB()
    {
        h.press(h.atTerminal(a, 0, true));
        h.drag(h.atTerminal(b, 0, false));
        h.release(h.atTerminal(b, 0, false));
    }

    TwCore* core = nullptr;
    ViewHarness h;
    ProbeNode* a = nullptr;
    ProbeNode* b = nullptr;
    QUndoStack stack;
};

} // namespace

TEST_F(ViewCommand, MadeWireUndoesAndRedoesByName)
{
    wireAToB();
    ASSERT_EQ(stack.count(), 1);
    EXPECT_EQ(stack.text(0), QStringLiteral("Connection A->Probe"));
    EXPECT_TRUE(linked());
    stack.undo();
    EXPECT_FALSE(linked());
    // The view's items are rebuilt meanwhile: the command needs none of them.
    h.view.updateGraph();
    stack.redo();
    EXPECT_TRUE(linked());
    h.view.updateGraph();
    EXPECT_EQ(h.view.connections().size(), 1);
}

TEST_F(ViewCommand, BrokenWireUndoesAndRedoes)
{
    wireAToB();
    h.press(h.atTerminal(b, 0, false));
    h.release(QPoint(700, 500));
    ASSERT_EQ(stack.count(), 2);
    EXPECT_EQ(stack.text(1), QStringLiteral("Break Connection A->Probe"));
    EXPECT_FALSE(linked());
    stack.undo();
    EXPECT_TRUE(linked());
    stack.redo();
    EXPECT_FALSE(linked());
    stack.undo();
    stack.undo();
    EXPECT_FALSE(linked());
}

TEST_F(ViewCommand, RefusedLinkLeavesNoStepAndNoWire)
{
    // b -> c exists; c's output into b's input would make b depend on itself.
    ProbeNode* c = h.add(ColourInOut, QStringLiteral("C"), QPointF(620, 20));
    ASSERT_EQ(b->connect(QStringLiteral("out"), c, QStringLiteral("in")), 0);
    h.view.updateGraph();
    h.press(h.atTerminal(c, 0, true));
    h.drag(h.atTerminal(b, 0, false));
    h.release(h.atTerminal(b, 0, false));
    EXPECT_EQ(stack.count(), 0);
    EXPECT_EQ(c->terminal(1)->numConnections(), 0);
    EXPECT_EQ(b->terminal(0)->numConnections(), 0);
    // The refused wire is gone from the view; the existing one stays.
    EXPECT_EQ(h.view.connections().size(), 1);
}

namespace {

// The same over an object of a real core.
class ViewCoreCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        core = std::make_unique<TwCore>(nullptr);
        auto* graph = core->rootGraph()->addSubGraph(-1);
        graph->setUp(core->sourceImage(), nullptr, nullptr, false);
        a = new ProbeNode(ColourInOut);
        a->setName(QStringLiteral("A"));
        b = new ProbeNode(ColourInOut);
        graph->addNode(a, -1);
        graph->addNode(b, -1);
        a->paramContainer()->auxData().insert(QStringLiteral("posX"), 20.0);
        a->paramContainer()->auxData().insert(QStringLiteral("posY"), 300.0);
        b->paramContainer()->auxData().insert(QStringLiteral("posX"), 320.0);
        b->paramContainer()->auxData().insert(QStringLiteral("posY"), 300.0);
        ASSERT_EQ(a->connect(QStringLiteral("out"), b, QStringLiteral("in")), 0);
        object = core->addObjectFromNodeGraph(graph);
        view.resize(800, 600);
        view.viewKind = 1;
        view.show();
        view.setObject(graph);
        QObject::connect(&view, &KelNGNodeGraphView::nodeConnectionChangedInGraphView,
                         [this](KelNGNodeGraphView* v, KelNGNodeConnection* wire, bool made) {
                             core->undoStack()->push(new KelCmdConnection(
                                 core.get(), v, core->rootGraph(), wire, made));
                         });
        settle();
        core->setModified(false);
    }
    void TearDown() override
    {
        settle();
        view.setObject(nullptr);
        core->undoStack()->clear();
        core->clear();
        core.reset();
    }
    void settle()
    {
        for (int i = 0; i < 50 && core->renderer()->isRunning(); ++i) {
            core->renderer()->wait(10000);
            QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents();
    }
    QPoint atTerminal(KelNodes::Node* node, int index, bool output)
    {
        QGraphicsPixmapItem* item = KelNGNode::itemOf(node)->pixmapItem();
        return view.mapFromScene(item->mapToScene(QPointF(output ? 143 : 11, 31 + 14 * index)));
    }
    void mouse(QEvent::Type type, QPoint point, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, QPointF(point), view.viewport()->mapToGlobal(QPointF(point)),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &event);
    }

    std::unique_ptr<TwCore> core;
    KelNGObject* object = nullptr;
    ProbeNode* a = nullptr;
    ProbeNode* b = nullptr;
    KelNGNodeGraphView view;
};

} // namespace

TEST_F(ViewCoreCommand, FirstRedoOfABrokenWireMarksTheProjectAndKeepsTheView)
{
    // The graph's own source and destination nodes are wired too.
    KelNGNodeConnection* wire = nullptr;
    for (KelNGNodeConnection* each : view.connections()) {
        if (each->sourceNode() == KelNGNode::itemOf(a))
            wire = each;
    }
    ASSERT_NE(wire, nullptr);
    const QPoint input = atTerminal(b, 0, false);
    mouse(QEvent::MouseMove, input, Qt::NoButton);
    mouse(QEvent::MouseButtonPress, input, Qt::LeftButton);
    EXPECT_TRUE(core->isModified());
    EXPECT_EQ(core->undoStack()->count(), 1);
    EXPECT_FALSE(a->terminal(1)->isConnectedTo(b->terminal(0)));
    // Not rebuilt: the picked-up wire is still the one being dragged, following the mouse.
    mouse(QEvent::MouseMove, QPoint(780, 580), Qt::LeftButton);
    EXPECT_EQ(wire->lineItem()->connectingLine().end(), view.mapToScene(QPoint(780, 580)));
    mouse(QEvent::MouseButtonRelease, QPoint(780, 580), Qt::NoButton);
    settle();

    core->setModified(false);
    core->undoStack()->undo();
    EXPECT_TRUE(a->terminal(1)->isConnectedTo(b->terminal(0)));
    EXPECT_TRUE(core->isModified());
    settle();
    core->undoStack()->redo();
    EXPECT_FALSE(a->terminal(1)->isConnectedTo(b->terminal(0)));
}

TEST(ViewNodeEdit, PanelEditOfAShownNodeBecomesOneStepOnItsGraphsStack)
{
    ViewHarness h;
    QUndoStack stack;
    h.graph.setUndoStack(&stack);
    KelNodes::Node* node = h.graph.addNode(QStringLiteral("generator.const"), -1);
    ASSERT_NE(node, nullptr);
    h.view.setObject(&h.graph);
    KelNGNode* item = h.item(node);
    QStringList announced;
    QObject::connect(&h.view, &KelNGNodeGraphView::nodeParameterChanged,
                     [&](KelNGNodeGraphView*, KelNodes::Node* changed) { announced << changed->displayName(); });
    auto* container = node->paramContainer();
    // What a panel editor does: snapshot, write, hand the snapshot over.
    QBuffer* before = h.view.storeParamState(container);
    ASSERT_EQ(container->setIntParam(QStringLiteral("value1d"), 40), 0);
    emit item->addParamUndo(item, before);
    ASSERT_EQ(stack.count(), 1);
    EXPECT_EQ(stack.text(0), QStringLiteral("Const edit"));
    stack.undo();
    EXPECT_EQ(container->getIntParam(QStringLiteral("value1d")), 128);
    stack.redo();
    EXPECT_EQ(container->getIntParam(QStringLiteral("value1d")), 40);
    EXPECT_EQ(announced.size(), 3);
    // After a rebuild the item is connected once, not twice.
    h.view.updateGraph();
    h.view.updateGraph();
    emit item->addParamUndo(item, h.view.storeParamState(container));
    EXPECT_EQ(stack.count(), 2);
    h.view.setObject(nullptr);
    ViewHarness::deleteItems(&h.graph);
    h.graph.setUndoStack(nullptr);
}
