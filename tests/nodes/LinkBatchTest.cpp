// Links made in one batch: the links that close a cycle are refused, the rest are made as one
// by one, and the check of all of them costs one pass over what they reach.

#include "SanitizedSweep.h"
#include "TestNodes.h"

#include "nodes/LinkBatch.h"
#include "nodes/NodeDependencies.h"

#include <gtest/gtest.h>

#include <QHash>

#include <algorithm>
#include <iterator>
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
    const int lengths[] = {100, 1600};
    // The chain's links in its order, against it, and shuffled.
    for (int order = 0; order < 3; ++order) {
        quint64 visits[2] = {0, 0};
        for (int i = 0; i < 2; ++i) {
            Chain chain(lengths[i]);
            QList<int> links;
            for (int k = 1; k < lengths[i]; ++k)
                links.append(k);
            if (order == 1)
                std::reverse(links.begin(), links.end());
            if (order == 2)
                std::shuffle(links.begin(), links.end(), std::mt19937(7));
            LinkBatch batch;
            for (int k : std::as_const(links))
                batch.add(chain.nodes.at(k), QStringLiteral("in"), chain.nodes.at(k - 1), QStringLiteral("out"));
            chain.addClosingLink(batch);
            const quint64 before = NodeDependencies::visitCount();
            EXPECT_EQ(batch.connectAll(), lengths[i] - 1);
            visits[i] = NodeDependencies::visitCount() - before;
            EXPECT_EQ(chain.feederOf(0), nullptr);
        }
        // 16 times the links may cost at most 20 times the walking.
        EXPECT_LE(visits[1], 20 * visits[0]) << order << ": " << visits[0] << " " << visits[1];
    }
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

namespace {

// A small random tree, made alike for every seed: nodes with single-link inputs, a multi-link
// input, multi- and single-link outputs and a terminal that is input and output at once;
// graphs with inputs of their own, members and a nested graph; some links standing.
struct RandomTree
{
    TestGraph root;
    QList<Node*> nodes;
    QHash<Node const*, int> indexOf;

    explicit RandomTree(unsigned seed)
    {
        std::mt19937 random(seed);
        auto addNode = [&](NodeGraph* graph) {
            auto* node = (new TestNode)->withIo();
            node->add(QStringLiteral("in2"), 4, 0);
            if (random() % 3 == 0)
                node->add(QStringLiteral("solo"), 0, 4);
            if (random() % 4 == 0)
                node->add(QStringLiteral("many"), 5, 0);
            if (random() % 8 == 0)
                node->add(QStringLiteral("io"), 4, 4);
            graph->addNode(node, -1);
            append(node);
        };
        auto addGraph = [&](NodeGraph* parent) {
            NodeGraph* graph = parent->addSubGraph(-1);
            graph->addTerminal(new Terminal(graph, QStringLiteral("in"), 4, 0));
            graph->addTerminal(new Terminal(graph, QStringLiteral("out"), 0, 5));
            if (random() % 2 == 0)
                graph->addTerminal(new Terminal(graph, QStringLiteral("in2"), 4, 0));
            append(graph);
            return graph;
        };
        const int plain = 2 + int(random() % 5);
        for (int i = 0; i < plain; ++i)
            addNode(&root);
        const int graphs = int(random() % 3);
        for (int g = 0; g < graphs; ++g) {
            NodeGraph* graph = addGraph(&root);
            const int members = 1 + int(random() % 3);
            for (int i = 0; i < members; ++i)
                addNode(graph);
            if (random() % 2 == 0) {
                NodeGraph* nested = addGraph(graph);
                addNode(nested);
            }
        }
        const int standing = int(random() % 6);
        for (int i = 0; i < standing; ++i) {
            const auto names = terminalNames(random);
            Terminal* own = nodes.at(random() % nodes.size())->getTerminal(names.first);
            Terminal* peer = nodes.at(random() % nodes.size())->getTerminal(names.second);
            if (own && peer)
                own->connect(peer);
        }
    }

    void append(Node* node)
    {
        indexOf.insert(node, int(nodes.size()));
        nodes.append(node);
    }

    // Mostly an input and an output, either way round; now and then names that do not fit.
    static QPair<QString, QString> terminalNames(std::mt19937& random)
    {
        static char const* const inputs[] = {"in", "in", "in", "in2", "in2", "many", "io", "out"};
        static char const* const outputs[] = {"out", "out", "out", "solo", "io", "in", "none"};
        const QString input = QString::fromLatin1(inputs[random() % std::size(inputs)]);
        const QString output = QString::fromLatin1(outputs[random() % std::size(outputs)]);
        return random() % 2 == 0 ? qMakePair(input, output) : qMakePair(output, input);
    }

    // Every link, as node and terminal names on both ends, in the order each terminal holds them.
    QStringList links() const
    {
        QStringList text;
        for (Node const* node : nodes) {
            for (Terminal const* terminal : node->terminalList()) {
                if (terminal->hostNode() != node)
                    continue;
                for (Terminal const* peer : terminal->connections())
                    text.append(QStringLiteral("%1.%2 - %3.%4").arg(indexOf.value(node)).arg(terminal->name())
                                    .arg(indexOf.value(peer->hostNode(), -1)).arg(peer->name()));
            }
        }
        return text;
    }
};

struct BatchLink
{
    int a;
    QString aTerminal;
    int b;
    QString bTerminal;
};

// What Terminal::connect refuses for a cycle: a link it would otherwise take.
bool refusedForACycle(Terminal const* own, Terminal const* peer)
{
    const bool fitting = own != peer && ((own->inputMask() & peer->outputMask()) != 0
                                         || (own->outputMask() & peer->inputMask()) != 0);
    return fitting && !own->isConnectedTo(peer) && !own->canConnect(peer);
}

} // namespace

