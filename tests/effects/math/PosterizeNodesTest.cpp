#include "effects/math/NodeCeil.h"
#include "effects/math/NodeFloor.h"
#include "effects/math/NodeRound.h"

#include "MathTestRig.h"

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using KelUtils::Color;
using MathTest::Rig;

namespace {

// One channel through the node's getSample3: source s and granularity g on all three channels.
template <class N>
unsigned int channel(Rig<N>& rig, unsigned int s, unsigned int g)
{
    rig.probes[0]->colour = s * 0x010101u;
    rig.probes[1]->colour = g * 0x010101u;
    const unsigned int c = rig.sample();
    EXPECT_EQ(c, (c & 0xFFu) * 0x010101u);
    return c & 0xFFu;
}

template <class N>
struct Linked : Rig<N>
{
    Linked()
    {
        this->feed("source", 0);
        this->feed("granularity", 0);
    }
};

template <class N>
void expectShape(char const* typeId, char const* uuid, char const* name, char const* rounding)
{
    EXPECT_EQ(N::m_descriptor.typeId, QLatin1String(typeId));
    EXPECT_EQ(N::m_descriptor.typeUuid, QUuid(QString::fromLatin1(uuid)));
    EXPECT_EQ(N::m_descriptor.displayName, QLatin1String(name));
    std::unique_ptr<KelNodes::Node> created(N::m_descriptor.create(3));
    auto* node = dynamic_cast<N*>(created.get());
    ASSERT_TRUE(node);
    EXPECT_EQ(MathTest::terminalShapes(node), QStringList({"source:4/0", "granularity:4/0", "rgb:0/5"}));
    KelUtils::ParameterContainer* c = node->paramContainer();
    EXPECT_EQ(c->name(), QLatin1String(typeId));
    EXPECT_EQ(MathTest::parameterKeys(c), QStringList({"basicsBox", "Source", "Granularity"}));
    EXPECT_EQ(c->paramFlags(QStringLiteral("Granularity")), 5);
    EXPECT_EQ(c->helpItem()->title, QLatin1String(name));
    EXPECT_EQ(c->helpItem()->text,
              QStringLiteral("The node performs image posterization using %1. <b>Granularity</b> defines the "
                             "tone step - the brighter color you specify, the coarser posterization will be.")
                  .arg(QLatin1String(rounding)));
    ASSERT_EQ(c->helpItem()->links.size(), 2);
    EXPECT_EQ(c->helpItem()->links[0].caption, QLatin1String("Posterization"));
    EXPECT_EQ(c->helpItem()->links[1].caption, QLatin1String("Rounding"));
    // Grey 128 in steps of 64 is a whole multiple.
    EXPECT_FLOAT_EQ(c->getColorParam(QStringLiteral("Granularity")).green, 0.047775757f);
    EXPECT_EQ(node->getSample3(MathTest::kPoint), 0x808080u);
}

} // namespace

TEST(PosterizeNodes, DescriptorsTerminalsParametersAndInitialState)
{
    expectShape<NodeCeil>("operator.Maths.ceil", "938d038c-a0d1-45d4-8871-8cdb9380a530", "Ceil", "up-rounding");
    expectShape<NodeFloor>("operator.Maths.floor", "c335508b-6f5b-43dd-ae03-dd0e37017e0a", "Floor",
                           "down-rounding");
    expectShape<NodeRound>("operator.Maths.round", "46ca812e-8fe7-422c-a6a0-81a00d24749c", "Round",
                           "rounding to the nearest tone");
}

TEST(PosterizeNodes, StepsOf64)
{
    Linked<NodeCeil> ceil;
    Linked<NodeFloor> floor;
    Linked<NodeRound> round;
    const struct { unsigned int s, up, down, nearest; } cases[] = {
        {0, 0, 0, 0},       {1, 64, 0, 0},       {31, 64, 0, 0},     {32, 64, 0, 64},
        {63, 64, 0, 64},    {64, 64, 64, 64},    {65, 128, 64, 64},  {95, 128, 64, 64},
        {96, 128, 64, 128}, {191, 192, 128, 192}, {192, 192, 192, 192}, {193, 255, 192, 192},
        {223, 255, 192, 192}, {224, 255, 192, 255}, {255, 255, 192, 255},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(channel(ceil, c.s, 64), c.up) << c.s;
        EXPECT_EQ(channel(floor, c.s, 64), c.down) << c.s;
        EXPECT_EQ(channel(round, c.s, 64), c.nearest) << c.s;
    }
}

TEST(PosterizeNodes, ExtremeGranularities)
{
    Linked<NodeCeil> ceil;
    Linked<NodeFloor> floor;
    Linked<NodeRound> round;
    for (unsigned int s = 0; s < 256; ++s) {
        // A zero step leaves the channel as it is.
        EXPECT_EQ(channel(ceil, s, 0), s);
        EXPECT_EQ(channel(floor, s, 0), s);
        EXPECT_EQ(channel(round, s, 0), s);
        // One step of 255.
        EXPECT_EQ(channel(ceil, s, 255), s == 0 ? 0u : 255u) << s;
        EXPECT_EQ(channel(floor, s, 255), s == 255 ? 255u : 0u) << s;
        EXPECT_EQ(channel(round, s, 255), s >= 128 ? 255u : 0u) << s;
        // Steps of 100 saturate above 200 when rounding up.
        EXPECT_EQ(channel(ceil, s, 100), s == 0 ? 0u : s <= 100 ? 100u : s <= 200 ? 200u : 255u) << s;
        EXPECT_EQ(channel(floor, s, 100), s / 100 * 100) << s;
    }
}

TEST(PosterizeNodes, ChannelsAreIndependentAndTheTopByteIsDropped)
{
    Rig<NodeRound> round;
    round.feed("source", 0xFF1380C4u);
    auto* granularity = round.feed("granularity", 0x0A00FFu);
    // Red 19 / 10 rounds to 2; green unchanged; blue 196 / 255 rounds to 1.
    EXPECT_EQ(round.sample(), 0x1480FFu);
    granularity->colour = 0x7F000000u | 0x0A00FFu;
    EXPECT_EQ(round.sample(), 0x1480FFu);

    Rig<NodeCeil> ceil;
    ceil.feed("source", 0x1380C4u);
    ceil.feed("granularity", 0x0A00FFu);
    EXPECT_EQ(ceil.sample(), 0x1480FFu);
    Rig<NodeFloor> floor;
    floor.feed("source", 0x1380C4u);
    floor.feed("granularity", 0x0A00FFu);
    EXPECT_EQ(floor.sample(), 0x0A8000u);
}

TEST(PosterizeNodes, ParametersStandInAndStayEditable)
{
    Rig<NodeCeil> ceil;
    ceil.setColour("Granularity", Color(0.0f, 0.0f, 0.0f));
    ceil.setGrey("Source", 77);
    EXPECT_EQ(ceil.sample(), 0x4D4D4Du);
    ceil.setColour("Source", Color(3.0f, 0.5f, 0.0f)); // over-bright reads as 255
    EXPECT_EQ(ceil.sample(), 0xFFBA00u);

    ceil.feed("source", 0x010203u);
    EXPECT_TRUE(ceil.enabled("Source"));
    EXPECT_EQ(ceil.flags("Source"), 5);
    EXPECT_EQ(ceil.sample(), 0x010203u);
    ceil.setGrey("Granularity", 64);
    EXPECT_EQ(ceil.sample(), 0x404040u);
    ceil.unfeed("source");
    EXPECT_EQ(ceil.flags("Source"), 5);
    EXPECT_EQ(ceil.sample(), 0xFFC000u);
}
