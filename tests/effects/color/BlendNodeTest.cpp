#include "effects/color/BlendFormulas.h"
#include "effects/color/NodeBlend.h"

#include "effects/EffectTestSupport.h"
#include "effects/ProbeSourceNode.h"

#include "params/Color.h"
#include "params/ParameterContainer.h"

#include <QDomDocument>

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

using namespace KelVyxNodes;
using EffectTest::ProbeSourceNode;
namespace BF = KelVyxNodes::BlendFormulas;

namespace {

const QPoint kPoint(3, 1);

// A background and a foreground where all nineteen effect colours differ:
// b = (100, 200, 50), f = (160, 120, 80).
constexpr unsigned int kBg = 0x64C832u;
constexpr unsigned int kFg = 0xA07850u;

KelUtils::Color linearOf(unsigned int rgb)
{
    auto decode = [](unsigned int byte) {
        return KelUtils::Color::decodeChannel(static_cast<unsigned char>(byte), KelUtils::Color::Gamma);
    };
    return KelUtils::Color(decode((rgb >> 16) & 0xFFu), decode((rgb >> 8) & 0xFFu), decode(rgb & 0xFFu), 1.0f);
}

bool enabled(NodeBlend const& node, char const* parameter)
{
    return (node.paramContainer()->paramFlags(QString::fromLatin1(parameter)) & 1) != 0;
}

// A blend node with probes on whichever inputs a test links.
struct BlendRig
{
    BlendRig() : blend(std::make_unique<NodeBlend>(1)) {}

    ProbeSourceNode* feed(char const* input, unsigned int colour, unsigned int value = 128u)
    {
        probes.push_back(std::make_unique<ProbeSourceNode>(int(probes.size()) + 10, colour, value));
        ProbeSourceNode* probe = probes.back().get();
        const QString in = QString::fromLatin1(input);
        const QString out = in == QLatin1String("opacity") ? QStringLiteral("out 1d") : QStringLiteral("out");
        EXPECT_EQ(probe->connect(out, blend.get(), in), 0);
        return probe;
    }

    KelUtils::ParameterContainer* params() { return blend->paramContainer(); }
    void setMode(int mode) { ASSERT_EQ(params()->setListParam(QStringLiteral("mode"), mode), 0); }
    void setOpacity(int percent) { ASSERT_EQ(params()->setIntParam(QStringLiteral("Opacity"), percent), 0); }
    void setColour(char const* key, unsigned int rgb)
    {
        ASSERT_EQ(params()->setColorParam(QString::fromLatin1(key), linearOf(rgb)), 0);
    }
    unsigned int sample() const { return blend->getSample3(kPoint); }

    // Probes outlive the node's links: the node is destroyed first.
    std::vector<std::unique_ptr<ProbeSourceNode>> probes;
    std::unique_ptr<NodeBlend> blend;
};

// The node's container section with the "value" of one parameter replaced, loaded back.
void loadWithValue(NodeBlend& node, char const* parameter, char const* value)
{
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("root"));
    document.appendChild(root);
    ASSERT_EQ(node.paramContainer()->storeState(document, root, false, false), 0);
    QDomElement section = root.firstChildElement();
    bool replaced = false;
    for (QDomElement set = section.firstChildElement(QStringLiteral("paramset")); !set.isNull();
         set = set.nextSiblingElement(QStringLiteral("paramset"))) {
        for (QDomElement p = set.firstChildElement(); !p.isNull(); p = p.nextSiblingElement()) {
            if (p.attribute(QStringLiteral("name")) == QLatin1String(parameter)) {
                p.setAttribute(QStringLiteral("value"), QString::fromLatin1(value));
                replaced = true;
            }
        }
    }
    ASSERT_TRUE(replaced) << parameter;
    ASSERT_EQ(node.paramContainer()->loadState(section), 0);
}

struct ModeResult
{
    int mode;
    unsigned int half;  // Opacity 50 (o = 127)
    unsigned int full;  // Opacity 100 (o = 254)
    unsigned int input; // o = 255 on the "opacity" input: the effect colour itself
};

