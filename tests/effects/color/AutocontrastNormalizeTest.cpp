#include "effects/color/NodeAutocontrast.h"
#include "effects/color/NodeNormalize.h"

#include "ToneTestSupport.h"
#include "effects/EffectTestSupport.h"
#include "effects/ProbeSourceNode.h"


#include <gtest/gtest.h>


using namespace KelVyxNodes;
using EffectTest::EffectHarness;
using ToneTest::CancelAfter;
using ToneTest::imageOf;

namespace {

unsigned int grey(int v)
{
    return unsigned(v) * 0x010101u;
}

} // namespace

TEST(AutocontrastNode, StretchAtHandWorkedStatistics)
{
    // Full span: lo = 12, hi = 242 (242.25), d = 230.
    EXPECT_EQ(NodeAutocontrast::stretch(0x000C7Fu, 0, 255), 0x00007Fu);
    EXPECT_EQ(NodeAutocontrast::stretch(0xFFF20Bu, 0, 255), 0xFFFF00u);
    // Darkest 20, brightest 220: lo = 32, hi = 209, d = 177; 100 -> 68 x 255 / 177 = 97.
    EXPECT_EQ(NodeAutocontrast::stretch(0x2064D1u, 20, 220), 0x0061FFu);
    // Empty or reversed ranges: every channel is lo.
    EXPECT_EQ(NodeAutocontrast::stretch(0x12AB34u, 0, 0), 0x0C0C0Cu);
    EXPECT_EQ(NodeAutocontrast::stretch(0x12AB34u, 0, 13), 0x0C0C0Cu);
    EXPECT_EQ(NodeAutocontrast::stretch(0x12AB34u, 5, 13), 0x111111u);
    // A darkest value of 244 or more would lift lo past 255: held at 255, so light images stay light.
    EXPECT_EQ(NodeAutocontrast::stretch(0xF4F8FFu, 244, 255), 0xFFFFFFu);
    EXPECT_EQ(NodeAutocontrast::stretch(0xFFFFFFu, 255, 255), 0xFFFFFFu);
    // The top byte of the input never reaches the output.
    EXPECT_EQ(NodeAutocontrast::stretch(0xAB000000u, 0, 255), 0u);
}

TEST(AutocontrastNode, RendersFromTheWholeImagesStatistics)
{
    EffectHarness h(imageOf(3, 2, [](int x, int y) {
        const unsigned int row[] = {0x000000u, 0xFFFFFFu, 0x7F0CF2u};
        return y == 0 ? row[x] : 0x808080u;
    }));
    auto* node = h.add<NodeAutocontrast>();
    h.chain(node, QStringLiteral("in"), QStringLiteral("rgb"));
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(0, 0), 0x000000u);
    EXPECT_EQ(h.rgb(1, 0), 0xFFFFFFu);
    EXPECT_EQ(h.rgb(2, 0), 0x7F00FFu);
    EXPECT_EQ(h.rgb(1, 1), grey(128)); // (128 - 12) x 255 / 230 = 128.6

    // A render rectangle away from the extremes still sees them: the scan covers the image.
    const QRect rect(1, 1, 2, 1);
    ASSERT_EQ(h.graph()->setUp(&h.image(), nullptr, &rect), 0);
    ASSERT_EQ(h.graph()->filter(nullptr), 0);
    EXPECT_EQ(node->getSample3(QPoint(2, 0)), 0x7F00FFu);
}

TEST(AutocontrastNode, BlackStaysDarkGreyAndWhiteStaysWhite)
{
    // All black keeps its dark grey; all white must not be pushed past 255 into darkness.
    for (unsigned int fill : {0xFF000000u, 0xFFFFFFFFu}) {
        EffectHarness h(EffectTest::makeImage(2, 2, fill));
        auto* node = h.add<NodeAutocontrast>();
        h.chain(node, QStringLiteral("in"), QStringLiteral("rgb"));
        ASSERT_EQ(h.render(), 0);
        EXPECT_EQ(h.rgb(1, 1), fill == 0xFF000000u ? 0x0C0C0Cu : 0xFFFFFFu);
    }
}

TEST(AutocontrastNode, MidGreyUntilPreparedAndEmptyRangeWhenPreparedUnlinked)
{
    EffectHarness h(EffectTest::makeImage(2, 2, 0xFFFFFFFFu));
    auto* node = h.add<NodeAutocontrast>();
    EXPECT_EQ(node->getSample3(QPoint(0, 0)), 0x808080u);
    ASSERT_EQ(h.render(), 0);
    // Linked afterwards: the (0, 0) statistics of that preparation apply until the next one.
    ASSERT_EQ(EffectHarness::link(h.source(), QStringLiteral("rgb"), node, QStringLiteral("in")), 0);
    EXPECT_EQ(node->getSample3(QPoint(0, 0)), 0x0C0C0Cu);
}

TEST(AutocontrastNode, CancelledScanKeepsTheLastStatistics)
{
    EffectHarness h(imageOf(4, 2, [](int x, int) { return x == 0 ? 0x000000u : 0xFFFFFFu; }));
    auto* node = h.add<NodeAutocontrast>();
    h.chain(node, QStringLiteral("in"), QStringLiteral("rgb"));
    ASSERT_EQ(h.render(), 0);

    // Now all black; a scan cancelled after two columns must not leave (0, 0) behind.
    h.image().fill(0xFF000000u);
    ASSERT_EQ(h.graph()->setUp(&h.image()), 0);
    CancelAfter observer(2);
    EXPECT_EQ(node->onFilterStart(&observer), -1);
    EXPECT_EQ(node->getSample3(QPoint(1, 1)), 0x000000u); // (0, 255) still
    ASSERT_EQ(node->onFilterStart(nullptr), 0);
    EXPECT_EQ(node->getSample3(QPoint(1, 1)), 0x0C0C0Cu);
}

