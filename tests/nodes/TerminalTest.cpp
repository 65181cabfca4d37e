#include "TestNodes.h"

#include <gtest/gtest.h>

#include <memory>

using namespace KelNodes;
using Ev = NodeSubscriber::Event;

namespace {

struct TerminalFixture : ::testing::Test
{
    TestGraph graph;
    Recorder rec;

    TestNode* node()
    {
        auto* node = new TestNode;
        graph.addNode(node, -1);
        return node;
    }
    void SetUp() override { rec.subscribe(&graph); }
};

} // namespace

TEST_F(TerminalFixture, MultiLinkOutputKeepsEveryLinkAndSingleLinkDropsTheOldOne)
{
    TestNode* src = node();
    TestNode* a = node();
    TestNode* b = node();
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
}

TEST_F(TerminalFixture, SingleInputReplacesItsLink)
{
    TestNode* x = node()->withIo();
    TestNode* y = node()->withIo();
    TestNode* z = node()->withIo();
    ASSERT_EQ(x->getTerminal("out")->connect(z->getTerminal("in")), 0);
    ASSERT_EQ(y->getTerminal("out")->connect(z->getTerminal("in")), 0);
    EXPECT_EQ(z->getTerminal("in")->numConnections(), 1);
    EXPECT_EQ(z->getTerminal("in")->connectedToHost(0), y);
    EXPECT_FALSE(x->isConnectedTo(z));
}

TEST_F(TerminalFixture, RefusedLinksChangeNothing)
{
    TestNode* a = node();
    TestNode* b = node();
    Terminal* out1 = a->add("out1", 0, 3);
    Terminal* in4 = b->add("in4", 4, 0);
    Terminal* in2 = b->add("in2", 2, 0);

    EXPECT_EQ(out1->connect(in4), -1); // no common kind
    EXPECT_EQ(out1->connect(nullptr), -1);
    EXPECT_EQ(out1->connect(out1), -1);
    EXPECT_EQ(out1->connect(b, "nothing"), -1);
    EXPECT_EQ(a->connect("nothing", b, "in2"), -1);

    ASSERT_EQ(out1->connect(in2), 0);
    rec.events.clear();
    EXPECT_EQ(in2->connect(out1), -1); // the same pair again
    EXPECT_EQ(out1->numConnections(), 1);
    EXPECT_TRUE(rec.events.isEmpty());

    TestNode* c = node();
    Terminal* in2c = c->add("in", 2, 0);
    c->refuseConnect = true;
    EXPECT_EQ(out1->connect(in2c), -1);
    EXPECT_EQ(in2c->numConnections(), 0);
    EXPECT_EQ(rec.count(Ev::Connected), 0);
}

TEST_F(TerminalFixture, ConnectByNameAsksTheNamedTerminal)
{
    TestNode* a = node()->withIo();
    TestNode* b = node()->withIo();
    EXPECT_EQ(a->connect("out", b, "in"), 0);
    EXPECT_TRUE(a->isConnectedTo(b));
    EXPECT_TRUE(b->isConnectedTo(a));
    EXPECT_EQ(b->getSubNodes(false), QList<Node*>{a});
}

TEST_F(TerminalFixture, UnknownKindBitsArePassedThrough)
{
    TestNode* curve = node();
    TestNode* user = node();
    Terminal* out = curve->add("curve", 0, 8 | 1);
    Terminal* in = user->add("curve", 8, 0);
    EXPECT_EQ(out->connect(in), 0);
    EXPECT_EQ(out->outputMask(), 9u);
    EXPECT_EQ(in->inputMask(), 8u);
    EXPECT_TRUE(out->allowsManyLinks());
}

TEST_F(TerminalFixture, IndexesOutOfRangeGiveNull)
{
    TestNode* a = node()->withIo();
    EXPECT_EQ(a->terminal(-1), nullptr);
    EXPECT_EQ(a->terminal(2), nullptr);
    EXPECT_EQ(a->terminal(0)->connectedTo(0), nullptr);
    EXPECT_EQ(a->terminal(0)->connectedToHost(-1), nullptr);
    EXPECT_EQ(a->getTerminal("missing"), nullptr);
    EXPECT_EQ(a->addTerminal(nullptr), -1);
    EXPECT_EQ(a->removeTerminal("missing"), -1);
}

TEST_F(TerminalFixture, NodeConnectTriesOnlyTheFirstOutput)
{
    TestNode* a = node();
    TestNode* b = node();
    a->add("colourOut", 0, 5);
    a->add("channelOut", 0, 3);
    b->add("channelIn", 2, 0);
    b->add("colourIn", 4, 0);
    EXPECT_EQ(a->connect(b), 0);
    EXPECT_EQ(b->getTerminal("colourIn")->numConnections(), 1);
    EXPECT_EQ(b->getTerminal("channelIn")->numConnections(), 0);

    TestNode* c = node();
    c->add("channelIn", 2, 0);
    EXPECT_EQ(a->connect(c), -1); // the channel output is never tried
    EXPECT_EQ(a->connect(nullptr), -1);
}

TEST_F(TerminalFixture, DisconnectNodeDropsEveryLinkBothWays)
{
    TestNode* a = node();
    TestNode* b = node();
    a->add("out", 0, 5);
    a->add("in", 4, 0);
    b->add("in1", 4, 0);
    b->add("in2", 4, 0);
    b->add("back", 0, 5);
    ASSERT_EQ(a->connect("out", b, "in1"), 0);
    ASSERT_EQ(a->connect("out", b, "in2"), 0);
    EXPECT_EQ(a->disconnect(b), 0);
    EXPECT_FALSE(a->isConnectedTo(b));
    EXPECT_FALSE(b->isConnectedTo(a));
    EXPECT_EQ(a->disconnect(b), -1);
}

TEST_F(TerminalFixture, DyingNodeReportsEachLinkThenItsEnd)
{
    TestNode* a = node()->withIo();
    TestNode* b = node()->withIo();
    TestNode* c = node()->withIo();
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
    TestNode* a = node()->withIo();
    TestNode* b = node()->withIo();
    TestNode* c = node()->withIo();
    TestNode* d = node()->withIo();
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

TEST_F(TerminalFixture, TwoWayTerminalsCannotLinkEachOther)
{
    TestNode* a = node();
    TestNode* b = node();
    Terminal* ta = a->add("io", 4, 5);
    Terminal* tb = b->add("io", 4, 5);
    EXPECT_EQ(ta->connect(tb), -1);
}

TEST_F(TerminalFixture, CyclesThroughASubGraphAreRefused)
{
    // A graph's output comes from its members.
    NodeGraph* sub = graph.addSubGraph(-1);
    auto* inside = (new TestNode)->withIo();
    sub->addNode(inside, -1);
    TestNode* outside = node()->withIo();
    Terminal* subOut = new Terminal(sub, "gout", 0, 5);
    sub->addTerminal(subOut);
    ASSERT_EQ(subOut->connect(outside->getTerminal("in")), 0);
    EXPECT_EQ(outside->connect("out", inside, "in"), -1);

    // What feeds a graph's own input feeds its members.
    NodeGraph* sub2 = graph.addSubGraph(-1);
    auto* inside2 = (new TestNode)->withIo();
    sub2->addNode(inside2, -1);
    TestNode* feeder = node()->withIo();
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
    TestNode* spare = node()->withIo();
    EXPECT_EQ(spare->connect("out", deep, "in"), 0);
    EXPECT_EQ(deep->connect("out", feeder, "in"), 0);
    EXPECT_GE(graph.getLevel(true), 0);
    graph.update(); // levels and ordering stay finite
}