// Worked per channel from b = (100, 200, 50) and f = (160, 120, 80). For instance Color_Burn red:
// 255 / 160 x (100 - 95) = 7.97 -> 7; Color Dodge blue: 255 / 175 x 50 = 72.9 -> 72 (0x48);
// Overlay green (b > 127, the screen half): 1 - 135/255 x 55/255 = 0.8858, word 58052, high
// byte 226 (0xE2); Normal red at o = 127: 100 x 128/255 + 160 x 127/255 = 129.9 -> 0x81.
const ModeResult kModeResults[] = {
    {BF::Normal, 0x81A040u, 0x9F784Fu, 0xA07850u},
    {BF::Darken, 0x64A032u, 0x647832u, 0x647832u},
    {BF::Multiply, 0x519320u, 0x3E5E0Fu, 0x3E5E0Fu},
    {BF::ColorBurn, 0x35A919u, 0x078A00u, 0x078A00u},
    {BF::LinearBurn, 0x348419u, 0x054100u, 0x054100u},
    {BF::Lighten, 0x81C840u, 0x9FC84Fu, 0xA0C850u},
    {BF::Screen, 0x94D451u, 0xC5E171u, 0xC6E272u},
    {BF::ColorDodge, 0xB1E33Cu, 0xFEFE47u, 0xFFFF48u},
    {BF::LinearDodge, 0xB1E359u, 0xFEFE81u, 0xFFFF82u},
    {BF::Overlay, 0x51D420u, 0x3EE10Fu, 0x3EE20Fu},
    {BF::SoftLight, 0x6AC72Bu, 0x70C725u, 0x71C725u},
    {BF::HardLight, 0x949320u, 0xC55E0Fu, 0xC65E0Fu},
    {BF::VividLight, 0xB1A919u, 0xFE8A00u, 0xFF8A00u},
    {BF::LinearLight, 0xB18419u, 0xFE4100u, 0xFF4100u},
    {BF::Difference, 0x508C28u, 0x3C501Eu, 0x3C501Eu},
    {BF::Hue, 0xA6B242u, 0xE99D53u, 0xEA9D54u},
    {BF::Saturation, 0x74C04Du, 0x84B968u, 0x85B969u},
    {BF::Color, 0x97B556u, 0xCAA27Au, 0xCBA27Bu},
    {BF::Luminosity, 0x4FB21Cu, 0x3B9D07u, 0x3B9D07u},
};

} // namespace

TEST(BlendNode, AllModesAtOpacityZeroFiftyAndHundred)
{
    BlendRig rig;
    for (int mode = 0; mode < BF::ModeCount; ++mode) { // a new node blends black over black
        rig.setMode(mode);
        EXPECT_EQ(rig.sample(), 0x000000u) << mode;
    }
    rig.setColour("Background", kBg);
    rig.setColour("Foreground", kFg);
    for (ModeResult const& r : kModeResults) {
        SCOPED_TRACE(BF::itemName(r.mode));
        rig.setMode(r.mode);
        rig.setOpacity(0);
        EXPECT_EQ(rig.sample(), kBg);
        rig.setOpacity(50);
        EXPECT_EQ(rig.sample(), r.half);
        rig.setOpacity(100);
        EXPECT_EQ(rig.sample(), r.full);
    }
}

TEST(BlendNode, LinkedInputsDriveEveryMode)
{
    BlendRig rig;
    // Top bytes of upstream colours play no part and never reach the output.
    rig.feed("foreground", 0xFF000000u | kFg);
    rig.feed("background", 0x7F000000u | kBg);
    ProbeSourceNode* opacity = rig.feed("opacity", 0u, 255u);
    for (ModeResult const& r : kModeResults) {
        SCOPED_TRACE(BF::itemName(r.mode));
        rig.setMode(r.mode);
        opacity->value = 255u;
        EXPECT_EQ(rig.sample(), r.input);
        opacity->value = 0u;
        EXPECT_EQ(rig.sample(), kBg);
        opacity->value = 127u;
        EXPECT_EQ(rig.sample(), r.half);
        // Only the low byte of the opacity channel counts.
        opacity->value = 0x300u | 254u;
        EXPECT_EQ(rig.sample(), r.full);
    }
}

