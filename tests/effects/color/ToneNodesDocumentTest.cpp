#include "effects/color/NodeAutocontrast.h"
#include "effects/color/NodeAutolevels.h"
#include "effects/color/NodeBrightnessContrast.h"
#include "effects/color/NodeEqualize.h"
#include "effects/color/NodeLogarithmicCorrection.h"
#include "effects/color/NodeNormalize.h"

#include "effects/EffectTestSupport.h"
#include "effects/NodeTypeRegistry.h"

#include "nodes/GraphHooks.h"
#include "params/ParameterContainer.h"

#include <gtest/gtest.h>

#include <QDomDocument>

#include <memory>

using namespace KelVyxNodes;
using EffectTest::EffectHarness;

namespace {

// The built-in types plus the tone types, whether or not the registry lists them yet.
QList<KelNodes::NodeDescriptor const*> toneTypes()
{
    QList<KelNodes::NodeDescriptor const*> types = NodeTypeRegistry::builtIns();
    types << &NodeLogarithmicCorrection::m_descriptor << &NodeAutocontrast::m_descriptor
          << &NodeNormalize::m_descriptor << &NodeAutolevels::m_descriptor
          << &NodeEqualize::m_descriptor << &NodeBrightnessContrast::m_descriptor;
    return types;
}

} // namespace

TEST(ToneNodesDocument, SavedAndReloadedGraphRendersTheSameBytes)
{
    EffectHarness h(EffectTest::makeGradientImage(16, 12));
    auto* log = h.add<NodeLogarithmicCorrection>();
    auto* autocontrast = h.add<NodeAutocontrast>();
    auto* normalize = h.add<NodeNormalize>();
    auto* autolevels = h.add<NodeAutolevels>();
    auto* equalize = h.add<NodeEqualize>();
    auto* bc = h.add<NodeBrightnessContrast>();
    auto link = [](KelNodes::Node* a, char const* out, KelNodes::Node* b, char const* in) {
        ASSERT_EQ(EffectHarness::link(a, QString::fromLatin1(out), b, QString::fromLatin1(in)), 0);
    };
    link(h.source(), "rgb", log, "rgbIn");
    link(log, "rgbOut", autocontrast, "in");
    link(autocontrast, "rgb", normalize, "rgbIn");
    link(normalize, "rgbOut", autolevels, "in");
    link(autolevels, "rgb", bc, "in");
    link(h.source(), "rgb", equalize, "in");
    link(equalize, "rgb", bc, "contrast");
    link(bc, "rgb", h.destination(), "rgb");
    ASSERT_EQ(log->paramContainer()->setIntParam(QStringLiteral("Filter Value"), 27), 0);
    ASSERT_EQ(autolevels->paramContainer()->setListParam(QStringLiteral("mode"), NodeAutolevels::Custom), 0);
    ASSERT_EQ(autolevels->paramContainer()->setFloatParam(QStringLiteral("Threshold Factor"), 2.5f), 0);
    ASSERT_EQ(bc->paramContainer()->setIntParam(QStringLiteral("Brightness Factor"), 35), 0);
    ASSERT_EQ(h.render(), 0);
    const QImage expected = h.result().copy();

    std::unique_ptr<QDomDocument> stored(h.graph()->store(h.graph()->nodes(), false, false, true));
    const QString text = stored->toString();
    EXPECT_TRUE(text.contains(QLatin1String("<operator.brightness_contrast ")));
    QDomDocument reread;
    ASSERT_TRUE(bool(reread.setContent(text))) << qPrintable(text);

    QList<KelNodes::NodeDescriptor const*> types = toneTypes();
    VyxNodeGraph loaded;
    loaded.setNodeTypes(&types);
    ASSERT_EQ(loaded.load(reread.documentElement(), true, KelNodes::LoadAllConnections), 0);

    auto* bcLoaded = dynamic_cast<NodeBrightnessContrast*>(
        loaded.findFirstNode(NodeBrightnessContrast::m_descriptor.typeUuid, false));
    ASSERT_TRUE(bcLoaded);
    EXPECT_EQ(bcLoaded->paramContainer()->getIntParam(QStringLiteral("Brightness Factor")), 35);
    // Still replaced by its input after loading.
    EXPECT_EQ(bcLoaded->paramContainer()->paramFlags(QStringLiteral("Contrast Factor")), 4);
    auto* levelsLoaded = dynamic_cast<NodeAutolevels*>(
        loaded.findFirstNode(NodeAutolevels::m_descriptor.typeUuid, false));
    ASSERT_TRUE(levelsLoaded);
    EXPECT_EQ(levelsLoaded->threshold(), 2.5f);

    QImage image = h.image();
    ASSERT_EQ(loaded.setUp(&image), 0);
    ASSERT_EQ(loaded.filter(nullptr), 0);
    ASSERT_EQ(loaded.resultImage().size(), expected.size());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            ASSERT_EQ(loaded.resultImage().pixel(x, y), expected.pixel(x, y)) << x << "," << y;
}
