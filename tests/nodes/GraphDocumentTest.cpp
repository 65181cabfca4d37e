#include "TestNodes.h"

#include "params/Base64.h"

#include <QDomDocument>
#include <QDomElement>

#include <gtest/gtest.h>

#include <memory>

using namespace KelNodes;

namespace {

// Functions, not constants: the descriptors live in another unit's static data.
QString testUuid()
{
    return TestNode::m_descriptor.typeUuid.toString();
}

QString otherUuid()
{
    return OtherNode::m_descriptor.typeUuid.toString();
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

QString conn(QString const& uid1, QString const& uid2, QString const& t1 = "out",
             QString const& t2 = "in")
{
    return QStringLiteral("<connection node_uid1=\"%1\" node_uid2=\"%2\" terminal1=\"%3\" terminal2=\"%4\"/>")
        .arg(uid1, uid2, t1, t2);
}

QString graphXml(QString const& nodes, QString const& connections = QString())
{
    return QStringLiteral("<!DOCTYPE MarrowindGraphNode><graph><nodes>%1</nodes><connections>%2</connections></graph>")
        .arg(nodes, connections);
}

// Test nodes made from documents get their terminals from the graph's load hook.
void giveTerminals(NodeGraph*, Node* node, QDomElement const&, void*)
{
    if (auto* test = dynamic_cast<TestNode*>(node); test && test->numTerminals() == 0)
        test->withIo();
}

Node* byName(NodeGraph const& graph, QString const& name, NodeGraph const* in = nullptr)
{
    for (Node* node : (in ? in : &graph)->nodes()) {
        if (node->name() == name)
            return node;
        if (NodeGraph const* sub = node->toNodeGraph())
            if (Node* found = byName(graph, name, sub))
                return found;
    }
    return nullptr;
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
};

} // namespace

TEST_F(DocumentFixture, StoringNothingStillDescribesTheGraph)
{
    add(&graph);
    add(graph.addSubGraph(-1));
    std::unique_ptr<QDomDocument> doc(graph.store({}, false, false, false));
    EXPECT_EQ(doc->doctype().name(), QStringLiteral("MarrowindGraphNode"));
    const QDomElement root = doc->documentElement();
    EXPECT_EQ(root.tagName(), QStringLiteral("graph"));
    EXPECT_EQ(root.attribute("num_nodes"), QStringLiteral("3"));
    EXPECT_TRUE(root.firstChildElement("nodes").firstChildElement().isNull());
    EXPECT_FALSE(root.firstChildElement("connections").isNull());
    EXPECT_TRUE(root.firstChildElement("connections").firstChildElement().isNull());
}

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
    const QDomElement subSection = stored->documentElement().firstChildElement("nodes")
                                       .firstChildElement("graph");
    const QDomElement keys = subSection.firstChildElement();
    EXPECT_EQ(keys.tagName(), QStringLiteral("keyframes"));
    EXPECT_EQ(keys.attribute("f0"), QStringLiteral("0"));
    EXPECT_EQ(keys.attribute("f1"), QStringLiteral("20"));
    EXPECT_TRUE(subSection.firstChildElement("connections").isNull());

    QDomDocument text;
    ASSERT_TRUE(text.setContent(stored->toString()));
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
    EXPECT_EQ(b2->getTerminal("in")->connectedToHost(0), a2);
    EXPECT_EQ(c2->getTerminal("in")->connectedToHost(0), b2);
    EXPECT_EQ(d2->getTerminal("in")->connectedToHost(0), c2);
    EXPECT_GT(copy.uidCounter(), sub->uid());
    for (Node* node : {static_cast<Node*>(a), static_cast<Node*>(b), static_cast<Node*>(c)})
        EXPECT_EQ(map.value(node->uid()), node->uid());
}

TEST_F(DocumentFixture, NewUidsAreMappedAndLinksFollowThem)
{
    graph.getUid();
    graph.getUid(); // counter at 3
    QDomDocument doc;
    QMap<int, int> map;
    ASSERT_EQ(graph.load(parse(doc, graphXml(section(10) + section(11), conn("10", "11"))), false,
                         LoadConnectionsOfLoaded, nullptr, &map), 0);
    EXPECT_EQ(map, (QMap<int, int>{{10, 3}, {11, 4}}));
    Node* n3 = graph.findNode(3, false);
    Node* n4 = graph.findNode(4, false);
    ASSERT_TRUE(n3 && n4);
    EXPECT_EQ(n4->getTerminal("in")->connectedToHost(0), n3);
}

TEST_F(DocumentFixture, KeptUidRaisesTheCounter)
{
    graph.setUid(5);
    QDomDocument doc;
    ASSERT_EQ(graph.load(parse(doc, graphXml(section(40))), true, LoadAllConnections), 0);
    EXPECT_NE(graph.findNode(40, false), nullptr);
    EXPECT_EQ(graph.uidCounter(), 41);
}