TEST(BlendNode, OpacityHundredGives254AndTheWeightingsStayApart)
{
    EXPECT_EQ(BF::opacityByte(0), 0);
    EXPECT_EQ(BF::opacityByte(1), 2);
    EXPECT_EQ(BF::opacityByte(50), 127);
    EXPECT_EQ(BF::opacityByte(99), 252);
    EXPECT_EQ(BF::opacityByte(100), 254);

    BlendRig rig;
    rig.setColour("Foreground", 0xFFFFFFu);
    EXPECT_EQ(rig.sample(), 0xFEFEFEu);
    rig.feed("opacity", 0u, 255u);
    EXPECT_EQ(rig.sample(), 0xFFFFFFu);

    // Normal weighs by o / 255, the effect modes by (255 - o) / 255: white over black at o = 1
    // gives 1 in Normal but 0 in Lighten, whose effect colour is the same white.
    EXPECT_EQ(BF::blend(BF::Normal, 0x000000u, 0xFFFFFFu, 1), 0x010101u);
    EXPECT_EQ(BF::blend(BF::Lighten, 0x000000u, 0xFFFFFFu, 1), 0x000000u);
    EXPECT_EQ(BF::blend(BF::Normal, 0x000000u, 0x55AAFFu, 3), 0x010203u);
    EXPECT_EQ(BF::blend(BF::Lighten, 0x000000u, 0x55AAFFu, 3), 0x000102u);
}

TEST(BlendNode, HugeOpacityDoesNotOverflow)
{
    // Loading holds the stored percentage to the parameter's range.
    BlendRig rig;
    rig.setColour("Background", kBg);
    rig.setColour("Foreground", kFg);
    loadWithValue(*rig.blend, "Opacity", "2000000000");
    EXPECT_EQ(rig.params()->getIntParam(QStringLiteral("Opacity")), 100);
    EXPECT_EQ(rig.sample(), 0x9F784Fu);
    loadWithValue(*rig.blend, "Opacity", "-2000000000");
    EXPECT_EQ(rig.sample(), kBg);

    // The conversion itself keeps the low byte of the product just outside the range
    // (trunc(257.55) = 257 -> 1) and saturates products beyond the int range instead of
    // overflowing.
    EXPECT_EQ(BF::opacityByte(101), 1);
    EXPECT_EQ(BF::opacityByte(-1), 254); // trunc(-2.55) = -2
    EXPECT_EQ(BF::opacityByte(2000000000), 255);
    EXPECT_EQ(BF::opacityByte(INT_MAX), 255);
    EXPECT_EQ(BF::opacityByte(-2000000000), 0);
    EXPECT_EQ(BF::opacityByte(INT_MIN), 0);
}

TEST(BlendNode, SwitchPointsGuardedDivisionsAndGreys)
{
    const struct {
        int mode;
        unsigned int b, f;
        unsigned char o;
        unsigned int out;
    } cases[] = {
        // Overlay and Hard Light have no factor 2: 100 x 100 / 255 = 39.
        {BF::Overlay, 0x646464u, 0x646464u, 255, 0x272727u},
        {BF::HardLight, 0x646464u, 0x646464u, 255, 0x272727u},
        // Overlay switches halves between b = 127 and 128, Hard Light between f = 127 and 128.
        {BF::Overlay, 127u, 200u, 255, 99u},
        {BF::Overlay, 128u, 200u, 255, 228u}, // 1 - 55 x 127 / 255^2
        {BF::HardLight, 200u, 127u, 255, 99u},
        {BF::HardLight, 200u, 128u, 255, 228u},
        // Vivid and Linear Light switch between f = 126 (burn) and 127 (dodge); no doubling of f.
        {BF::VividLight, 100u, 126u, 255, 0u},
        {BF::VividLight, 100u, 127u, 255, 199u}, // 255 / 128 x 100
        {BF::LinearLight, 100u, 126u, 255, 0u},
        {BF::LinearLight, 100u, 127u, 255, 227u},
        {BF::LinearLight, 0x646464u, 0xC8C8C8u, 255, 0xFFFFFFu},
        // Divisions by zero are guarded: burn by black is 0, dodge by white 255 (but over 0).
        {BF::ColorBurn, 0xFFFFFFu, 0x000000u, 255, 0x000000u},
        {BF::VividLight, 0xFFFFFFu, 0x000000u, 255, 0x000000u},
        {BF::ColorDodge, 0x0001FFu, 0xFFFFFFu, 255, 0x00FFFFu},
        {BF::VividLight, 0x0001FFu, 0xFFFFFFu, 255, 0x00FFFFu},
        // Saturation over grey keeps the grey at any opacity and clears the top byte.
        {BF::Saturation, 0x808080u, kFg, 0, 0x808080u},
        {BF::Saturation, 0x808080u, kFg, 127, 0x808080u},
        {BF::Saturation, 0xFF404040u, kFg, 255, 0x404040u},
        // Hue or Color from a grey: a grey of the background's luma (0.6586 -> 168).
        {BF::Hue, kBg, 0x808080u, 255, 0xA8A8A8u},
        {BF::Hue, kBg, 0x808080u, 127, 0x85B86Cu},
        {BF::Color, kBg, 0x808080u, 255, 0xA8A8A8u},
        // The inverse matrix's first column is just below 1, yet luma 128/255 gives 128 again.
        {BF::Luminosity, 0x202020u, 0x808080u, 255, 0x808080u},
    };
    for (auto const& c : cases)
        EXPECT_EQ(BF::blend(c.mode, c.b, c.f, c.o), c.out) << BF::itemName(c.mode) << std::hex << " " << c.b;
}

