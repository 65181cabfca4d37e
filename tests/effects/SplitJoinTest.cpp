#include "effects/NodeJoin.h"
#include "effects/NodeSplit.h"
#include "effects/NodeSplitTerminal1D.h"
#include "effects/VyxTerminal.h"

#include "EffectTestSupport.h"
#include "EngineTestNodes.h"
#include "ProbeSourceNode.h"

#include "nodes/NodeSubscriber.h"
#include "nodes/Terminal.h"
#include "params/Color.h"
#include "params/Parameter.h"
#include "params/ParameterContainer.h"

#include <QDomDocument>

#include <gtest/gtest.h>

#include <memory>

using namespace KelVyxNodes;
using EffectTest::ProbeSourceNode;

namespace {

const QPoint kPoint(2, 1);

unsigned int channelOf(NodeSplit const& split, char const* terminal)
{
    auto const* out = dynamic_cast<VyxTerminal const*>(split.getTerminal(QString::fromLatin1(terminal)));
    if (!out || !out->toBase1DGenerator())
        return 9999u;
    return out->toBase1DGenerator()->getSample(kPoint);
}

bool defColorEnabled(NodeJoin const& join)
{
    return (join.paramContainer()->paramFlags(QStringLiteral("defColor")) & 1) != 0;
}

struct EventCounter : KelNodes::NodeSubscriber
{
    void notify(KelNodes::Node*, Event event) override
    {
        if (event == SetUp)
            ++setUps;
    }
    int setUps = 0;
};

} // namespace

TEST(SplitNode, DescriptorTerminalsAndEmptyContainer)
{
    EXPECT_EQ(NodeSplit::m_descriptor.typeId, QLatin1String("operator.split"));
    EXPECT_EQ(NodeSplit::m_descriptor.typeUuid, QUuid(QStringLiteral("01b8e9be-d98c-4800-a85b-c263dc5d0914")));
    std::unique_ptr<KelNodes::Node> node(NodeSplit::m_descriptor.create(4));
    auto* split = dynamic_cast<NodeSplit*>(node.get());
    ASSERT_TRUE(split);
    EXPECT_EQ(split->uid(), 4);
    EXPECT_EQ(split->descriptor(), &NodeSplit::m_descriptor);
    EXPECT_EQ(split->paramContainer()->name(), QLatin1String("operator.split"));
    EXPECT_TRUE(split->paramContainer()->paramLists().isEmpty());
    ASSERT_EQ(split->numTerminals(), 4);
    EXPECT_EQ(split->terminal(0)->name(), QLatin1String("rgb"));
    EXPECT_EQ(split->terminal(0)->inputMask(), 4u);
    const char* channels[] = {"r", "g", "b"};
    for (int i = 0; i < 3; ++i) {
        auto* out = dynamic_cast<NodeSplitTerminal1D*>(split->terminal(i + 1));
        ASSERT_TRUE(out) << i;
        EXPECT_EQ(out->name(), QLatin1String(channels[i]));
        EXPECT_EQ(out->inputMask(), 0u);
        EXPECT_EQ(out->outputMask(), 3u);
        EXPECT_EQ(out->channelIndex(), i);
    }
    EXPECT_EQ(split->toBase1DGenerator(), static_cast<Base1DGenerator const*>(split));
    EXPECT_EQ(split->toBase3DGenerator(), nullptr);
}

TEST(SplitNode, ChannelsOfALinkedColourAndUnlinkedDefaults)
{
    NodeSplit split(1);
    // Unlinked: every channel output reads 128, the node as a whole 0.
    for (char const* c : {"r", "g", "b"})
        EXPECT_EQ(channelOf(split, c), 128u) << c;
    EXPECT_EQ(split.getSample(kPoint), 0u);

    ProbeSourceNode source(2, 0xAB123456u); // the alpha byte must not reach a channel
    ASSERT_EQ(source.connect(QStringLiteral("out"), &split, QStringLiteral("rgb")), 0);
    EXPECT_EQ(channelOf(split, "r"), 18u);
    EXPECT_EQ(channelOf(split, "g"), 52u);
    EXPECT_EQ(channelOf(split, "b"), 86u);
    EXPECT_EQ(split.getSample(kPoint), 18u);

    ASSERT_EQ(split.disconnect(&source), 0);
    EXPECT_EQ(channelOf(split, "g"), 128u);
    EXPECT_EQ(split.getSample(kPoint), 0u);
}

