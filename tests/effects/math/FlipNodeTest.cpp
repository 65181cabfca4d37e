#include "effects/math/NodeFlip.h"

#include "MathTestRig.h"
#include "effects/EffectTestSupport.h"
#include "effects/ProbeSourceNode.h"

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using EffectTest::EffectHarness;
using EffectTest::gradientPixel;

namespace {

struct FlipHarness : EffectHarness
{
    FlipHarness(int w, int h) : EffectHarness(EffectTest::makeGradientImage(w, h)), node(add<NodeFlip>())
    {
        chain(node, QStringLiteral("rgbIn"), QStringLiteral("rgbOut"));
    }
    void set(char const* key, int value)
    {
        ASSERT_EQ(node->paramContainer()->setIntParam(QString::fromLatin1(key), value), 0) << key;
    }
    // Every output pixel against the source pixel the mapping names.
    template <class Map>
    void expectMapping(Map map)
    {
        ASSERT_EQ(render(), 0);
        const QImage& image = result();
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QPoint s = map(x, y);
                EXPECT_EQ(rgb(x, y), gradientPixel(s.x(), s.y()) & 0xFFFFFFu)
                    << "(" << x << ", " << y << ") should read (" << s.x() << ", " << s.y() << ")";
            }
        }
    }
    NodeFlip* node;
};

} // namespace

TEST(FlipNode, TypeTerminalsAndParameters)
{
    EXPECT_EQ(NodeFlip::m_descriptor.typeId, QLatin1String("operator.flip"));
    EXPECT_EQ(NodeFlip::m_descriptor.typeUuid, QUuid(QStringLiteral("9fdc9bc2-78b4-487a-8d1a-32d0b55c539f")));
    EXPECT_EQ(NodeFlip::m_descriptor.displayName, QLatin1String("Flip"));
    std::unique_ptr<KelNodes::Node> holder(NodeFlip::m_descriptor.create(3));
    auto* node = dynamic_cast<NodeFlip*>(holder.get());
    ASSERT_TRUE(node);
    EXPECT_EQ(MathTest::terminalShapes(node), QStringList({"rgbIn:4/0", "rgbOut:0/5"}));
    KelUtils::ParameterContainer* c = node->paramContainer();
    EXPECT_EQ(MathTest::parameterKeys(c), QStringList({"basicsBox", "flipHor", "flipVert", "shiftHor", "shiftVer"}));
    EXPECT_EQ(c->getIntParam(QStringLiteral("flipHor")), 1);
    EXPECT_EQ(c->getIntParam(QStringLiteral("flipVert")), 1);
    EXPECT_EQ(c->paramFlags(QStringLiteral("flipVert")), 5);
    EXPECT_EQ(c->paramFlags(QStringLiteral("shiftHor")), 1);
    EXPECT_EQ(c->helpItem()->text, QLatin1String("The node flips the image horizontally or/and vertically."));
    // Unlinked: mid grey.
    EXPECT_EQ(node->getSample3(QPoint(1, 1)), 0x808080u);
}

TEST(FlipNode, FlipAxes)
{
    FlipHarness h(5, 4);
    // A new node turns the picture by half a turn.
    h.expectMapping([](int x, int y) { return QPoint(4 - x, 3 - y); });
    h.set("flipVert", 0);
    h.expectMapping([](int x, int y) { return QPoint(4 - x, y); });
    h.set("flipHor", 0);
    h.set("flipVert", 1);
    h.expectMapping([](int x, int y) { return QPoint(x, 3 - y); });
    h.set("flipVert", 0);
    h.expectMapping([](int x, int y) { return QPoint(x, y); });
}

