#include "effects/color/NodeAutocontrast.h"
#include "effects/color/NodeAutolevels.h"
#include "effects/color/NodeBlend.h"
#include "effects/color/NodeBrightnessContrast.h"
#include "effects/color/NodeConvert1Dto3D.h"
#include "effects/color/NodeConvert3Dto1D.h"
#include "effects/color/NodeEqualize.h"
#include "effects/color/NodeGammaCurve.h"
#include "effects/color/NodeHSV.h"
#include "effects/color/NodeHSY.h"
#include "effects/color/NodeInversion.h"
#include "effects/color/NodeJoinCMYKtoRGB.h"
#include "effects/color/NodeJoinHSVtoRGB.h"
#include "effects/color/NodeJoinHSY.h"
#include "effects/color/NodeLevels.h"
#include "effects/color/NodeLogarithmicCorrection.h"
#include "effects/color/NodeNormalize.h"
#include "effects/color/NodeRGBA.h"
#include "effects/color/NodeSplitHSY.h"
#include "effects/color/NodeSplitRGBtoCMYK.h"
#include "effects/color/NodeSplitRGBtoHSV.h"
#include "effects/color/NodeThreshold.h"

#include "effects/EffectTestSupport.h"
#include "effects/NodeTypeRegistry.h"

#include "nodes/GraphHooks.h"
#include "params/ParameterContainer.h"

#include <gtest/gtest.h>

#include <QDomDocument>

#include <memory>

using namespace KelVyxNodes;
using EffectTest::EffectHarness;

