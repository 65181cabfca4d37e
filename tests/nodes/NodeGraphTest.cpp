#include "TestNodes.h"

#include "nodes/GraphUtils.h"

#include <gtest/gtest.h>

using namespace KelNodes;
using Ev = NodeSubscriber::Event;

namespace {

TestNode* addTestNode(NodeGraph* graph, int uid = -1)
{
    auto* node = new TestNode;
    graph->addNode(node, uid);
    return node->withIo();
}

QList<TestNode*> chain(NodeGraph* graph, int length)
{
    QList<TestNode*> nodes{addTestNode(graph)};
    while (nodes.size() < length) {
        nodes.append(addTestNode(graph));
        EXPECT_EQ(nodes.at(nodes.size() - 2)->connect("out", nodes.last(), "in"), 0);
    }
    return nodes;
}

} // namespace

TEST(NodeGraphLevels, FollowTheLongestPathUpstream)
{
    TestGraph graph;
    const QList<TestNode*> n = chain(&graph, 4);
    ASSERT_EQ(n[0]->getTerminal("out")->connect(n[3]->add("in2", 4, 0)), 0);
    EXPECT_EQ(QList<int>({n[0]->getLevel(true), n[1]->getLevel(true), n[2]->getLevel(true), n[3]->getLevel(true)}),
              QList<int>({0, 1, 2, 3}));

    // Levels follow link changes.
    n[2]->disconnect(n[3]);
    EXPECT_EQ(n[3]->getLevel(true), 1);
    graph.sortNodes();
    for (int i = 1; i < graph.numNodes(); ++i)
        EXPECT_LE(graph.nodes().at(i - 1)->getLevel(true), graph.nodes().at(i)->getLevel(true));
    EXPECT_EQ(graph.nodes().first(), n[0]);
}

TEST(NodeGraphLevels, SubGraphsStandByWhatFeedsThem)
{
    TestGraph graph;
    const QList<TestNode*> outside = chain(&graph, 4);
    NodeGraph* sub = graph.addSubGraph(-1);
    const QList<TestNode*> inside = chain(sub, 2);
    ASSERT_EQ(outside[3]->connect("out", inside[0], "in"), 0);

    EXPECT_EQ(inside[0]->getLevel(false), 0); // its only input comes from outside
    EXPECT_EQ(inside[0]->getLevel(true), 4);
    EXPECT_EQ(inside[1]->getLevel(false), 1);
    EXPECT_EQ(sub->getLevel(true), 4);
    EXPECT_EQ(TestGraph().getLevel(true), 0); // no members

    graph.update();
    EXPECT_EQ(graph.nodes().last(), sub);
    // The graph lists its members' terminals that lead outside.
    EXPECT_EQ(sub->numTerminals(), 1);
    EXPECT_EQ(sub->terminal(0), inside[0]->getTerminal("in"));
    EXPECT_EQ(sub->terminal(1), nullptr);
}

TEST(NodeGraphUids, CounterBelongsToTheTopLevelGraph)
{
    TestGraph graph;
    NodeGraph* sub = graph.addSubGraph(-1);
    EXPECT_EQ(sub->uid(), 1);
    EXPECT_EQ(sub->getUid(), 2);
    EXPECT_EQ(graph.getUid(), 3);

    EXPECT_EQ(addTestNode(&graph, 7)->uid(), 7);
    EXPECT_EQ(addTestNode(&graph, 7)->uid(), 7); // taken as given
    EXPECT_EQ(graph.uidCounter(), 4);

    EXPECT_EQ(graph.addNode(QStringLiteral("no.such.type"), -1), nullptr);
    EXPECT_EQ(graph.uidCounter(), 5); // a uid was drawn anyway
    Node* byUuid = graph.addNode(OtherNode::m_descriptor.typeUuid.toString(), -1);
    ASSERT_NE(byUuid, nullptr);
    EXPECT_EQ(byUuid->descriptor(), &OtherNode::m_descriptor);
    EXPECT_NE(graph.addNode(QStringLiteral("test.node"), -1), nullptr);

    graph.unload();
    EXPECT_EQ(graph.numNodes(), 0);
    EXPECT_EQ(graph.getUid(), 1);
}