TEST_F(DocumentFixture, InvalidOrTakenUidsGetFreeNumbers)
{
    TestNode* existing = add(&graph, QStringLiteral("existing"));
    ASSERT_EQ(existing->uid(), 1);
    graph.setUid(1); // the counter now points at a uid in use
    const QString nodes = section(1, "taken") + section(0, "zero") + section(-5, "negative")
        + section((1 << 30) + 1, "huge") + section(7, "seven")
        + QStringLiteral("<test.node uuid=\"%1\" name=\"%2\"/>").arg(testUuid(), KelUtils::toBase64("none"));
    const QString links = conn("1", "0") + conn("-5", "1073741825") + conn("7", "1", "out", "in");
    QDomDocument doc;
    QMap<int, int> map;
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
    EXPECT_EQ(byName(graph, "seven")->uid(), 7);
    EXPECT_EQ(map.value(1), byName(graph, "taken")->uid());
    EXPECT_EQ(map.value(-1), byName(graph, "none")->uid());
    EXPECT_GT(graph.uidCounter(), *std::max_element(uids.cbegin(), uids.cend()));

    // Links land on the nodes the document meant, not on the node that had uid 1 before.
    EXPECT_EQ(byName(graph, "zero")->getTerminal("in")->connectedToHost(0), byName(graph, "taken"));
    EXPECT_EQ(byName(graph, "huge")->getTerminal("in")->connectedToHost(0), byName(graph, "negative"));
    Terminal* takenIn = byName(graph, "taken")->getTerminal("in");
    EXPECT_EQ(takenIn->connectedToHost(0), byName(graph, "seven"));
    EXPECT_EQ(existing->getTerminal("in")->numConnections(), 0);
}

TEST_F(DocumentFixture, LinksToNodesAlreadyThereNeedTheSecondFlag)
{
    TestNode* existing = add(&graph, "existing");
    const QString xml = graphXml(section(5, "new"), conn(QString::number(existing->uid()), "5"));
    {
        QDomDocument doc;
        ASSERT_EQ(graph.load(parse(doc, xml), true, LoadConnectionsOfLoaded), 0);
        EXPECT_EQ(existing->getTerminal("out")->numConnections(), 0);
    }
    graph.removeNode(graph.findNode(5, false));
    {
        QDomDocument doc;
        ASSERT_EQ(graph.load(parse(doc, xml), true, LoadAllConnections), 0);
        EXPECT_EQ(existing->getTerminal("out")->connectedToHost(0), graph.findNode(5, false));
    }
}

TEST_F(DocumentFixture, OnlyConnectionElementsCount)
{
    QDomDocument doc;
    const QString xml = graphXml(section(1) + section(2),
                                 "<link node_uid1=\"1\"/>" + conn("1", "2") + "<!-- note -->");
    EXPECT_EQ(graph.load(parse(doc, xml), true, LoadAllConnections), 0);
    EXPECT_TRUE(graph.findNode(1, false)->isConnectedTo(graph.findNode(2, false)));
}

TEST_F(DocumentFixture, StoredLinksAreWrittenOnceFromTheLowerUid)
{
    TestNode* a = add(&graph);
    graph.setUid(7);
    TestNode* b = add(&graph);
    ASSERT_EQ(b->uid(), 7);
    ASSERT_EQ(b->connect("out", a, "in"), 0);
    QDomDocument doc;
    QDomElement parent = doc.createElement("x");
    a->storeConnections(doc, parent, {a, b}, true);
    b->storeConnections(doc, parent, {a, b}, true);
    ASSERT_EQ(parent.childNodes().size(), 1);
    const QDomElement c = parent.firstChildElement();
    EXPECT_EQ(c.attribute("node_uid1"), QStringLiteral("1"));
    EXPECT_EQ(c.attribute("node_uid2"), QStringLiteral("7"));
    EXPECT_EQ(c.attribute("terminal1"), QStringLiteral("in"));
    EXPECT_EQ(c.attribute("terminal2"), QStringLiteral("out"));

    // One end stored: written only when one end is enough.
    std::unique_ptr<QDomDocument> both(graph.store({a}, false, false, true));
    std::unique_ptr<QDomDocument> any(graph.store({a}, false, false, false));
    EXPECT_TRUE(both->documentElement().firstChildElement("connections").firstChildElement().isNull());
    EXPECT_FALSE(any->documentElement().firstChildElement("connections").firstChildElement().isNull());
}

