#include "TestNodes.h"

#include "params/Base64.h"

#include <gtest/gtest.h>

#include <memory>

using namespace KelNodes;

namespace {

// Functions, not constants: the descriptors live in another unit's static data.
QString testUuid()
{
    return TestNode::m_descriptor.typeUuid.toString();
}

QDomElement parse(QDomDocument& doc, QString const& xml)
{
    EXPECT_TRUE(doc.setContent(xml)) << qPrintable(xml);
    return doc.documentElement();
}

QString section(int uid, QString const& name = QString(), QString const& uuid = testUuid())
{
    return QStringLiteral("<test.node uid=\"%1\" name=\"%2\" uuid=\"%3\"/>")
        .arg(uid).arg(KelUtils::toBase64(name), uuid);
}

QString conn(QString const& uid1, QString const& uid2)
{
    return QStringLiteral("<connection node_uid1=\"%1\" node_uid2=\"%2\" terminal1=\"out\" terminal2=\"in\"/>")
        .arg(uid1, uid2);
}

QString graphXml(QString const& nodes, QString const& connections = QString())
{
    return QStringLiteral("<!DOCTYPE MarrowindGraphNode><graph><nodes>%1</nodes><connections>%2</connections></graph>")
        .arg(nodes, connections);
}

Node* byName(NodeGraph const* graph, QString const& name)
{
    for (Node* node : graph->nodes()) {
        if (node->name() == name)
            return node;
        if (NodeGraph const* sub = node->toNodeGraph())
            if (Node* found = byName(sub, name))
                return found;
    }
    return nullptr;
}

Node* feederOf(Node* node)
{
    return node ? node->getTerminal("in")->connectedToHost(0) : nullptr;
}

struct DocumentFixture : ::testing::Test
{
    TestGraph graph;
    void SetUp() override { graph.setLoadHook(&giveTerminals, nullptr); }

    TestNode* add(NodeGraph* into, QString const& name = QString())
    {
        auto* node = new TestNode;
        into->addNode(node, -1);
        node->setName(name);
        return node->withIo();
    }
    Node* named(QString const& name) const { return byName(&graph, name); }
};

} // namespace

TEST_F(DocumentFixture, GraphWithSubGraphsAndParametersSurvivesARoundTrip)
{
    TestNode* a = add(&graph, QStringLiteral("Ä source ✓"));
    TestNode* b = add(&graph); // no name: stored under its type's display name
    NodeGraph* sub = graph.addSubGraph(-1);
    sub->setName(QStringLiteral("Inner"));
    TestNode* c = add(sub, QStringLiteral("c"));
    TestNode* d = add(sub, QStringLiteral("d"));
    ASSERT_EQ(a->connect("out", b, "in"), 0);
    ASSERT_EQ(b->connect("out", c, "in"), 0);
    ASSERT_EQ(c->connect("out", d, "in"), 0);
    a->amount->setValue(2.5f);
    a->count->setValue(7);
    ASSERT_EQ(sub->paramContainer()->setKeyframeAt(20), 0); // keys for c and d as well
    ASSERT_EQ(sub->paramContainer()->setKeyframeAt(0), 0);
    const float keyValue = 4.f;
    ASSERT_EQ(c->amount->setKeyframeAt(10, &keyValue), 0);

    std::unique_ptr<QDomDocument> stored(graph.store(graph.nodes(), false, false, false));
    EXPECT_EQ(stored->doctype().name(), QStringLiteral("MarrowindGraphNode"));
    EXPECT_EQ(stored->documentElement().attribute("num_nodes"), QStringLiteral("5"));
    const QDomDocument text = reparsed(*stored);
    TestGraph copy;
    copy.setLoadHook(&giveTerminals, nullptr);
    QList<Node*> loaded;
    QMap<int, int> map;
    ASSERT_EQ(copy.load(text.documentElement(), true, LoadAllConnections, &loaded, &map), 0);

    EXPECT_EQ(copy.totalNumNodes(), 5);
    EXPECT_EQ(loaded.size(), 5);
    EXPECT_TRUE(loaded.last()->toNodeGraph()); // a sub-graph comes after its members
    auto* a2 = dynamic_cast<TestNode*>(copy.findNode(a->uid(), true));
    auto* b2 = dynamic_cast<TestNode*>(copy.findNode(b->uid(), true));
    auto* c2 = dynamic_cast<TestNode*>(copy.findNode(c->uid(), true));
    auto* d2 = dynamic_cast<TestNode*>(copy.findNode(d->uid(), true));
    Node* sub2 = copy.findNode(sub->uid(), true);
    ASSERT_TRUE(a2 && b2 && c2 && d2 && sub2);
    EXPECT_EQ(a2->name(), a->name());
    EXPECT_EQ(b2->name(), QStringLiteral("Test Node"));
    EXPECT_EQ(sub2->name(), QStringLiteral("Inner"));
    EXPECT_EQ(c2->parentGraph(), sub2);
    EXPECT_EQ(a2->amount->value(), 2.5f);
    EXPECT_EQ(a2->count->value(), 7);
    EXPECT_EQ(c2->amount->keyframes(), (QList<int>{0, 10, 20}));
    c2->amount->setCurrentFrame(10);
    EXPECT_EQ(c2->amount->value(), 4.f);
    EXPECT_EQ(sub2->toNodeGraph()->paramContainer()->keyframes(), (QList<int>{0, 20}));
    EXPECT_EQ(feederOf(b2), a2);
    EXPECT_EQ(feederOf(c2), b2);
    EXPECT_EQ(feederOf(d2), c2);
    EXPECT_GT(copy.uidCounter(), sub->uid());
    for (Node* node : {static_cast<Node*>(a), static_cast<Node*>(b), static_cast<Node*>(c)})
        EXPECT_EQ(map.value(node->uid()), node->uid());
}

