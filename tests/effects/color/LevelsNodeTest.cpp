#include "effects/color/NodeLevels.h"

#include "SilentOutputNode.h"

#include "effects/EffectTestSupport.h"
#include "effects/EngineTestNodes.h"
#include "effects/ProbeSourceNode.h"

#include "nodes/Terminal.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"
#include "params/ParameterList.h"

#include <gtest/gtest.h>

#include <memory>

using namespace KelVyxNodes;
using EffectTest::ProbeSourceNode;

namespace {

const QPoint kPoint(2, 0);

struct LevelsRig
{
    LevelsRig() { EXPECT_EQ(source.connect(QStringLiteral("out"), &node, QStringLiteral("source")), 0); }

    void set(char const* key, int value)
    {
        ASSERT_EQ(node.paramContainer()->setIntParam(QString::fromLatin1(key), value), 0) << key;
    }
    int get(char const* key) const { return node.paramContainer()->getIntParam(QString::fromLatin1(key)); }
    bool enabled(char const* key) const
    {
        return (node.paramContainer()->paramFlags(QString::fromLatin1(key)) & 1) != 0;
    }
    // A grey of v through the node after a render start.
    unsigned int grey(unsigned int v)
    {
        source.colour = v * 0x010101u;
        return node.getSample3(kPoint);
    }
    void prepare() { ASSERT_EQ(node.onFilterStart(nullptr), 0); }

    ProbeSourceNode source{1};
    NodeLevels node{2};
};

unsigned int greyOf(unsigned int v)
{
    return v * 0x010101u;
}

} // namespace

TEST(LevelsNode, DescriptorTerminalsAndParameters)
{
    EXPECT_EQ(NodeLevels::m_descriptor.typeId, QLatin1String("operator.levels"));
    EXPECT_EQ(NodeLevels::m_descriptor.typeUuid, QUuid(QStringLiteral("262aed10-f3a4-4e4a-b535-de2ed9d10c3d")));
    std::unique_ptr<KelNodes::Node> created(NodeLevels::m_descriptor.create(2));
    auto* node = dynamic_cast<NodeLevels*>(created.get());
    ASSERT_TRUE(node);
    const struct { char const* name; unsigned int in, out; } terminals[] = {
        {"source", 6, 0}, {"black point", 2, 0}, {"white point", 2, 0}, {"gamma", 2, 0}, {"out", 0, 7}};
    ASSERT_EQ(node->numTerminals(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(node->terminal(i)->name(), QLatin1String(terminals[i].name));
        EXPECT_EQ(node->terminal(i)->inputMask(), terminals[i].in) << terminals[i].name;
        EXPECT_EQ(node->terminal(i)->outputMask(), terminals[i].out) << terminals[i].name;
    }
    KelUtils::ParameterContainer* c = node->paramContainer();
    EXPECT_EQ(c->name(), QLatin1String("operator.levels"));
    EXPECT_EQ(c->helpItem()->title, QLatin1String("Levels"));
    EXPECT_TRUE(c->helpItem()->text.startsWith(QLatin1String("The node performs image color curve correction")));
    const struct { char const* key; int min, max, def; } params[] = {
        {"Black point", 0, 254, 0}, {"White point", 1, 255, 255}, {"Gamma", -100, 100, 0}};
    auto const& list = c->paramLists().first().parameters;
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list[0]->name(), QLatin1String("basicsBox"));
    for (int i = 0; i < 3; ++i) {
        auto const* p = dynamic_cast<KelUtils::NumGroupParameter<int> const*>(list[i + 1]);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->name(), QLatin1String(params[i].key));
        EXPECT_EQ(p->minimum(), params[i].min);
        EXPECT_EQ(p->maximum(), params[i].max);
        EXPECT_EQ(p->value(), params[i].def);
        EXPECT_EQ(p->displayFlags(), 5);
    }
}

TEST(LevelsNode, UnlinkedSourceIsMidGrey)
{
    NodeLevels node(1);
    EXPECT_EQ(node.getSample3(kPoint), 0x808080u);
    ASSERT_EQ(node.onFilterStart(nullptr), 0);
    EXPECT_EQ(node.getSample3(kPoint), 0x808080u);
}

TEST(LevelsNode, SampledBeforeTheFirstRenderIsTheIdentity)
{
    LevelsRig rig;
    // No onFilterStart yet, as when a preview samples a freshly made node.
    for (unsigned int c : {0x000000u, 0x123456u, 0x7F80FFu, 0xFFFFFFu}) {
        rig.source.colour = c;
        EXPECT_EQ(rig.node.getSample3(kPoint), c) << std::hex << c;
    }
}

