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

} // namespace

TEST(NodeGraphLevels, FollowTheLongestPathUpstream)
{
    TestGraph graph;
    TestNode* a = addTestNode(&graph);
    TestNode* b = addTestNode(&graph);
    TestNode* c = addTestNode(&graph);
    TestNode* d = addTestNode(&graph);
    Terminal* in2 = d->add("in2", 4, 0);
    ASSERT_EQ(a->connect("out", b, "in"), 0);
    ASSERT_EQ(b->connect("out", c, "in"), 0);
    ASSERT_EQ(c->connect("out", d, "in"), 0);
    ASSERT_EQ(a->getTerminal("out")->connect(in2), 0);
    EXPECT_EQ(a->getLevel(true), 0);
    EXPECT_EQ(b->getLevel(true), 1);
    EXPECT_EQ(c->getLevel(true), 2);
    EXPECT_EQ(d->getLevel(true), 3);

    // Levels follow link changes.
    c->disconnect(d);
    EXPECT_EQ(d->getLevel(true), 1);

    graph.sortNodes();
    for (int i = 1; i < graph.numNodes(); ++i)
        EXPECT_LE(graph.nodes().at(i - 1)->getLevel(true), graph.nodes().at(i)->getLevel(true));
    EXPECT_EQ(graph.nodes().first(), a);
}

TEST(NodeGraphLevels, SubGraphsStandByWhatFeedsThem)
{
    TestGraph graph;
    QList<TestNode*> chain;
    for (int i = 0; i < 4; ++i)
        chain.append(addTestNode(&graph));
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(chain[i]->connect("out", chain[i + 1], "in"), 0);
    NodeGraph* sub = graph.addSubGraph(-1);
    TestNode* inner = addTestNode(sub);
    TestNode* inner2 = addTestNode(sub);
    ASSERT_EQ(inner->connect("out", inner2, "in"), 0);
    ASSERT_EQ(chain[3]->connect("out", inner, "in"), 0);

    EXPECT_EQ(inner->getLevel(false), 0); // its only input comes from outside
    EXPECT_EQ(inner->getLevel(true), 4);
    EXPECT_EQ(inner2->getLevel(false), 1);
    EXPECT_EQ(sub->getLevel(true), 4);
    EXPECT_EQ(TestGraph().getLevel(true), 0); // no members

    graph.update();
    EXPECT_EQ(graph.nodes().last(), sub);
    // The graph lists its members' terminals that lead outside.
    EXPECT_EQ(sub->numTerminals(), 1);
    EXPECT_EQ(sub->terminal(0), inner->getTerminal("in"));
    EXPECT_EQ(sub->terminal(1), nullptr);
}

TEST(NodeGraphNesting, HowDeepIn)
{
    TestGraph graph;
    NodeGraph* sub = graph.addSubGraph(-1);
    TestNode* node = addTestNode(sub);
    TestGraph unrelated;
    EXPECT_EQ(node->howDeepIn(sub), 1);
    EXPECT_EQ(node->howDeepIn(&graph), 2);
    EXPECT_EQ(node->howDeepIn(&unrelated), -1);
    EXPECT_EQ(node->howDeepIn(nullptr), -1);
    EXPECT_EQ(sub->howDeepIn(sub), 0);
    EXPECT_TRUE(node->isInsideOf(&graph));
    EXPECT_EQ(node->topLevelGraph(), &graph);
    EXPECT_EQ(sub->topLevelGraph(), &graph);
    EXPECT_EQ(TestNode().topLevelGraph(), nullptr);
}

