#include "TestNodes.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QThread>

using namespace KelNodes;

namespace {

QStringList& faults()
{
    static QStringList list;
    return list;
}

void recordFault(char const* what)
{
    faults().append(QString::fromLatin1(what));
}

// Hooks the fault report for one test; the default report is put back afterwards.
struct RenderReadCheck : ::testing::Test
{
    void SetUp() override
    {
        faults().clear();
        NodeGraph::setRenderReadFaultHook(&recordFault);
    }
    void TearDown() override { NodeGraph::setRenderReadFaultHook(nullptr); }

    TestNode* add(NodeGraph* graph)
    {
        auto* node = new TestNode;
        graph->addNode(node, -1);
        return node->withIo();
    }

    // Stands for the render's thread: never started, only its identity counts.
    QThread renderThread;
};

} // namespace

TEST_F(RenderReadCheck, EveryChangeOfANodeListUnderARenderFromAnotherThreadIsAFault)
{
    TestGraph graph;
    TestNode* first = add(&graph);
    TestNode* second = add(&graph);
    TestNode* third = add(&graph);
    TestGraph* sub = static_cast<TestGraph*>(graph.addSubGraph(-1));
    TestNode* inner = add(sub);
    TestNode* spare = add(sub);
    ASSERT_EQ(second->connect("out", first, "in"), 0); // out of level order
    graph.sortNodes();
    const quint64 before = NodeGraph::renderReadFaults();

    graph.beginRenderRead(&renderThread);
    // Reading, and sorting what is sorted already, is no change.
    graph.sortNodes();
    sub->sortNodes();
    EXPECT_EQ(graph.findNode(inner->uid(), true), inner);
    EXPECT_TRUE(faults().isEmpty()) << faults().join(QLatin1Char(',')).toStdString();

    graph.addNode(new TestNode, -1);
    graph.removeNode(third);
    sub->dropNode(spare);
    graph.addNode(spare, -1);
    sub->attach(inner, &graph);
    graph.setDirty();
    graph.sortNodes();
    graph.removeNodes(false);
    graph.endRenderRead();

    // A change anywhere in the tree counts, the first one of each kind named.
    for (char const* change : {"addNode", "removeNode", "dropNode", "attach", "setDirty", "renew", "removeNodes"})
        EXPECT_TRUE(faults().contains(QString::fromLatin1(change))) << change << " was not caught";
    EXPECT_EQ(NodeGraph::renderReadFaults() - before, quint64(faults().size()));
}

TEST_F(RenderReadCheck, TheRendersOwnThreadAndTheTimeAfterItMayChangeTheGraph)
{
    TestGraph graph;
    TestNode* first = add(&graph);
    TestNode* second = add(&graph);
    TestGraph* sub = static_cast<TestGraph*>(graph.addSubGraph(-1));

    // The render sorts what it reads on its own thread before its rows start.
    graph.beginRenderRead(QThread::currentThread());
    ASSERT_EQ(second->connect("out", first, "in"), 0);
    graph.sortNodes();
    add(sub);
    graph.endRenderRead();
    EXPECT_TRUE(faults().isEmpty()) << faults().join(QLatin1Char(',')).toStdString();

    // Once the render has ended, the window changes the graph freely; reads nest.
    graph.beginRenderRead(&renderThread);
    graph.beginRenderRead(&renderThread);
    graph.endRenderRead();
    graph.endRenderRead();
    add(sub);
    graph.removeNode(first);
    EXPECT_TRUE(faults().isEmpty()) << faults().join(QLatin1Char(',')).toStdString();

    // A render of a sub-graph leaves its parent's list alone; a change inside it counts.
    sub->beginRenderRead(&renderThread);
    graph.removeNode(second);
    EXPECT_TRUE(faults().isEmpty());
    add(sub);
    sub->endRenderRead();
    EXPECT_TRUE(faults().contains(QStringLiteral("addNode"))) << faults().join(QLatin1Char(',')).toStdString();
}
