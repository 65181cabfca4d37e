#include "TestNodes.h"

#include "params/XmlNumbers.h"

#include <QDomDocument>
#include <QDomElement>
#include <QSet>

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
    explicit CompoundGraph(bool ownTypes = true)
        : Node(0, QStringLiteral("Graph"))
        , TestGraph(nullptr, ownTypes)
    {
    }
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
        if (parentGraph() && !hasOwnTerminals()) {
            auto* self = const_cast<CompoundGraph*>(this);
            const QList<Terminal*> boundary = terminalList();
            terminalListRef().clear();
            self->addTerminal(new Terminal(self, QStringLiteral("rgbIn"), 4, 0));
            self->addTerminal(new Terminal(self, QStringLiteral("rgbOut"), 0, 4));
            self->addTerminal(new Terminal(self, QStringLiteral("sideOut"), 0, 5));
            terminalListRef().append(boundary);
        }
        NodeGraph::fillTerminals();
    }

private:
    bool hasOwnTerminals() const
    {
        for (Terminal const* t : terminalList()) {
            if (t && t->hostNode() == this)
                return true;
        }
        return false;
    }
};

NodeDescriptor CompoundGraph::m_descriptor{
    QStringLiteral("test.compound"), QUuid(QStringLiteral("{3d2c1b0a-9f8e-4d7c-8b6a-5f4e3d2c1b44}")),
    QStringLiteral("Compound"), QString(), &CompoundGraph::create};

void giveTerminals(NodeGraph*, Node* node, QDomElement const&, void*)
{
    if (auto* test = dynamic_cast<TestNode*>(node); test && test->numTerminals() == 0)
        test->withIo()->add(QStringLiteral("side"), 5, 0);
}

void collectNodes(NodeGraph const* graph, QList<Node*>& out)
{
    for (Node* node : graph->nodes()) {
        out.append(node);
        if (NodeGraph const* sub = node->toNodeGraph())
            collectNodes(sub, out);
    }
}

QString linkKey(int uid1, QString const& terminal1, int uid2, QString const& terminal2)
{
    QString a = QString::number(uid1) + QLatin1Char(':') + terminal1;
    QString b = QString::number(uid2) + QLatin1Char(':') + terminal2;
    if (b < a)
        std::swap(a, b);
    return a + QStringLiteral(" - ") + b;
}

// Sorted text, so that a difference reads well.
std::string shown(QSet<QString> const& links)
{
    QStringList list(links.cbegin(), links.cend());
    list.sort();
    return list.join(QStringLiteral("; ")).toStdString();
}

// Every link below the graph, each once, whichever end holds it.
QSet<QString> linksOf(NodeGraph const* graph)
{
    QList<Node*> nodes;
    collectNodes(graph, nodes);
    QSet<QString> links;
    for (Node const* node : std::as_const(nodes)) {
        node->numTerminals(); // a graph lists its own terminals at its renewal
        for (Terminal const* own : node->terminalList()) {
            if (!own || own->hostNode() != node)
                continue;
            for (Terminal const* peer : own->connections())
                links.insert(linkKey(node->uid(), own->name(), peer->hostNode()->uid(), peer->name()));
        }
    }
    return links;
}

// The document's links; a link written twice appears in `duplicates`.
QSet<QString> linksOf(QDomElement const& root, QStringList* duplicates = nullptr)
{
    QSet<QString> links;
    const QDomElement connections = root.firstChildElement(QStringLiteral("connections"));
    for (QDomElement c = connections.firstChildElement(QStringLiteral("connection")); !c.isNull();
         c = c.nextSiblingElement(QStringLiteral("connection"))) {
        const QString key = linkKey(KelUtils::parseXmlInt(c.attribute("node_uid1")), c.attribute("terminal1"),
                                    KelUtils::parseXmlInt(c.attribute("node_uid2")), c.attribute("terminal2"));
        if (links.contains(key) && duplicates)
            duplicates->append(key);
        links.insert(key);
    }
    return links;
}

// Reads a stored document back through text, as files and undo buffers do.
QDomDocument reparsed(QDomDocument const& stored)
{
    QDomDocument text;
    EXPECT_TRUE(text.setContent(stored.toString()));
    return text;
}

