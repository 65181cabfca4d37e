// The graph view under the mouse and keys: wires made, picked up and discarded, toggles,
// node drags and their stored places, group drops, context menus, Break Connections, deletion.

#include "ViewTestSupport.h"

#include "nodes/Terminal.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <string>

using namespace ViewTest;

namespace {

// Two nodes side by side, A's output linkable to B's input; the receiver of wire signals
// does what the main window's command does on its first redo.
class ViewMouse : public ::testing::Test
{
protected:
    void SetUp() override
    {
        a = h.add(ColourInOut, QStringLiteral("A"), QPointF(20, 20));
        b = h.add(ColourInOut, QStringLiteral("B"), QPointF(320, 20));
        QObject::connect(&h.view, &KelNGNodeGraphView::nodeConnectionChangedInGraphView,
                         [this](KelNGNodeGraphView* view, KelNGNodeConnection* wire, bool made) {
                             log << (made ? "make" : "break");
                             if (!receive)
                                 return;
                             if (made)
                                 view->addConnection(wire);
                             else
                                 wire->disconnect();
                         });
        QObject::connect(&h.view, &KelNGNodeGraphView::objectGraphChanged, [this] { log << "changed"; });
    }
    bool linked() const { return a->terminal(1)->isConnectedTo(b->terminal(0)); }

    ViewHarness h;
    ProbeNode* a = nullptr;
    ProbeNode* b = nullptr;
    QStringList log;
    bool receive = true;
};

} // namespace

TEST_F(ViewMouse, WireToACompatibleTerminalIsMadeOnceFromTheOutputEnd)
{
    h.view.setObject(&h.graph);
    // From the output to the input, and turned around when dragged from the input.
    for (bool fromOutput : {true, false}) {
        const QPoint start = fromOutput ? h.atTerminal(a, 0, true) : h.atTerminal(b, 0, false);
        const QPoint end = fromOutput ? h.atTerminal(b, 0, false) : h.atTerminal(a, 0, true);
        log.clear();
        h.press(start);
        h.drag(end);
        EXPECT_EQ(h.item(fromOutput ? b : a)->highlightedTerminal(), fromOutput ? b->terminal(0) : a->terminal(1));
        h.release(end);
        EXPECT_EQ(log, (QStringList{"make", "changed"}));
        EXPECT_TRUE(linked());
        ASSERT_EQ(h.view.connections().size(), 1);
        KelNGNodeConnection* wire = h.view.connections().first();
        EXPECT_EQ(wire->sourceTerminal(), a->terminal(1));
        EXPECT_EQ(wire->lineItem()->connectingLine().begin().x(), 20 + 148 + 4);
        EXPECT_EQ(h.item(a)->highlightedTerminal(), nullptr);
        EXPECT_EQ(h.item(b)->highlightedTerminal(), nullptr);
        a->disconnect(b);
        h.view.updateGraph();
    }
}

TEST_F(ViewMouse, WireReleasedAnywhereElseIsDiscardedWithAGraphChange)
{
    ProbeNode* channel = h.add({{"mask", 2, 0}}, QStringLiteral("C"), QPointF(20, 300));
    h.view.setObject(&h.graph);
    struct Case { const char* name; QPoint target; };
    const QList<Case> cases = {
        {"empty space", QPoint(700, 500)},
        {"same node", h.atTerminal(a, 0, false)},
        {"incompatible terminal", h.atTerminal(channel, 0, false)},
    };
    for (Case const& c : cases) {
        log.clear();
        h.press(h.atTerminal(a, 0, true));
        h.drag(c.target);
        EXPECT_EQ(h.item(channel)->highlightedTerminal(), nullptr) << c.name;
        h.release(c.target);
        EXPECT_EQ(log, QStringList{"changed"}) << c.name;
        EXPECT_TRUE(h.view.connections().isEmpty()) << c.name;
        EXPECT_FALSE(linked()) << c.name;
        EXPECT_EQ(h.item(a)->highlightedTerminal(), nullptr) << c.name;
        // Only the view's wire items remain: the node pictures.
        EXPECT_EQ(h.view.graphScene()->items().size(), 3) << c.name;
    }
}