TEST(NodeGraphQueries, FindByUidTypeAndDepth)
{
    TestGraph graph;
    NodeGraph* sub = graph.addSubGraph(-1);
    TestNode* a = addTestNode(&graph);
    TestNode* inner = addTestNode(sub);
    Node* other = sub->addNode(new OtherNode, -1);
    ASSERT_EQ(graph.nodes(), (QList<Node*>{sub, a}));

    EXPECT_EQ(graph.findNode(0, false), &graph);
    EXPECT_EQ(graph.findNode(inner->uid(), false), nullptr);
    EXPECT_EQ(graph.findNode(inner->uid(), true), inner);
    EXPECT_EQ(graph.findFirstNode(OtherNode::m_descriptor.typeUuid, true), other);
    EXPECT_EQ(graph.findFirstNode(OtherNode::m_descriptor.typeUuid, false), nullptr);
    QList<Node*> found;
    EXPECT_EQ(graph.findNode(TestNode::m_descriptor.typeUuid.toString(), &found, true), 2);
    EXPECT_EQ(found, (QList<Node*>{inner, a}));
    EXPECT_FALSE(graph.containsNode(other, false));
    EXPECT_EQ(graph.availableNode(1), &OtherNode::m_descriptor);
    EXPECT_EQ(graph.availableNode(2), nullptr);
    EXPECT_EQ(graph.availableNode(-1), nullptr);

    TestGraph unrelated;
    EXPECT_EQ(inner->howDeepIn(&graph), 2);
    EXPECT_EQ(inner->howDeepIn(&unrelated), -1);
    EXPECT_EQ(inner->howDeepIn(nullptr), -1);
    EXPECT_EQ(inner->topLevelGraph(), &graph);

    NodeGraph::setNodesPath(QStringLiteral("/no/such/folder/anywhere"));
    EXPECT_TRUE(NodeGraph::m_nodes_path.isEmpty());
}

TEST(NodeGraphMembership, RemoveNodesKeepsStaticNodesAndTheirGraphs)
{
    TestGraph graph;
    TestNode* plain = addTestNode(&graph);
    NodeGraph* sub = graph.addSubGraph(-1);
    TestNode* keep = addTestNode(sub);
    keep->staticNode = true;
    addTestNode(sub);
    addTestNode(graph.addSubGraph(-1));
    Recorder rec;
    rec.subscribe(&graph);

    graph.removeNodes(false);
    EXPECT_EQ(graph.nodes(), QList<Node*>{sub});
    EXPECT_EQ(sub->nodes(), QList<Node*>{keep});
    EXPECT_EQ(rec.eventsOf(plain), (QList<Ev>{Ev::Removed, Ev::Destroyed}));
    graph.removeNodes(true);
    EXPECT_EQ(graph.numNodes(), 0);
}