TEST(NodeGraphUids, CounterBelongsToTheTopLevelGraph)
{
    TestGraph graph;
    NodeGraph* sub = graph.addSubGraph(-1);
    EXPECT_EQ(sub->uid(), 1);
    EXPECT_EQ(sub->getUid(), 2);
    EXPECT_EQ(graph.getUid(), 3);

    TestNode* seven = addTestNode(&graph, 7);
    TestNode* again = addTestNode(&graph, 7);
    EXPECT_EQ(seven->uid(), 7);
    EXPECT_EQ(again->uid(), 7); // taken as given
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

TEST(NodeGraphQueries, FindByUidAndType)
{
    TestGraph graph;
    NodeGraph* sub = graph.addSubGraph(-1);
    TestNode* a = addTestNode(&graph);
    TestNode* inner = addTestNode(sub);
    Node* other = sub->addNode(new OtherNode, -1);
    // Member order: sub, a.
    ASSERT_EQ(graph.nodes(), (QList<Node*>{sub, a}));

    EXPECT_EQ(graph.findNode(0, false), &graph);
    EXPECT_EQ(sub->findNode(0, false), nullptr);
    EXPECT_EQ(graph.findNode(inner->uid(), false), nullptr);
    EXPECT_EQ(graph.findNode(inner->uid(), true), inner);

    Node* out1 = nullptr;
    Node* out2 = nullptr;
    EXPECT_FALSE(graph.findNodes(a->uid(), a->uid(), &out1, &out2, true));
    EXPECT_EQ(out1, a);
    EXPECT_EQ(out2, nullptr);
    out1 = nullptr;
    EXPECT_TRUE(graph.findNodes(a->uid(), inner->uid(), &out1, &out2, true));
    EXPECT_EQ(out2, inner);

    EXPECT_EQ(graph.findFirstNode(OtherNode::m_descriptor.typeUuid, true), other);
    EXPECT_EQ(graph.findFirstNode(OtherNode::m_descriptor.typeUuid, false), nullptr);
    QList<Node*> found;
    EXPECT_EQ(graph.findNode(TestNode::m_descriptor.typeUuid.toString(), &found, true), 2);
    EXPECT_EQ(found, (QList<Node*>{inner, a}));
    EXPECT_EQ(graph.totalNumNodes(), 4);
    EXPECT_TRUE(graph.containsNode(other, true));
    EXPECT_FALSE(graph.containsNode(other, false));
    EXPECT_EQ(graph.availableNode(1), &OtherNode::m_descriptor);
    EXPECT_EQ(graph.availableNode(2), nullptr);
    EXPECT_EQ(graph.availableNode(-1), nullptr);
}

TEST(NodeGraphMembership, RemoveNodesKeepsStaticNodesAndTheirGraphs)
{
    TestGraph graph;
    TestNode* plain = addTestNode(&graph);
    NodeGraph* sub = graph.addSubGraph(-1);
    TestNode* keep = addTestNode(sub);
    keep->staticNode = true;
    addTestNode(sub);
    NodeGraph* empty = graph.addSubGraph(-1);
    addTestNode(empty);
    Recorder rec;
    rec.subscribe(&graph);

    graph.removeNodes(false);
    EXPECT_EQ(graph.nodes(), QList<Node*>{sub});
    EXPECT_EQ(sub->nodes(), QList<Node*>{keep});
    EXPECT_EQ(rec.eventsOf(plain), (QList<Ev>{Ev::Removed, Ev::Destroyed}));

    graph.removeNodes(true);
    EXPECT_EQ(graph.numNodes(), 0);
}

TEST(NodeGraphMembership, AttachExpandCollapse)
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

TEST(NodeGraphMembership, MoveThatWouldCloseACycleIsRefused)
{
    TestGraph graph;
    NodeGraph* sub = graph.addSubGraph(-1);
    TestNode* x = addTestNode(&graph);
    Terminal* subOut = new Terminal(sub, "gout", 0, 5);
    sub->addTerminal(subOut);
    ASSERT_EQ(subOut->connect(x->getTerminal("in")), 0);
    // x depends on the sub-graph; inside it the sub-graph would depend on x.
    EXPECT_EQ(graph.attach(x, sub), -1);
    EXPECT_EQ(x->move(sub, true), -1);
    EXPECT_EQ(x->parentGraph(), &graph);
}

TEST(NodeGraphMembership, NodeDeletedBehindTheGraphsBackLeavesIt)
{
    TestGraph graph;
    TestNode* a = addTestNode(&graph);
    TestNode* b = addTestNode(&graph);
    NodeGraph* sub = graph.addSubGraph(-1);
    TestNode* inner = addTestNode(sub);
    ASSERT_EQ(b->connect("out", inner, "in"), 0);
    EXPECT_EQ(sub->numTerminals(), 1);
    delete b;
    EXPECT_EQ(graph.nodes(), (QList<Node*>{a, sub}));
    EXPECT_EQ(sub->numTerminals(), 0);
    graph.update();
}

TEST(NodeEvents, GraphsRelayTheirMembersEvents)
{
    TestGraph graph;
    NodeGraph* sub = graph.addSubGraph(-1);
    Recorder rec;
    rec.subscribe(&graph);
    TestNode* a = addTestNode(sub);
    TestNode* b = addTestNode(sub);
    ASSERT_EQ(a->connect("out", b, "in"), 0);
    EXPECT_EQ(rec.eventsOf(a), (QList<Ev>{Ev::Added, Ev::Connected}));
    EXPECT_EQ(rec.eventsOf(b), (QList<Ev>{Ev::Added, Ev::Connected}));

    // Subscribing twice doubles every event; one unsubscribe ends both.
    Recorder direct;
    direct.subscribe(a);
    direct.subscribe(a);
    a->disconnect(b);
    EXPECT_EQ(direct.eventsOf(a), (QList<Ev>{Ev::Disconnected, Ev::Disconnected}));
    direct.unsubscribe(a);
    ASSERT_EQ(a->connect("out", b, "in"), 0);
    EXPECT_EQ(direct.events.size(), 2);
}

TEST(NodeEvents, ParentSetOnlyWhenTheNodeHadAParent)
{
    TestGraph graph;
    NodeGraph* sub = graph.addSubGraph(-1);
    TestNode* node = new TestNode;
    Recorder rec;
    rec.subscribe(node);
    sub->addNode(node, -1);
    EXPECT_TRUE(rec.events.isEmpty());
    // attach takes the node out first, so only a move that keeps the parent reports it.
    EXPECT_EQ(graph.expand(sub), 0);
    EXPECT_EQ(rec.eventsOf(node), QList<Ev>{Ev::ParentSet});
    EXPECT_EQ(node->parentGraph(), &graph);
    NodeGraph* other = graph.addSubGraph(-1);
    EXPECT_EQ(graph.attach(node, other), 0);
    EXPECT_EQ(node->move(&graph, true), 0);
    EXPECT_EQ(rec.events.size(), 1);
    EXPECT_EQ(node->parentGraph(), &graph);
}

TEST(NodeEvents, SubscriberAndPublisherMayDieInEitherOrder)
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
}