TEST(BlendNode, UnknownModesBlendAsNormal)
{
    for (int mode : {19, 100, -1, INT_MIN}) {
        EXPECT_EQ(BF::blend(mode, kBg, kFg, 127), 0x81A040u) << mode;
        EXPECT_EQ(BF::itemName(mode), nullptr);
    }
}

TEST(BlendNode, ConnectionsDisableAndEnableTheirParameters)
{
    BlendRig rig;
    rig.setColour("Background", kBg);
    rig.setColour("Foreground", kFg);
    rig.setOpacity(50);

    // A peer without a one-channel interface still disables "Opacity"; the parameter keeps
    // applying.
    struct NoOneChannel : ProbeSourceNode
    {
        using ProbeSourceNode::ProbeSourceNode;
        KelVyxNodes::Base1DGenerator const* toBase1DGenerator() const override { return nullptr; }
    };
    auto silent = std::make_unique<NoOneChannel>(31);
    ASSERT_EQ(silent->connect(QStringLiteral("out 1d"), rig.blend.get(), QStringLiteral("opacity")), 0);
    EXPECT_FALSE(enabled(*rig.blend, "Opacity"));
    EXPECT_EQ(rig.sample(), 0x81A040u);
    ASSERT_EQ(silent->disconnect(rig.blend.get()), 0);
    EXPECT_TRUE(enabled(*rig.blend, "Opacity"));

    ProbeSourceNode* fg = rig.feed("foreground", 0x000000u);
    ProbeSourceNode* bg = rig.feed("background", 0xFFFFFFu);
    EXPECT_FALSE(enabled(*rig.blend, "Foreground"));
    EXPECT_FALSE(enabled(*rig.blend, "Background"));
    EXPECT_EQ(rig.sample(), 0x808080u); // o = 127: white x (1 - 127/255)
    ASSERT_EQ(fg->disconnect(rig.blend.get()), 0);
    ASSERT_EQ(bg->disconnect(rig.blend.get()), 0);
    EXPECT_TRUE(enabled(*rig.blend, "Foreground"));
    EXPECT_TRUE(enabled(*rig.blend, "Background"));
    EXPECT_EQ(rig.sample(), 0x81A040u);
}

TEST(BlendNode, RendersInAGraph)
{
    EffectTest::EffectHarness h(EffectTest::makeImage(3, 2, 0xFF64C832u));
    auto* blend = h.add<NodeBlend>();
    auto* params = blend->paramContainer();
    ASSERT_EQ(params->setColorParam(QStringLiteral("Foreground"), linearOf(kFg)), 0);
    ASSERT_EQ(params->setListParam(QStringLiteral("mode"), BF::Luminosity), 0);
    ASSERT_EQ(params->setIntParam(QStringLiteral("Opacity"), 50), 0);
    h.chain(blend, QStringLiteral("background"), QStringLiteral("rgb"));
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(2, 1), 0x4FB21Cu);
}
