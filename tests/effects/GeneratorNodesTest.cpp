#include "EffectTestSupport.h"

#include "effects/NodeConst.h"
#include "effects/NodePulse.h"
#include "effects/NodeSine.h"
#include "effects/NodeTriangle.h"
#include "params/Color.h"
#include "params/ParameterContainer.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <limits>
#include <memory>
#include <utility>

using namespace KelVyxNodes;
using EffectTest::EffectHarness;
using EffectTest::makeImage;

namespace {

unsigned int grey(unsigned int v)
{
    return 0xFF000000u | v * 0x010101u;
}

// Renders `node` into a w x h picture; the wave values below were worked out by hand in
// single precision for a 200-pixel period.
template<class N>
class WaveHarness : public EffectHarness
{
public:
    WaveHarness(int w = 200, int h = 2) : EffectHarness(makeImage(w, h)), node(add<N>())
    {
        output(node, QStringLiteral("out"));
    }
    KelUtils::ParameterContainer* params() const { return node->paramContainer(); }
    // The grey of every listed column (row 0), after a fresh render.
    void expectColumns(std::initializer_list<std::pair<int, unsigned int>> expected)
    {
        ASSERT_EQ(render(), 0);
        for (auto const& [x, value] : expected)
            EXPECT_EQ(pixel(x, 0), grey(value)) << "x = " << x;
    }
    N* node;
};

} // namespace

TEST(ConstNode, RendersColourAndValue)
{
    EffectHarness h(makeImage(3, 2, 0xFF102030u));
    auto* colour = h.add<NodeConst>();
    auto* alpha = h.add<NodeConst>();
    h.output(colour, "out");
    h.outputAlpha(alpha, "out");
    // 1.0 -> 255; 0.5^(1/2.2) x 255.999 = 186.8 -> 186; 0 -> 0.
    colour->paramContainer()->setColorParam("value3d", KelUtils::Color(1.0f, 0.5f, 0.0f));
    alpha->paramContainer()->setIntParam("value1d", 77);
    ASSERT_EQ(h.render(), 0);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(h.pixel(x, y), 0x4DFFBA00u) << x << "," << y;
    }
}

TEST(ConstNode, HugeComponentsSaturateInsteadOfOverflowing)
{
    NodeConst node(1);
    auto* params = node.paramContainer();
    // pow(FLT_MAX, 1/2.2) x 256 is far beyond any integer: held at 255 before conversion.
    ASSERT_EQ(params->setColorParam("value3d", KelUtils::Color(std::numeric_limits<float>::max(), 4.0f, 0.0f)), 0);
    EXPECT_EQ(node.getSample3(QPoint()), 0xFFFF00u);
    ASSERT_EQ(params->setColorParam("value3d", KelUtils::Color(0.0f, 1e30f, 0.21951973f)), 0);
    EXPECT_EQ(node.getSample3(QPoint()), 0x00FF80u);
}

TEST(SineNode, AlongXWithSaturationAndPhase)
{
    WaveHarness<NodeSine> h;
    // 0.5 + 0.5 cos(2 pi x / 200): x 50 lies a hair past the quarter period in single precision
    // (cos < 0, 127) and x 150 a hair before three quarters (128).
    h.expectColumns({{0, 255}, {25, 218}, {50, 127}, {100, 0}, {150, 128}, {199, 255}});
    EXPECT_EQ(h.pixel(100, 1), grey(0));
    h.params()->setFloatParam("amplitude", 3.0f);
    h.params()->setFloatParam("offset", 0.0f);
    h.expectColumns({{0, 255}, {25, 255}, {66, 0}, {100, 0}});
    h.params()->setFloatParam("amplitude", 0.5f);
    h.params()->setFloatParam("offset", 0.5f);
    h.params()->setFloatParam("phase", 90.0f);
    // cos(90 x 0.017453292f) is -4.4e-8: just under 128.
    h.expectColumns({{0, 127}, {50, 0}});
}

TEST(PulseNode, PhaseShiftsAQuarterPeriodAndLevelsScale)
{
    WaveHarness<NodePulse> h;
    h.params()->setFloatParam("phase", 90.0f);
    ASSERT_EQ(h.render(), 0);
    for (int x = 0; x < 200; ++x)
        EXPECT_EQ(h.pixel(x, 0), grey(x <= 50 || x >= 150 ? 255 : 0)) << x;
    h.params()->setFloatParam("oneLevel", 0.6f);
    h.params()->setFloatParam("zeroLevel", 0.2f);
    h.expectColumns({{0, 153}, {100, 51}});
}

TEST(TriangleNode, SymmetricAndSawtoothShapes)
{
    WaveHarness<NodeTriangle> h;
    h.expectColumns({{0, 0}, {50, 128}, {100, 255}, {150, 128}, {199, 3}});
    h.params()->setFloatParam("peak", 1.0f); // rising sawtooth
    h.expectColumns({{0, 0}, {50, 64}, {100, 128}, {150, 191}, {199, 254}});
}

TEST(WaveNodes, WithoutAPictureThePreparationAbortsTheRender)
{
    NodeSine loose(1);
    EXPECT_EQ(loose.onFilterStart(nullptr), -1);

    VyxNodeGraph graph;
    auto* sine = new NodeSine(-1);
    auto* pulse = new NodePulse(-1);
    auto* triangle = new NodeTriangle(-1);
    for (BaseGeneratorNode* wave : {static_cast<BaseGeneratorNode*>(sine), static_cast<BaseGeneratorNode*>(pulse),
                                    static_cast<BaseGeneratorNode*>(triangle)}) {
        graph.addNode(wave, -1);
        EXPECT_EQ(wave->onFilterStart(nullptr), -1);
    }
}
