#include "effects/math/NodeCeil.h"
#include "effects/math/NodeFloor.h"
#include "effects/math/NodeRound.h"

#include "MathTestRig.h"

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using KelUtils::Color;
using MathTest::Rig;

namespace {

template <class N>
struct Linked : Rig<N>
{
    Linked()
    {
        this->feed("source", 0);
        this->feed("granularity", 0);
    }
    // Source s and granularity g on all three channels; the channels must agree.
    unsigned int channel(unsigned int s, unsigned int g)
    {
        this->probes[0]->colour = s * 0x010101u;
        this->probes[1]->colour = g * 0x010101u;
        const unsigned int c = this->sample();
        EXPECT_EQ(c, (c & 0xFFu) * 0x010101u);
        return c & 0xFFu;
    }
};

} // namespace

TEST(PosterizeNodes, StepsOf64AndExtremeGranularities)
{
    Linked<NodeCeil> ceil;
    Linked<NodeFloor> floor;
    Linked<NodeRound> round;
    const struct { unsigned int s, up, down, nearest; } cases[] = {
        {0, 0, 0, 0},       {1, 64, 0, 0},        {31, 64, 0, 0},       {32, 64, 0, 64},
        {63, 64, 0, 64},    {64, 64, 64, 64},     {65, 128, 64, 64},    {96, 128, 64, 128},
        {191, 192, 128, 192}, {193, 255, 192, 192}, {224, 255, 192, 255}, {255, 255, 192, 255},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(ceil.channel(c.s, 64), c.up) << c.s;
        EXPECT_EQ(floor.channel(c.s, 64), c.down) << c.s;
        EXPECT_EQ(round.channel(c.s, 64), c.nearest) << c.s;
    }
    for (unsigned int s = 0; s < 256; ++s) {
        // A zero step leaves the channel as it is (no division by zero).
        EXPECT_EQ(ceil.channel(s, 0), s);
        EXPECT_EQ(floor.channel(s, 0), s);
        EXPECT_EQ(round.channel(s, 0), s);
        EXPECT_EQ(ceil.channel(s, 255), s == 0 ? 0u : 255u) << s;
        EXPECT_EQ(round.channel(s, 255), s >= 128 ? 255u : 0u) << s;
        // Steps of 100 saturate above 200 when rounding up.
        EXPECT_EQ(ceil.channel(s, 100), s == 0 ? 0u : s <= 100 ? 100u : s <= 200 ? 200u : 255u) << s;
        EXPECT_EQ(floor.channel(s, 100), s / 100 * 100) << s;
    }
}

TEST(PosterizeNodes, ChannelsAreIndependentAndTheTopByteIsDropped)
{
    Rig<NodeRound> round;
    round.feed("source", 0xFF1380C4u);
    round.feed("granularity", 0x7F0A00FFu);
    // Red 19 / 10 rounds to 2; green unchanged; blue 196 / 255 rounds to 1.
    EXPECT_EQ(round.sample(), 0x1480FFu);
    Rig<NodeFloor> floor;
    floor.feed("source", 0x1380C4u);
    floor.feed("granularity", 0x0A00FFu);
    EXPECT_EQ(floor.sample(), 0x0A8000u);
}

TEST(PosterizeNodes, ParametersStandInAndStayEditable)
{
    Rig<NodeCeil> ceil;
    // Grey 128 in steps of 64 is a whole multiple.
    EXPECT_EQ(ceil.sample(), 0x808080u);
    ceil.setColour("Granularity", Color(0.0f, 0.0f, 0.0f));
    ceil.setColour("Source", Color(3.0f, 0.5f, 0.0f)); // over-bright reads as 255
    EXPECT_EQ(ceil.sample(), 0xFFBA00u);

    ceil.feed("source", 0x010203u);
    EXPECT_EQ(ceil.flags("Source"), 5);
    EXPECT_EQ(ceil.sample(), 0x010203u);
    ceil.setGrey("Granularity", 64);
    EXPECT_EQ(ceil.sample(), 0x404040u);
    ceil.unfeed("source");
    EXPECT_EQ(ceil.sample(), 0xFFC000u);
}