TEST_F(DocumentFixture, UidsAreKeptRemappedOrReplacedAndLinksFollowThem)
{
    // New uids: drawn from the counter, mapped, links follow.
    graph.getUid();
    graph.getUid(); // counter at 3
    QDomDocument fresh;
    QMap<int, int> map;
    ASSERT_EQ(graph.load(parse(fresh, graphXml(section(10) + section(11), conn("10", "11"))), false,
                         LoadConnectionsOfLoaded, nullptr, &map), 0);
    EXPECT_EQ(map, (QMap<int, int>{{10, 3}, {11, 4}}));
    EXPECT_EQ(feederOf(graph.findNode(4, false)), graph.findNode(3, false));
    graph.unload();

    // Kept uids: invalid (0, negative, over 2^30, missing) or taken ones get free numbers.
    TestNode* existing = add(&graph, QStringLiteral("existing"));
    ASSERT_EQ(existing->uid(), 1);
    graph.setUid(1); // the counter now points at a uid in use
    const QString nodes = section(1, "taken") + section(0, "zero") + section(-5, "negative")
        + section((1 << 30) + 1, "huge") + section(40, "forty")
        + QStringLiteral("<test.node uuid=\"%1\" name=\"%2\"/>").arg(testUuid(), KelUtils::toBase64("none"));
    const QString links = conn("1", "0") + conn("-5", "1073741825") + conn("40", "1");
    QDomDocument doc;
    map.clear();
    ASSERT_EQ(graph.load(parse(doc, graphXml(nodes, links)), true, LoadConnectionsOfLoaded,
                         nullptr, &map), 0);
    EXPECT_EQ(graph.numNodes(), 7);
    QSet<int> uids;
    for (Node* node : graph.nodes()) {
        EXPECT_GE(node->uid(), 1);
        EXPECT_LE(node->uid(), 1 << 30);
        uids.insert(node->uid());
    }
    EXPECT_EQ(uids.size(), 7); // no uid is given twice
    EXPECT_EQ(existing->uid(), 1);
    EXPECT_EQ(named("forty")->uid(), 40);
    EXPECT_GE(graph.uidCounter(), 41); // a kept uid raises the counter
    EXPECT_EQ(map.value(1), named("taken")->uid());
    EXPECT_EQ(map.value(-1), named("none")->uid());

    // Links land on the nodes the document meant, not on the node that had uid 1 before.
    EXPECT_EQ(feederOf(named("zero")), named("taken"));
    EXPECT_EQ(feederOf(named("huge")), named("negative"));
    EXPECT_EQ(feederOf(named("taken")), named("forty"));
    EXPECT_EQ(existing->getTerminal("in")->numConnections(), 0);
}