TEST(NodeGraphMembership, AttachExpandCollapseAndTheirRefusals)
{
    TestGraph graph;
    TestNode* a = addTestNode(&graph);
    TestNode* b = addTestNode(&graph);
    ASSERT_EQ(a->connect("out", b, "in"), 0);
    NodeGraph* sub = graph.addSubGraph(-1);

    EXPECT_EQ(graph.attach(a, &graph), -1);
    EXPECT_EQ(graph.attach(sub, sub), -1);
    const int uid = a->uid();
    EXPECT_EQ(graph.attach(a, sub), 0);
    EXPECT_EQ(a->parentGraph(), sub);
    EXPECT_EQ(a->uid(), uid);
    EXPECT_TRUE(a->isConnectedTo(b)); // links are kept
    EXPECT_EQ(graph.attach(a, sub), -1); // no longer a member

    // A graph never moves into itself or below itself.
    NodeGraph* inner = sub->addSubGraph(-1);
    EXPECT_EQ(graph.attach(sub, inner), -1);
    EXPECT_EQ(sub->parentGraph(), &graph);
    EXPECT_EQ(sub->move(inner, true), -1);
    EXPECT_EQ(graph.addNode(&graph, -1), nullptr);
    EXPECT_EQ(inner->addNode(sub, -1), nullptr);

    // x depends on the sub-graph; inside it the sub-graph would depend on x.
    TestNode* x = addTestNode(&graph);
    Terminal* subOut = new Terminal(sub, "gout", 0, 5);
    sub->addTerminal(subOut);
    ASSERT_EQ(subOut->connect(x->getTerminal("in")), 0);
    EXPECT_EQ(graph.attach(x, sub), -1);
    EXPECT_EQ(x->move(sub, true), -1);
    EXPECT_EQ(x->parentGraph(), &graph);

    TestGraph stranger;
    EXPECT_EQ(graph.expand(static_cast<NodeGraph*>(&stranger)), -1);
    const int before = graph.totalNumNodes();
    EXPECT_EQ(graph.collapse(&stranger, -1), nullptr);
    EXPECT_EQ(graph.totalNumNodes(), before);

    NodeGraph* wrapped = graph.collapse(b, -1);
    ASSERT_NE(wrapped, nullptr);
    EXPECT_EQ(b->parentGraph(), wrapped);
    EXPECT_TRUE(a->isConnectedTo(b));

    EXPECT_EQ(graph.expand(sub), 0);
    EXPECT_EQ(a->parentGraph(), &graph);
    EXPECT_EQ(inner->parentGraph(), &graph);
    EXPECT_EQ(a->uid(), uid);
}

TEST(NodeGraphMembership, NodeDeletedBehindTheGraphsBackLeavesIt)
{
    TestGraph graph;
    TestNode* a = addTestNode(&graph);
    TestNode* b = addTestNode(&graph);
    NodeGraph* sub = graph.addSubGraph(-1);
    ASSERT_EQ(b->connect("out", addTestNode(sub), "in"), 0);
    EXPECT_EQ(sub->numTerminals(), 1);
    delete b;
    EXPECT_EQ(graph.nodes(), (QList<Node*>{a, sub}));
    EXPECT_EQ(sub->numTerminals(), 0);
    graph.update();
}

TEST(NodeEvents, GraphsRelayMembersEventsAndMovesReportParentSet)
{
    TestGraph graph;
    NodeGraph* sub = graph.addSubGraph(-1);
    Recorder rec;
    rec.subscribe(&graph);
    const QList<TestNode*> n = chain(sub, 2);
    EXPECT_EQ(rec.eventsOf(n[0]), (QList<Ev>{Ev::Added, Ev::Connected}));
    EXPECT_EQ(rec.eventsOf(n[1]), (QList<Ev>{Ev::Added, Ev::Connected}));

    // Subscribing twice doubles every event; one unsubscribe ends both.
    Recorder direct;
    direct.subscribe(n[0]);
    direct.subscribe(n[0]);
    n[0]->disconnect(n[1]);
    EXPECT_EQ(direct.eventsOf(n[0]), (QList<Ev>{Ev::Disconnected, Ev::Disconnected}));
    direct.unsubscribe(n[0]);
    ASSERT_EQ(n[0]->connect("out", n[1], "in"), 0);
    EXPECT_EQ(direct.events.size(), 2);

    // attach takes the node out first, so only a move that keeps the parent reports it.
    Recorder own;
    own.subscribe(n[0]);
    EXPECT_EQ(graph.expand(sub), 0);
    EXPECT_EQ(own.eventsOf(n[0]), QList<Ev>{Ev::ParentSet});
    EXPECT_EQ(graph.attach(n[0], graph.addSubGraph(-1)), 0);
    EXPECT_EQ(n[0]->move(&graph, true), 0);
    EXPECT_EQ(own.events.size(), 1);
    EXPECT_EQ(n[0]->parentGraph(), &graph);
}

