#include "TestNodes.h"

#include <gtest/gtest.h>

using namespace KelNodes;
using Ev = NodeSubscriber::Event;

namespace {

struct TerminalFixture : ::testing::Test
{
    TestGraph graph;
    Recorder rec;
    void SetUp() override { rec.subscribe(&graph); }

    TestNode* node(bool io = true)
    {
        auto* node = new TestNode;
        graph.addNode(node, -1);
        return io ? node->withIo() : node;
    }
};

} // namespace

TEST_F(TerminalFixture, MultiLinkOutputKeepsEveryLinkAndSingleLinksReplaceTheirLink)
{
    TestNode* src = node(false);
    TestNode* a = node(false);
    TestNode* b = node(false);
    Terminal* multi = src->add("multi", 0, 5);
    Terminal* single = src->add("single", 0, 4);
    Terminal* inA = a->add("in", 4, 0);
    Terminal* inB = b->add("in", 4, 0);
    Terminal* inA2 = a->add("in2", 4, 0);
    Terminal* inB2 = b->add("in2", 4, 0);

    ASSERT_EQ(multi->connect(inA), 0);
    ASSERT_EQ(multi->connect(inB), 0);
    EXPECT_EQ(multi->numConnections(), 2);
    EXPECT_TRUE(inA->isConnectedTo(multi));
    EXPECT_TRUE(inB->isConnectedTo(multi));

    ASSERT_EQ(single->connect(inA2), 0);
    rec.events.clear();
    ASSERT_EQ(single->connect(inB2), 0);
    EXPECT_EQ(single->numConnections(), 1);
    EXPECT_EQ(single->connectedTo(0), inB2);
    EXPECT_EQ(inA2->numConnections(), 0);
    // The old link goes first (both hosts say so), then the new one is announced by both hosts.
    const QList<QPair<Node*, Ev>> expected{{src, Ev::Disconnected}, {a, Ev::Disconnected},
                                           {src, Ev::Connected}, {b, Ev::Connected}};
    EXPECT_EQ(rec.events, expected);

    // An input takes one link: a new one replaces the multi output's.
    ASSERT_EQ(single->connect(inA), 0);
    EXPECT_EQ(inA->connectedTo(0), single);
    EXPECT_EQ(multi->numConnections(), 1);

    // Kind bits the core does not know (a curve) are kept and matched.
    Terminal* curveOut = a->add("curve", 0, 8 | 1);
    Terminal* curveIn = b->add("curve", 8, 0);
    EXPECT_EQ(curveOut->connect(curveIn), 0);
    EXPECT_EQ(curveOut->outputMask(), 9u);
    EXPECT_TRUE(curveOut->allowsManyLinks());
}

TEST_F(TerminalFixture, RefusedLinksAndBadIndexesChangeNothing)
{
    TestNode* a = node(false);
    TestNode* b = node(false);
    Terminal* out1 = a->add("out1", 0, 3);
    Terminal* in4 = b->add("in4", 4, 0);
    Terminal* in2 = b->add("in2", 2, 0);

    EXPECT_EQ(out1->connect(in4), -1); // no common kind
    EXPECT_EQ(out1->connect(nullptr), -1);
    EXPECT_EQ(out1->connect(out1), -1);
    EXPECT_EQ(out1->connect(b, "nothing"), -1);
    EXPECT_EQ(a->connect("nothing", b, "in2"), -1);
    EXPECT_EQ(a->add("io", 4, 5)->connect(b->add("io", 4, 5)), -1); // two-way with two-way

    ASSERT_EQ(out1->connect(in2), 0);
    TestNode* c = node(false);
    Terminal* in2c = c->add("in", 2, 0);
    c->refuseConnect = true;
    rec.events.clear();
    EXPECT_EQ(in2->connect(out1), -1); // the same pair again
    EXPECT_EQ(out1->numConnections(), 1);
    EXPECT_EQ(out1->connect(in2c), -1);
    EXPECT_EQ(in2c->numConnections(), 0);
    EXPECT_TRUE(rec.events.isEmpty());

    TestNode* d = node();
    EXPECT_EQ(d->terminal(-1), nullptr);
    EXPECT_EQ(d->terminal(2), nullptr);
    EXPECT_EQ(d->terminal(0)->connectedTo(0), nullptr);
    EXPECT_EQ(d->terminal(0)->connectedToHost(-1), nullptr);
    EXPECT_EQ(d->getTerminal("missing"), nullptr);
    EXPECT_EQ(d->addTerminal(nullptr), -1);
    EXPECT_EQ(d->removeTerminal("missing"), -1);
}