TEST(NodeEvents, HandlerMayUnsubscribeAnotherDuringDelivery)
{
    struct Dropper : KelNodes::NodeSubscriber
    {
        Recorder* victim = nullptr;
        Node* watched = nullptr;
        void notify(Node*, Event) override { victim->unsubscribe(watched); }
    };
    TestNode node;
    Dropper dropper;
    Recorder victim;
    dropper.victim = &victim;
    dropper.watched = &node;
    dropper.subscribe(&node);
    victim.subscribe(&node);
    node.sendNotification(Ev::SetUp);
    EXPECT_TRUE(victim.events.isEmpty());
}

TEST(NodeGraphUtils, ConnectNodesRespectsOccupiedTerminalsUnlessForced)
{
    TestGraph graph;
    auto* a = new TestNode;
    graph.addNode(a, -1);
    a->add("out", 0, 4);
    TestNode* b = addTestNode(&graph);
    TestNode* c = addTestNode(&graph);
    ASSERT_EQ(GraphUtils::connectNodes(a, b, false), 0);
    EXPECT_EQ(GraphUtils::connectNodes(a, c, false), -1);
    EXPECT_EQ(GraphUtils::connectNodes(a, c, true), 0);
    EXPECT_FALSE(a->isConnectedTo(b));
    EXPECT_TRUE(a->isConnectedTo(c));
}

