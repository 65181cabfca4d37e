#include "EffectTestSupport.h"

#include "effects/NodeNoise.h"
#include "effects/NoiseFunctions.h"
#include "params/ParameterContainer.h"

#include <QDomDocument>

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

using namespace KelVyxNodes;
using EffectTest::EffectHarness;
using EffectTest::makeImage;

namespace {

struct Settings
{
    float scaleX = 0.01f;
    float scaleY = 0.01f;
    float amplitude = 1.0f;
    float offset = 0.5f;
};

// amplitude x n + offset as a byte, rounded half up in single precision and held to 0..255.
unsigned int toByte(float n, Settings const& s)
{
    const float v = (n * s.amplitude + s.offset) * 255.0f + 0.5f;
    if (!(v >= 1.0f))
        return 0;
    return v >= 255.0f ? 255u : static_cast<unsigned int>(v);
}

unsigned int expected(KelUtils::NoiseFunction2D basis, QPoint p, unsigned int seed, Settings const& s = {})
{
    return toByte(basis(float(p.x()) * s.scaleX, float(p.y()) * s.scaleY, seed), s);
}

unsigned int expectedRgb(KelUtils::NoiseFunction2D basis, QPoint p, unsigned int seed, Settings const& s = {})
{
    return expected(basis, p, seed, s) << 16 | expected(basis, p, seed + 1, s) << 8 | expected(basis, p, seed + 2, s);
}

bool enabled(NodeNoise& node, char const* key)
{
    return (node.paramContainer()->paramFlags(QString::fromLatin1(key)) & 1) != 0;
}

const QPoint points[] = {{0, 0}, {3, 2}, {7, 5}, {123, 45}, {618, 977}};

} // namespace

TEST(NoiseNode, EveryTypeSamplesItsBasisFunction)
{
    const KelUtils::NoiseFunction2D bases[] = {
        &KelUtils::randomNoise2D,     &KelUtils::randomNoiseFiltered2D, &KelUtils::perlinNoise2D,
        &KelUtils::simplexNoise2D,    &KelUtils::musgraveNoise2D,       &KelUtils::worleyF1Noise2D,
        &KelUtils::worleyF2Noise2D,   &KelUtils::manhattanF1Noise2D,    &KelUtils::manhattanF2Noise2D,
        &KelUtils::voronoiNoise2D,    &KelUtils::voronoiF1F2Noise2D,    &KelUtils::voronoiCracksNoise2D,
    };
    NodeNoise node(1);
    auto* params = node.paramContainer();
    params->setFloatParam("scaleGlobal", 10.0f);
    params->setIntParam("seed", 17);
    Settings s;
    s.scaleX = s.scaleY = 10.0f * 1.0f * 0.01f;
    for (int type = 0; type < 12; ++type) {
        ASSERT_EQ(params->setListParam("type", type), 0);
        for (QPoint p : points) {
            EXPECT_EQ(node.getSample(p), expected(bases[type], p, 17, s)) << type << " at " << p.x() << "," << p.y();
            EXPECT_EQ(node.getSample3(p), expectedRgb(bases[type], p, 17, s)) << type;
        }
    }
    EXPECT_EQ(NodeNoise::basisFunction(12), &KelUtils::perlinNoise2D);
    EXPECT_EQ(NodeNoise::basisFunction(-1), &KelUtils::perlinNoise2D);
}

TEST(NoiseNode, AmplitudeAndOffsetSaturate)
{
    NodeNoise node(1);
    auto* params = node.paramContainer();
    params->setFloatParam("amplitude", 0.0f);
    params->setFloatParam("offset", 1.0f);
    EXPECT_EQ(node.getSample3(QPoint(321, 7)), 0xFFFFFFu);
    params->setFloatParam("offset", -0.1f);
    EXPECT_EQ(node.getSample3(QPoint(321, 7)), 0u);
    // Large amplitudes clamp instead of wrapping.
    params->setFloatParam("amplitude", 10.0f);
    params->setFloatParam("offset", 0.0f);
    params->setListParam("type", NodeNoise::VoronoiCracks);
    params->setFloatParam("scaleGlobal", 20.0f);
    for (int x = 0; x < 30; ++x) {
        const unsigned int v = node.getSample(QPoint(x, x));
        EXPECT_TRUE(v == 0 || v == 255) << x;
    }
}