TEST_F(DocumentFixture, CommentsAmongSectionsAreNotSections)
{
    QDomDocument doc;
    const QString xml = graphXml(section(1) + "<!-- a comment -->text" + section(2));
    QList<Node*> loaded;
    EXPECT_EQ(graph.load(parse(doc, xml), true, LoadAllConnections, &loaded), 0);
    EXPECT_EQ(loaded.size(), 2);
}

TEST_F(DocumentFixture, ElementWithoutNodesLoadsOnlyTheGraphItself)
{
    QDomDocument doc;
    const QString xml = QStringLiteral("<graph name=\"%1\"/>").arg(KelUtils::toBase64("Renamed"));
    EXPECT_EQ(graph.load(parse(doc, xml), true, LoadAllConnections), 0);
    EXPECT_EQ(graph.name(), QStringLiteral("Renamed"));
    EXPECT_EQ(graph.numNodes(), 0);
}

TEST_F(DocumentFixture, GraphKeyframesAreTheSectionsOwn)
{
    const QString nested = QStringLiteral(
        "<graph uid=\"3\"><keyframes f0=\"30\" f1=\"5\" f2=\"5\" f3=\"-1\" f4=\"500\" f5=\"x\" f6=\"12\"/>"
        "<nodes/></graph>");
    graph.paramContainer()->setKeyframeAt(50);
    QDomDocument doc;
    ASSERT_EQ(graph.load(parse(doc, graphXml(nested)), true, LoadAllConnections), 0);
    // The root element has no keyframes of its own: the graph keeps its own, and the
    // sub-graph's are not taken for them.
    EXPECT_EQ(graph.paramContainer()->keyframes(), (QList<int>{50}));
    NodeGraph* sub = graph.findNode(3, false)->toNodeGraph();
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->paramContainer()->keyframes(), (QList<int>{5, 12, 30}));
}

TEST_F(DocumentFixture, HooksSeeTheStoringAndLoadingGraphFirst)
{
    struct Call
    {
        NodeGraph const* graph;
        Node const* node;
        QString tag;
        int which;
    };
    static QList<Call> calls;
    calls.clear();
    auto storeHook = [](NodeGraph const* g, Node const* n, QDomDocument&, QDomElement& e, void* data) {
        calls.append({g, n, e.tagName(), int(reinterpret_cast<quintptr>(data))});
        if (n)
            e.setAttribute("hooked", "yes");
    };
    NodeGraph* sub = graph.addSubGraph(-1);
    TestNode* inner = add(sub);
    graph.setStoreHook(storeHook, reinterpret_cast<void*>(1));
    sub->setStoreHook(storeHook, reinterpret_cast<void*>(2));

    QDomDocument doc;
    QDomElement parent = doc.createElement("graph");
    sub->store(sub->nodes(), doc, parent, StoreConnectionsAnyEnd, true, false);
    ASSERT_EQ(calls.size(), 4);
    EXPECT_EQ(calls[0].graph, sub);
    EXPECT_EQ(calls[0].node, inner);
    EXPECT_EQ(calls[0].which, 2);
    EXPECT_EQ(calls[1].graph, sub);
    EXPECT_EQ(calls[1].which, 1);
    EXPECT_EQ(calls[2].node, nullptr);
    EXPECT_EQ(calls[2].tag, QStringLiteral("graph"));
    EXPECT_EQ(parent.firstChildElement("nodes").firstChildElement().attribute("hooked"),
              QStringLiteral("yes"));
}

// --- malformed and hostile documents ---------------------------------------------------------

namespace {

struct Snapshot
{
    int total;
    int counter;
    QString name;
    QList<Node*> loaded;
    QMap<int, int> map;
};

} // namespace

class MalformedDocument : public DocumentFixture, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(MalformedDocument, FailsWithNothingAdded)
{
    add(&graph, "existing");
    graph.getUid();
    QList<Node*> loaded{graph.nodes().first()};
    QMap<int, int> map{{99, 1}, {10, 1}};
    const Snapshot before{graph.totalNumNodes(), graph.uidCounter(), graph.name(), loaded, map};

    QDomDocument doc;
    const QString xml = QString::fromUtf8(GetParam()).arg(testUuid(), KelUtils::toBase64("Changed"));
    EXPECT_EQ(graph.load(parse(doc, xml), true, LoadAllConnections, &loaded, &map), -1);
    EXPECT_EQ(graph.totalNumNodes(), before.total);
    EXPECT_EQ(graph.uidCounter(), before.counter);
    EXPECT_EQ(graph.name(), before.name);
    EXPECT_EQ(loaded, before.loaded);
    EXPECT_EQ(map, before.map);
}