// The root holds x, the sub-graph g and y, z; g holds m, p and the sub-graph h; h holds n.
// Links: x -> g (own input), g (own output) -> y, m -> h (own input), h (own output) -> p,
// n -> z (out of two graphs), x -> m (into g), g (multi output) -> z.
struct WiredGraph : ::testing::Test
{
    CompoundGraph root;
    TestNode* x = nullptr;
    TestNode* y = nullptr;
    TestNode* z = nullptr;
    TestNode* m = nullptr;
    TestNode* p = nullptr;
    TestNode* n = nullptr;
    NodeGraph* g = nullptr;
    NodeGraph* h = nullptr;

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
        node->withIo()->add(QStringLiteral("side"), 5, 0);
        return node;
    }

    QList<Node*> all() const { return {x, g, y, z, m, p, h, n}; }

    // Gives the nodes the uids in `order`, each node the next one.
    void renumber(std::vector<int> const& order)
    {
        const QList<Node*> nodes = all();
        for (int i = 0; i < nodes.size(); ++i)
            nodes.at(i)->setNodeUid(order.at(std::size_t(i)));
        root.setUid(100);
    }

    // Ascending, descending, sub-graphs below and above their neighbours, then shuffled.
    static std::vector<std::vector<int>> orders()
    {
        std::vector<std::vector<int>> result;
        std::vector<int> uids{1, 2, 3, 4, 5, 6, 7, 8};
        result.push_back(uids);
        std::reverse(uids.begin(), uids.end());
        result.push_back(uids);
        result.push_back({5, 1, 6, 7, 3, 4, 2, 8}); // graphs below their neighbours
        result.push_back({1, 8, 2, 3, 4, 5, 7, 6}); // graphs above them
        std::mt19937 random(20240611u);
        for (int i = 0; i < 60; ++i) {
            std::shuffle(uids.begin(), uids.end(), random);
            result.push_back(uids);
        }
        return result;
    }

    static QString describe(std::vector<int> const& order)
    {
        QStringList parts;
        for (int uid : order)
            parts.append(QString::number(uid));
        return parts.join(QLatin1Char(' '));
    }
};

} // namespace

TEST_F(WiredGraph, EveryLinkIsStoredOnceWhateverTheUidOrder)
{
    for (std::vector<int> const& order : orders()) {
        SCOPED_TRACE(qPrintable(describe(order)));
        renumber(order);
        const QSet<QString> expected = linksOf(&root);

        std::unique_ptr<QDomDocument> stored(root.store(root.nodes(), false, false, false));
        QStringList duplicates;
        EXPECT_EQ(shown(linksOf(stored->documentElement(), &duplicates)), shown(expected));
        EXPECT_TRUE(duplicates.isEmpty()) << qPrintable(duplicates.join(", "));

        const QDomDocument text = reparsed(*stored);
        CompoundGraph copy;
        copy.setLoadHook(&giveTerminals, nullptr);
        ASSERT_EQ(copy.load(text.documentElement(), true, LoadAllConnections), 0);
        EXPECT_EQ(shown(linksOf(&copy)), shown(expected));
    }
}

TEST_F(WiredGraph, SubGraphTakenOutAndPutBackKeepsItsWires)
{
    for (std::vector<int> const& order : orders()) {
        SCOPED_TRACE(qPrintable(describe(order)));
        renumber(order);
        const QSet<QString> expected = linksOf(&root);
        QList<int> uids;
        for (Node* node : all())
            uids.append(node->uid());

        // As an undo command keeps a deleted node: the node alone, links with one end in it.
        QDomDocument stored(QStringLiteral("MarrowindGraphNode"));
        QDomElement element = stored.createElement(QStringLiteral("graph"));
        stored.appendChild(element);
        root.store({g}, stored, element, StoreConnectionsAnyEnd, false, false);
        QStringList duplicates;
        EXPECT_EQ(shown(linksOf(element, &duplicates)), shown(expected)); // every link touches g or its members
        EXPECT_TRUE(duplicates.isEmpty()) << qPrintable(duplicates.join(", "));

        ASSERT_EQ(root.removeNode(g), 0);
        ASSERT_EQ(linksOf(&root).size(), 0);
        const QDomDocument text = reparsed(stored);
        QList<Node*> loaded;
        ASSERT_EQ(root.load(text.documentElement(), true, LoadAllConnections, &loaded), 0);
        EXPECT_EQ(shown(linksOf(&root)), shown(expected));

        // Back to the fixture's pointers for the next order.
        g = root.findNode(uids.at(1), false)->toNodeGraph();
        m = dynamic_cast<TestNode*>(root.findNode(uids.at(4), true));
        p = dynamic_cast<TestNode*>(root.findNode(uids.at(5), true));
        h = root.findNode(uids.at(6), true)->toNodeGraph();
        n = dynamic_cast<TestNode*>(root.findNode(uids.at(7), true));
        ASSERT_TRUE(g && m && p && h && n);
        EXPECT_EQ(loaded.size(), 5);
    }
}

TEST_F(WiredGraph, LinksLeavingTheStoringGraphAreWrittenFromTheInside)
{
    for (std::vector<int> const& order : orders()) {
        SCOPED_TRACE(qPrintable(describe(order)));
        renumber(order);
        // From g: h holds n, whose link to z leaves g; m feeds h and h feeds p inside g.
        QDomDocument stored;
        QDomElement element = stored.createElement(QStringLiteral("graph"));
        g->store({h}, stored, element, StoreConnectionsAnyEnd, false, false);
        QStringList duplicates;
        const QSet<QString> links = linksOf(element, &duplicates);
        EXPECT_TRUE(duplicates.isEmpty()) << qPrintable(duplicates.join(", "));
        EXPECT_EQ(shown(links), shown({linkKey(m->uid(), "out", h->uid(), "rgbIn"),
                                     linkKey(h->uid(), "rgbOut", p->uid(), "in"),
                                     linkKey(n->uid(), "out", z->uid(), "in")}));

        // Both ends required: only the link inside what is stored would do, and there is none.
        QDomDocument both;
        QDomElement bothElement = both.createElement(QStringLiteral("graph"));
        g->store({h}, both, bothElement, StoreConnectionsBothEnds, false, false);
        EXPECT_TRUE(linksOf(bothElement).isEmpty());
    }
}