TEST(NormalizeNode, SamplingStepsBySide)
{
    const int sides[] = {1, 511, 512, 2303, 2304, 10000}, steps[] = {1, 1, 2, 8, 8, 8};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(NodeNormalize::samplingStep(sides[i]), steps[i]) << sides[i];
}

TEST(NormalizeNode, PassesThroughBeforeTheFirstScanAndGreyWhileUnlinked)
{
    EffectTest::ProbeSourceNode source(1, 0x17A0F3u);
    NodeNormalize node(2);
    EXPECT_EQ(node.getSample3(QPoint(0, 0)), 0x808080u);
    EXPECT_EQ(node.onFilterStart(nullptr), 0); // nothing to scan
    ASSERT_EQ(source.connect(QStringLiteral("out"), &node, QStringLiteral("rgbIn")), 0);
    // A preview before any render: every factor is the pass-through 0.
    EXPECT_EQ(node.getSample3(QPoint(3, 3)), 0x17A0F3u);
}

TEST(NormalizeNode, StretchesEachChannelByItsOwnRange)
{
    // Red one value (passes), green 10..200, blue 0..255 (identity).
    EffectHarness h(imageOf(4, 1, [](int x, int) {
        const unsigned int g[] = {10, 200, 50, 100};
        const unsigned int b[] = {0, 255, 128, 64};
        return (100u << 16) | (g[x] << 8) | b[x];
    }));
    auto* node = h.add<NodeNormalize>();
    h.chain(node, QStringLiteral("rgbIn"), QStringLiteral("rgbOut"));
    ASSERT_EQ(h.render(), 0);
    NodeNormalize::Statistics const& s = node->statistics();
    EXPECT_EQ(s.minimum[1], 10);
    EXPECT_EQ(s.maximum[1], 200);
    EXPECT_EQ(s.factor[0], 0.0f);
    EXPECT_EQ(s.factor[1], 255.0f / 190.0f);
    EXPECT_EQ(h.rgb(0, 0), 0x640000u);
    EXPECT_EQ(h.rgb(1, 0), 0x64FFFFu);
    EXPECT_EQ(h.rgb(2, 0), 0x643680u); // 40 x 1.3421 + 0.5 = 54.2
    EXPECT_EQ(h.rgb(3, 0), 0x647940u); // 90 x 1.3421 + 0.5 = 121.3

    // Values the scan missed are held to 0..255.
    EXPECT_EQ(NodeNormalize::stretch(0x640500u, s) & 0x00FF00u, 0u);
    EXPECT_EQ(NodeNormalize::stretch(0x64FA00u, s) & 0x00FF00u, 0xFF00u);
}

TEST(NormalizeNode, ScanFollowsTheDiagonalLattice)
{
    // 512 wide: every second column, starting at column y mod 2.
    EffectHarness h(imageOf(512, 2, [](int x, int y) {
        if (x == 1 && y == 0)
            return 0x000000u; // skipped: row 0 samples even columns
        if (x == 2 && y == 1)
            return 0xFFFFFFu; // skipped: row 1 samples odd columns
        if (x == 3 && y == 1)
            return 0x404040u;
        if (x == 0 && y == 0)
            return 0xC0C0C0u;
        return 0x808080u;
    }));
    auto* node = h.add<NodeNormalize>();
    h.chain(node, QStringLiteral("rgbIn"), QStringLiteral("rgbOut"));
    ASSERT_EQ(h.render(), 0);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(node->statistics().minimum[c], 0x40);
        EXPECT_EQ(node->statistics().maximum[c], 0xC0);
    }
    EXPECT_EQ(h.rgb(1, 0), 0x000000u);
    EXPECT_EQ(h.rgb(2, 1), 0xFFFFFFu);
}

TEST(NormalizeNode, CancelledScanLeavesTheLastStatisticsWhole)
{
    EffectHarness h(imageOf(4, 4, [](int x, int y) { return grey(40 + 10 * (x + y)); }));
    auto* node = h.add<NodeNormalize>();
    h.chain(node, QStringLiteral("rgbIn"), QStringLiteral("rgbOut"));
    ASSERT_EQ(h.render(), 0);
    const NodeNormalize::Statistics before = node->statistics();
    ASSERT_EQ(before.minimum[0], 40);
    ASSERT_EQ(before.maximum[0], 100);

    // Row 0 now holds new extremes; the scan stops before row 1.
    h.image() = imageOf(4, 4, [](int x, int y) { return y == 0 ? grey(x == 0 ? 0 : 255) : grey(90); });
    ASSERT_EQ(h.graph()->setUp(&h.image()), 0);
    CancelAfter observer(1);
    EXPECT_EQ(node->onFilterStart(&observer), -1);
    NodeNormalize::Statistics const& after = node->statistics();
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(after.minimum[c], before.minimum[c]);
        EXPECT_EQ(after.maximum[c], before.maximum[c]);
        EXPECT_EQ(after.factor[c], before.factor[c]);
    }
    // Sampling still uses the old statistics consistently: 90 -> 50 x 4.25 + 0.5.
    EXPECT_EQ(node->getSample3(QPoint(1, 2)), grey(213));

    ASSERT_EQ(node->onFilterStart(nullptr), 0);
    EXPECT_EQ(node->statistics().minimum[0], 0);
    EXPECT_EQ(node->getSample3(QPoint(1, 2)), grey(90));
}