TEST(SplitNode, APeerWithoutColourLeavesTheInputUnlinked)
{
    NodeSplit split(1);
    EffectTest::MuteNode mute(2);
    ASSERT_EQ(mute.connect(QStringLiteral("out"), &split, QStringLiteral("rgb")), 0);
    EXPECT_EQ(channelOf(split, "r"), 128u);
    EXPECT_EQ(split.getSample(kPoint), 0u);
}

TEST(JoinNode, DescriptorTerminalsAndParameters)
{
    EXPECT_EQ(NodeJoin::m_descriptor.typeId, QLatin1String("operator.join"));
    EXPECT_EQ(NodeJoin::m_descriptor.typeUuid, QUuid(QStringLiteral("01686572-6520-7769-6c6c-206265207469")));
    std::unique_ptr<KelNodes::Node> node(NodeJoin::m_descriptor.create(3));
    auto* join = dynamic_cast<NodeJoin*>(node.get());
    ASSERT_TRUE(join);
    EXPECT_EQ(join->paramContainer()->name(), QLatin1String("operator.join"));
    const char* names[] = {"r", "g", "b", "gray", "rgb"};
    ASSERT_EQ(join->numTerminals(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(join->terminal(i)->name(), QLatin1String(names[i]));
        EXPECT_EQ(join->terminal(i)->inputMask(), i < 4 ? 2u : 0u);
        EXPECT_EQ(join->terminal(i)->outputMask(), i < 4 ? 0u : 5u);
    }
    ASSERT_EQ(join->paramContainer()->paramLists().size(), 1);
    auto const& params = join->paramContainer()->paramLists().first().parameters;
    ASSERT_EQ(params.size(), 2);
    EXPECT_EQ(params[0]->name(), QLatin1String("basicsBox"));
    EXPECT_EQ(params[1]->name(), QLatin1String("defColor"));
    EXPECT_EQ(join->toBase1DGenerator(), nullptr);
}

TEST(JoinNode, ChannelsFromOwnInputsThenGreyThenDefault)
{
    NodeJoin join(1);
    EXPECT_EQ(join.getSample3(kPoint), 0x808080u);

    ProbeSourceNode gray(2, 0, 0x100 + 77); // only the low byte counts
    ASSERT_EQ(gray.connect(QStringLiteral("out 1d"), &join, QStringLiteral("gray")), 0);
    EXPECT_EQ(join.getSample3(kPoint), 0x4D4D4Du);

    ProbeSourceNode red(3, 0, 200);
    ASSERT_EQ(red.connect(QStringLiteral("out 1d"), &join, QStringLiteral("r")), 0);
    EXPECT_EQ(join.getSample3(kPoint), 0xC84D4Du);

    ASSERT_EQ(join.disconnect(&gray), 0);
    EXPECT_EQ(join.getSample3(kPoint), 0xC88080u); // green and blue from the default

    ProbeSourceNode green(4, 0, 52);
    ProbeSourceNode blue(5, 0, 86);
    ASSERT_EQ(green.connect(QStringLiteral("out 1d"), &join, QStringLiteral("g")), 0);
    ASSERT_EQ(blue.connect(QStringLiteral("out 1d"), &join, QStringLiteral("b")), 0);
    red.value = 18;
    EXPECT_EQ(join.getSample3(kPoint), 0x123456u);
}

TEST(JoinNode, DefaultColourIsEditableUnlessGreyOrAllChannelsDeliver)
{
    NodeJoin join(1);
    EXPECT_TRUE(defColorEnabled(join));
    ProbeSourceNode r(2), g(3), b(4), gray(5);
    ASSERT_EQ(r.connect(QStringLiteral("out 1d"), &join, QStringLiteral("r")), 0);
    ASSERT_EQ(g.connect(QStringLiteral("out 1d"), &join, QStringLiteral("g")), 0);
    EXPECT_TRUE(defColorEnabled(join));
    ASSERT_EQ(b.connect(QStringLiteral("out 1d"), &join, QStringLiteral("b")), 0);
    EXPECT_FALSE(defColorEnabled(join));
    ASSERT_EQ(join.disconnect(&g), 0);
    EXPECT_TRUE(defColorEnabled(join));
    ASSERT_EQ(gray.connect(QStringLiteral("out 1d"), &join, QStringLiteral("gray")), 0);
    EXPECT_FALSE(defColorEnabled(join));
    ASSERT_EQ(join.disconnect(&r), 0);
    ASSERT_EQ(join.disconnect(&b), 0);
    EXPECT_FALSE(defColorEnabled(join)); // grey alone still covers every channel
    ASSERT_EQ(join.disconnect(&gray), 0);
    EXPECT_TRUE(defColorEnabled(join));
}

TEST(JoinNode, DefaultColourBytesFollowEveryChange)
{
    NodeJoin join(1);
    EventCounter events;
    events.subscribe(&join);
    KelUtils::ParameterContainer* c = join.paramContainer();
    ASSERT_EQ(c->setColorParam(QStringLiteral("defColor"), KelUtils::Color(1.0f, 1.0f, 1.0f, 0.0f)), 0);
    EXPECT_EQ(join.getSample3(kPoint), 0xFFFFFFu);
    EXPECT_EQ(events.setUps, 1);
    // Over-bright is held at 255.
    ASSERT_EQ(c->setColorParam(QStringLiteral("defColor"), KelUtils::Color(5.0f, 0.0f, 1e30f, 1.0f)), 0);
    EXPECT_EQ(join.getSample3(kPoint), 0xFF00FFu);

    // A loaded document: stored negative channels become 0; the load itself reports a change.
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("root"));
    ASSERT_EQ(c->storeState(document, root, false, false), 0);
    QDomElement section = root.firstChildElement();
    QDomElement param = section.firstChildElement(QStringLiteral("paramset")).firstChildElement();
    while (!param.isNull() && param.attribute(QStringLiteral("name")) != QLatin1String("defColor"))
        param = param.nextSiblingElement();
    ASSERT_FALSE(param.isNull());
    param.setAttribute(QStringLiteral("r"), QStringLiteral("-3"));
    const int before = events.setUps;
    ASSERT_EQ(c->loadState(section), 0);
    EXPECT_GT(events.setUps, before);
    EXPECT_EQ(join.getSample3(kPoint) >> 16, 0u);
    events.unsubscribe(&join);
}