TEST(LevelsNode, TableStretchesAndTopsOutAt254ForSomeRanges)
{
    LevelsRig rig;
    rig.set("White point", 200);
    rig.set("Black point", 100);
    rig.prepare();
    EXPECT_EQ(rig.grey(0), 0u);
    EXPECT_EQ(rig.grey(100), 0u);
    EXPECT_EQ(rig.grey(150), greyOf(127)); // 50 x 2.55 = 127.5 truncated
    // 100 x (255.0 / 100) falls just below 255 in double precision.
    EXPECT_EQ(rig.grey(200), greyOf(254));
    EXPECT_EQ(rig.grey(255), greyOf(254));
    rig.source.colour = 0xFF6496C8u; // (100, 150, 200), alpha dropped
    EXPECT_EQ(rig.node.getSample3(kPoint), 0x007FFEu);

    // A span of 25 behaves the same; 24 of 25 gives 244.
    rig.set("Black point", 0);
    rig.set("White point", 25);
    rig.prepare();
    EXPECT_EQ(rig.grey(25), greyOf(254));
    EXPECT_EQ(rig.grey(24), greyOf(244));

    // The defaults map every channel to itself.
    rig.set("White point", 255);
    rig.prepare();
    for (unsigned int v = 0; v < 256; ++v)
        ASSERT_EQ(rig.grey(v), greyOf(v)) << v;
}

TEST(LevelsNode, TableGamma)
{
    LevelsRig rig;
    rig.set("Gamma", -100); // exponent infinite: only 255 survives
    rig.prepare();
    EXPECT_EQ(rig.grey(254), 0u);
    EXPECT_EQ(rig.grey(1), 0u);
    EXPECT_EQ(rig.grey(255), greyOf(255));
    rig.set("Gamma", 50); // exponent 5 / 55
    rig.prepare();
    EXPECT_EQ(rig.grey(1), greyOf(154));
    EXPECT_EQ(rig.grey(128), greyOf(240));
    EXPECT_EQ(rig.grey(0), 0u);
    rig.set("Gamma", -50); // exponent 2
    rig.prepare();
    EXPECT_EQ(rig.grey(128), greyOf(64));
    EXPECT_EQ(rig.grey(254), greyOf(253));
    // Edits reach the table path only at the next render start.
    rig.set("Gamma", 0);
    EXPECT_EQ(rig.grey(128), greyOf(64));
    rig.prepare();
    EXPECT_EQ(rig.grey(128), greyOf(128));
}

TEST(LevelsNode, BlackPointStaysBelowWhitePoint)
{
    LevelsRig rig;
    rig.set("White point", 150);
    rig.set("Black point", 200);
    EXPECT_EQ(rig.get("White point"), 201);
    EXPECT_EQ(rig.get("Black point"), 200);
    rig.set("Black point", 80);
    rig.set("White point", 50);
    EXPECT_EQ(rig.get("Black point"), 49);
    EXPECT_EQ(rig.get("White point"), 50);
    // At the ends of the ranges.
    rig.set("Black point", 254);
    EXPECT_EQ(rig.get("White point"), 255);
    rig.set("White point", 1);
    EXPECT_EQ(rig.get("Black point"), 0);
    // A pair already in order is left alone.
    rig.set("White point", 90);
    EXPECT_EQ(rig.get("Black point"), 0);
}

