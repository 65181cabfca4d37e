// Links made in one batch: the links that close a cycle are refused, the rest are made as one
// by one, and the check of all of them costs one pass over what they reach.

#include "TestNodes.h"

#include "nodes/LinkBatch.h"
#include "nodes/NodeDependencies.h"

#include <gtest/gtest.h>

#include <random>

using namespace KelNodes;

namespace {

struct Chain
{
    TestGraph graph;
    QList<TestNode*> nodes;

    explicit Chain(int length)
    {
        for (int i = 0; i < length; ++i) {
            auto* node = (new TestNode)->withIo();
            graph.addNode(node, -1);
            nodes.append(node);
        }
    }
    void addChainLinks(LinkBatch& batch) const
    {
        for (int i = 0; i + 1 < nodes.size(); ++i)
            batch.add(nodes.at(i + 1), QStringLiteral("in"), nodes.at(i), QStringLiteral("out"));
    }
    void addClosingLink(LinkBatch& batch) const
    {
        batch.add(nodes.first(), QStringLiteral("in"), nodes.last(), QStringLiteral("out"));
    }
    Node* feederOf(int i) const { return nodes.at(i)->getTerminal(QStringLiteral("in"))->connectedToHost(0); }
};

// Whether any node of the tree depends on itself: some node it depends on directly depends on it.
bool hasCycle(NodeGraph const* graph)
{
    for (Node const* node : graph->nodes()) {
        QList<Node const*> direct;
        for (Node const* holder : {node, static_cast<Node const*>(node->parentGraph())}) {
            if (!holder)
                continue;
            for (Terminal const* terminal : holder->terminalList()) {
                if (terminal->hostNode() != holder || !terminal->isInput())
                    continue;
                for (Terminal const* peer : terminal->connections())
                    direct.append(peer->hostNode());
            }
        }
        if (NodeGraph const* sub = node->toNodeGraph()) {
            for (Node const* member : sub->nodes())
                direct.append(member);
            if (hasCycle(sub))
                return true;
        }
        for (Node const* upstream : std::as_const(direct)) {
            if (upstream == node || NodeDependencies::dependsOn(upstream, node))
                return true;
        }
    }
    return false;
}

} // namespace

TEST(LinkBatch, OfTheLinksOnACycleTheLastIsRefusedAndTheOthersMade)
{
    // The closing link last: it alone is refused.
    {
        Chain chain(6);
        LinkBatch batch;
        chain.addChainLinks(batch);
        chain.addClosingLink(batch);
        EXPECT_EQ(batch.connectAll(), 5);
        EXPECT_EQ(chain.feederOf(0), nullptr);
        for (int i = 1; i < 6; ++i)
            EXPECT_EQ(chain.feederOf(i), chain.nodes.at(i - 1)) << i;
    }
    // The closing link first: the chain's last link closes the cycle.
    {
        Chain chain(6);
        LinkBatch batch;
        chain.addClosingLink(batch);
        chain.addChainLinks(batch);
        EXPECT_EQ(batch.connectAll(), 5);
        EXPECT_EQ(chain.feederOf(0), chain.nodes.last());
        for (int i = 1; i < 5; ++i)
            EXPECT_EQ(chain.feederOf(i), chain.nodes.at(i - 1)) << i;
        EXPECT_EQ(chain.feederOf(5), nullptr);
    }
    // A graph's input fed by its own member, and a node with itself.
    {
        TestGraph graph;
        NodeGraph* sub = graph.addSubGraph(-1);
        auto* member = (new TestNode)->withIo();
        sub->addNode(member, -1);
        sub->addTerminal(new Terminal(sub, QStringLiteral("gin"), 4, 0));
        auto* other = (new TestNode)->withIo();
        graph.addNode(other, -1);
        LinkBatch batch;
        batch.add(sub, QStringLiteral("gin"), member, QStringLiteral("out"));
        batch.add(other, QStringLiteral("in"), other, QStringLiteral("out"));
        batch.add(member, QStringLiteral("in"), other, QStringLiteral("out"));
        EXPECT_EQ(batch.connectAll(), 1);
        EXPECT_EQ(member->getTerminal(QStringLiteral("in"))->connectedToHost(0), other);
    }
}

TEST(LinkBatch, ALinkClosingACycleCostsOnePassNotAWalkForEveryLink)
{
    const int lengths[] = {25, 400};
    quint64 visits[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        Chain chain(lengths[i]);
        LinkBatch batch;
        chain.addChainLinks(batch);
        chain.addClosingLink(batch);
        const quint64 before = NodeDependencies::visitCount();
        EXPECT_EQ(batch.connectAll(), lengths[i] - 1);
        visits[i] = NodeDependencies::visitCount() - before;
        EXPECT_EQ(chain.feederOf(0), nullptr);
    }
    // 16 times the links may cost at most 20 times the walking.
    EXPECT_LE(visits[1], 20 * visits[0]) << visits[0] << " " << visits[1];
}

