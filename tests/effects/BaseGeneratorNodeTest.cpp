#include "EffectTestSupport.h"
#include "EngineTestNodes.h"

#include <QDomDocument>

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using namespace EffectTest;

TEST(BaseGeneratorNode, RefusesAnInputWithoutGenerator)
{
    VyxNodeGraph graph;
    auto* mute = new MuteNode(-1);
    auto* node = new InvertNode(-1);
    graph.addNode(mute, -1);
    graph.addNode(node, -1);
    EXPECT_EQ(mute->connect(QStringLiteral("out"), node, QStringLiteral("in")), -1);
    EXPECT_EQ(node->inputTerminal()->numConnections(), 0);
}

TEST(BaseGeneratorNode, TermflagsRoundTrip)
{
    InvertNode node(1);
    node.inputTerminal()->setInputMask(4);
    node.outputTerminal()->setOutputMask(5);
    QDomDocument doc;
    QDomElement section = doc.createElement(QStringLiteral("test.invert"));
    ASSERT_EQ(node.storeStateSpecific(doc, section, false), 0);
    QDomElement flags = section.firstChildElement(QStringLiteral("termflags"));
    ASSERT_FALSE(flags.isNull());
    EXPECT_EQ(flags.attribute(QStringLiteral("in")), QStringLiteral("4"));
    EXPECT_EQ(flags.attribute(QStringLiteral("out")), QStringLiteral("5"));

    InvertNode other(2);
    ASSERT_EQ(other.loadStateSpecific(section), 0);
    EXPECT_EQ(other.inputTerminal()->inputMask(), 4u);
    EXPECT_EQ(other.outputTerminal()->outputMask(), 5u);
    // Without "out" the output keeps its mask; junk is ignored.
    flags.removeAttribute(QStringLiteral("out"));
    flags.setAttribute(QStringLiteral("in"), QStringLiteral("x2"));
    InvertNode third(3);
    ASSERT_EQ(third.loadStateSpecific(section), 0);
    EXPECT_EQ(third.inputTerminal()->inputMask(), 6u);
    EXPECT_EQ(third.outputTerminal()->outputMask(), 7u);
}