TEST_F(ViewMouse, PressOnALinkedInputPicksTheWireUpAtOnce)
{
    ASSERT_EQ(a->connect(QStringLiteral("out"), b, QStringLiteral("in")), 0);
    h.view.setObject(&h.graph);
    KelNGNodeConnection* wire = h.view.connections().value(0);
    h.press(h.atTerminal(b, 0, false));
    EXPECT_EQ(log, QStringList{"break"});
    EXPECT_FALSE(linked());
    EXPECT_TRUE(h.view.connections().isEmpty());
    // The loose end starts where the wire was; moving away lets it follow the mouse.
    h.drag(QPoint(600, 400));
    EXPECT_EQ(wire->lineItem()->connectingLine().end(), h.view.mapToScene(QPoint(600, 400)));
    h.release(QPoint(600, 400));
    EXPECT_EQ(log, (QStringList{"break", "changed"}));
    EXPECT_FALSE(linked());
    EXPECT_EQ(h.item(b)->highlightedTerminal(), nullptr);

    // Picked up and dropped back on the same input: linked again.
    ASSERT_EQ(a->connect(QStringLiteral("out"), b, QStringLiteral("in")), 0);
    h.view.updateGraph();
    h.press(h.atTerminal(b, 0, false));
    h.drag(QPoint(600, 400));
    h.drag(h.atTerminal(b, 0, false));
    h.release(h.atTerminal(b, 0, false));
    EXPECT_TRUE(linked());
    EXPECT_EQ(h.view.connections().size(), 1);
}

TEST_F(ViewMouse, ClickFlipsAToggleAndMovesItsWires)
{
    ASSERT_EQ(a->connect(QStringLiteral("out"), b, QStringLiteral("in")), 0);
    h.view.setObject(&h.graph);
    KelNGNodeConnection* wire = h.view.connections().value(0);
    const QPoint toggle = h.at(b, QPointF(140, 10));
    // Moving by one pixel between press and release is no click.
    h.press(toggle);
    h.release(toggle + QPoint(1, 0));
    EXPECT_TRUE(h.item(b)->terminalsExpanded());
    h.press(toggle);
    h.release(toggle);
    EXPECT_FALSE(h.item(b)->terminalsExpanded());
    EXPECT_EQ(wire->destinationRect(), h.item(b)->rectForTerminal(b->terminal(0)));
    EXPECT_EQ(wire->destinationRect().y(), 20 + h.item(b)->pixmapHeight() - 16);
}

TEST_F(ViewMouse, DraggedNodeStopsAtTheEdgesAndDragsAndReorderingStoreThePlaces)
{
    ASSERT_EQ(a->connect(QStringLiteral("out"), b, QStringLiteral("in")), 0);
    h.view.setObject(&h.graph);
    QSignalSpy moved(&h.view, &KelNGNodeGraphView::nodePositionsChanged);
    KelNGNodeConnection* wire = h.view.connections().value(0);
    const QPoint body = h.at(b, QPointF(60, 10));
    h.press(body);
    h.release(body);
    EXPECT_EQ(moved.count(), 0) << "a click moves nothing";
    h.press(body);
    h.drag(body + QPoint(-1000, 30));
    EXPECT_EQ(h.item(b)->pixmapItem()->pos(), QPointF(0, 50));
    EXPECT_EQ(wire->destinationRect().topLeft(), QPointF(6, 76));
    h.drag(body + QPoint(-100, -1000));
    EXPECT_EQ(h.item(b)->pixmapItem()->pos(), QPointF(220, 0));
    h.release(body + QPoint(-100, -1000));
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.first().at(0).value<KelNGNodeGraphView*>(), &h.view);
    EXPECT_EQ(storedPlace(b), QPointF(220, 0));

    // "Reorder Nodes" stores and reports; the layout of a rebuild does not report.
    h.view.action(QStringLiteral("reorder"))->trigger();
    ASSERT_EQ(moved.count(), 2);
    EXPECT_EQ(storedPlace(b).x(), 20.0 + 194);
    a->paramContainer()->auxData().remove(QStringLiteral("posX"));
    h.view.updateGraph();
    EXPECT_EQ(moved.count(), 2);
}

TEST_F(ViewMouse, NodeDroppedOntoAGroupAsksToMoveIntoIt)
{
    KelVyxNodes::VyxNodeGraph* group = h.graph.addSubGraph(-1);
    place(group, QPointF(20, 300));
    h.view.setObject(&h.graph);
    QList<QPair<KelNodes::Node*, KelNodes::Node*>> dropped;
    QObject::connect(&h.view, &KelNGNodeGraphView::nodeDragAndDrop,
                     [&](KelNGNodeGraphView*, KelNodes::Node* node, KelNodes::Node* into) {
                         dropped.append(qMakePair(node, into));
                     });
    // Onto a plain node: nothing.
    QPoint body = h.at(a, QPointF(60, 10));
    h.press(body);
    h.drag(h.at(b, QPointF(60, 30)));
    h.drag(h.at(b, QPointF(60, 30)));
    h.release(h.at(b, QPointF(60, 30)));
    EXPECT_EQ(dropped.count(), 0);
    // Onto the group.
    body = h.at(a, QPointF(60, 10));
    h.press(body);
    // The node follows the mouse and lies under it at the next move.
    h.drag(h.at(group, QPointF(70, 10)));
    h.drag(h.at(group, QPointF(70, 10)));
    h.release(h.at(group, QPointF(70, 10)));
    ASSERT_EQ(dropped.count(), 1);
    EXPECT_EQ(dropped.first().first, static_cast<KelNodes::Node*>(a));
    EXPECT_EQ(dropped.first().second, static_cast<KelNodes::Node*>(group));
    // A wire released over the group's body moves nothing.
    h.press(h.atTerminal(b, 0, true));
    h.drag(h.at(group, QPointF(70, 10)));
    h.release(h.at(group, QPointF(70, 10)));
    EXPECT_EQ(dropped.count(), 1);
}

