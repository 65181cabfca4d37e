#include "effects/math/NodeChromaticAberration.h"

#include "MathTestRig.h"
#include "effects/EffectTestSupport.h"
#include "effects/ProbeSourceNode.h"
#include "nodes/NodeSubscriber.h"

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using EffectTest::EffectHarness;
using EffectTest::ProbeSourceNode;

namespace {

// Green and blue both tell the point as y x 16 + x; red is a constant 0xAB.
unsigned int idx(int x, int y)
{
    return unsigned(y * 16 + x) & 0xFFu;
}

QImage indexImage(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, 0xFFAB0000u | idx(x, y) << 8 | idx(x, y));
    }
    return image;
}

// The output colour whose green came from (gx, gy) and blue from (bx, by).
unsigned int fringe(int gx, int gy, int bx, int by)
{
    return 0xAB0000u | idx(gx, gy) << 8 | idx(bx, by);
}

struct ChromaHarness : EffectHarness
{
    ChromaHarness(int w, int h) : EffectHarness(indexImage(w, h)), node(add<NodeChromaticAberration>())
    {
        chain(node, QStringLiteral("in"), QStringLiteral("out"));
    }
    void setStrength(int s)
    {
        ASSERT_EQ(node->paramContainer()->setIntParam(QStringLiteral("strength"), s), 0);
    }
    ProbeSourceNode* aber(unsigned int colour)
    {
        auto* probe = add<ProbeSourceNode>();
        probe->colour = colour;
        EXPECT_EQ(link(probe, QStringLiteral("out"), node, QStringLiteral("aber")), 0);
        return probe;
    }
    NodeChromaticAberration* node;
};

class SetUpCounter : public KelNodes::NodeSubscriber
{
public:
    void notify(KelNodes::Node*, Event event) override
    {
        if (event == SetUp)
            ++count;
    }
    int count = 0;
};

} // namespace

TEST(ChromaticAberrationNode, TypeTerminalsAndOffsets)
{
    EXPECT_EQ(NodeChromaticAberration::m_descriptor.typeId, QLatin1String("operator.chromaaber"));
    EXPECT_EQ(NodeChromaticAberration::m_descriptor.typeUuid,
              QUuid(QStringLiteral("05f97532-8980-41db-bc88-e5710b12768e")));
    EXPECT_EQ(NodeChromaticAberration::m_descriptor.displayName, QLatin1String("Chromatic Aberration"));

    MathTest::Rig<NodeChromaticAberration> rig;
    NodeChromaticAberration* node = rig.node.get();
    EXPECT_EQ(MathTest::terminalShapes(node), QStringList({"in:4/0", "aber:4/0", "out:0/5"}));
    EXPECT_EQ(MathTest::parameterKeys(node->paramContainer()), QStringList({"basicsBox", "strength"}));
    EXPECT_EQ(rig.flags("strength"), 5);
    EXPECT_FLOAT_EQ(node->offsetFactor(), 1.0f);
    EXPECT_EQ(node->fixedOffset(), 1);

    SetUpCounter counter;
    counter.subscribe(node);
    const std::pair<int, int> offsets[] = {{0, 0},  {9, 0},  {10, 1}, {29, 1}, {30, 2}, {49, 2},
                                           {50, 3}, {69, 3}, {70, 4}, {89, 4}, {90, 5}, {100, 5}};
    for (auto const& [strength, offset] : offsets) {
        ASSERT_EQ(node->paramContainer()->setIntParam(QStringLiteral("strength"), strength), 0);
        EXPECT_EQ(node->fixedOffset(), offset) << strength;
    }
    EXPECT_FLOAT_EQ(node->offsetFactor(), 5.0f);
    EXPECT_EQ(counter.count, 12);

    // Linking "aber" leaves the strength editable; no picture gives mid grey.
    rig.feed("aber", 0xFFFFFFu);
    EXPECT_TRUE(rig.enabled("strength"));
    EXPECT_EQ(rig.sample(), 0x808080u);
    counter.unsubscribe(node);
}