TEST_F(DocumentFixture, LinksToNodesAlreadyThereNeedTheSecondFlag)
{
    TestNode* existing = add(&graph, "existing");
    const QString xml = graphXml(section(5, "new"), conn(QString::number(existing->uid()), "5"));
    QDomDocument doc;
    ASSERT_EQ(graph.load(parse(doc, xml), true, LoadConnectionsOfLoaded), 0);
    EXPECT_EQ(existing->getTerminal("out")->numConnections(), 0);
    graph.removeNode(graph.findNode(5, false));
    ASSERT_EQ(graph.load(doc.documentElement(), true, LoadAllConnections), 0);
    EXPECT_EQ(existing->getTerminal("out")->connectedToHost(0), graph.findNode(5, false));
}

TEST_F(DocumentFixture, CommentsTextAndCyclesInADocumentAreSkipped)
{
    QDomDocument doc;
    const QString xml = graphXml(section(1) + "<!-- a comment -->text" + section(2),
                                 "<link node_uid1=\"1\"/>" + conn("1", "2") + "<!-- note -->" + conn("2", "1"));
    QList<Node*> loaded;
    // The link that would close a cycle is refused, and reported as a link left open is.
    EXPECT_EQ(graph.load(parse(doc, xml), true, LoadAllConnections, &loaded), -1);
    EXPECT_EQ(loaded.size(), 2);
    EXPECT_EQ(feederOf(graph.findNode(2, false)), graph.findNode(1, false));
    EXPECT_EQ(graph.findNode(1, false)->getTerminal("in")->numConnections(), 0);
    graph.update();

    // Without "nodes" only the graph itself is read.
    const QString bare = QStringLiteral("<graph name=\"%1\"/>").arg(KelUtils::toBase64("Renamed"));
    EXPECT_EQ(graph.load(parse(doc, bare), true, LoadAllConnections), 0);
    EXPECT_EQ(graph.name(), QStringLiteral("Renamed"));
}

TEST_F(DocumentFixture, LinksWithOneEndStoredOnlyWhenOneEndIsEnough)
{
    TestNode* a = add(&graph);
    TestNode* b = add(&graph);
    ASSERT_EQ(a->connect("out", b, "in"), 0);
    auto linkCount = [&](QList<Node*> const& list, bool bothEnds) {
        std::unique_ptr<QDomDocument> doc(graph.store(list, false, false, bothEnds));
        return doc->documentElement().firstChildElement("connections").childNodes().size();
    };
    EXPECT_EQ(linkCount({a}, true), 0);
    EXPECT_EQ(linkCount({a}, false), 1);
    EXPECT_EQ(linkCount({a, b}, true), 1);
    EXPECT_EQ(linkCount({}, false), 0);
}

TEST_F(DocumentFixture, GraphKeyframesAreTheSectionsOwnSortedAndValid)
{
    const QString nested = QStringLiteral(
        "<graph uid=\"3\"><keyframes f0=\"30\" f1=\"5\" f2=\"5\" f3=\"-1\" f4=\"500\" f5=\"x\" f6=\"12\"/>"
        "<nodes/></graph>");
    graph.paramContainer()->setKeyframeAt(50);
    QDomDocument doc;
    ASSERT_EQ(graph.load(parse(doc, graphXml(nested)), true, LoadAllConnections), 0);
    // The root element has no keyframes of its own: the sub-graph's are not taken for them.
    EXPECT_EQ(graph.paramContainer()->keyframes(), (QList<int>{50}));
    NodeGraph* sub = graph.findNode(3, false)->toNodeGraph();
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->paramContainer()->keyframes(), (QList<int>{5, 12, 30}));
}

