#include "effects/color/NodeLevels.h"

#include "SilentOutputNode.h"

#include "effects/EffectTestSupport.h"
#include "effects/EngineTestNodes.h"
#include "effects/ProbeSourceNode.h"

#include "params/ParameterContainer.h"

#include <gtest/gtest.h>


using namespace KelVyxNodes;
using EffectTest::ProbeSourceNode;

namespace {

const QPoint kLevelsPoint(2, 0);

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
        return node.getSample3(kLevelsPoint);
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

TEST(LevelsNode, MidGreyUnlinkedAndIdentityBeforeTheFirstRender)
{
    NodeLevels lone(1);
    ASSERT_EQ(lone.onFilterStart(nullptr), 0);
    EXPECT_EQ(lone.getSample3(kLevelsPoint), 0x808080u);
    LevelsRig rig;
    // No onFilterStart yet, as when a preview samples a freshly made node.
    for (unsigned int c : {0x000000u, 0x123456u, 0x7F80FFu, 0xFFFFFFu}) {
        rig.source.colour = c;
        EXPECT_EQ(rig.node.getSample3(kLevelsPoint), c) << std::hex << c;
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
    EXPECT_EQ(rig.node.getSample3(kLevelsPoint), 0x007FFEu);

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
    // Each setting pushes the other out of its way; a pair already in order is left alone.
    const struct { char const* key; int value, black, white; } steps[] = {
        {"White point", 150, 0, 150}, {"Black point", 200, 200, 201}, {"Black point", 80, 80, 201},
        {"White point", 50, 49, 50}, {"Black point", 254, 254, 255}, {"White point", 1, 0, 1},
        {"White point", 90, 0, 90}};
    for (auto const& t : steps) {
        rig.set(t.key, t.value);
        EXPECT_EQ(rig.get("Black point"), t.black) << t.key << " " << t.value;
        EXPECT_EQ(rig.get("White point"), t.white) << t.key << " " << t.value;
    }
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

    // Unlinking enables each setting again; the last one returns to the table of the last
    // render start (100..200, gamma 0).
    ASSERT_EQ(rig.node.disconnect(&white), 0);
    ASSERT_EQ(rig.node.disconnect(&black), 0);
    ASSERT_EQ(rig.node.disconnect(&gamma), 0);
    EXPECT_TRUE(rig.enabled("White point"));
    EXPECT_TRUE(rig.enabled("Gamma"));
    EXPECT_EQ(rig.grey(150), greyOf(127));
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
    EXPECT_EQ(other.getSample3(kLevelsPoint), 0x808080u);
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