// The batch refuses only what making the links one by one refuses: a cycle of the union of all
// links that runs through a link already refused (here the second) is no cycle at all.
TEST(LinkBatch, ALinkOnACycleOnlyThroughARefusedLinkIsMade)
{
    TestGraph graph;
    TestNode* nodes[3];
    for (TestNode*& node : nodes) {
        node = (new TestNode)->withIo();
        node->add(QStringLiteral("in2"), 4, 0);
        graph.addNode(node, -1);
    }
    auto [a, b, c] = nodes;
    ASSERT_EQ(c->connect(QStringLiteral("in"), b, QStringLiteral("out")), 0);
    LinkBatch batch;
    batch.add(a, QStringLiteral("in"), b, QStringLiteral("out"));
    batch.add(b, QStringLiteral("in"), a, QStringLiteral("out"));
    batch.add(a, QStringLiteral("in2"), c, QStringLiteral("out"));
    EXPECT_EQ(batch.connectAll(), 2);
    EXPECT_EQ(batch.refusedForCycles(), 1);
    EXPECT_EQ(a->getTerminal(QStringLiteral("in"))->connectedToHost(0), b);
    EXPECT_EQ(b->getTerminal(QStringLiteral("in"))->numConnections(), 0);
    EXPECT_EQ(a->getTerminal(QStringLiteral("in2"))->connectedToHost(0), c);
}

// Against the slow way: every link made through Terminal::connect in the batch's order, over
// thousands of random trees and batches (inputs replaced, graphs' own inputs, nested graphs,
// links across levels, links that stand already or repeat).
TEST(LinkBatch, MakesExactlyTheLinksThatMakingThemOneByOneMakes)
{
    // Under the sanitizers a third of the rounds.
    const unsigned rounds = SanitizedSweep::pick(3000u, 1000u);
    for (unsigned round = 0; round < rounds; ++round) {
        RandomTree batched(round);
        RandomTree oneByOne(round);
        ASSERT_EQ(batched.links(), oneByOne.links());
        std::mt19937 random(round * 7919u + 17u);
        QList<BatchLink> links;
        const int count = 2 + int(random() % (round % 2 == 0 ? 20 : 40));
        for (int i = 0; i < count; ++i) {
            const auto names = RandomTree::terminalNames(random);
            const int a = int(random() % batched.nodes.size());
            links.append({a, names.first, int(random() % batched.nodes.size()), names.second});
        }

        LinkBatch batch;
        for (BatchLink const& link : std::as_const(links))
            batch.add(batched.nodes.at(link.a), link.aTerminal, batched.nodes.at(link.b), link.bTerminal);
        const int made = batch.connectAll();

        int madeOneByOne = 0;
        int refused = 0;
        for (BatchLink const& link : std::as_const(links)) {
            Terminal* own = oneByOne.nodes.at(link.a)->getTerminal(link.aTerminal);
            Terminal* peer = oneByOne.nodes.at(link.b)->getTerminal(link.bTerminal);
            if (!own || !peer)
                continue;
            refused += refusedForACycle(own, peer) ? 1 : 0;
            madeOneByOne += own->connect(peer) == 0 ? 1 : 0;
        }
        ASSERT_EQ(batched.links().join("; ").toStdString(), oneByOne.links().join("; ").toStdString())
            << "round " << round;
        ASSERT_EQ(made, madeOneByOne) << "round " << round;
        ASSERT_EQ(batch.refusedForCycles(), refused) << "round " << round;
    }
}

// A long cycle closed by many different links, each from a node near the chain's start to its
// end: every one is refused, and the walks that find so stay in proportion to the batch, as one
// by one the same links are refused.
TEST(LinkBatch, ManyDifferentLinksClosingALongCycleCostInProportion)
{
    const int lengths[] = {1600, 6400};
    quint64 visits[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        const int length = lengths[i];
        Chain chain(length);
        for (TestNode* node : std::as_const(chain.nodes))
            node->add(QStringLiteral("in2"), 4, 0);
        LinkBatch batch;
        chain.addChainLinks(batch);
        for (int k = 0; k < length / 2; ++k)
            batch.add(chain.nodes.at(k), QStringLiteral("in2"), chain.nodes.last(), QStringLiteral("out"));
        const quint64 before = NodeDependencies::visitCount();
        EXPECT_EQ(batch.connectAll(), length - 1);
        visits[i] = NodeDependencies::visitCount() - before;
        EXPECT_EQ(batch.refusedForCycles(), length / 2);
        for (int k = 1; k < length; ++k)
            ASSERT_EQ(chain.feederOf(k), chain.nodes.at(k - 1)) << k;
        for (TestNode const* node : std::as_const(chain.nodes))
            ASSERT_EQ(node->getTerminal(QStringLiteral("in2"))->numConnections(), 0);
    }
    // Four times the links may cost at most eight times the walking.
    EXPECT_LE(visits[1], 8 * visits[0]) << visits[0] << " " << visits[1];
}