// One graph holding every colour and tone node type: stored, read back (the brightness/contrast
// node's type id holds a "/", which its element name must not) and rendered to the same bytes.
TEST(ColorNodesDocument, SavedAndReloadedGraphRendersTheSameBytes)
{
    EffectHarness h(EffectTest::makeGradientImage(16, 12));
    auto* inversion = h.add<NodeInversion>();
    auto* rgba = h.add<NodeRGBA>();
    auto* hsv = h.add<NodeHSV>();
    auto* hsy = h.add<NodeHSY>();
    auto* levels = h.add<NodeLevels>();
    auto* log = h.add<NodeLogarithmicCorrection>();
    auto* autocontrast = h.add<NodeAutocontrast>();
    auto* normalize = h.add<NodeNormalize>();
    auto* autolevels = h.add<NodeAutolevels>();
    auto* equalize = h.add<NodeEqualize>();
    auto* bc = h.add<NodeBrightnessContrast>();
    auto* splitHsv = h.add<NodeSplitRGBtoHSV>();
    auto* joinHsv = h.add<NodeJoinHSVtoRGB>();
    auto* splitCmyk = h.add<NodeSplitRGBtoCMYK>();
    auto* joinCmyk = h.add<NodeJoinCMYKtoRGB>();
    auto* splitHsy = h.add<NodeSplitHSY>();
    auto* joinHsy = h.add<NodeJoinHSY>();
    auto* toChannel = h.add<NodeConvert3Dto1D>();
    auto* toColour = h.add<NodeConvert1Dto3D>();
    auto* threshold = h.add<NodeThreshold>();
    auto* blend = h.add<NodeBlend>();
    auto* gamma = h.add<NodeGammaCurve>();
    auto link = [](KelNodes::Node* a, char const* out, KelNodes::Node* b, char const* in) {
        ASSERT_EQ(EffectHarness::link(a, QString::fromLatin1(out), b, QString::fromLatin1(in)), 0) << out << " " << in;
    };
    // The tone chain into the blend's background...
    link(h.source(), "rgb", inversion, "inRgb");
    link(inversion, "outRgb", rgba, "rgb");
    link(rgba, "out rgb", hsv, "rgb");
    link(hsv, "out rgb", hsy, "rgb");
    link(hsy, "out rgb", levels, "source");
    link(levels, "out", log, "rgbIn");
    link(log, "rgbOut", autocontrast, "in");
    link(autocontrast, "rgb", normalize, "rgbIn");
    link(normalize, "rgbOut", autolevels, "in");
    link(autolevels, "rgb", bc, "in");
    link(h.source(), "rgb", equalize, "in");
    link(equalize, "rgb", bc, "contrast");
    link(bc, "rgb", blend, "background");
    // ...and the split/join chain into its foreground.
    link(h.source(), "rgb", splitHsv, "rgb");
    for (char const* c : {"h", "s", "v"})
        link(splitHsv, c, joinHsv, c);
    link(joinHsv, "rgb", splitCmyk, "rgb");
    for (char const* c : {"c", "m", "y", "k"})
        link(splitCmyk, c, joinCmyk, c);
    link(joinCmyk, "rgb", splitHsy, "rgb");
    for (char const* c : {"h", "s", "y"})
        link(splitHsy, c, joinHsy, c);
    link(joinHsy, "rgb", toChannel, "rgb");
    link(toChannel, "out", toColour, "in");
    link(toColour, "rgb", threshold, "source");
    link(threshold, "out", blend, "foreground");
    link(hsy, "out alpha", blend, "opacity");
    link(blend, "rgb", h.destination(), "rgb");

    ASSERT_EQ(rgba->paramContainer()->setIntParam(QStringLiteral("Red"), 30), 0);
    ASSERT_EQ(hsv->paramContainer()->setIntParam(QStringLiteral("Hue"), 15), 0);
    ASSERT_EQ(hsy->paramContainer()->setFloatParam(QStringLiteral("Saturation"), 0.3f), 0);
    ASSERT_EQ(hsy->paramContainer()->setIntParam(QStringLiteral("Alpha"), -60), 0);
    ASSERT_EQ(levels->paramContainer()->setIntParam(QStringLiteral("Gamma"), -20), 0);
    ASSERT_EQ(log->paramContainer()->setIntParam(QStringLiteral("Filter Value"), 27), 0);
    ASSERT_EQ(autolevels->paramContainer()->setListParam(QStringLiteral("mode"), NodeAutolevels::Custom), 0);
    ASSERT_EQ(autolevels->paramContainer()->setFloatParam(QStringLiteral("Threshold Factor"), 2.5f), 0);
    ASSERT_EQ(bc->paramContainer()->setIntParam(QStringLiteral("Brightness Factor"), 35), 0);
    ASSERT_EQ(toChannel->paramContainer()->setListParam(QStringLiteral("output"), 1), 0);
    ASSERT_EQ(toColour->paramContainer()->setListParam(QStringLiteral("input"), 7), 0);
    ASSERT_EQ(threshold->paramContainer()->setIntParam(QStringLiteral("Smooth"), 40), 0);
    ASSERT_EQ(blend->paramContainer()->setListParam(QStringLiteral("mode"), 9), 0);
    ASSERT_EQ(gamma->paramContainer()->setIntParam(QStringLiteral("Gamma"), 10), 0);
    ASSERT_EQ(h.render(), 0);
    const QImage expected = h.result().copy();
    EXPECT_NE(expected.pixel(3, 2), expected.pixel(12, 9)); // not flattened to one colour

    std::unique_ptr<QDomDocument> stored(h.graph()->store(h.graph()->nodes(), false, false, true));
    const QString text = stored->toString();
    EXPECT_TRUE(text.contains(QLatin1String("<operator.brightness_contrast ")));
    QDomDocument reread;
    ASSERT_TRUE(bool(reread.setContent(text))) << qPrintable(text);

    QList<KelNodes::NodeDescriptor const*> types = NodeTypeRegistry::builtIns();
    VyxNodeGraph loaded;
    loaded.setNodeTypes(&types);
    ASSERT_EQ(loaded.load(reread.documentElement(), true, KelNodes::LoadAllConnections), 0);
    auto* bcLoaded = dynamic_cast<NodeBrightnessContrast*>(
        loaded.findFirstNode(NodeBrightnessContrast::m_descriptor.typeUuid, false));
    ASSERT_TRUE(bcLoaded);
    EXPECT_EQ(bcLoaded->paramContainer()->getIntParam(QStringLiteral("Brightness Factor")), 35);
    EXPECT_EQ(bcLoaded->paramContainer()->paramFlags(QStringLiteral("Contrast Factor")), 4); // still linked
    auto* gammaLoaded = dynamic_cast<NodeGammaCurve*>(loaded.findFirstNode(NodeGammaCurve::m_descriptor.typeUuid, false));
    ASSERT_TRUE(gammaLoaded);
    EXPECT_DOUBLE_EQ(gammaLoaded->valueAt(0.25), 0.5);

    QImage image = h.image();
    ASSERT_EQ(loaded.setUp(&image), 0);
    ASSERT_EQ(loaded.filter(nullptr), 0);
    EXPECT_TRUE(loaded.resultImage() == expected);
}
