// A link a document names that cannot be made again is left open and named, with the way its
// value goes, so that the load can tell the user; the rest of the document loads.

#include "TestNodes.h"

#include "params/Base64.h"

#include <gtest/gtest.h>

using namespace KelNodes;

namespace {

QString unrestoredUuid()
{
    return TestNode::m_descriptor.typeUuid.toString();
}

QString unrestoredSection(int uid, QString const& name)
{
    return QStringLiteral("<test.node uid=\"%1\" name=\"%2\" uuid=\"%3\"/>")
        .arg(uid)
        .arg(KelUtils::toBase64(name), unrestoredUuid());
}

QString unrestoredConn(int uid1, QString const& terminal1, int uid2, QString const& terminal2)
{
    return QStringLiteral("<connection node_uid1=\"%1\" node_uid2=\"%2\" terminal1=\"%3\" terminal2=\"%4\"/>")
        .arg(uid1)
        .arg(uid2)
        .arg(terminal1, terminal2);
}

QString unrestoredGraphXml(QString const& nodes, QString const& connections)
{
    return QStringLiteral("<!DOCTYPE MarrowindGraphNode><graph><nodes>%1</nodes><connections>%2</connections></graph>")
        .arg(nodes, connections);
}

// Nodes read from the documents get "in" (colour), "out" (colour, many links) and a one-channel
// output "channel"; the one named "Picky" refuses every link.
void giveKinds(NodeGraph*, Node* node, QDomElement const& section, void*)
{
    auto* test = dynamic_cast<TestNode*>(node);
    if (!test || test->numTerminals() != 0)
        return;
    test->withIo()->add(QStringLiteral("channel"), 0, 2);
    test->refuseConnect = KelUtils::fromBase64(section.attribute(QStringLiteral("name"))) == QLatin1String("Picky");
}

Node* named(NodeGraph const& graph, QString const& name)
{
    for (Node* node : graph.nodes()) {
        if (node->name() == name)
            return node;
    }
    return nullptr;
}

QString describe(UnrestoredLink const& link)
{
    return QStringLiteral("%1 %2 -> %3 %4").arg(link.fromNode, link.fromTerminal, link.toNode, link.toTerminal);
}

TEST(UnrestoredLinks, ALinkThatCannotBeMadeIsLeftOpenNamedAndTheLoadSaysSo)
{
    TestGraph graph;
    graph.setLoadHook(&giveKinds, nullptr);
    const QString nodes =
        unrestoredSection(10, QStringLiteral("Mixer")) + unrestoredSection(11, QStringLiteral("Reader"))
        + unrestoredSection(12, QStringLiteral("Sink")) + unrestoredSection(13, QStringLiteral("Picky"));
    // One channel into a colour input, named from its input's end; a terminal no node has; a
    // node that refuses; and a good link between them.
    const QString links = unrestoredConn(11, QStringLiteral("in"), 10, QStringLiteral("channel"))
                          + unrestoredConn(10, QStringLiteral("out"), 12, QStringLiteral("nowhere"))
                          + unrestoredConn(10, QStringLiteral("out"), 13, QStringLiteral("in"))
                          + unrestoredConn(10, QStringLiteral("out"), 12, QStringLiteral("in"));
    QDomDocument document;
    ASSERT_TRUE(document.setContent(unrestoredGraphXml(nodes, links)));
    EXPECT_EQ(graph.load(document.documentElement(), true, LoadAllConnections), -1);
    ASSERT_EQ(graph.numNodes(), 4);
    Node* mixer = named(graph, QStringLiteral("Mixer"));
    Node* reader = named(graph, QStringLiteral("Reader"));
    Node* sink = named(graph, QStringLiteral("Sink"));
    ASSERT_TRUE(mixer && reader && sink);
    EXPECT_TRUE(sink->getTerminal(QStringLiteral("in"))->isConnectedTo(mixer->getTerminal(QStringLiteral("out"))));
    EXPECT_EQ(reader->getTerminal(QStringLiteral("in"))->numConnections(), 0);
    EXPECT_EQ(mixer->getTerminal(QStringLiteral("out"))->numConnections(), 1);

    QList<UnrestoredLink> const open = graph.unrestoredLinks();
    ASSERT_EQ(open.size(), 3);
    EXPECT_EQ(describe(open.at(0)), QStringLiteral("Mixer channel -> Reader in"));
    EXPECT_EQ(open.at(0).why, UnrestoredLink::Why::Refused);
    EXPECT_EQ(describe(open.at(1)), QStringLiteral("Mixer out -> Sink nowhere"));
    EXPECT_EQ(open.at(1).why, UnrestoredLink::Why::NoTerminal);
    EXPECT_EQ(describe(open.at(2)), QStringLiteral("Mixer out -> Picky in"));
    EXPECT_EQ(open.at(2).why, UnrestoredLink::Why::Refused);

    // A link closing a cycle is named as well; a load that makes every link names none.
    TestGraph cycle;
    cycle.setLoadHook(&giveKinds, nullptr);
    QDomDocument looped;
    ASSERT_TRUE(looped.setContent(unrestoredGraphXml(
        unrestoredSection(20, QStringLiteral("First")) + unrestoredSection(21, QStringLiteral("Second")),
        unrestoredConn(20, QStringLiteral("out"), 21, QStringLiteral("in"))
            + unrestoredConn(21, QStringLiteral("out"), 20, QStringLiteral("in")))));
    EXPECT_EQ(cycle.load(looped.documentElement(), true, LoadAllConnections), -1);
    ASSERT_EQ(cycle.unrestoredLinks().size(), 1);
    EXPECT_EQ(describe(cycle.unrestoredLinks().first()), QStringLiteral("Second out -> First in"));
    EXPECT_EQ(cycle.unrestoredLinks().first().why, UnrestoredLink::Why::ClosesCycle);
    QDomDocument whole;
    ASSERT_TRUE(whole.setContent(unrestoredGraphXml(unrestoredSection(30, QStringLiteral("Third")), QString())));
    EXPECT_EQ(cycle.load(whole.documentElement(), true, LoadAllConnections), 0);
    EXPECT_TRUE(cycle.unrestoredLinks().isEmpty());
}

} // namespace