TEST_F(DocumentFixture, StoreHooksSeeTheStoringGraphFirst)
{
    // Each hook's data: its tag and the list both hooks write to.
    struct Hook
    {
        quintptr tag;
        QList<QPair<NodeGraph const*, quintptr>>* calls;
    };
    QList<QPair<NodeGraph const*, quintptr>> calls;
    Hook outer{1, &calls};
    Hook inner{2, &calls};
    auto hook = [](NodeGraph const* g, Node const*, QDomDocument&, QDomElement& e, void* data) {
        Hook const* h = static_cast<Hook const*>(data);
        h->calls->append({g, h->tag});
        e.setAttribute("hooked", "yes");
    };
    NodeGraph* sub = graph.addSubGraph(-1);
    add(sub);
    graph.setStoreHook(hook, &outer);
    sub->setStoreHook(hook, &inner);
    QDomDocument doc;
    QDomElement parent = doc.createElement("graph");
    sub->store(sub->nodes(), doc, parent, StoreConnectionsAnyEnd, true, false);
    // The node's section (sub's hook, then its parent's, both told of sub), then the graph element.
    const QList<QPair<NodeGraph const*, quintptr>> expected{{sub, 2}, {sub, 1}, {sub, 2}, {sub, 1}};
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(parent.firstChildElement("nodes").firstChildElement().attribute("hooked"), "yes");
}

// --- malformed and hostile documents ---------------------------------------------------------

class MalformedDocument : public DocumentFixture, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(MalformedDocument, FailsWithNothingAdded)
{
    add(&graph, "existing");
    graph.getUid();
    QList<Node*> loaded{graph.nodes().first()};
    QMap<int, int> map{{99, 1}, {10, 1}};
    const auto loadedBefore = loaded;
    const auto mapBefore = map;
    const int total = graph.totalNumNodes();
    const int counter = graph.uidCounter();

    QDomDocument doc;
    const QString xml = QString::fromUtf8(GetParam()).arg(testUuid(), KelUtils::toBase64("Changed"));
    EXPECT_EQ(graph.load(parse(doc, xml), true, LoadAllConnections, &loaded, &map), -1);
    EXPECT_EQ(graph.totalNumNodes(), total);
    EXPECT_EQ(graph.uidCounter(), counter);
    EXPECT_EQ(graph.name(), QStringLiteral("Graph"));
    EXPECT_EQ(loaded, loadedBefore);
    EXPECT_EQ(map, mapBefore);
}

INSTANTIATE_TEST_SUITE_P(
    GraphDocument, MalformedDocument,
    ::testing::Values(
        // a connection without "terminal2"
        "<graph name=\"%2\"><nodes><n uid=\"10\" uuid=\"%1\"/><n uid=\"11\" uuid=\"%1\"/></nodes>"
        "<connections><connection node_uid1=\"10\" node_uid2=\"11\" terminal1=\"out\"/></connections></graph>",
        // a node linked to itself
        "<graph name=\"%2\"><nodes><n uid=\"10\" uuid=\"%1\"/></nodes><connections>"
        "<connection node_uid1=\"10\" node_uid2=\"10\" terminal1=\"out\" terminal2=\"in\"/></connections></graph>",
        // a node section without uuid, after a good one
        "<graph name=\"%2\"><nodes><n uid=\"10\" uuid=\"%1\"/><n uid=\"11\"/></nodes></graph>",
        // the same inside a sub-graph
        "<graph name=\"%2\"><nodes><n uid=\"10\" uuid=\"%1\"/><graph uid=\"12\"><nodes><n uid=\"13\"/>"
        "</nodes></graph></nodes></graph>"));

// Links whose far end cannot be found (a node that is nowhere, a uid that is no number, a
// sub-graph's own link to a node outside it) are left open, as any unconnected input is: the
// nodes load, the links that can be made are made, and the call reports what it left out.
TEST_F(DocumentFixture, LinksToNodesThatAreNotThereAreLeftOpenAndTheRestLoads)
{
    const QString nested = QStringLiteral("<graph uid=\"12\" name=\"%1\"><nodes>%2%3</nodes>"
                                          "<connections>%4%5</connections></graph>")
                               .arg(KelUtils::toBase64("sub"), section(13, "c"), section(14, "d"),
                                    conn("10", "13"), conn("13", "14"));
    const QString nodes = section(10, "a") + section(11, "b") + nested;
    const QString links = conn("10", "11") + conn("77", "10") + conn("zz", "11") + conn("11", "78");
    QDomDocument doc;
    QList<Node*> loaded;
    QMap<int, int> map;
    EXPECT_EQ(graph.load(parse(doc, graphXml(nodes, links)), true, LoadAllConnections, &loaded, &map), -1);
    EXPECT_EQ(loaded.size(), 5);
    ASSERT_TRUE(named("a") && named("b") && named("c") && named("d") && named("sub"));
    EXPECT_EQ(feederOf(named("b")), named("a"));
    EXPECT_EQ(feederOf(named("a")), nullptr);
    EXPECT_EQ(named("b")->getTerminal("out")->numConnections(), 0);
    EXPECT_EQ(feederOf(named("c")), nullptr);
    EXPECT_EQ(feederOf(named("d")), named("c"));
    EXPECT_EQ(named("c")->parentGraph(), named("sub"));
    EXPECT_EQ(map.value(10), named("a")->uid());

    // With new uids the links follow them; a link to a node that is not there stays open even
    // when a new node drew that node's number.
    TestGraph other;
    other.setLoadHook(&giveTerminals, nullptr);
    other.getUid();
    QDomDocument again;
    EXPECT_EQ(other.load(parse(again, graphXml(section(10, "a") + section(11, "b") + section(12, "c"),
                                               conn("10", "11") + conn("3", "12"))),
                         false, LoadAllConnections), -1);
    ASSERT_EQ(other.numNodes(), 3);
    ASSERT_EQ(byName(&other, "b")->uid(), 3);
    EXPECT_EQ(feederOf(byName(&other, "b")), byName(&other, "a"));
    EXPECT_EQ(feederOf(byName(&other, "c")), nullptr);
}

