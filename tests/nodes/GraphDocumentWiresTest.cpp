#include "TestNodes.h"

#include "params/XmlNumbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

using namespace KelNodes;

namespace {

// A graph with terminals of its own under a parent, as a compound node has them: "rgbIn"
// (input), "rgbOut" (single output) and "sideOut" (output with several links).
class CompoundGraph : public TestGraph
{
public:
    explicit CompoundGraph(bool ownTypes = true) : Node(0, QStringLiteral("Graph")), TestGraph(nullptr, ownTypes) {}
    static NodeDescriptor m_descriptor;
    static Node* create(int) { return new CompoundGraph(false); }
    NodeDescriptor const* descriptor() const override { return &m_descriptor; }

    void setParentGraph(NodeGraph* graph) override
    {
        TestGraph::setParentGraph(graph);
        setDirty();
    }

    void fillTerminals() const override
    {
        const QList<Terminal*> boundary = terminalList();
        const bool hasOwn = std::any_of(boundary.cbegin(), boundary.cend(),
                                        [this](Terminal const* t) { return t && t->hostNode() == this; });
        if (parentGraph() && !hasOwn) {
            auto* self = const_cast<CompoundGraph*>(this);
            terminalListRef().clear();
            self->addTerminal(new Terminal(self, QStringLiteral("rgbIn"), 4, 0));
            self->addTerminal(new Terminal(self, QStringLiteral("rgbOut"), 0, 4));
            self->addTerminal(new Terminal(self, QStringLiteral("sideOut"), 0, 5));
            terminalListRef().append(boundary);
        }
        NodeGraph::fillTerminals();
    }
};

NodeDescriptor CompoundGraph::m_descriptor{
    QStringLiteral("test.compound"), QUuid(QStringLiteral("{3d2c1b0a-9f8e-4d7c-8b6a-5f4e3d2c1b44}")),
    QStringLiteral("Compound"), QString(), &CompoundGraph::create};

using Links = std::vector<std::string>; // sorted, so that a difference reads well

std::string linkKey(int uid1, QString const& terminal1, int uid2, QString const& terminal2)
{
    std::string a = std::to_string(uid1) + ':' + terminal1.toStdString();
    std::string b = std::to_string(uid2) + ':' + terminal2.toStdString();
    return a < b ? a + " - " + b : b + " - " + a;
}

// Every link below the graph, as seen from its ends.
void collectLinks(NodeGraph const* graph, Links& links)
{
    for (Node const* node : graph->nodes()) {
        node->numTerminals(); // a graph lists its own terminals at its renewal
        for (Terminal const* own : node->terminalList()) {
            if (own && own->hostNode() == node)
                for (Terminal const* peer : own->connections())
                    links.push_back(linkKey(node->uid(), own->name(), peer->hostNode()->uid(), peer->name()));
        }
        if (NodeGraph const* sub = node->toNodeGraph())
            collectLinks(sub, links);
    }
}

Links linksOf(NodeGraph const* graph)
{
    Links links;
    collectLinks(graph, links);
    std::sort(links.begin(), links.end());
    links.erase(std::unique(links.begin(), links.end()), links.end()); // each end lists it
    return links;
}

// The document's links; one written twice shows twice.
Links linksOf(QDomElement const& root)
{
    Links links;
    const QDomElement connections = root.firstChildElement(QStringLiteral("connections"));
    for (QDomElement c = connections.firstChildElement(QStringLiteral("connection")); !c.isNull();
         c = c.nextSiblingElement(QStringLiteral("connection")))
        links.push_back(linkKey(KelUtils::parseXmlInt(c.attribute("node_uid1")), c.attribute("terminal1"),
                                KelUtils::parseXmlInt(c.attribute("node_uid2")), c.attribute("terminal2")));
    std::sort(links.begin(), links.end());
    return links;
}

// The root holds x, the sub-graph g and y, z; g holds m, p and the sub-graph h; h holds n.
// Links: x -> g (own input), g (own output) -> y, m -> h (own input), h (own output) -> p,
// n -> z (out of two graphs), x -> m (into g), g (multi output) -> z.
struct WiredGraph : ::testing::Test
{
    CompoundGraph root;
    TestNode *x = nullptr, *y = nullptr, *z = nullptr, *m = nullptr, *p = nullptr, *n = nullptr;
    NodeGraph *g = nullptr, *h = nullptr;