TEST(NodeGraphUtils, DeleteNodeInFrontOfKeepsSharedNodes)
{
    TestGraph graph;
    TestNode* feeder = addTestNode(&graph);
    TestNode* direct = addTestNode(&graph);
    TestNode* shared = addTestNode(&graph);
    TestNode* target = addTestNode(&graph);
    TestNode* elsewhere = addTestNode(&graph);
    target->add("in2", 4, 0);
    ASSERT_EQ(feeder->connect("out", direct, "in"), 0);
    ASSERT_EQ(direct->connect("out", target, "in"), 0);
    ASSERT_EQ(shared->connect("out", target, "in2"), 0);
    ASSERT_EQ(shared->connect("out", elsewhere, "in"), 0);
    EXPECT_EQ(target->getSubTree(), (QList<Node*>{direct, feeder}));
    EXPECT_EQ(GraphUtils::deleteNodeInFrontOf(target, true), 0);
    EXPECT_EQ(graph.nodes(), (QList<Node*>{shared, target, elsewhere}));
}

TEST(NodeGraphUpstream, NearestNodesByTypeAndKind)
{
    TestGraph graph;
    TestNode* a = addTestNode(&graph);
    auto* other = new OtherNode;
    graph.addNode(other, -1);
    other->withIo();
    TestNode* c = addTestNode(&graph);
    ASSERT_EQ(a->connect("out", other, "in"), 0);
    ASSERT_EQ(other->connect("out", c, "in"), 0);
    EXPECT_EQ(c->getNearestNode(QStringLiteral("test.other")), QList<Node*>{other});
    EXPECT_EQ(c->getNearestNode(TestNode::m_descriptor.typeUuid.toString()), QList<Node*>{a});
    EXPECT_EQ(c->getNearestNode(4), QList<Node*>{other});
    EXPECT_EQ(c->getSubNodes(true), (QList<Node*>{other, a}));
}

TEST(NodeGraphPaths, NodesPathNeedsAnExistingFolder)
{
    NodeGraph::setNodesPath(QStringLiteral("/no/such/folder/anywhere"));
    EXPECT_TRUE(NodeGraph::m_nodes_path.isEmpty());
    NodeGraph::setNodesPath(QStringLiteral("/tmp"));
    EXPECT_EQ(NodeGraph::m_nodes_path, QStringLiteral("/tmp"));
    NodeGraph::setNodesPath(QString());
}

// --- keyframes across a graph ----------------------------------------------------------------

namespace {

float amountAt(TestNode* node, int frame)
{
    node->amount->setCurrentFrame(frame);
    return node->amount->value();
}

} // namespace

TEST(NodeGraphKeyframes, GraphListStaysSortedAndInsideTheFrames)
{
    TestGraph graph;
    NodeGraphParameterContainer* keys = graph.paramContainer();
    EXPECT_EQ(keys->setKeyframeAt(keys->numFrames()), -1);
    EXPECT_EQ(keys->setKeyframeAt(-1), -1);
    EXPECT_EQ(keys->setKeyframeAt(5), 0);
    EXPECT_EQ(keys->setKeyframeAt(2), 0);
    EXPECT_EQ(keys->setKeyframeAt(9), 0);
    EXPECT_EQ(keys->keyframes(), (QList<int>{2, 5, 9}));
    EXPECT_EQ(keys->setKeyframeAt(5), -1);
    EXPECT_EQ(keys->deleteKeyframe(7), -1);
    EXPECT_EQ(keys->deleteKeyframe(5), 0);
    EXPECT_TRUE(keys->isKeyframe(9));
    EXPECT_FALSE(keys->isKeyframe(5));
}

