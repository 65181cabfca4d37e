#include "effects/math/NodeMax.h"
#include "effects/math/NodeMin.h"

#include "MathTestRig.h"
#include "effects/EffectTestSupport.h"

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using KelUtils::Color;
using MathTest::Rig;

namespace {

template <class N>
void expectShape(char const* typeId, char const* uuid, char const* name, char const* help)
{
    EXPECT_EQ(N::m_descriptor.typeId, QLatin1String(typeId));
    EXPECT_EQ(N::m_descriptor.typeUuid, QUuid(QString::fromLatin1(uuid)));
    EXPECT_EQ(N::m_descriptor.displayName, QLatin1String(name));
    std::unique_ptr<KelNodes::Node> created(N::m_descriptor.create(7));
    auto* node = dynamic_cast<N*>(created.get());
    ASSERT_TRUE(node);
    EXPECT_EQ(node->descriptor(), &N::m_descriptor);
    EXPECT_EQ(MathTest::terminalShapes(node), QStringList({"rgbIn1:4/0", "rgbIn2:4/0", "rgbOut:0/5"}));
    KelUtils::ParameterContainer* c = node->paramContainer();
    EXPECT_EQ(c->name(), QLatin1String(typeId));
    EXPECT_EQ(MathTest::parameterKeys(c), QStringList({"basicsBox", "color1", "color2"}));
    EXPECT_EQ(c->paramFlags(QStringLiteral("basicsBox")), 1);
    EXPECT_EQ(c->paramFlags(QStringLiteral("color1")), 5);
    EXPECT_EQ(c->paramFlags(QStringLiteral("color2")), 5);
    EXPECT_EQ(c->helpItem()->title, QLatin1String(name));
    EXPECT_EQ(c->helpItem()->text, QLatin1String(help));
    EXPECT_TRUE(c->helpItem()->links.isEmpty());
    EXPECT_EQ(node->toBase3DGenerator(), static_cast<Base3DGenerator const*>(node));
    EXPECT_EQ(node->toBase1DGenerator(), nullptr);
    // Both colours start as exact mid grey.
    EXPECT_FLOAT_EQ(c->getColorParam(QStringLiteral("color1")).red, 0.21951973f);
    EXPECT_EQ(node->getSample3(MathTest::kPoint), 0x808080u);
}

} // namespace

TEST(MaxMinNodes, DescriptorsTerminalsParametersAndInitialState)
{
    expectShape<NodeMax>("operator.Maths.max", "0c2fd228-501e-4ac1-bf73-8c65efa7e3bc", "Max",
                         "The node outputs maximum value of R,G,B channels from <b>rgbIn1</b> and "
                         "<b>rgbIn2</b> inputs.");
    expectShape<NodeMin>("operator.Maths.min", "ffee4e43-3908-4312-8820-bdec1513b14a", "Min",
                         "The node outputs minimum value of R,G,B channels from <b>rgbIn1</b> and "
                         "<b>rgbIn2</b> inputs.");
}

TEST(MaxMinNodes, OneInputAgainstTheGreyParameter)
{
    Rig<NodeMax> max;
    max.feed("rgbIn1", 0x10C0FFu);
    EXPECT_EQ(max.sample(), 0x80C0FFu);

    Rig<NodeMin> min;
    min.feed("rgbIn1", 0xFF0010u);
    EXPECT_EQ(min.sample(), 0x800010u);
    // A top byte in the input plays no part and never reaches the output.
    min.probes[0]->colour = 0xFF102030u;
    EXPECT_EQ(min.sample(), 0x102030u);
    max.probes[0]->colour = 0xFF102030u;
    EXPECT_EQ(max.sample(), 0x808080u);
}

TEST(MaxMinNodes, BothInputsChannelByChannel)
{
    Rig<NodeMax> max;
    Rig<NodeMin> min;
    auto* a1 = max.feed("rgbIn1", 0);
    auto* b1 = max.feed("rgbIn2", 0);
    auto* a2 = min.feed("rgbIn1", 0);
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
    // Linked, the parameters play no part.
    max.setColour("color1", Color(1.0f, 1.0f, 1.0f));
    a1->colour = 0;
    b1->colour = 0x010101u;
    EXPECT_EQ(max.sample(), 0x010101u);
}

