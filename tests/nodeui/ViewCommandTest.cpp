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

// Every link of the graph as "A->B" (output host to input host), sorted.
QStringList links(KelNodes::NodeGraph const& graph)
{
    QStringList all;
    for (KelNodes::Node* from : graph.nodes()) {
        for (KelNodes::Terminal* peer : from->getTerminal(QStringLiteral("out"))->connections())
            all.append(from->name() + QStringLiteral("->") + peer->hostNode()->name());
    }
    all.sort();
    return all;
}

// Three nodes A, B, C side by side; outputs hold several links unless `singleOutput`.
struct ThreeNodes
{
    explicit ThreeNodes(ViewHarness& h, bool singleOutput = false)
        : h(h)
    {
        const QList<TerminalSpec> terminals = {{"in", 4, 0}, {"out", 0, singleOutput ? 4u : 5u}};
        a = h.add(terminals, QStringLiteral("A"), QPointF(20, 20));
        b = h.add(terminals, QStringLiteral("B"), QPointF(320, 20));
        c = h.add(terminals, QStringLiteral("C"), QPointF(600, 20));
    }
    KelNodes::Node* byName(char name) const { return name == 'A' ? a : name == 'B' ? b : c; }
    void link(char from, char to) const
    {
        ASSERT_EQ(byName(from)->connect(QStringLiteral("out"), byName(to), QStringLiteral("in")), 0);
    }
    // A wire dragged from one node's output to another's input.
    void drop(char from, char to) const
    {
        h.press(h.atTerminal(byName(from), 0, true));
        h.drag(h.atTerminal(byName(to), 0, false));
        h.release(h.atTerminal(byName(to), 0, false));
    }

    ViewHarness& h;
    KelNodes::Node* a;
    KelNodes::Node* b;
    KelNodes::Node* c;
};

} // namespace

struct DisplacingDrop
{
    const char* name;
    bool singleOutput;
    QList<QPair<char, char>> before;
    QList<QPair<char, char>> drops;
    QStringList after;
};

void PrintTo(DisplacingDrop const& row, std::ostream* out)
{
    *out << row.name;
}

class ViewCommandDisplacing : public ::testing::TestWithParam<DisplacingDrop>
{
};

TEST_P(ViewCommandDisplacing, UndoGivesBackTheDisplacedLinksAndRedoTakesThemAgain)
{
    DisplacingDrop const& row = GetParam();
    ViewHarness h;
    QUndoStack stack;
    recordWires(h.view, stack, nullptr, &h.graph);
    ThreeNodes nodes(h, row.singleOutput);
    for (auto const& [from, to] : row.before)
        nodes.link(from, to);
    const QStringList start = links(h.graph);
    h.view.setObject(&h.graph);
    for (auto const& [from, to] : row.drops) {
        nodes.drop(from, to);
        h.view.updateGraph();
    }
    ASSERT_EQ(stack.count(), row.drops.size());
    EXPECT_EQ(links(h.graph), row.after);
    for (int round = 0; round < 2; ++round) {
        while (stack.canUndo())
            stack.undo();
        EXPECT_EQ(links(h.graph), start) << round;
        while (stack.canRedo())
            stack.redo();
        EXPECT_EQ(links(h.graph), row.after) << round;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Drops, ViewCommandDisplacing,
    ::testing::Values(
        // A into B, then B into C's single-link input, which held A.
        DisplacingDrop{"InputHeldAnotherLink", false, {{'A', 'C'}}, {{'A', 'B'}, {'B', 'C'}},
                       {QStringLiteral("A->B"), QStringLiteral("B->C")}},
        // A's single-link output leaves C for B.
        DisplacingDrop{"OutputHeldAnotherLink", true, {{'A', 'C'}}, {{'A', 'B'}}, {QStringLiteral("A->B")}},
        // Both ends held a link.
        DisplacingDrop{"BothEndsHeldLinks", true, {{'A', 'B'}, {'C', 'A'}}, {{'C', 'B'}},
                       {QStringLiteral("C->B")}}),
    [](auto const& info) { return std::string(info.param.name); });

struct RefusedDrop
{
    const char* name;
    char from;
    char to;
};

void PrintTo(RefusedDrop const& row, std::ostream* out)
{
    *out << row.name;
}

class ViewCommandRefused : public ::testing::TestWithParam<RefusedDrop>
{
};

TEST_P(ViewCommandRefused, ARefusedDropKeepsTheRedoHistory)
{
    RefusedDrop const& row = GetParam();
    ViewHarness h;
    QUndoStack stack;
    recordWires(h.view, stack, nullptr, &h.graph);
    ThreeNodes nodes(h);
    nodes.link('B', 'C');
    h.view.setObject(&h.graph);
    nodes.drop('A', 'B');
    ASSERT_EQ(stack.count(), 1);
    stack.undo();
    h.view.updateGraph();
    const QStringList start = links(h.graph);

    nodes.drop(row.from, row.to);
    EXPECT_EQ(links(h.graph), start);
    EXPECT_EQ(stack.count(), 1);
    ASSERT_TRUE(stack.canRedo());
    stack.redo();
    EXPECT_TRUE(linked(nodes.a, nodes.b));
}

INSTANTIATE_TEST_SUITE_P(Drops, ViewCommandRefused,
                         ::testing::Values(
                             // B feeds C: C into B would close a cycle.
                             RefusedDrop{"Cycle", 'C', 'B'},
                             // The link is there already.
                             RefusedDrop{"AlreadyLinked", 'B', 'C'}),
                         [](auto const& info) { return std::string(info.param.name); });

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