TEST(NodeEvents, SubscriptionsSurviveDeathsAndChangesDuringDelivery)
{
    auto* node = new TestNode;
    auto* early = new Recorder;
    Recorder late;
    early->subscribe(node);
    late.subscribe(node);
    delete early;
    EXPECT_EQ(node->subscribers().size(), 1);
    delete node;
    EXPECT_EQ(late.eventsOf(node), QList<Ev>{Ev::Destroyed});
    EXPECT_TRUE(late.publishers().isEmpty());

    struct Dropper : KelNodes::NodeSubscriber
    {
        Recorder* victim = nullptr;
        void notify(Node* watched, Event) override { victim->unsubscribe(watched); }
    };
    TestNode watched;
    Recorder victim;
    Dropper dropper;
    dropper.victim = &victim;
    dropper.subscribe(&watched);
    victim.subscribe(&watched);
    watched.sendNotification(Ev::SetUp);
    EXPECT_TRUE(victim.events.isEmpty());
}

TEST(NodeGraphUtils, ConnectDeleteInFrontAndUpstreamSearch)
{
    TestGraph graph;
    auto* a = new TestNode;
    graph.addNode(a, -1);
    a->add("out", 0, 4);
    TestNode* b = addTestNode(&graph);
    TestNode* c = addTestNode(&graph);
    ASSERT_EQ(GraphUtils::connectNodes(a, b, false), 0);
    EXPECT_EQ(GraphUtils::connectNodes(a, c, false), -1); // occupied unless forced
    EXPECT_EQ(GraphUtils::connectNodes(a, c, true), 0);
    EXPECT_FALSE(a->isConnectedTo(b));
    EXPECT_TRUE(a->isConnectedTo(c));

    // feeder -> other -> target, shared -> target and b: shared is kept.
    TestNode* feeder = addTestNode(&graph);
    auto* other = new OtherNode;
    graph.addNode(other, -1);
    other->withIo();
    TestNode* shared = addTestNode(&graph);
    TestNode* target = addTestNode(&graph);
    target->add("in2", 4, 0);
    ASSERT_EQ(feeder->connect("out", other, "in"), 0);
    ASSERT_EQ(other->connect("out", target, "in"), 0);
    ASSERT_EQ(shared->connect("out", target, "in2"), 0);
    ASSERT_EQ(shared->connect("out", b, "in"), 0);
    EXPECT_EQ(target->getNearestNode(QStringLiteral("test.other")), QList<Node*>{other});
    EXPECT_EQ(target->getNearestNode(TestNode::m_descriptor.typeUuid.toString()), (QList<Node*>{feeder, shared}));
    EXPECT_EQ(other->getNearestNode(4), QList<Node*>{feeder});
    EXPECT_EQ(target->getSubTree(), (QList<Node*>{other, feeder}));
    EXPECT_EQ(GraphUtils::deleteNodeInFrontOf(target, true), 0);
    EXPECT_EQ(graph.nodes(), (QList<Node*>{a, b, c, shared, target}));
}

// --- keyframes across a graph ----------------------------------------------------------------

namespace {

float amountAt(TestNode* node, int frame)
{
    node->amount->setCurrentFrame(frame);
    return node->amount->value();
}

} // namespace