TEST(MaxMinNodes, ColourParametersAsBytes)
{
    Rig<NodeMin> min;
    min.setColour("color1", Color(1.0f, 0.0f, 7.5f));
    min.setColour("color2", Color(1.0f, 1.0f, 1.0f));
    // 1.0 gives 255, above 1.0 still 255, 0.0 gives 0.
    EXPECT_EQ(min.sample(), 0xFF00FFu);
    min.setGrey("color2", 77);
    EXPECT_EQ(min.sample(), 0x4D004Du);

    Rig<NodeMax> max;
    max.setColour("color1", Color(0.0f, 0.0f, 0.0f));
    max.setColour("color2", Color(0.0f, 0.5f, 0.0f));
    EXPECT_EQ(max.sample(), 0x00BA00u); // 0.5 ^ (1 / 2.2) * 255.999 = 186.8
}

TEST(MaxMinNodes, LinkingGreysOutOnlyItsOwnColour)
{
    Rig<NodeMax> max;
    auto* probe = max.feed("rgbIn1", 0x000000u);
    EXPECT_FALSE(max.enabled("color1"));
    EXPECT_TRUE(max.enabled("color2"));
    EXPECT_EQ(max.flags("color1"), 4);
    EXPECT_EQ(max.sample(), 0x808080u);

    // Re-linking an occupied input ends with the new source and the colour still greyed out.
    max.feed("rgbIn1", 0xF0F0F0u);
    EXPECT_FALSE(probe->isConnectedTo(max.node.get()));
    EXPECT_FALSE(max.enabled("color1"));
    EXPECT_EQ(max.sample(), 0xF0F0F0u);

    // The output's links touch no colour.
    EffectTest::ProbeSourceNode sink(50);
    sink.addTerminal(QStringLiteral("in"), 4u, 0u);
    ASSERT_EQ(max.node->connect(QStringLiteral("rgbOut"), &sink, QStringLiteral("in")), 0);
    EXPECT_FALSE(max.enabled("color1"));
    EXPECT_TRUE(max.enabled("color2"));
    max.node->getTerminal(QStringLiteral("rgbOut"))->disconnect(sink.getTerminal(QStringLiteral("in")));
    EXPECT_FALSE(max.enabled("color1"));

    max.unfeed("rgbIn1");
    EXPECT_TRUE(max.enabled("color1"));
    EXPECT_EQ(max.flags("color1"), 5);
    max.setGrey("color1", 200);
    EXPECT_EQ(max.sample(), 0xC8C8C8u);
}

TEST(MaxMinNodesRender, MinOfPictureAndGrey)
{
    EffectTest::EffectHarness h(EffectTest::makeGradientImage(4, 3));
    auto* min = h.add<NodeMin>();
    h.chain(min, QStringLiteral("rgbIn1"), QStringLiteral("rgbOut"));
    ASSERT_EQ(min->paramContainer()->setColorParam(QStringLiteral("color2"),
                                                   Color(1.0f, 0.0f, 1.0f)), 0);
    ASSERT_EQ(h.render(), 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(h.rgb(x, y), EffectTest::gradientPixel(x, y) & 0xFF00FFu) << x << "," << y;
    }
}

TEST(MaxMinNodes, KeyframedColourReachesSamplesWithoutAPreparation)
{
    Rig<NodeMax> max;
    KelUtils::ParameterContainer* c = max.node->paramContainer();
    max.setColour("color1", Color(1.0f, 1.0f, 1.0f));
    ASSERT_EQ(c->setKeyframeAt(0), 0);
    ASSERT_EQ(c->setCurrentFrame(10), 0);
    ASSERT_EQ(c->setKeyframeAt(10), 0);
    max.setColour("color1", Color(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(max.sample(), 0x808080u);
    ASSERT_EQ(c->setCurrentFrame(0), 0);
    EXPECT_EQ(max.sample(), 0xFFFFFFu);
    ASSERT_EQ(c->setCurrentFrame(10), 0);
    EXPECT_EQ(max.sample(), 0x808080u);
}
