#include "TestNodes.h"

#include "params/ParameterList.h"

#include <gtest/gtest.h>

using namespace KelNodes;

NodeDescriptor TestNode::m_descriptor{
    QStringLiteral("test.node"), QUuid(QStringLiteral("{6f1a2c44-0d1e-4b7a-9c3e-2a5b8d9e0f11}")),
    QStringLiteral("Test Node"), QString(), [](int uid) -> Node* { return new TestNode(uid); }};

NodeDescriptor OtherNode::m_descriptor{
    QStringLiteral("test.other"), QUuid(QStringLiteral("{0c7d3e55-8a2b-4c6d-9e1f-3b4c5d6e7f22}")),
    QStringLiteral("Other Node"), QString(), [](int uid) -> Node* { return new OtherNode(uid); }};

// Sub-graphs use the node types of the graph they are added to.
NodeDescriptor TestGraph::m_descriptor{
    QStringLiteral("test.graph"), QUuid(QStringLiteral("{9a8b7c6d-5e4f-4a3b-8c2d-1e0f9a8b7c33}")),
    QStringLiteral("Test Graph"), QString(), [](int) -> Node* { return new TestGraph(nullptr, false); }};

TestNode::TestNode(int uid)
    : Node(uid)
    , m_container(QStringLiteral("test.node"), QString(), this)
{
    amount = new KelUtils::NumGroupParameter<float>(QStringLiteral("amount"), QStringLiteral("Amount:"),
                                                    &m_container, &m_amount, 1, 0.f, 10.f, 1.f, true, 1);
    count = new KelUtils::NumGroupParameter<int>(QStringLiteral("count"), QStringLiteral("Count:"),
                                                 &m_container, &m_count, 1, 0, 100, 3, false, 1);
    m_container.paramLists().append(KelUtils::ParameterList{QStringLiteral("basic"), true, {amount, count}});
}

Terminal* TestNode::add(QString const& name, unsigned int in, unsigned int out)
{
    auto* terminal = new Terminal(this, name, in, out);
    addTerminal(terminal);
    return terminal;
}

TestNode* TestNode::withIo()
{
    add(QStringLiteral("in"), 4, 0);
    add(QStringLiteral("out"), 0, 5);
    return this;
}

TestGraph::TestGraph(TestGraph* parent, bool ownTypes)
    : Node(0, QStringLiteral("Graph"), parent)
    , NodeGraph(parent)
{
    types = {&TestNode::m_descriptor, &OtherNode::m_descriptor};
    if (ownTypes)
        setNodeTypes(&types);
}

QList<NodeSubscriber::Event> Recorder::eventsOf(Node const* node) const
{
    QList<Event> result;
    for (auto const& entry : events)
        if (entry.first == node)
            result.append(entry.second);
    return result;
}

void giveTerminals(NodeGraph*, Node* node, QDomElement const&, void*)
{
    if (auto* test = dynamic_cast<TestNode*>(node); test && test->numTerminals() == 0)
        test->withIo()->add(QStringLiteral("side"), 5, 0);
}

QDomDocument reparsed(QDomDocument const& stored)
{
    QDomDocument text;
    EXPECT_TRUE(text.setContent(stored.toString()));
    return text;
}
