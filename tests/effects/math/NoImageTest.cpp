#include "effects/math/NodeChecker.h"
#include "effects/math/NodeChromaticAberration.h"
#include "effects/math/NodeFlip.h"
#include "effects/math/NodeFrame.h"
#include "effects/math/NodeLookup.h"
#include "effects/math/NodeNoiseReduction.h"
#include "effects/math/NodeRotate.h"

#include "effects/Base3DGenerator.h"
#include "effects/EffectTestSupport.h"
#include "effects/ProbeSourceNode.h"

#include <gtest/gtest.h>

using namespace KelVyxNodes;

// Size-dependent nodes used to sample outside the image or dereference a missing graph before
// their first preparation: now they log, succeed, and pass the input (or a neutral grey) through.
TEST(MathNodesWithoutImage, LogAndPassThroughOrNeutralGrey)
{
    const struct { KelNodes::NodeDescriptor const* type; char const* name; char const* input; bool passes; } table[] = {
        {&NodeFlip::m_descriptor, "NodeFlip", "rgbIn", true},
        {&NodeLookup::m_descriptor, "NodeLookup", "in", true},
        {&NodeChromaticAberration::m_descriptor, "NodeChromaticAberration", "in", true},
        {&NodeNoiseReduction::m_descriptor, "NodeNoiseReduction", "in", true},
        {&NodeFrame::m_descriptor, "NodeFrame", "in", true}, // shows its content
        {&NodeRotate::m_descriptor, "NodeRotate", "rgbIn", false},
        {&NodeChecker::m_descriptor, "NodeChecker", "color1", false},
    };
    const QPoint point(3, 2);
    for (auto const& row : table) {
        SCOPED_TRACE(row.name);
        EffectTest::ProbeSourceNode probe(90);
        probe.colourAt = [](QPoint const& p) { return unsigned(p.x() * 16 + p.y()) * 0x010101u; };
        std::unique_ptr<KelNodes::Node> holder(row.type->create(9));
        auto* node = dynamic_cast<VyxNode*>(holder.get());
        ASSERT_TRUE(node);
        Base3DGenerator const* out = node->toBase3DGenerator();
        ASSERT_TRUE(out);
        EXPECT_EQ(out->getSample3(point), 0x808080u);
        ASSERT_EQ(probe.connect(QStringLiteral("out"), node, QString::fromLatin1(row.input)), 0);
        const unsigned int expected = row.passes ? 0x323232u : 0x808080u;
        EXPECT_EQ(out->getSample3(point), expected);

        EffectTest::MessageCapture capture;
        EXPECT_EQ(node->onFilterStart(nullptr), 0);
        EXPECT_TRUE(capture.contains(QStringLiteral("%1 error: no image").arg(QLatin1String(row.name))));
        EXPECT_EQ(out->getSample3(point), expected);
        holder.reset(); // before the probe: its links are undone

        // Inside a graph that holds no image yet.
        KelVyxNodes::VyxNodeGraph bare;
        auto* inside = dynamic_cast<VyxNode*>(bare.addNode(row.type->create(-1), -1));
        ASSERT_TRUE(inside);
        capture.clear();
        EXPECT_EQ(inside->onFilterStart(nullptr), 0);
        EXPECT_TRUE(capture.contains(QStringLiteral("%1 error: no image").arg(QLatin1String(row.name))));
    }
}