TEST_F(TerminalFixture, NodeLevelConnectAndDisconnect)
{
    TestNode* a = node(false);
    TestNode* b = node(false);
    a->add("colourOut", 0, 5);
    a->add("channelOut", 0, 3);
    b->add("channelIn", 2, 0);
    b->add("colourIn", 4, 0);
    b->add("colourIn2", 4, 0);
    // Only the first output is tried, against every input.
    EXPECT_EQ(a->connect(b), 0);
    EXPECT_EQ(b->getTerminal("colourIn")->numConnections(), 1);
    EXPECT_EQ(b->getTerminal("channelIn")->numConnections(), 0);
    TestNode* c = node(false);
    c->add("channelIn", 2, 0);
    EXPECT_EQ(a->connect(c), -1);
    EXPECT_EQ(a->connect(nullptr), -1);

    EXPECT_EQ(b->getSubNodes(false), QList<Node*>{a});
    ASSERT_EQ(a->connect("colourOut", b, "colourIn2"), 0);
    EXPECT_EQ(a->disconnect(b), 0);
    EXPECT_FALSE(a->isConnectedTo(b));
    EXPECT_FALSE(b->isConnectedTo(a));
    EXPECT_EQ(a->disconnect(b), -1);
}

TEST_F(TerminalFixture, DyingNodeReportsEachLinkThenItsEnd)
{
    TestNode* a = node();
    TestNode* b = node();
    TestNode* c = node();
    ASSERT_EQ(a->connect("out", b, "in"), 0);
    ASSERT_EQ(b->connect("out", c, "in"), 0);
    rec.events.clear();
    ASSERT_EQ(graph.removeNode(b), 0);
    const QList<QPair<Node*, Ev>> expected{{b, Ev::Removed},
                                           {b, Ev::Disconnected}, {a, Ev::Disconnected},
                                           {b, Ev::Disconnected}, {c, Ev::Disconnected},
                                           {b, Ev::Destroyed}};
    EXPECT_EQ(rec.events, expected);
    EXPECT_EQ(a->getTerminal("out")->numConnections(), 0);
    EXPECT_EQ(c->getTerminal("in")->numConnections(), 0);
}

// --- cycles ----------------------------------------------------------------------------------

TEST_F(TerminalFixture, LinksThatCloseACycleAreRefused)
{
    TestNode* a = node();
    TestNode* b = node();
    TestNode* c = node();
    TestNode* d = node();
    ASSERT_EQ(a->connect("out", b, "in"), 0);
    ASSERT_EQ(b->connect("out", c, "in"), 0);
    ASSERT_EQ(d->connect("out", a, "in"), 0);

    rec.events.clear();
    EXPECT_EQ(c->connect("out", d, "in"), -1);
    // Refused before anything was dropped.
    EXPECT_TRUE(rec.events.isEmpty());
    EXPECT_EQ(d->getTerminal("in")->numConnections(), 0);
    EXPECT_EQ(a->getTerminal("in")->connectedToHost(0), d);
    EXPECT_EQ(c->connect("out", c, "in"), -1); // to itself
    EXPECT_EQ(c->getLevel(true), 3);

    // A node may feed another through two paths: not a cycle.
    EXPECT_EQ(a->add("in2", 4, 0)->connect(d->getTerminal("out")), 0);
}

TEST_F(TerminalFixture, CyclesThroughASubGraphAreRefused)
{
    // A graph's output comes from its members.
    NodeGraph* sub = graph.addSubGraph(-1);
    auto* inside = (new TestNode)->withIo();
    sub->addNode(inside, -1);
    TestNode* outside = node();
    Terminal* subOut = new Terminal(sub, "gout", 0, 5);
    sub->addTerminal(subOut);
    ASSERT_EQ(subOut->connect(outside->getTerminal("in")), 0);
    EXPECT_EQ(outside->connect("out", inside, "in"), -1);

    // What feeds a graph's own input feeds its members.
    NodeGraph* sub2 = graph.addSubGraph(-1);
    auto* inside2 = (new TestNode)->withIo();
    sub2->addNode(inside2, -1);
    TestNode* feeder = node();
    Terminal* subIn = new Terminal(sub2, "gin", 4, 0);
    sub2->addTerminal(subIn);
    ASSERT_EQ(feeder->getTerminal("out")->connect(subIn), 0);
    EXPECT_EQ(inside2->connect("out", feeder, "in"), -1);

    // Two levels down.
    NodeGraph* deeper = sub->addSubGraph(-1);
    auto* deep = (new TestNode)->withIo();
    deeper->addNode(deep, -1);
    EXPECT_EQ(outside->connect("out", deep, "in"), -1);

    // Links across a graph's border that close no cycle stay possible.
    TestNode* spare = node();
    EXPECT_EQ(spare->connect("out", deep, "in"), 0);
    EXPECT_EQ(deep->connect("out", feeder, "in"), 0);
    EXPECT_GE(graph.getLevel(true), 0);
    graph.update(); // levels and ordering stay finite
}
