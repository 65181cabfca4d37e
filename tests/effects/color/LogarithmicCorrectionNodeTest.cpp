#include "effects/color/NodeLogarithmicCorrection.h"

#include "effects/EffectTestSupport.h"
#include "effects/ProbeSourceNode.h"

#include "nodes/Terminal.h"
#include "params/Parameter.h"
#include "params/ParameterContainer.h"

#include <gtest/gtest.h>

#include <memory>

using namespace KelVyxNodes;
using EffectTest::ProbeSourceNode;

namespace {

void unlink(KelNodes::Node* from, QString const& out, KelNodes::Node* to, QString const& in)
{
    from->getTerminal(out)->disconnect(to->getTerminal(in));
}

struct LogRig
{
    LogRig() { EXPECT_EQ(source.connect(QStringLiteral("out"), &node, QStringLiteral("rgbIn")), 0); }

    unsigned int correct(unsigned int colour, int value)
    {
        source.colour = colour;
        EXPECT_EQ(node.paramContainer()->setIntParam(QStringLiteral("Filter Value"), value), 0);
        return node.getSample3(QPoint(2, 1));
    }

    ProbeSourceNode source{1};
    NodeLogarithmicCorrection node{2};
};

} // namespace

TEST(LogarithmicCorrectionNode, DescriptorTerminalsAndParameter)
{
    EXPECT_EQ(NodeLogarithmicCorrection::m_descriptor.typeId, QLatin1String("operator.logarithmicCorrection"));
    EXPECT_EQ(NodeLogarithmicCorrection::m_descriptor.typeUuid,
              QUuid(QStringLiteral("00ac9fc2-78dd-457a-8d1a-00d1b77c43fa")));
    std::unique_ptr<KelNodes::Node> created(NodeLogarithmicCorrection::m_descriptor.create(3));
    auto* node = dynamic_cast<NodeLogarithmicCorrection*>(created.get());
    ASSERT_TRUE(node);
    EXPECT_EQ(node->descriptor(), &NodeLogarithmicCorrection::m_descriptor);
    ASSERT_EQ(node->numTerminals(), 2);
    EXPECT_EQ(node->terminal(0)->name(), QLatin1String("rgbIn"));
    EXPECT_EQ(node->terminal(0)->inputMask(), 4u);
    EXPECT_EQ(node->terminal(1)->name(), QLatin1String("rgbOut"));
    EXPECT_EQ(node->terminal(1)->outputMask(), 5u);
    EXPECT_EQ(node->toBase3DGenerator(), static_cast<Base3DGenerator const*>(node));
    EXPECT_EQ(node->toBase1DGenerator(), nullptr);

    KelUtils::ParameterContainer* c = node->paramContainer();
    EXPECT_EQ(c->name(), QLatin1String("operator.logarithmicCorrection"));
    EXPECT_EQ(c->getIntParam(QStringLiteral("Filter Value")), 10);
    EXPECT_EQ(c->paramFlags(QStringLiteral("Filter Value")), 5);
    EXPECT_EQ(c->setIntParam(QStringLiteral("Filter Value"), 0), -1);
    EXPECT_EQ(c->setIntParam(QStringLiteral("Filter Value"), 101), -1);
}

TEST(LogarithmicCorrectionNode, UnlinkedInputGivesMidGreyWhateverTheValue)
{
    NodeLogarithmicCorrection node(1);
    EXPECT_EQ(node.getSample3(QPoint(0, 0)), 0x808080u);
    ASSERT_EQ(node.paramContainer()->setIntParam(QStringLiteral("Filter Value"), 77), 0);
    EXPECT_EQ(node.getSample3(QPoint(5, 5)), 0x808080u);

    LogRig rig;
    EXPECT_EQ(rig.correct(0xFFFFFFu, 10), 0x4D4D4Du);
    unlink(&rig.source, QStringLiteral("out"), &rig.node, QStringLiteral("rgbIn"));
    EXPECT_EQ(rig.node.getSample3(QPoint(0, 0)), 0x808080u);
    // The link overrides no parameter.
    EXPECT_EQ(rig.node.paramContainer()->paramFlags(QStringLiteral("Filter Value")), 5);
}

TEST(LogarithmicCorrectionNode, GreysTakeTheScaledLogarithmOfTheirLightness)
{
    LogRig rig;
    // Black stays black: log10(1) = 0.
    for (int value : {1, 10, 50, 100})
        EXPECT_EQ(rig.correct(0x000000u, value), 0x000000u) << value;
    // White: lightness log10(2) x value / 10, as a 16-bit word whose high byte is kept.
    EXPECT_EQ(rig.correct(0xFFFFFFu, 10), 0x4D4D4Du); // 0.30103 -> 19728 -> 77
    EXPECT_EQ(rig.correct(0xFFFFFFu, 1), 0x070707u);  // 0.030103 -> 1973 -> 7
    EXPECT_EQ(rig.correct(0xFFFFFFu, 33), 0xFEFEFEu); // 0.99340 -> 65102 -> 254
    EXPECT_EQ(rig.correct(0xFFFFFFu, 34), 0xFFFFFFu); // clipped at 1
    // Mid grey 128: lightness 0.50196 -> log10(1.50196) = 0.17666 -> 11577 -> 45.
    EXPECT_EQ(rig.correct(0x808080u, 10), 0x2D2D2Du);
    // The top byte of the input does not matter and never reaches the output.
    EXPECT_EQ(rig.correct(0xAB808080u, 10), 0x2D2D2Du);
}

TEST(LogarithmicCorrectionNode, ColoursKeepHueAndSaturation)
{
    LogRig rig;
    // Pure red: hue 0, saturation 1, lightness 0.5 -> 0.17609; red = 2 x lightness.
    EXPECT_EQ(rig.correct(0xFF0000u, 10), 0x5A0000u);
    // Pure blue likewise lands on its own channel only.
    EXPECT_EQ(rig.correct(0x0000FFu, 10), 0x00005Au);
    // At 20 the same red is brighter but still a pure red (lightness 0.35218, below one half).
    EXPECT_EQ(rig.correct(0xFF0000u, 20), 0xB40000u);
    // At 100 its lightness clips at 1: white, whatever the hue.
    EXPECT_EQ(rig.correct(0xFF0000u, 100), 0xFFFFFFu);
}

TEST(LogarithmicCorrectionNode, RendersThroughAGraph)
{
    EffectTest::EffectHarness h(EffectTest::makeImage(3, 2, 0xFFFFFFFFu));
    auto* node = h.add<NodeLogarithmicCorrection>();
    h.chain(node, QStringLiteral("rgbIn"), QStringLiteral("rgbOut"));
    ASSERT_EQ(h.render(), 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(h.rgb(x, y), 0x4D4D4Du);
}
