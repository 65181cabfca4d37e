#include "EffectTestSupport.h"
#include "EngineTestNodes.h"

#include "effects/GeneratorLookup.h"
#include "effects/Terminal1D.h"
#include "params/NumGroupParameter.h"

#include <QDomDocument>

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using namespace EffectTest;

namespace {

// A one-channel output terminal with its own samples.
class ChannelTerminal : public Terminal1D
{
public:
    ChannelTerminal(VyxNode* node, QString const& name)
        : Terminal1D(node, name, 0, 3)
    {
    }
    unsigned int getSample(QPoint const&) const override { return 42; }
};

// A node that offers colour at node level and one channel on its terminal "ch".
class SplitLike : public SolidNode
{
public:
    explicit SplitLike(int id)
        : SolidNode(id)
    {
        channel = new ChannelTerminal(this, QStringLiteral("ch"));
        addTerminal(channel);
    }
    ChannelTerminal* channel;
};

} // namespace

TEST(BaseGeneratorNode, KindFollowsColourInput)
{
    VyxNodeGraph graph;
    auto* solid = new SolidNode(-1);
    auto* node = new InvertNode(-1);
    graph.addNode(solid, -1);
    graph.addNode(node, -1);
    EXPECT_EQ(node->inputTerminal()->inputMask(), 6u);
    EXPECT_EQ(node->outputTerminal()->outputMask(), 7u);
    EXPECT_NE(node->toBase1DGenerator(), nullptr);
    EXPECT_NE(node->toBase3DGenerator(), nullptr);
    ASSERT_EQ(solid->connect(QStringLiteral("out"), node, QStringLiteral("in")), 0);
    EXPECT_EQ(node->outputTerminal()->outputMask(), 5u);
    EXPECT_NE(node->toBase3DGenerator(), nullptr);
    EXPECT_EQ(node->toBase1DGenerator(), nullptr);
    node->inputTerminal()->disconnectAll();
    EXPECT_EQ(node->inputTerminal()->inputMask(), 6u);
    EXPECT_EQ(node->outputTerminal()->outputMask(), 7u);
}

TEST(BaseGeneratorNode, OutputLinkedFirstNarrowsTheInput)
{
    VyxNodeGraph graph;
    auto* node = new InvertNode(-1);
    auto* downstream = new InvertNode(-1);
    auto* solid = new SolidNode(-1);
    graph.addNode(node, -1);
    graph.addNode(downstream, -1);
    graph.addNode(solid, -1);
    // Make the downstream input one channel only, then feed it.
    downstream->inputTerminal()->setInputMask(2);
    ASSERT_EQ(node->connect(QStringLiteral("out"), downstream, QStringLiteral("in")), 0);
    EXPECT_EQ(node->outputTerminal()->outputMask(), 3u);
    EXPECT_EQ(node->inputTerminal()->inputMask(), 2u);
    // A colour peer no longer fits the input.
    EXPECT_EQ(solid->connect(QStringLiteral("out"), node, QStringLiteral("in")), -1);
    // Dropping the last link of both terminals resets the masks.
    node->outputTerminal()->disconnectAll();
    EXPECT_EQ(node->inputTerminal()->inputMask(), 6u);
    EXPECT_EQ(node->outputTerminal()->outputMask(), 7u);
}

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

TEST(GeneratorLookup, TerminalInterfaceTakesPrecedenceAndColourIsPreferred)
{
    VyxNodeGraph graph;
    auto* split = new SplitLike(-1);
    auto* node = new InvertNode(-1);
    graph.addNode(split, -1);
    graph.addNode(node, -1);

    Base1DGenerator const* g1 = nullptr;
    Base3DGenerator const* g3 = nullptr;
    EXPECT_TRUE(getGeneratorInterfaces(split->channel, &g1, &g3));
    EXPECT_EQ(g1, static_cast<Base1DGenerator const*>(split->channel));
    EXPECT_EQ(g3, nullptr);
    g1 = nullptr;
    EXPECT_TRUE(getGeneratorInterfaces(split->getTerminal(QStringLiteral("out")), &g1, &g3));
    EXPECT_EQ(g3, static_cast<Base3DGenerator const*>(split));
    EXPECT_EQ(g1, nullptr);

    // The one-kind lookup disables the parameter it replaces, only when something was found.
    KelUtils::NumGroupParameter<int> param(QStringLiteral("p"), QStringLiteral("P"), nullptr,
                                           nullptr, 1, 0, 9, 1, false, 5);
    Base1DGenerator const* found = nullptr;
    getGeneratorInterface(&found, split->getTerminal(QStringLiteral("out")), &param);
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(param.displayFlags() & 1, 1);
    getGeneratorInterface(&found, split->channel, &param);
    EXPECT_EQ(found->getSample(QPoint(0, 0)), 42u);
    EXPECT_EQ(param.displayFlags() & 1, 0);

    // A node reading the channel terminal samples the terminal, not the host.
    ASSERT_EQ(split->connect(QStringLiteral("ch"), node, QStringLiteral("in")), 0);
    EXPECT_EQ(node->outputTerminal()->outputMask(), 3u);
    node->onFilterStart(nullptr);
    EXPECT_EQ(node->getSample(QPoint(0, 0)), 255u - 42u);
    EXPECT_EQ(linkedGenerator1D(node->inputTerminal()), static_cast<Base1DGenerator const*>(split->channel));
    EXPECT_EQ(linkedGenerator3D(node->outputTerminal()), nullptr);
}
