#include "effects/color/NodeLogarithmicCorrection.h"

#include "effects/EffectTestSupport.h"
#include "effects/ProbeSourceNode.h"

#include "nodes/Terminal.h"
#include "params/ParameterContainer.h"

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using EffectTest::ProbeSourceNode;

TEST(LogarithmicCorrectionNode, LightnessTakesTheScaledLogarithm)
{
    ProbeSourceNode source(1);
    NodeLogarithmicCorrection node(2);
    EXPECT_EQ(node.getSample3(QPoint(0, 0)), 0x808080u);
    ASSERT_EQ(source.connect(QStringLiteral("out"), &node, QStringLiteral("rgbIn")), 0);
    const struct {
        unsigned int in;
        int value;
        unsigned int out;
    } cases[] = {
        {0x000000u, 1, 0x000000u}, {0x000000u, 100, 0x000000u}, // log10(1) = 0
        // White: lightness log10(2) x value / 10, a 16-bit word whose high byte is kept.
        {0xFFFFFFu, 10, 0x4D4D4Du}, // 0.30103 -> 19728 -> 77
        {0xFFFFFFu, 1, 0x070707u},
        {0xFFFFFFu, 33, 0xFEFEFEu},
        {0xFFFFFFu, 34, 0xFFFFFFu}, // clipped at 1
        {0xAB808080u, 10, 0x2D2D2Du}, // log10(1.50196) = 0.17666 -> 45; top byte ignored
        // Colours keep hue and saturation: red = 2 x lightness while below one half.
        {0xFF0000u, 10, 0x5A0000u},
        {0x0000FFu, 10, 0x00005Au},
        {0xFF0000u, 20, 0xB40000u},
        {0xFF0000u, 100, 0xFFFFFFu},
    };
    for (auto const& c : cases) {
        source.colour = c.in;
        ASSERT_EQ(node.paramContainer()->setIntParam(QStringLiteral("Filter Value"), c.value), 0);
        EXPECT_EQ(node.getSample3(QPoint(2, 1)), c.out) << std::hex << c.in << std::dec << " " << c.value;
    }
    EXPECT_EQ(node.paramContainer()->setIntParam(QStringLiteral("Filter Value"), 101), -1);
    source.getTerminal(QStringLiteral("out"))->disconnect(node.getTerminal(QStringLiteral("rgbIn")));
    EXPECT_EQ(node.getSample3(QPoint(0, 0)), 0x808080u);
}

TEST(LogarithmicCorrectionNode, RendersThroughAGraph)
{
    EffectTest::EffectHarness h(EffectTest::makeImage(3, 2, 0xFFFFFFFFu));
    auto* node = h.add<NodeLogarithmicCorrection>();
    h.chain(node, QStringLiteral("rgbIn"), QStringLiteral("rgbOut"));
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(2, 1), 0x4D4D4Du);
}