TEST(NodeGraphKeyframes, SettingAKeyReachesEveryParameterThatCanTakeOne)
{
    TestGraph graph;
    TestNode* a = addTestNode(&graph);
    TestNode* b = addTestNode(&graph);
    const float six = 6.f;
    ASSERT_EQ(a->amount->setKeyframeAt(5, &six), 0);
    EXPECT_EQ(graph.paramContainer()->setKeyframeAt(5), 0);
    // The amount already had a key there; the count after it still gets one.
    EXPECT_EQ(a->count->keyframes(), QList<int>{5});
    EXPECT_EQ(amountAt(a, 5), 6.f);
    EXPECT_EQ(b->amount->keyframes(), QList<int>{5});
    EXPECT_EQ(b->count->keyframes(), QList<int>{5});
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
    const float five = 5.f;
    ASSERT_EQ(a->count->setKeyframeAt(10, &fortyTwo), 0); // a's amount has no key to move
    ASSERT_EQ(b->amount->setKeyframeAt(10, &three), 0);
    ASSERT_EQ(b->amount->setKeyframeAt(30, &nine), 0);
    ASSERT_EQ(inner->amount->setKeyframeAt(10, &five), 0);
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

TEST(NodeGraphKeyframes, CurrentFrameReachesTheMembers)
{
    TestGraph graph;
    TestNode* a = addTestNode(&graph);
    const float one = 1.f;
    const float three = 3.f;
    ASSERT_EQ(a->amount->setKeyframeAt(0, &one), 0);
    ASSERT_EQ(a->amount->setKeyframeAt(10, &three), 0);
    EXPECT_EQ(graph.paramContainer()->setCurrentFrame(5), 0);
    EXPECT_EQ(a->paramContainer()->currentFrame(), 5);
    EXPECT_EQ(a->amount->value(), 2.f);
}

// --- a graph class that is also an effect-style node ------------------------------------------

namespace {

// Shaped like the effect engine's classes: a node base that derives virtually from Node, and a
// graph that derives from it and from NodeGraph.
class EffectStyleNode : public virtual KelNodes::Node
{
public:
    explicit EffectStyleNode(int uid)
        : Node(uid)
    {
    }
    int getPreview(QImage*) const override { return 0; }
};

class EffectStyleGraph : public EffectStyleNode, public KelNodes::NodeGraph
{
public:
    EffectStyleGraph()
        : Node(0)
        , EffectStyleNode(0)
        , NodeGraph(nullptr)
    {
    }
    static KelNodes::NodeDescriptor m_descriptor;
    static Node* create(int) { return new EffectStyleGraph; }
    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void fillTerminals() const override
    {
        // Own terminals, as a compound node has them.
        if (parentGraph() && numOwn() == 0)
            terminalListRef().append(new Terminal(const_cast<EffectStyleGraph*>(this), "rgbIn", 4, 0));
    }
    int numOwn() const
    {
        int n = 0;
        for (Terminal* t : terminalList())
            n += t->hostNode() == this ? 1 : 0;
        return n;
    }
};

KelNodes::NodeDescriptor EffectStyleGraph::m_descriptor{
    QStringLiteral("effect.graph"), QUuid(), QString(), QString(), &EffectStyleGraph::create};

} // namespace

TEST(NodeGraphDerived, EffectStyleGraphsKeepTheirOwnTerminals)
{
    EffectStyleGraph root;
    EXPECT_EQ(root.uid(), 0);
    EXPECT_EQ(root.name(), QStringLiteral("Graph"));
    EXPECT_EQ(root.getPreview(nullptr), 0);
    NodeGraph* sub = root.addSubGraph(-1);
    ASSERT_NE(sub, nullptr);
    ASSERT_NE(sub->getTerminal("rgbIn"), nullptr);
    TestNode* feeder = addTestNode(&root);
    ASSERT_EQ(feeder->connect("out", sub, "rgbIn"), 0);
    TestNode* inner = addTestNode(sub);
    // The compound node's input feeds its members: they cannot feed it back.
    EXPECT_EQ(inner->connect("out", feeder, "in"), -1);
    root.update();
    EXPECT_EQ(sub->getLevel(true), 1); // after what feeds its own input
    EXPECT_EQ(root.nodes().last(), sub);
    EXPECT_EQ(sub->getTerminal("rgbIn")->numConnections(), 1);
}