TEST(FlipNode, ShiftsInPixels)
{
    // 49.5 either way: halves up across, rounded down along the rows.
    EXPECT_EQ(NodeFlip::horizontalShift(100, 50), 50);
    EXPECT_EQ(NodeFlip::verticalShift(100, 50), 49);
    EXPECT_EQ(NodeFlip::horizontalShift(10, 50), 5);
    EXPECT_EQ(NodeFlip::verticalShift(10, 50), 4);
    EXPECT_EQ(NodeFlip::horizontalShift(10, 100), 9);
    EXPECT_EQ(NodeFlip::horizontalShift(1, 100), 0);
    // A negative percentage counts as its size.
    EXPECT_EQ(NodeFlip::horizontalShift(10, -50), 5);
    EXPECT_EQ(NodeFlip::verticalShift(100, -50), 49);

    FlipHarness h(100, 100);
    h.set("shiftHor", 50);
    h.set("shiftVer", 50);
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.node->shiftX(), 50);
    EXPECT_EQ(h.node->shiftY(), 49);
}

TEST(FlipNode, ShiftWithoutFlipMirrorsTheUncoveredStrip)
{
    FlipHarness h(10, 3);
    h.set("flipHor", 0);
    h.set("flipVert", 0);
    h.set("shiftHor", 50); // 5 pixels
    // Output column 5 - k shows source column k; from column 5 on the picture moved right.
    h.expectMapping([](int x, int y) { return QPoint(x > 5 ? x - 5 : 5 - x, y); });
    EXPECT_EQ(h.rgb(0, 0), gradientPixel(5, 0) & 0xFFFFFFu);
    EXPECT_EQ(h.rgb(9, 2), gradientPixel(4, 2) & 0xFFFFFFu);
    // A full shift alone mirrors the picture.
    h.set("shiftHor", 100);
    h.expectMapping([](int x, int y) { return QPoint(9 - x, y); });
}

TEST(FlipNode, ShiftWithFlipRepeatsTheSeam)
{
    FlipHarness h(10, 3);
    h.set("flipVert", 0);
    h.set("shiftHor", 50);
    // Columns 4 and 5 both show the last source column.
    h.expectMapping([](int x, int y) { return QPoint(x < 5 ? 5 + x : 14 - x, y); });
    EXPECT_EQ(h.rgb(4, 1), h.rgb(5, 1));
    EXPECT_EQ(h.rgb(4, 1), gradientPixel(9, 1) & 0xFFFFFFu);
    h.set("shiftHor", 100);
    h.expectMapping([](int x, int y) { return QPoint(x < 9 ? x + 1 : 9, y); });

    // Rows: 3 rows, shift 100 -> 2 rows; the last row keeps the last source row.
    h.set("shiftHor", 0);
    h.set("flipHor", 0);
    h.set("flipVert", 1);
    h.set("shiftVer", 100);
    h.expectMapping([](int x, int y) { return QPoint(x, y < 2 ? y + 1 : 2); });
}

TEST(FlipNode, OnePixelSidesAndNoImage)
{
    FlipHarness line(1, 6);
    line.set("shiftHor", 100);
    line.set("shiftVer", 30); // floor(5 x 0.3) = 1
    line.expectMapping([](int, int y) { return QPoint(0, y < 1 ? 6 + y - 1 : 5 - y + 1); });

    // Before any preparation the node has no mirror axis: the input passes unchanged.
    MathTest::Rig<NodeFlip> rig;
    auto* probe = rig.feed("rgbIn", 0);
    probe->colourAt = [](QPoint const& p) { return unsigned(p.x() * 16 + p.y()); };
    EXPECT_EQ(rig.sample(QPoint(3, 2)), 0x32u);
    EffectTest::MessageCapture capture;
    EXPECT_EQ(rig.node->onFilterStart(nullptr), 0);
    EXPECT_TRUE(capture.contains(QStringLiteral("NodeFlip error: no image")));
    EXPECT_EQ(rig.sample(QPoint(3, 2)), 0x32u);

    // Inside a graph that holds no image yet.
    KelVyxNodes::VyxNodeGraph bare;
    auto* inside = new NodeFlip(-1);
    bare.addNode(inside, -1);
    capture.clear();
    EXPECT_EQ(inside->onFilterStart(nullptr), 0);
    EXPECT_TRUE(capture.contains(QStringLiteral("NodeFlip error: no image")));
}