// Hundreds of links that each close the same long cycle again: no single pass may go round it
// for each of them. What the pass cannot vouch for in proportion to its size is refused.
TEST(LinkBatch, ManyLinksClosingOneLongCycleStillCostInProportion)
{
    const int lengths[] = {25, 400};
    // Closed by the links themselves: a chain, then links from its end to its start.
    quint64 visits[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        Chain chain(lengths[i]);
        LinkBatch batch;
        chain.addChainLinks(batch);
        for (int k = 0; k < lengths[i]; ++k)
            chain.addClosingLink(batch);
        const quint64 before = NodeDependencies::visitCount();
        batch.connectAll();
        visits[i] = NodeDependencies::visitCount() - before;
        EXPECT_FALSE(hasCycle(&chain.graph)) << lengths[i];
    }
    EXPECT_LE(visits[1], 20 * visits[0]) << visits[0] << " " << visits[1];

    // Closed by a link already there: a graph of chained members feeds a node that feeds its
    // first member, and the graph is linked to that node again and again.
    for (int i = 0; i < 2; ++i) {
        TestGraph graph;
        NodeGraph* sub = graph.addSubGraph(-1);
        sub->addTerminal(new Terminal(sub, QStringLiteral("out"), 0, 5));
        QList<TestNode*> members;
        for (int k = 0; k < lengths[i]; ++k) {
            members.append((new TestNode)->withIo());
            sub->addNode(members.last(), -1);
            if (k > 0)
                ASSERT_EQ(members.last()->connect(QStringLiteral("in"), members.at(k - 1), QStringLiteral("out")), 0);
        }
        auto* feeder = (new TestNode)->withIo();
        graph.addNode(feeder, -1);
        LinkBatch batch;
        batch.add(members.first(), QStringLiteral("in"), feeder, QStringLiteral("out"));
        for (int k = 0; k < lengths[i]; ++k)
            batch.add(feeder, QStringLiteral("in"), sub, QStringLiteral("out"));
        const quint64 before = NodeDependencies::visitCount();
        batch.connectAll();
        visits[i] = NodeDependencies::visitCount() - before;
        EXPECT_FALSE(hasCycle(&graph)) << lengths[i];
    }
    EXPECT_LE(visits[1], 20 * visits[0]) << visits[0] << " " << visits[1];
}

// Random links among nodes, a graph with an input of its own and its members, and a nested
// graph: whatever the batch makes, no node depends on itself after it.
TEST(LinkBatch, NoBatchLeavesACycle)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 300; ++round) {
        TestGraph graph;
        QList<Node*> nodes;
        for (int i = 0; i < 6; ++i) {
            auto* node = (new TestNode)->withIo();
            node->add(QStringLiteral("in2"), 4, 0);
            graph.addNode(node, -1);
            nodes.append(node);
        }
        NodeGraph* sub = graph.addSubGraph(-1);
        sub->addTerminal(new Terminal(sub, QStringLiteral("in"), 4, 0));
        sub->addTerminal(new Terminal(sub, QStringLiteral("out"), 0, 5));
        nodes.append(sub);
        NodeGraph* deeper = sub->addSubGraph(-1);
        deeper->addTerminal(new Terminal(deeper, QStringLiteral("in"), 4, 0));
        deeper->addTerminal(new Terminal(deeper, QStringLiteral("out"), 0, 5));
        nodes.append(deeper);
        for (int i = 0; i < 3; ++i) {
            auto* member = (new TestNode)->withIo();
            (i == 2 ? deeper : sub)->addNode(member, -1);
            nodes.append(member);
        }
        // Some links already there.
        for (int i = 0; i < 3; ++i) {
            Node* a = nodes.at(random() % nodes.size());
            Node* b = nodes.at(random() % nodes.size());
            a->getTerminal(QStringLiteral("in"))->connect(b->getTerminal(QStringLiteral("out")));
        }
        ASSERT_FALSE(hasCycle(&graph));
        LinkBatch batch;
        const int links = 4 + int(random() % 24);
        for (int i = 0; i < links; ++i) {
            Node* a = nodes.at(random() % nodes.size());
            Node* b = nodes.at(random() % nodes.size());
            const bool second = random() % 3 == 0 && a->getTerminal(QStringLiteral("in2"));
            batch.add(a, second ? QStringLiteral("in2") : QStringLiteral("in"), b, QStringLiteral("out"));
        }
        batch.connectAll();
        ASSERT_FALSE(hasCycle(&graph)) << "round " << round;
    }
}
