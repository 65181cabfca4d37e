#include "effects/math/NodeMax.h"
#include "effects/math/NodeMin.h"

#include "MathTestRig.h"
#include "effects/EffectTestSupport.h"

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using KelUtils::Color;
using MathTest::Rig;

TEST(MaxMinNodes, ChannelByChannelAgainstInputsAndParameters)
{
    Rig<NodeMax> max;
    Rig<NodeMin> min;
    // One input against the mid-grey parameter; the top byte plays no part.
    auto* a1 = max.feed("rgbIn1", 0x10C0FFu);
    auto* a2 = min.feed("rgbIn1", 0xFF0010u);
    EXPECT_EQ(max.sample(), 0x80C0FFu);
    EXPECT_EQ(min.sample(), 0x800010u);
    a2->colour = 0xFF102030u;
    EXPECT_EQ(min.sample(), 0x102030u);

    auto* b1 = max.feed("rgbIn2", 0);
    auto* b2 = min.feed("rgbIn2", 0);
    const struct { unsigned int a, b, larger, smaller; } cases[] = {
        {0x00FF7Fu, 0xFF0080u, 0xFFFF80u, 0x00007Fu},
        {0x123456u, 0x123456u, 0x123456u, 0x123456u},
        {0xAA000000u | 0x010203u, 0x55000000u | 0x030201u, 0x030203u, 0x010201u},
        {0xFFFFFFu, 0x000000u, 0xFFFFFFu, 0x000000u},
    };
    for (auto const& c : cases) {
        a1->colour = a2->colour = c.a;
        b1->colour = b2->colour = c.b;
        EXPECT_EQ(max.sample(), c.larger) << std::hex << c.a << " " << c.b;
        EXPECT_EQ(min.sample(), c.smaller) << std::hex << c.a << " " << c.b;
    }

    // Parameters as bytes: over-bright reads as 255, 0.5 as 186.
    Rig<NodeMin> params;
    params.setColour("color1", Color(1.0f, 0.0f, 7.5f));
    params.setColour("color2", Color(1.0f, 0.5f, 1.0f));
    EXPECT_EQ(params.sample(), 0xFF00FFu);
    params.setColour("color1", Color(1.0f, 1.0f, 1.0f));
    EXPECT_EQ(params.sample(), 0xFFBAFFu);
}

TEST(MaxMinNodes, LinkingGreysOutOnlyItsOwnColour)
{
    Rig<NodeMax> max;
    max.feed("rgbIn1", 0xF0F0F0u);
    EXPECT_EQ(max.flags("color1"), 4);
    EXPECT_TRUE(max.enabled("color2"));
    EXPECT_EQ(max.sample(), 0xF0F0F0u);
    max.unfeed("rgbIn1");
    EXPECT_EQ(max.flags("color1"), 5);
    max.setGrey("color1", 200);
    EXPECT_EQ(max.sample(), 0xC8C8C8u);
}

TEST(MaxMinNodes, RenderMinOfPictureAndMagenta)
{
    EffectTest::EffectHarness h(EffectTest::makeGradientImage(4, 3));
    auto* min = h.add<NodeMin>();
    h.chain(min, QStringLiteral("rgbIn1"), QStringLiteral("rgbOut"));
    ASSERT_EQ(min->paramContainer()->setColorParam(QStringLiteral("color2"), Color(1.0f, 0.0f, 1.0f)), 0);
    ASSERT_EQ(h.render(), 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(h.rgb(x, y), EffectTest::gradientPixel(x, y) & 0xFF00FFu) << x << "," << y;
    }
}