TEST(SplitJoinRender, SplitChannelsRejoinedInAnotherOrder)
{
    EffectTest::EffectHarness h(EffectTest::makeGradientImage(4, 3));
    auto* split = h.add<NodeSplit>();
    auto* join = h.add<NodeJoin>();
    using H = EffectTest::EffectHarness;
    ASSERT_EQ(H::link(h.source(), QStringLiteral("rgb"), split, QStringLiteral("rgb")), 0);
    // A peer of "r", "g" or "b" reads that terminal, not the split node (which is red only).
    ASSERT_EQ(H::link(split, QStringLiteral("b"), join, QStringLiteral("r")), 0);
    ASSERT_EQ(H::link(split, QStringLiteral("r"), join, QStringLiteral("g")), 0);
    ASSERT_EQ(H::link(split, QStringLiteral("g"), join, QStringLiteral("b")), 0);
    h.output(join, QStringLiteral("rgb"));
    ASSERT_EQ(h.render(), 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            const unsigned int p = EffectTest::gradientPixel(x, y);
            const unsigned int expected = (p & 0xFFu) << 16 | ((p >> 16) & 0xFFu) << 8 | ((p >> 8) & 0xFFu);
            EXPECT_EQ(h.rgb(x, y), expected) << x << "," << y;
        }
    }
}

TEST(SplitJoinRender, UnlinkedChannelsRenderTheirDefaults)
{
    EffectTest::EffectHarness h(EffectTest::makeImage(3, 2, 0xFF102030u));
    auto* split = h.add<NodeSplit>();
    auto* join = h.add<NodeJoin>();
    using H = EffectTest::EffectHarness;
    // "rgb" of the split stays unlinked: its "g" gives 128; blue from the default colour.
    ASSERT_EQ(H::link(split, QStringLiteral("g"), join, QStringLiteral("r")), 0);
    ASSERT_EQ(join->paramContainer()->setColorParam(QStringLiteral("defColor"),
                                                    KelUtils::Color(0.0f, 0.0f, 1.0f, 1.0f)), 0);
    h.output(join, QStringLiteral("rgb"));
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(0, 0), 0x8000FFu);
    EXPECT_EQ(h.rgb(2, 1), 0x8000FFu);
}