TEST(NoiseNode, OutputModesPlaceTheSeedsOwnValue)
{
    NodeNoise node(1);
    auto* params = node.paramContainer();
    params->setIntParam("seed", 5);
    const QPoint p(150, 250);
    const unsigned int v = expected(&KelUtils::perlinNoise2D, p, 5);
    ASSERT_EQ(node.getSample(p), v);
    const std::pair<int, unsigned int> modes[] = {
        {NodeNoise::OutputGrayscale, v * 0x010101u}, {NodeNoise::OutputRed, v << 16},
        {NodeNoise::OutputGreen, v << 8},            {NodeNoise::OutputBlue, v},
        {NodeNoise::OutputRgb, expectedRgb(&KelUtils::perlinNoise2D, p, 5)},
    };
    for (auto const& [mode, colour] : modes) {
        ASSERT_EQ(params->setListParam("output", mode), 0);
        EXPECT_EQ(node.getSample3(p), colour) << mode;
    }
}

TEST(NoiseNode, FractalSumAndItsSettingsSwitchTogether)
{
    NodeNoise node(1);
    auto* params = node.paramContainer();
    EXPECT_FALSE(enabled(node, "octaves"));
    params->setIntParam("enableFrac", 1);
    EXPECT_TRUE(enabled(node, "lacunarity"));
    params->setListParam("type", NodeNoise::Simplex);
    params->setFloatParam("octaves", 4.5f);
    params->setFloatParam("lacunarity", 2.5f);
    for (QPoint p : points) {
        const float n = KelUtils::fractalNoiseAdd2D(float(p.x()) * 0.01f, float(p.y()) * 0.01f, &KelUtils::simplexNoise2D,
                                                    4.5f, 0.5f, 2.5f, 0);
        EXPECT_EQ(node.getSample(p), toByte(n, Settings{})) << p.x();
    }
    params->setIntParam("enableFrac", 0);
    EXPECT_FALSE(enabled(node, "octaves"));
    EXPECT_EQ(node.getSample(points[4]), expected(&KelUtils::simplexNoise2D, points[4], 0));
}

TEST(NoiseNode, ProportionalScaleFollowsThePicture)
{
    EffectHarness h(makeImage(1000, 500));
    auto* noise = h.add<NodeNoise>();
    auto* params = noise->paramContainer();
    params->setFloatParam("scaleGlobal", 2.0f);
    const float xy[] = {1.5f, 3.0f};
    params->setFloatGroupParam("scale", xy);
    params->setIntParam("proportional", 1);
    Settings s;
    s.scaleX = 2.0f * 1.5f * (5.0f / 1000.0f);
    s.scaleY = 2.0f * 3.0f * (5.0f / 1000.0f);
    for (QPoint p : points)
        EXPECT_EQ(noise->getSample(p), expected(&KelUtils::perlinNoise2D, p, 0, s)) << p.x();

    // A render of a smaller picture measures that one.
    h.image() = makeImage(20, 10);
    h.output(noise, "out");
    ASSERT_EQ(h.render(), 0);
    s.scaleX = 2.0f * 1.5f * (5.0f / 20.0f);
    s.scaleY = 2.0f * 3.0f * (5.0f / 20.0f);
    for (QPoint p : {QPoint(0, 0), QPoint(3, 2), QPoint(19, 9)})
        EXPECT_EQ(h.rgb(p.x(), p.y()), expectedRgb(&KelUtils::perlinNoise2D, p, 0, s)) << p.x();
}

TEST(NoiseNode, SettingsSurviveStoreAndLoad)
{
    NodeNoise original(1);
    auto* params = original.paramContainer();
    params->setListParam("type", NodeNoise::VoronoiF1F2);
    params->setListParam("output", NodeNoise::OutputGreen);
    params->setFloatParam("amplitude", -2.5f);
    params->setIntParam("seed", 42);
    const float xy[] = {2.0f, 0.5f};
    params->setFloatGroupParam("scale", xy);
    params->setIntParam("enableFrac", 1);
    params->setFloatParam("lacunarity", 2.5f);

    QDomDocument document;
    QDomElement root = document.createElement("graph");
    document.appendChild(root);
    ASSERT_EQ(original.storeState(document, root, false, false), 0);

    NodeNoise copy(2);
    ASSERT_EQ(copy.loadState(root.firstChildElement()), 0);
    // The derived state (basis, scales, enabled fractal settings) follows the loaded values.
    EXPECT_TRUE(enabled(copy, "octaves"));
    for (QPoint p : points) {
        EXPECT_EQ(copy.getSample(p), original.getSample(p)) << p.x();
        EXPECT_EQ(copy.getSample3(p), original.getSample3(p)) << p.x();
    }
    EXPECT_NE(copy.getSample(points[4]), NodeNoise(3).getSample(points[4]));
}