TEST_F(WiredGraph, AskedDirectlyASubGraphWritesItsOwnTerminalsLinks)
{
    // g below both neighbours: it is the end that writes.
    renumber({5, 1, 6, 7, 2, 3, 4, 8});
    QDomDocument doc;
    QDomElement parent = doc.createElement(QStringLiteral("connections"));
    g->storeConnections(doc, parent, {g}, false);
    QStringList byG;
    for (QDomElement c = parent.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
        if (c.attribute("node_uid1") == QStringLiteral("1"))
            byG.append(c.attribute("terminal1") + QLatin1Char('>') + c.attribute("node_uid2"));
    }
    // The three links of g's own terminals, in terminal order.
    EXPECT_EQ(byG.join(' ').toStdString(), "rgbIn>5 rgbOut>6 sideOut>7");
}

// --- the loading graph's own state ------------------------------------------------------------

namespace {

struct OwnState : ::testing::Test
{
    TestGraph graph;
    TestNode* node = nullptr;

    void SetUp() override
    {
        graph.setLoadHook(&giveTerminals, nullptr);
        node = new TestNode;
        graph.addNode(node, -1);
        node->withIo();
        ASSERT_EQ(graph.paramContainer()->setKeyframeAt(10), 0);
        ASSERT_EQ(graph.paramContainer()->setKeyframeAt(40), 0);
        ASSERT_EQ(graph.paramContainer()->setCurrentFrame(25), 0);
    }

    QDomDocument memberDocument()
    {
        std::unique_ptr<QDomDocument> stored(graph.store({node}, false, false, false));
        return reparsed(*stored);
    }
};

} // namespace

TEST_F(OwnState, LoadingMembersKeepsTheGraphsKeyframesAndFrame)
{
    QDomDocument doc = memberDocument();
    ASSERT_EQ(graph.removeNode(node), 0);
    QList<Node*> loaded;
    ASSERT_EQ(graph.load(doc.documentElement(), true, LoadAllConnections, &loaded), 0);
    ASSERT_EQ(loaded.size(), 1);
    EXPECT_EQ(graph.paramContainer()->keyframes(), (QList<int>{10, 40}));
    EXPECT_EQ(graph.paramContainer()->currentFrame(), 25);
    // The node brought back its own frame.
    EXPECT_EQ(loaded.first()->paramContainer()->currentFrame(), 25);

    // New uids, next to what is there: the same.
    ASSERT_EQ(graph.load(doc.documentElement(), false, LoadConnectionsOfLoaded), 0);
    EXPECT_EQ(graph.numNodes(), 2);
    EXPECT_EQ(graph.paramContainer()->keyframes(), (QList<int>{10, 40}));
    EXPECT_EQ(graph.paramContainer()->currentFrame(), 25);
}

TEST_F(OwnState, AnElementCarryingTheGraphsOwnSectionSetsIt)
{
    // Frame and keyframes of the graph's own, as a graph section has them.
    QDomDocument doc;
    ASSERT_TRUE(doc.setContent(QStringLiteral(
        "<graph><keyframes curr_frame=\"7\" f0=\"3\" f1=\"60\"/><nodes/></graph>")));
    ASSERT_EQ(graph.load(doc.documentElement(), true, LoadAllConnections), 0);
    EXPECT_EQ(graph.paramContainer()->keyframes(), (QList<int>{3, 60}));
    EXPECT_EQ(graph.paramContainer()->currentFrame(), 7);

    // A stored sub-graph's section read into a graph: its state wholesale, frame 0 and no
    // keyframes included, as before.
    TestGraph source;
    source.addSubGraph(-1);
    std::unique_ptr<QDomDocument> stored(source.store(source.nodes(), false, false, false));
    const QDomDocument text = reparsed(*stored);
    const QDomElement section = text.documentElement().firstChildElement("nodes").firstChildElement();
    ASSERT_EQ(section.tagName(), QStringLiteral("graph"));
    ASSERT_EQ(graph.load(section, true, LoadAllConnections), 0);
    EXPECT_TRUE(graph.paramContainer()->keyframes().isEmpty());
    EXPECT_EQ(graph.paramContainer()->currentFrame(), 0);
}

TEST_F(OwnState, UnloadStartsTheGraphAfresh)
{
    // Opening a project empties the graph first: the old project's frame and keys go too.
    graph.unload();
    EXPECT_TRUE(graph.paramContainer()->keyframes().isEmpty());
    EXPECT_EQ(graph.paramContainer()->currentFrame(), 0);
    EXPECT_EQ(graph.uidCounter(), 1);
}
