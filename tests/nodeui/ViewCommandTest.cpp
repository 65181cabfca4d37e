// The wire command (texts, undo and redo by uid and terminal name, a refused link, the first
// redo of a broken wire marking the project without a rebuild) and panel edits recorded as
// node-edit commands.

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

// Wire signals become commands on a stack, as the main window does; `core` may be null.
void recordWires(KelNGNodeGraphView& view, QUndoStack& stack, TwCore* core, KelNodes::NodeGraph* top)
{
    QObject::connect(&view, &KelNGNodeGraphView::nodeConnectionChangedInGraphView,
                     [&stack, core, top](KelNGNodeGraphView* v, KelNGNodeConnection* wire, bool made) {
                         stack.push(new KelCmdConnection(core, v, top, wire, made));
                     });
}

bool linked(KelNodes::Node* from, KelNodes::Node* to)
{
    return from->getTerminal(QStringLiteral("out"))->isConnectedTo(to->getTerminal(QStringLiteral("in")));
}

} // namespace

TEST(ViewCommand, WiresMadeAndBrokenUndoAndRedoByNameAndARefusedLinkIsNoStep)
{
    ViewHarness h;
    QUndoStack stack;
    recordWires(h.view, stack, nullptr, &h.graph);
    ProbeNode* a = h.add(ColourInOut, QStringLiteral("A"), QPointF(20, 20));
    ProbeNode* b = h.add(ColourInOut, QString(), QPointF(320, 20));
    ProbeNode* c = h.add(ColourInOut, QStringLiteral("C"), QPointF(20, 300));
    // c's output into b's input would make b depend on itself.
    ASSERT_EQ(b->connect(QStringLiteral("out"), c, QStringLiteral("in")), 0);
    h.view.setObject(&h.graph);
    h.press(h.atTerminal(c, 0, true));
    h.drag(h.atTerminal(b, 0, false));
    h.release(h.atTerminal(b, 0, false));
    EXPECT_EQ(stack.count(), 0);
    EXPECT_EQ(b->getTerminal(QStringLiteral("in"))->numConnections(), 0);
    EXPECT_EQ(h.view.connections().size(), 1);

    h.press(h.atTerminal(a, 0, true));
    h.drag(h.atTerminal(b, 0, false));
    h.release(h.atTerminal(b, 0, false));
    h.press(h.atTerminal(b, 0, false));
    h.release(QPoint(700, 500));
    ASSERT_EQ(stack.count(), 2);
    EXPECT_EQ(stack.text(0), QStringLiteral("Connection A->Probe"));
    EXPECT_EQ(stack.text(1), QStringLiteral("Break Connection A->Probe"));
    EXPECT_FALSE(linked(a, b));
    // Later steps need none of the view's items, which rebuilds replace.
    const QList<bool> expected = {true, false, true, false};
    for (int step = 0; step < 4; ++step) {
        h.view.updateGraph();
        if (step < 2)
            stack.undo();
        else
            stack.redo();
        EXPECT_EQ(linked(a, b), expected.at(step)) << step;
    }
}

TEST(ViewCommand, FirstRedoOfABrokenWireMarksTheProjectAndKeepsTheView)
{
    auto core = std::make_unique<TwCore>(nullptr);
    auto settle = [&] {
        for (int i = 0; i < 50 && core->renderer()->isRunning(); ++i)
            core->renderer()->wait(10000);
        QCoreApplication::processEvents();
    };
    KelVyxNodes::VyxNodeGraph* graph = core->rootGraph()->addSubGraph(-1);
    graph->setUp(core->sourceImage(), nullptr, nullptr, false);
    auto* a = new ProbeNode(ColourInOut);
    auto* b = new ProbeNode(ColourInOut);
    graph->addNode(a, -1);
    graph->addNode(b, -1);
    ASSERT_EQ(a->connect(QStringLiteral("out"), b, QStringLiteral("in")), 0);
    core->addObjectFromNodeGraph(graph);
    VyxNodeGraphView view;
    view.resize(800, 600);
    view.show();
    view.setObject(graph);
    recordWires(view, *core->undoStack(), core.get(), core->rootGraph());
    settle();
    core->setModified(false);

    ViewInput mouse{view};
    KelNGNodeConnection* wire = nullptr;
    for (KelNGNodeConnection* each : view.connections()) {
        if (each->sourceNode() == KelNGNode::itemOf(a))
            wire = each;
    }
    ASSERT_NE(wire, nullptr);
    mouse.press(mouse.atTerminal(b, 0, false));
    EXPECT_TRUE(core->isModified());
    EXPECT_FALSE(linked(a, b));
    // Not rebuilt: the picked-up wire is still the one that follows the mouse.
    mouse.drag(QPoint(780, 580));
    EXPECT_EQ(wire->lineItem()->connectingLine().end(), view.mapToScene(QPoint(780, 580)));
    mouse.release(QPoint(780, 580));
    settle();
    core->setModified(false);
    core->undoStack()->undo();
    EXPECT_TRUE(linked(a, b));
    EXPECT_TRUE(core->isModified());
    settle();

    view.setObject(nullptr);
    deleteItems(graph);
    core->undoStack()->clear();
    core->clear();
}

TEST(ViewNodeEdit, PanelEditOfAShownNodeBecomesOneStepOnItsGraphsStack)
{
    ViewHarness h;
    QUndoStack stack;
    h.graph.setUndoStack(&stack);
    KelNodes::Node* node = h.graph.addNode(QStringLiteral("generator.const"), -1);
    ASSERT_NE(node, nullptr);
    h.view.setObject(&h.graph);
    // Rebuilt twice: the item is still connected once.
    h.view.updateGraph();
    KelNGNode* item = h.item(node);
    int announced = 0;
    QObject::connect(&h.view, &KelNGNodeGraphView::nodeParameterChanged, [&] { ++announced; });
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
    EXPECT_EQ(announced, 3);
    h.graph.setUndoStack(nullptr);
}