TEST(LevelsNode, OverrideInputsSampleDirectly)
{
    LevelsRig rig;
    ProbeSourceNode white(3, 0u, 0u), black(4, 0u, 0u), gamma(5, 0u, 0u);
    rig.set("White point", 200);
    rig.set("Black point", 100);
    rig.prepare();

    // Only "gamma" linked: every pixel goes the direct way with the stored points.
    ASSERT_EQ(gamma.connect(QStringLiteral("out 1d"), &rig.node, QStringLiteral("gamma")), 0);
    EXPECT_FALSE(rig.enabled("Gamma"));
    EXPECT_EQ(rig.grey(150), greyOf(127));
    EXPECT_EQ(rig.grey(200), greyOf(254));
    // Direct sampling reads the fields as they are now.
    rig.set("Black point", 0);
    rig.set("White point", 255);
    EXPECT_EQ(rig.grey(128), greyOf(128));
    // An input byte is a gamma value as it stands, 100 and above all alike: 128 becomes
    // (128 / 255)^(5 / 105) = 0.967712, word 63419, high byte 247.
    gamma.value = 100;
    EXPECT_EQ(rig.grey(128), greyOf(247));
    gamma.value = 200;
    EXPECT_EQ(rig.grey(128), greyOf(247));
    gamma.value = 0;

    // Points from inputs; one below the other is swapped, never inverted.
    ASSERT_EQ(white.connect(QStringLiteral("out 1d"), &rig.node, QStringLiteral("white point")), 0);
    ASSERT_EQ(black.connect(QStringLiteral("out 1d"), &rig.node, QStringLiteral("black point")), 0);
    EXPECT_FALSE(rig.enabled("White point"));
    EXPECT_FALSE(rig.enabled("Black point"));
    white.value = 100;
    black.value = 200;
    EXPECT_EQ(rig.grey(150), greyOf(127));
    EXPECT_EQ(rig.grey(90), 0u);
    // Equal points give black.
    white.value = 0;
    black.value = 0;
    EXPECT_EQ(rig.grey(0), 0u);
    EXPECT_EQ(rig.grey(255), 0u);

    // Unlinking enables each setting again; the last one returns to the table.
    ASSERT_EQ(rig.node.disconnect(&white), 0);
    ASSERT_EQ(rig.node.disconnect(&black), 0);
    EXPECT_TRUE(rig.enabled("White point"));
    EXPECT_TRUE(rig.enabled("Black point"));
    EXPECT_EQ(rig.grey(150), greyOf(150)); // fields 0 and 255 now, gamma input 0
    rig.set("Gamma", -50);
    EXPECT_EQ(rig.grey(128), greyOf(128)); // the linked gamma still wins
    ASSERT_EQ(rig.node.disconnect(&gamma), 0);
    EXPECT_TRUE(rig.enabled("Gamma"));
    // Back on the table of the last render start (100..200, gamma 0).
    EXPECT_EQ(rig.grey(150), greyOf(127));
}

TEST(LevelsNode, DirectPathWithTheDarkestGamma)
{
    LevelsRig rig;
    ProbeSourceNode white(3, 0u, 255u);
    ASSERT_EQ(white.connect(QStringLiteral("out 1d"), &rig.node, QStringLiteral("white point")), 0);
    // Gamma -100 is an infinite exponent: every fraction below 1 goes to 0.
    rig.set("Gamma", -100);
    EXPECT_EQ(rig.grey(254), 0u);
    EXPECT_EQ(rig.grey(255), greyOf(255));
    rig.source.colour = 0x00FF7Fu;
    EXPECT_EQ(rig.node.getSample3(kPoint), 0x00FF00u);
}

TEST(LevelsNode, SettingsGreyedOutEvenWhenTheLinkDeliversNothing)
{
    LevelsRig rig;
    ColorTest::SilentOutputNode silent(3);
    ASSERT_EQ(silent.connect(QStringLiteral("out"), &rig.node, QStringLiteral("gamma")), 0);
    EXPECT_FALSE(rig.enabled("Gamma"));
    rig.set("Gamma", -50);
    rig.prepare();
    // Nothing to read: the table path with the stored value.
    EXPECT_EQ(rig.grey(128), greyOf(64));
    ASSERT_EQ(rig.node.disconnect(&silent), 0);
    EXPECT_TRUE(rig.enabled("Gamma"));

    // "source" takes one-channel links, but reads only colour: mid grey.
    EffectTest::FlatAlphaNode channel(4, 200u);
    NodeLevels other(5);
    ASSERT_EQ(channel.connect(QStringLiteral("out"), &other, QStringLiteral("source")), 0);
    ASSERT_EQ(other.onFilterStart(nullptr), 0);
    EXPECT_EQ(other.getSample3(kPoint), 0x808080u);
}

TEST(LevelsNode, RendersThroughAGraph)
{
    EffectTest::EffectHarness h(EffectTest::makeGradientImage(6, 4));
    auto* levels = h.add<NodeLevels>();
    ASSERT_EQ(levels->paramContainer()->setIntParam(QStringLiteral("White point"), 64), 0);
    ASSERT_EQ(levels->paramContainer()->setIntParam(QStringLiteral("Black point"), 16), 0);
    h.chain(levels, QStringLiteral("source"), QStringLiteral("out"));
    ASSERT_EQ(h.render(), 0);
    // Span 48, factor 5.3125 (exact): 16x -> (16x - 16) x 5.3125 held to 0..255.
    EXPECT_EQ(h.rgb(0, 0), 0x000000u);
    EXPECT_EQ(h.rgb(2, 1), 0x550000u);  // (32, 16, 3): 85, 0, 0
    EXPECT_EQ(h.rgb(3, 3), 0xAAAA00u);  // (48, 48, 6): 170, 170, 0
    EXPECT_EQ(h.rgb(5, 2), 0xFF5500u);  // (80, 32, 7): 255, 85, 0
}