    void SetUp() override
    {
        root.setLoadHook(&giveTerminals, nullptr);
        x = add(&root);
        g = root.addSubGraph(-1);
        y = add(&root);
        z = add(&root);
        m = add(g);
        p = add(g);
        h = g->addSubGraph(-1);
        n = add(h);
        ASSERT_EQ(x->connect("out", g, "rgbIn"), 0);
        ASSERT_EQ(g->connect("rgbOut", y, "in"), 0);
        ASSERT_EQ(m->connect("out", h, "rgbIn"), 0);
        ASSERT_EQ(h->connect("rgbOut", p, "in"), 0);
        ASSERT_EQ(n->connect("out", z, "in"), 0);
        ASSERT_EQ(x->connect("out", m, "in"), 0);
        ASSERT_EQ(g->connect("sideOut", z, "side"), 0);
        ASSERT_EQ(linksOf(&root).size(), 7);
    }

    static TestNode* add(NodeGraph* into)
    {
        auto* node = new TestNode;
        into->addNode(node, -1);
        giveTerminals(into, node, QDomElement(), nullptr);
        return node;
    }

    // Gives x, g, y, z, m, p, h, n the uids in `order`.
    void renumber(std::vector<int> const& order)
    {
        const QList<Node*> nodes{x, g, y, z, m, p, h, n};
        for (int i = 0; i < nodes.size(); ++i)
            nodes.at(i)->setNodeUid(order.at(std::size_t(i)));
        root.setUid(100);
    }

    // Ascending, descending, sub-graphs below and above their neighbours, then shuffled.
    static std::vector<std::vector<int>> orders()
    {
        std::vector<int> uids{1, 2, 3, 4, 5, 6, 7, 8};
        std::vector<std::vector<int>> result{uids, {8, 7, 6, 5, 4, 3, 2, 1},
                                             {5, 1, 6, 7, 3, 4, 2, 8}, {1, 8, 2, 3, 4, 5, 7, 6}};
        std::mt19937 random(20240611u);
        for (int i = 0; i < 60; ++i) {
            std::shuffle(uids.begin(), uids.end(), random);
            result.push_back(uids);
        }
        return result;
    }
};

} // namespace

TEST_F(WiredGraph, EveryLinkIsStoredOnceWhateverTheUidOrder)
{
    root.update();
    EXPECT_GT(g->getLevel(true), x->getLevel(true)); // after what feeds its own input
    EXPECT_GT(y->getLevel(true), g->getLevel(true));

    for (std::vector<int> const& order : orders()) {
        SCOPED_TRACE(::testing::PrintToString(order));
        renumber(order);
        const Links expected = linksOf(&root);

        std::unique_ptr<QDomDocument> stored(root.store(root.nodes(), false, false, false));
        EXPECT_EQ(linksOf(stored->documentElement()), expected);
        const QDomDocument text = reparsed(*stored);
        CompoundGraph copy;
        copy.setLoadHook(&giveTerminals, nullptr);
        ASSERT_EQ(copy.load(text.documentElement(), true, LoadAllConnections), 0);
        EXPECT_EQ(linksOf(&copy), expected);

        // From g: h holds n, whose link to z leaves g; m feeds h and h feeds p inside g.
        QDomDocument part;
        QDomElement element = part.createElement(QStringLiteral("graph"));
        g->store({h}, part, element, StoreConnectionsAnyEnd, false, false);
        Links inG{linkKey(m->uid(), "out", h->uid(), "rgbIn"), linkKey(h->uid(), "rgbOut", p->uid(), "in"),
                  linkKey(n->uid(), "out", z->uid(), "in")};
        std::sort(inG.begin(), inG.end());
        EXPECT_EQ(linksOf(element), inG);
        // Both ends required: only a link inside what is stored would do, and there is none.
        QDomElement bothElement = part.createElement(QStringLiteral("graph"));
        g->store({h}, part, bothElement, StoreConnectionsBothEnds, false, false);
        EXPECT_TRUE(linksOf(bothElement).empty());

        // As an undo command keeps a deleted node: g alone, links with one end in it (all of them).
        QDomDocument undo(QStringLiteral("MarrowindGraphNode"));
        QDomElement undoElement = undo.createElement(QStringLiteral("graph"));
        undo.appendChild(undoElement);
        root.store({g}, undo, undoElement, StoreConnectionsAnyEnd, false, false);
        EXPECT_EQ(linksOf(undoElement), expected);
        ASSERT_EQ(root.removeNode(g), 0);
        ASSERT_TRUE(linksOf(&root).empty());
        QList<Node*> loaded;
        ASSERT_EQ(root.load(reparsed(undo).documentElement(), true, LoadAllConnections, &loaded), 0);
        EXPECT_EQ(loaded.size(), 5);
        EXPECT_EQ(linksOf(&root), expected);

        // Back to the fixture's pointers for the next order.
        g = root.findNode(order[1], false)->toNodeGraph();
        m = dynamic_cast<TestNode*>(root.findNode(order[4], true));
        p = dynamic_cast<TestNode*>(root.findNode(order[5], true));
        h = root.findNode(order[6], true)->toNodeGraph();
        n = dynamic_cast<TestNode*>(root.findNode(order[7], true));
        ASSERT_TRUE(g && m && p && h && n);
    }
}