TEST_F(ViewMouse, TheGroupCarriedGoesIntoTheGroupDroppedOnWhateverTheSizeOfTheMoves)
{
    // Three groups in a row; the middle one is carried onto the one listed before it or after it.
    KelVyxNodes::VyxNodeGraph* earlier = h.graph.addSubGraph(-1);
    KelVyxNodes::VyxNodeGraph* carried = h.graph.addSubGraph(-1);
    KelVyxNodes::VyxNodeGraph* later = h.graph.addSubGraph(-1);
    const QPointF home(260, 300);
    place(earlier, QPointF(20, 300));
    place(carried, home);
    place(later, QPointF(500, 300));
    h.view.setObject(&h.graph);
    QList<QPair<KelNodes::Node*, KelNodes::Node*>> dropped;
    QObject::connect(&h.view, &KelNGNodeGraphView::nodeDragAndDrop,
                     [&](KelNGNodeGraphView*, KelNodes::Node* node, KelNodes::Node* into) {
                         dropped.append(qMakePair(node, into));
                     });
    for (bool oneLongMove : {true, false}) {
        for (KelNodes::Node* onto : {static_cast<KelNodes::Node*>(earlier), static_cast<KelNodes::Node*>(later)}) {
            SCOPED_TRACE(std::string(oneLongMove ? "one long move" : "many small moves")
                         + (onto == earlier ? " onto the earlier group" : " onto the later group"));
            h.item(carried)->pixmapItem()->setPos(home);
            dropped.clear();
            const QPoint from = h.at(carried, QPointF(70, 10));
            const QPoint to = h.at(onto, QPointF(70, 10));
            h.press(from);
            // A fast hand, or moves merged while the window was busy: the pointer is over the
            // other group before the carried one has followed it.
            const int steps = oneLongMove ? 1 : (to - from).manhattanLength() / 4;
            for (int step = 1; step <= steps; ++step)
                h.drag(from + (to - from) * step / steps);
            h.release(to);
            ASSERT_EQ(dropped.count(), 1);
            EXPECT_EQ(dropped.first().first, static_cast<KelNodes::Node*>(carried));
            EXPECT_EQ(dropped.first().second, onto);
            EXPECT_EQ(h.view.hoverNode(), h.item(carried));
        }
    }
}

TEST_F(ViewMouse, ContextMenuPerCase)
{
    ProbeNode* fixed = h.add(ColourInOut, QStringLiteral("S"), QPointF(20, 300), false, true);
    ASSERT_EQ(a->connect(QStringLiteral("out"), b, QStringLiteral("in")), 0);
    auto entries = [](QMenu* menu) {
        QStringList list;
        for (QAction* action : menu->actions()) {
            list << (action->isSeparator() ? QStringLiteral("-")
                                           : action->text() + (action->isEnabled() ? "" : " (off)"));
        }
        delete menu;
        return list;
    };
    const QStringList onNode = {"-", "Reorder Nodes", "-", "Delete"};
    struct Case { const char* name; int kind; bool graph; QStringList empty; };
    for (Case c : {Case{"kind 0 without graph", 0, false, {"-", "Reorder Nodes"}},
                   Case{"kind 1 without graph", 1, false, {}},
                   Case{"kind 2 without graph", 2, false, {}},
                   Case{"kind 1 with graph", 1, true, {"-", "Reorder Nodes"}}}) {
        h.view.viewKind = c.kind;
        h.view.setObject(c.graph ? &h.graph : nullptr);
        EXPECT_EQ(entries(h.view.createContextMenu(QPoint(780, 580))), c.empty) << c.name;
    }
    h.view.viewKind = 1;
    h.view.setObject(&h.graph);
    EXPECT_EQ(entries(h.view.createContextMenu(h.at(a, QPointF(60, 10)))), onNode);
    EXPECT_EQ(h.view.selectedNode(), h.item(a));
    EXPECT_EQ(entries(h.view.createContextMenu(h.at(fixed, QPointF(60, 10)))),
              (QStringList{"-", "Reorder Nodes", "-", "Delete (off)"}));
    // On a linked terminal: Break Connections alone, the selection stays.
    h.hover(h.atTerminal(b, 0, false));
    EXPECT_EQ(entries(h.view.createContextMenu(h.atTerminal(b, 0, false))),
              QStringList{"Break Connections"});
    EXPECT_EQ(h.view.selectedNode(), h.item(fixed));
    // A real right press runs the menu and leaves the view usable.
    h.press(h.at(a, QPointF(60, 10)), Qt::RightButton);
    EXPECT_EQ(h.view.selectedNode(), h.item(a));
}