INSTANTIATE_TEST_SUITE_P(
    GraphDocument, MalformedDocument,
    ::testing::Values(
        // a connection without "terminal2"
        "<graph name=\"%2\"><nodes><n uid=\"10\" uuid=\"%1\"/><n uid=\"11\" uuid=\"%1\"/></nodes>"
        "<connections><connection node_uid1=\"10\" node_uid2=\"11\" terminal1=\"out\"/></connections></graph>",
        // a connection to a node that is nowhere
        "<graph name=\"%2\"><nodes><n uid=\"10\" uuid=\"%1\"/></nodes><connections>"
        "<connection node_uid1=\"10\" node_uid2=\"77\" terminal1=\"out\" terminal2=\"in\"/></connections></graph>",
        // a connection whose uids are not numbers
        "<graph name=\"%2\"><nodes><n uid=\"10\" uuid=\"%1\"/></nodes><connections>"
        "<connection node_uid1=\"zz\" node_uid2=\"10\" terminal1=\"out\" terminal2=\"in\"/></connections></graph>",
        // a node linked to itself
        "<graph name=\"%2\"><nodes><n uid=\"10\" uuid=\"%1\"/></nodes><connections>"
        "<connection node_uid1=\"10\" node_uid2=\"10\" terminal1=\"out\" terminal2=\"in\"/></connections></graph>",
        // a node section without uuid, after a good one
        "<graph name=\"%2\"><nodes><n uid=\"10\" uuid=\"%1\"/><n uid=\"11\"/></nodes></graph>",
        // the same inside a sub-graph
        "<graph name=\"%2\"><nodes><n uid=\"10\" uuid=\"%1\"/><graph uid=\"12\"><nodes><n uid=\"13\"/>"
        "</nodes></graph></nodes></graph>",
        // a sub-graph's own connection to a node outside it
        "<graph name=\"%2\"><nodes><n uid=\"10\" uuid=\"%1\"/><graph uid=\"12\"><nodes><n uid=\"13\" uuid=\"%1\"/>"
        "</nodes><connections><connection node_uid1=\"10\" node_uid2=\"13\" terminal1=\"out\" terminal2=\"in\"/>"
        "</connections></graph></nodes></graph>"));

TEST_F(DocumentFixture, AbsurdNestingIsRefused)
{
    QString xml = section(1);
    for (int i = 0; i < 200; ++i)
        xml = QStringLiteral("<graph uid=\"%1\"><nodes>%2</nodes></graph>").arg(i + 2).arg(xml);
    QDomDocument doc;
    EXPECT_EQ(graph.load(parse(doc, graphXml(xml)), true, LoadAllConnections), -1);
    EXPECT_EQ(graph.numNodes(), 0);
}

TEST_F(DocumentFixture, UnknownNodeTypeIsSkippedWithItsLinks)
{
    graph.types = {&TestNode::m_descriptor};
    const QString nodes = section(1, "a") + section(2, "unknown", otherUuid()) + section(3, "b");
    const QString links = conn("1", "2") + conn("2", "3") + conn("1", "3");
    QDomDocument doc;
    QList<Node*> loaded;
    QMap<int, int> map;
    EXPECT_EQ(graph.load(parse(doc, graphXml(nodes, links)), true, LoadAllConnections, &loaded, &map), -1);
    EXPECT_EQ(loaded.size(), 2);
    EXPECT_FALSE(map.contains(2));
    Node* a = byName(graph, "a");
    Node* b = byName(graph, "b");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(b->getTerminal("in")->connectedToHost(0), a);
}

TEST_F(DocumentFixture, FailureInsideASubGraphIsPassedUp)
{
    graph.types = {&TestNode::m_descriptor};
    const QString nested = QStringLiteral("<graph uid=\"5\" name=\"%1\"><nodes>%2%3</nodes></graph>")
                               .arg(KelUtils::toBase64("sub"), section(6, "inner"),
                                    section(7, "lost", otherUuid()));
    QDomDocument doc;
    EXPECT_EQ(graph.load(parse(doc, graphXml(section(1, "outer") + nested)), true,
                         LoadAllConnections), -1);
    EXPECT_NE(byName(graph, "outer"), nullptr);
    EXPECT_NE(byName(graph, "inner"), nullptr);
    EXPECT_EQ(byName(graph, "inner")->parentGraph(), byName(graph, "sub"));
}

TEST_F(DocumentFixture, LinksThatWouldCloseACycleAreRefusedWhileLoading)
{
    QDomDocument doc;
    const QString xml = graphXml(section(1) + section(2), conn("1", "2") + conn("2", "1"));
    EXPECT_EQ(graph.load(parse(doc, xml), true, LoadAllConnections), 0);
    Node* one = graph.findNode(1, false);
    Node* two = graph.findNode(2, false);
    EXPECT_EQ(two->getTerminal("in")->connectedToHost(0), one);
    EXPECT_EQ(one->getTerminal("in")->numConnections(), 0);
    graph.update();
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