TEST_F(DocumentFixture, AbsurdNestingIsRefused)
{
    QString xml = section(1);
    for (int i = 0; i < 200; ++i)
        xml = QStringLiteral("<graph uid=\"%1\"><nodes>%2</nodes></graph>").arg(i + 2).arg(xml);
    QDomDocument doc;
    EXPECT_EQ(graph.load(parse(doc, graphXml(xml)), true, LoadAllConnections), -1);
    EXPECT_EQ(graph.numNodes(), 0);
}

TEST_F(DocumentFixture, UnknownNodeTypesAreSkippedWithTheirLinksAtAnyDepth)
{
    graph.types = {&TestNode::m_descriptor};
    const QString other = OtherNode::m_descriptor.typeUuid.toString();
    const QString nested = QStringLiteral("<graph uid=\"5\" name=\"%1\"><nodes>%2%3</nodes></graph>")
                               .arg(KelUtils::toBase64("sub"), section(6, "inner"), section(7, "lost", other));
    const QString nodes = section(1, "a") + section(2, "unknown", other) + section(3, "b") + nested;
    const QString links = conn("1", "2") + conn("2", "3") + conn("1", "3");
    QDomDocument doc;
    QList<Node*> loaded;
    QMap<int, int> map;
    EXPECT_EQ(graph.load(parse(doc, graphXml(nodes, links)), true, LoadAllConnections, &loaded, &map), -1);
    EXPECT_EQ(loaded.size(), 4);
    EXPECT_FALSE(map.contains(2));
    ASSERT_TRUE(named("a") && named("b"));
    EXPECT_EQ(feederOf(named("b")), named("a"));
    EXPECT_EQ(named("inner")->parentGraph(), named("sub"));
    EXPECT_EQ(named("lost"), nullptr);
}

TEST_F(DocumentFixture, SingleSectionsMakeNodesOrNothing)
{
    QDomDocument doc;
    parse(doc, QStringLiteral("<r>%1%2<graph uid=\"9\"><nodes>%3</nodes></graph><n uid=\"4\"/></r>")
                   .arg(section(3, "known"), section(8, "?", "{00000000-0000-0000-0000-0000000000aa}"),
                        section(10, "nested")));
    QDomElement s = doc.documentElement().firstChildElement();
    QList<Node*> loaded;
    Node* known = graph.addNode(s, true, nullptr, &loaded);
    ASSERT_NE(known, nullptr);
    EXPECT_EQ(known->uid(), 3);
    EXPECT_EQ(graph.addNode(s.nextSiblingElement(), true, nullptr, &loaded), nullptr);
    Node* sub = graph.addNode(s.nextSiblingElement().nextSiblingElement(), true, nullptr, &loaded);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->toNodeGraph()->numNodes(), 1);
    EXPECT_EQ(loaded.size(), 1); // the members of a sub-graph; the caller lists the section's node
    EXPECT_EQ(graph.addNode(doc.documentElement().lastChildElement(), true, nullptr, &loaded), nullptr);
    EXPECT_EQ(graph.numNodes(), 2);
}