TEST_F(ViewMouse, BreakConnectionsSignalsEachWireAndAGraphChange)
{
    ProbeNode* fan = h.add({{"out", 0, 5}}, QStringLiteral("F"), QPointF(20, 300));
    ProbeNode* c = h.add(ColourInOut, QStringLiteral("C"), QPointF(620, 20));
    ASSERT_EQ(fan->connect(QStringLiteral("out"), b, QStringLiteral("in")), 0);
    ASSERT_EQ(fan->connect(QStringLiteral("out"), c, QStringLiteral("in")), 0);
    h.view.setObject(&h.graph);
    ASSERT_EQ(h.view.connections().size(), 2);
    h.hover(h.atTerminal(fan, 0, true));
    delete h.view.createContextMenu(h.atTerminal(fan, 0, true));
    h.view.action(QStringLiteral("breakConnections"))->trigger();
    EXPECT_EQ(log, (QStringList{"break", "break", "changed"}));
    EXPECT_TRUE(h.view.connections().isEmpty());
    EXPECT_EQ(fan->terminal(0)->numConnections(), 0);
    EXPECT_EQ(h.view.hoverTerminal(), nullptr);

    // A link the view draws no wire for is skipped without a signal.
    log.clear();
    ASSERT_EQ(fan->connect(QStringLiteral("out"), b, QStringLiteral("in")), 0);
    h.hover(h.atTerminal(fan, 0, true));
    delete h.view.createContextMenu(h.atTerminal(fan, 0, true));
    h.view.action(QStringLiteral("breakConnections"))->trigger();
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(ViewMouse, DeleteKeysAndTheDeleteAction)
{
    ProbeNode* fixed = h.add(ColourInOut, QStringLiteral("S"), QPointF(20, 300), false, true);
    h.view.setObject(&h.graph);
    QStringList order;
    QObject::connect(&h.view, &KelNGNodeGraphView::deleteNodeFromGraphView,
                     [&](KelNGNodeGraphView*, KelNodes::Node* node) { order << "delete " + node->name(); });
    QObject::connect(&h.view, &KelNGNodeGraphView::selectedNodeChanged,
                     [&](KelNGNode* node) { order << (node ? "select" : "select none"); });
    h.view.setSelectedNode(h.item(fixed));
    order.clear();
    QTest::keyClick(&h.view, Qt::Key_Backspace);
    EXPECT_TRUE(order.isEmpty()) << "a static node is not deleted";
    h.view.setSelectedNode(h.item(a));
    order.clear();
    QTest::keyClick(&h.view, Qt::Key_Delete);
    EXPECT_EQ(order, (QStringList{"delete A", "select none"}));
    EXPECT_EQ(h.view.selectedNode(), nullptr);
    EXPECT_EQ(a->parentGraph(), &h.graph) << "the view deletes no node itself";
    order.clear();
    h.view.action(QStringLiteral("delete"))->trigger();
    EXPECT_TRUE(order.isEmpty());
}

TEST_F(ViewMouse, ItemsDeletedDuringAWireDragAreLetGo)
{
    h.view.setObject(&h.graph);
    for (bool deleteTarget : {true, false}) {
        ProbeNode* from = deleteTarget ? a : b;
        ProbeNode* to = deleteTarget ? b : a;
        h.view.updateGraph();
        h.press(h.atTerminal(from, 0, deleteTarget));
        h.drag(h.atTerminal(to, 0, !deleteTarget));
        const QPoint end = h.atTerminal(to, 0, !deleteTarget);
        // The core deletes a node's item when the node leaves its graph.
        delete h.item(deleteTarget ? to : from);
        h.drag(end);
        h.release(end);
        EXPECT_FALSE(linked());
        EXPECT_TRUE(log.endsWith("changed"));
        EXPECT_TRUE(h.view.connections().isEmpty());
    }
}