// Loading members into a graph keeps the graph's own frame and keyframes; only an element that
// carries the graph's own section sets them, and unload starts afresh.
TEST(GraphOwnState, KeptUnlessTheDocumentCarriesItOrTheGraphIsUnloaded)
{
    TestGraph graph;
    graph.setLoadHook(&giveTerminals, nullptr);
    auto* node = new TestNode;
    graph.addNode(node, -1);
    node->withIo();
    NodeGraphParameterContainer* keys = graph.paramContainer();
    ASSERT_EQ(keys->setKeyframeAt(10), 0);
    ASSERT_EQ(keys->setKeyframeAt(40), 0);
    ASSERT_EQ(keys->setCurrentFrame(25), 0);
    std::unique_ptr<QDomDocument> stored(graph.store({node}, false, false, false));
    const QDomDocument members = reparsed(*stored);

    ASSERT_EQ(graph.removeNode(node), 0);
    QList<Node*> loaded;
    ASSERT_EQ(graph.load(members.documentElement(), true, LoadAllConnections, &loaded), 0);
    ASSERT_EQ(loaded.size(), 1);
    EXPECT_EQ(loaded.first()->paramContainer()->currentFrame(), 25); // its own frame came back
    ASSERT_EQ(graph.load(members.documentElement(), false, LoadConnectionsOfLoaded), 0);
    EXPECT_EQ(graph.numNodes(), 2);
    EXPECT_EQ(keys->keyframes(), (QList<int>{10, 40}));
    EXPECT_EQ(keys->currentFrame(), 25);

    QDomDocument own;
    ASSERT_TRUE(own.setContent(QStringLiteral("<graph><keyframes curr_frame=\"7\" f0=\"3\" f1=\"60\"/><nodes/></graph>")));
    ASSERT_EQ(graph.load(own.documentElement(), true, LoadAllConnections), 0);
    EXPECT_EQ(keys->keyframes(), (QList<int>{3, 60}));
    EXPECT_EQ(keys->currentFrame(), 7);

    // A stored sub-graph's section read into a graph: its state wholesale, frame 0 and no keys.
    TestGraph source;
    source.addSubGraph(-1);
    std::unique_ptr<QDomDocument> sourceDoc(source.store(source.nodes(), false, false, false));
    const QDomDocument text = reparsed(*sourceDoc);
    const QDomElement section = text.documentElement().firstChildElement("nodes").firstChildElement();
    ASSERT_EQ(section.tagName(), QStringLiteral("graph"));
    ASSERT_EQ(graph.load(section, true, LoadAllConnections), 0);
    EXPECT_TRUE(keys->keyframes().isEmpty());
    EXPECT_EQ(keys->currentFrame(), 0);

    // Opening a project empties the graph first: the old project's frame and keys go too.
    ASSERT_EQ(keys->setKeyframeAt(10), 0);
    ASSERT_EQ(keys->setCurrentFrame(25), 0);
    graph.unload();
    EXPECT_TRUE(keys->keyframes().isEmpty());
    EXPECT_EQ(keys->currentFrame(), 0);
    EXPECT_EQ(graph.uidCounter(), 1);
}
