#include "effects/math/NodeIf.h"

#include "MathTestRig.h"
#include "effects/EffectTestSupport.h"

#include <QDomDocument>

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using KelUtils::Color;
using MathTest::Rig;

namespace {

void setOperation(Rig<NodeIf>& rig, int op)
{
    ASSERT_EQ(rig.node->paramContainer()->setListParam(QStringLiteral("operation"), op), 0) << op;
}

} // namespace

TEST(IfNode, EveryOperationChoosesChannelByChannel)
{
    Rig<NodeIf> rig;
    // Parameters only: blue against red, white or black.
    const unsigned int fromParameters[] = {0xFF0000u, 0x0000FFu, 0xFFFF00u, 0x00FFFFu, 0x00FF00u, 0xFF00FFu};
    for (int op = 0; op < 6; ++op) {
        setOperation(rig, op);
        EXPECT_EQ(rig.sample(), fromParameters[op]) << op;
    }
    // No other operation is taken.
    EXPECT_NE(rig.node->paramContainer()->setListParam(QStringLiteral("operation"), 6), 0);

    const char* const inputs[] = {"rgbIn1", "rgbIn2", "rgbInThen", "rgbInElse"};
    const unsigned int colours[] = {0x102030u, 0x201010u, 0xAAAAAAu, 0x555555u};
    for (int i = 0; i < 4; ++i)
        rig.feed(inputs[i], colours[i]);
    // (16 ? 32, 32 ? 16, 48 ? 16) per operation.
    const unsigned int expected[] = {0xAA5555u, 0x55AAAAu, 0xAA5555u, 0x55AAAAu, 0x555555u, 0xAAAAAAu};
    for (int op = 0; op < 6; ++op) {
        setOperation(rig, op);
        EXPECT_EQ(rig.sample(), expected[op]) << op;
    }
    // Top bytes neither count in "=" nor reach the output.
    setOperation(rig, NodeIf::Equal);
    rig.probes[0]->colour = 0x11445566u;
    rig.probes[1]->colour = 0x22445566u;
    rig.probes[2]->colour = 0xFFAAAAAAu;
    EXPECT_EQ(rig.sample(), 0xAAAAAAu);
}

TEST(IfNode, LinksGreyOutTheirColoursAndOverBrightReadsAs255)
{
    Rig<NodeIf> rig;
    rig.feed("rgbInThen", 0x123456u);
    const char* const colours[] = {"color1", "color2", "then", "else"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(rig.enabled(colours[i]), i != 2) << i;
    EXPECT_EQ(rig.sample(), 0x120000u); // blue < red holds in red only
    rig.unfeed("rgbInThen");
    EXPECT_TRUE(rig.enabled("then"));
    rig.setColour("then", Color(2.0f, 0.0f, 0.0f));
    EXPECT_EQ(rig.sample(), 0xFF0000u);
}

TEST(IfNode, RenderPictureAgainstAThreshold)
{
    EffectTest::EffectHarness h(EffectTest::makeGradientImage(4, 3));
    auto* node = h.add<NodeIf>();
    h.chain(node, QStringLiteral("rgbIn1"), QStringLiteral("rgbOut"));
    KelUtils::ParameterContainer* c = node->paramContainer();
    const float grey = Color::decodeChannel(32, Color::Gamma);
    ASSERT_EQ(c->setColorParam(QStringLiteral("color2"), Color(grey, grey, grey)), 0);
    ASSERT_EQ(c->setListParam(QStringLiteral("operation"), NodeIf::GreaterOrEqual), 0);
    ASSERT_EQ(h.render(), 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            const unsigned int p = EffectTest::gradientPixel(x, y);
            unsigned int expected = 0;
            for (int shift = 0; shift <= 16; shift += 8)
                expected |= (((p >> shift) & 0xFFu) >= 32 ? 0xFFu : 0u) << shift;
            EXPECT_EQ(h.rgb(x, y), expected) << x << "," << y;
        }
    }
}

TEST(IfNode, StoredOperationComesBackAndAForeignOneIsRefused)
{
    Rig<NodeIf> original;
    setOperation(original, NodeIf::NotEqual);
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("root"));
    document.appendChild(root);
    ASSERT_EQ(original.node->paramContainer()->storeState(document, root, false, false), 0);
    QDomElement section = root.firstChildElement();

    Rig<NodeIf> copy;
    ASSERT_EQ(copy.node->paramContainer()->loadState(section), 0);
    EXPECT_EQ(copy.sample(), 0xFF00FFu);

    // An operation that names no item leaves the current one.
    for (QDomElement p = section.firstChildElement(QStringLiteral("paramset")).firstChildElement(); !p.isNull();
         p = p.nextSiblingElement()) {
        if (p.attribute(QStringLiteral("name")) == QLatin1String("operation"))
            p.setAttribute(QStringLiteral("value"), QStringLiteral("9"));
    }
    Rig<NodeIf> hostile;
    hostile.node->paramContainer()->loadState(section);
    EXPECT_EQ(hostile.node->paramContainer()->getListParam(QStringLiteral("operation"))->id, 0);
    EXPECT_EQ(hostile.sample(), 0xFF0000u);
}