TEST(ChromaticAberrationNode, FixedOffsetAtTheBorders)
{
    ChromaHarness h(16, 16);
    ASSERT_EQ(h.render(), 0);
    // Green from one down and right, blue from one up and left.
    EXPECT_EQ(h.rgb(5, 6), fringe(6, 7, 4, 5));
    EXPECT_EQ(h.rgb(0, 0), fringe(1, 1, 0, 0));
    EXPECT_EQ(h.rgb(15, 15), fringe(15, 15, 14, 14));
    EXPECT_EQ(h.rgb(0, 7), fringe(1, 8, 0, 6));
    EXPECT_EQ(h.rgb(15, 0), fringe(15, 1, 14, 0));

    h.setStrength(100); // five pixels
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(7, 8), fringe(12, 13, 2, 3));
    EXPECT_EQ(h.rgb(2, 13), fringe(7, 15, 0, 8));
}

TEST(ChromaticAberrationNode, NoOffsetReadsEachPixelOnce)
{
    ChromaHarness h(4, 3);
    auto* probe = h.add<ProbeSourceNode>();
    int reads = 0;
    probe->colourAt = [&reads](QPoint const& p) {
        ++reads;
        return 0x010203u * unsigned(p.x() + 4 * p.y() + 1);
    };
    ASSERT_EQ(EffectHarness::link(probe, QStringLiteral("out"), h.node, QStringLiteral("in")), 0);
    h.setStrength(9);
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(reads, 12);
    EXPECT_EQ(h.rgb(3, 2), 0x010203u * 12u);
    // At the default offset the corners reuse their first sample for the clamped point.
    h.setStrength(20);
    reads = 0;
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(reads, 12 * 3 - 2);
}

TEST(ChromaticAberrationNode, MapScalesTheOffset)
{
    ChromaHarness h(16, 16);
    ProbeSourceNode* map = h.aber(0x000000u);
    h.setStrength(100);
    ASSERT_EQ(h.render(), 0);
    for (QPoint p : {QPoint(0, 0), QPoint(8, 9), QPoint(15, 15)})
        EXPECT_EQ(h.rgb(p.x(), p.y()), fringe(p.x(), p.y(), p.x(), p.y()));

    // White at strength 100: o = 7.65, green 7 pixels on, blue 8 back.
    map->colour = 0xFFFFFFu;
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(8, 8), fringe(15, 15, 0, 0));
    EXPECT_EQ(h.rgb(9, 10), fringe(15, 15, 1, 2));
    // 7 - 7.65 truncates to 0; 3 - 7.65 is clamped.
    EXPECT_EQ(h.rgb(3, 7), fringe(10, 14, 0, 0));

    // Mid grey: sum 384 x 5 x 0.002 = 3.84.
    map->colour = 0x808080u;
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(8, 8), fringe(11, 11, 4, 4));

    // The picture unlinked: mid grey with the map still there.
    h.node->getTerminal(QStringLiteral("in"))->disconnect(h.source()->getTerminal(QStringLiteral("rgb")));
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(8, 8), 0x808080u);
}

TEST(ChromaticAberrationNode, SizeFromTheGraphAndOnePixelSides)
{
    // Added to a graph that holds a picture, the node knows its size before any render.
    ChromaHarness h(3, 3);
    EXPECT_EQ(h.node->getSample3(QPoint(2, 2)), fringe(2, 2, 1, 1));

    ChromaHarness line(1, 5);
    ASSERT_EQ(line.render(), 0);
    EXPECT_EQ(line.rgb(0, 2), fringe(0, 3, 0, 1));
    EXPECT_EQ(line.rgb(0, 0), fringe(0, 1, 0, 0));
    EXPECT_EQ(line.rgb(0, 4), fringe(0, 4, 0, 3));

    // Never prepared and outside a graph: the picture passes through.
    MathTest::Rig<NodeChromaticAberration> rig;
    auto* probe = rig.feed("in", 0);
    probe->colourAt = [](QPoint const& p) { return unsigned(p.x() * 16 + p.y()) * 0x010101u; };
    EXPECT_EQ(rig.sample(QPoint(3, 2)), 0x323232u);
    EffectTest::MessageCapture capture;
    EXPECT_EQ(rig.node->onFilterStart(nullptr), 0);
    EXPECT_TRUE(capture.contains(QStringLiteral("NodeChromaticAberration error: no image")));
    EXPECT_EQ(rig.sample(QPoint(3, 2)), 0x323232u);
}
