#include "effects/math/NodeIf.h"

#include "MathTestRig.h"
#include "effects/EffectTestSupport.h"

#include <QDomDocument>

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using KelUtils::Color;
using MathTest::Rig;

namespace {

const char* const kInputs[] = {"rgbIn1", "rgbIn2", "rgbInThen", "rgbInElse"};
const char* const kColours[] = {"color1", "color2", "then", "else"};

} // namespace

TEST(IfNode, ShapeOperationsAndInitialColours)
{
    EXPECT_EQ(NodeIf::m_descriptor.typeId, QLatin1String("operator.Maths.if"));
    EXPECT_EQ(NodeIf::m_descriptor.typeUuid, QUuid(QStringLiteral("8648fa19-68af-4fc3-a679-547907cfce52")));
    EXPECT_EQ(NodeIf::m_descriptor.displayName, QLatin1String("If"));
    std::unique_ptr<KelNodes::Node> holder(NodeIf::m_descriptor.create(9));
    auto* node = dynamic_cast<NodeIf*>(holder.get());
    ASSERT_TRUE(node);
    EXPECT_EQ(MathTest::terminalShapes(node),
              QStringList({"rgbIn1:4/0", "rgbIn2:4/0", "rgbInThen:4/0", "rgbInElse:4/0", "rgbOut:0/5"}));
    KelUtils::ParameterContainer* c = node->paramContainer();
    EXPECT_EQ(MathTest::parameterKeys(c), QStringList({"basicsBox", "operation", "color1", "color2", "then", "else"}));
    EXPECT_EQ(c->paramFlags(QStringLiteral("operation")), 5);
    EXPECT_EQ(c->getListParam(QStringLiteral("operation"))->name, QLatin1String("rgbIn1 < rgbIn2"));
    EXPECT_EQ(c->helpItem()->text,
              QLatin1String("The node compares <b>rgbIn1</b> and <b>rgbIn2</b>, and delivers either "
                            "<b>rgbInThen</b> or <b>rgbInElse</b> depending on the result of comparison."));

    // Blue against red, white or black, channel by channel.
    const unsigned int expected[] = {0xFF0000u, 0x0000FFu, 0xFFFF00u, 0x00FFFFu, 0x00FF00u, 0xFF00FFu};
    const char* const texts[] = {"rgbIn1 < rgbIn2", "rgbIn1 > rgbIn2", "rgbIn1 <= rgbIn2",
                                 "rgbIn1 >= rgbIn2", "rgbIn1 = rgbIn2", "rgbIn1 != rgbIn2"};
    for (int op = 0; op < 6; ++op) {
        ASSERT_EQ(c->setListParam(QStringLiteral("operation"), op), 0);
        EXPECT_EQ(c->getListParam(QStringLiteral("operation"))->name, QLatin1String(texts[op]));
        EXPECT_EQ(node->getSample3(MathTest::kPoint), expected[op]) << op;
    }
    // No other operation is taken.
    EXPECT_NE(c->setListParam(QStringLiteral("operation"), 6), 0);
    EXPECT_EQ(node->getSample3(MathTest::kPoint), expected[5]);
}

TEST(IfNode, ChannelsChooseIndependently)
{
    Rig<NodeIf> rig;
    const unsigned int colours[] = {0x102030u, 0x201010u, 0xAAAAAAu, 0x555555u};
    for (int i = 0; i < 4; ++i)
        rig.feed(kInputs[i], colours[i]);
    // (16 ? 32, 32 ? 16, 48 ? 16) per operation.
    const unsigned int expected[] = {0xAA5555u, 0x55AAAAu, 0xAA5555u, 0x55AAAAu, 0x555555u, 0xAAAAAAu};
    for (int op = 0; op < 6; ++op) {
        ASSERT_EQ(rig.node->paramContainer()->setListParam(QStringLiteral("operation"), op), 0);
        EXPECT_EQ(rig.sample(), expected[op]) << op;
    }
    // Top bytes neither count in "=" nor reach the output.
    ASSERT_EQ(rig.node->paramContainer()->setListParam(QStringLiteral("operation"), NodeIf::Equal), 0);
    rig.probes[0]->colour = 0x11000000u | 0x445566u;
    rig.probes[1]->colour = 0x22000000u | 0x445566u;
    rig.probes[2]->colour = 0xFF000000u | 0xAAAAAAu;
    EXPECT_EQ(rig.sample(), 0xAAAAAAu);
}

TEST(IfNode, OneSourceOnBothSides)
{
    Rig<NodeIf> rig;
    EffectTest::ProbeSourceNode shared(60, 0x3C5A78u);
    ASSERT_EQ(shared.connect(QStringLiteral("out"), rig.node.get(), QStringLiteral("rgbIn1")), 0);
    ASSERT_EQ(shared.connect(QStringLiteral("out"), rig.node.get(), QStringLiteral("rgbIn2")), 0);
    rig.setColour("then", Color(0.0f, 1.0f, 0.0f));
    rig.setColour("else", Color(0.0f, 0.0f, 1.0f));
    const bool holds[] = {false, false, true, true, true, false};
    for (int op = 0; op < 6; ++op) {
        ASSERT_EQ(rig.node->paramContainer()->setListParam(QStringLiteral("operation"), op), 0);
        EXPECT_EQ(rig.sample(), holds[op] ? 0x00FF00u : 0x0000FFu) << op;
    }
}

TEST(IfNode, LinksGreyOutTheirColoursAndOverBrightReadsAs255)
{
    Rig<NodeIf> rig;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(rig.flags(kColours[i]), 5) << i;
    rig.feed("rgbInThen", 0x123456u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(rig.enabled(kColours[i]), i != 2) << i;
    EXPECT_EQ(rig.sample(), 0x120000u); // blue < red holds in red only
    rig.unfeed("rgbInThen");
    EXPECT_TRUE(rig.enabled("then"));
    rig.setColour("then", Color(2.0f, 0.0f, 0.0f));
    EXPECT_EQ(rig.sample(), 0xFF0000u);
}

TEST(IfNodeRender, PictureAgainstAThreshold)
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
    ASSERT_EQ(original.node->paramContainer()->setListParam(QStringLiteral("operation"), NodeIf::NotEqual), 0);
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