TEST(NodeGraphKeyframes, GraphKeysReachEveryMemberThatCanTakeOne)
{
    TestGraph graph;
    TestNode* a = addTestNode(&graph);
    TestNode* b = addTestNode(&graph);
    NodeGraphParameterContainer* keys = graph.paramContainer();
    EXPECT_EQ(keys->setKeyframeAt(keys->numFrames()), -1);
    EXPECT_EQ(keys->setKeyframeAt(-1), -1);

    const float six = 6.f;
    ASSERT_EQ(a->amount->setKeyframeAt(5, &six), 0);
    EXPECT_EQ(keys->setKeyframeAt(5), 0);
    // The amount already had a key there; the count after it still gets one.
    EXPECT_EQ(a->count->keyframes(), QList<int>{5});
    EXPECT_EQ(amountAt(a, 5), 6.f);
    EXPECT_EQ(b->amount->keyframes(), QList<int>{5});
    EXPECT_EQ(b->count->keyframes(), QList<int>{5});

    EXPECT_EQ(keys->setKeyframeAt(9), 0);
    EXPECT_EQ(keys->setKeyframeAt(2), 0);
    EXPECT_EQ(keys->keyframes(), (QList<int>{2, 5, 9}));
    EXPECT_EQ(keys->setKeyframeAt(5), -1);
    EXPECT_EQ(keys->deleteKeyframe(7), -1);
    EXPECT_EQ(keys->deleteKeyframe(5), 0);
    EXPECT_FALSE(keys->isKeyframe(5));

    TestNode* c = addTestNode(&graph);
    const float one = 1.f;
    const float three = 3.f;
    ASSERT_EQ(c->amount->setKeyframeAt(0, &one), 0);
    ASSERT_EQ(c->amount->setKeyframeAt(10, &three), 0);
    EXPECT_EQ(keys->setCurrentFrame(5), 0);
    EXPECT_EQ(c->paramContainer()->currentFrame(), 5);
    EXPECT_EQ(c->amount->value(), 2.f);
}

TEST(NodeGraphKeyframes, MovingAKeyCarriesEveryMembersValues)
{
    TestGraph graph;
    TestNode* a = addTestNode(&graph);
    TestNode* b = addTestNode(&graph);
    NodeGraph* sub = graph.addSubGraph(-1);
    TestNode* inner = addTestNode(sub);
    const int fortyTwo = 42;
    const float three = 3.f;
    const float nine = 9.f;
    ASSERT_EQ(a->count->setKeyframeAt(10, &fortyTwo), 0); // a's amount has no key to move
    ASSERT_EQ(b->amount->setKeyframeAt(10, &three), 0);
    ASSERT_EQ(b->amount->setKeyframeAt(30, &nine), 0);
    ASSERT_EQ(inner->amount->setKeyframeAt(10, &three), 0);
    NodeGraphParameterContainer* keys = graph.paramContainer();
    ASSERT_TRUE(keys->addGraphKeyframe(10));
    ASSERT_TRUE(sub->paramContainer()->addGraphKeyframe(10));

    EXPECT_EQ(keys->moveKeyframe(10, 20), 0);
    EXPECT_EQ(keys->keyframes(), QList<int>{20});
    EXPECT_EQ(a->count->keyframes(), QList<int>{20});
    a->count->setCurrentFrame(20);
    EXPECT_EQ(a->count->value(), 42);
    EXPECT_EQ(b->amount->keyframes(), (QList<int>{20, 30}));
    EXPECT_EQ(amountAt(b, 20), 3.f);
    EXPECT_EQ(amountAt(b, 30), 9.f);
    EXPECT_EQ(inner->amount->keyframes(), QList<int>{20});
    EXPECT_EQ(sub->paramContainer()->keyframes(), QList<int>{20});

    // Refused moves change nothing, in the list or in any member.
    EXPECT_EQ(keys->moveKeyframe(20, 200), -1);
    EXPECT_EQ(keys->moveKeyframe(20, 20), -1);
    EXPECT_EQ(keys->moveKeyframe(15, 30), -1);
    ASSERT_TRUE(keys->addGraphKeyframe(50));
    EXPECT_EQ(keys->moveKeyframe(20, 50), -1);
    EXPECT_EQ(keys->keyframes(), (QList<int>{20, 50}));
    EXPECT_EQ(b->amount->keyframes(), (QList<int>{20, 30}));
    EXPECT_EQ(a->count->keyframes(), QList<int>{20});
}
