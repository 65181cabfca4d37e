#include "effects/color/NodeBrightnessContrast.h"

#include "effects/EffectTestSupport.h"
#include "effects/ProbeSourceNode.h"

#include "nodes/Terminal.h"
#include "params/ParameterContainer.h"

#include <gtest/gtest.h>

#include <set>

using namespace KelVyxNodes;
using EffectTest::ProbeSourceNode;

namespace {

const QPoint kBrightnessPoint(1, 2);

void unlink(KelNodes::Node* from, QString const& out, KelNodes::Node* to, QString const& in)
{
    from->getTerminal(out)->disconnect(to->getTerminal(in));
}

struct BcRig
{
    BcRig() { EXPECT_EQ(source.connect(QStringLiteral("out"), &node, QStringLiteral("in")), 0); }

    void set(int contrastValue, int brightnessValue)
    {
        KelUtils::ParameterContainer* c = node.paramContainer();
        ASSERT_EQ(c->setIntParam(QStringLiteral("Contrast Factor"), contrastValue), 0);
        ASSERT_EQ(c->setIntParam(QStringLiteral("Brightness Factor"), brightnessValue), 0);
    }
    unsigned int at(unsigned int colour)
    {
        source.colour = colour;
        return node.getSample3(kBrightnessPoint);
    }
    int flags(char const* name) const
    {
        return node.paramContainer()->paramFlags(QString::fromLatin1(name));
    }

    ProbeSourceNode source{1};
    ProbeSourceNode contrastSource{2};
    ProbeSourceNode brightnessSource{3};
    NodeBrightnessContrast node{4};
};

} // namespace

TEST(BrightnessContrastNode, ContrastAndBrightnessFormulas)
{
    // k = 1 is not quite the identity: these values come out one lower.
    const std::set<int> oneLower = {1, 2, 5, 9, 10, 13, 17, 18, 21, 25, 26, 29, 33, 34, 41, 42, 49, 50, 57, 58};
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(contrastChannel(c, 1.0), oneLower.count(c) ? c - 1 : c) << c;
    // k = 0: everything 127.
    for (int c : {0, 64, 128, 255})
        EXPECT_EQ(contrastChannel(c, 0.0), 127);
    // k = 2 (k squared 4), and 0.5 and 1.5, the ends of a contrast input.
    const struct { int c; double k; int out; } cases[] = {
        {95, 2.0, 0}, {96, 2.0, 1}, {128, 2.0, 129}, {159, 2.0, 253}, {160, 2.0, 255}, {0, 0.5, 95},
        {128, 0.5, 127}, {255, 0.5, 159}, {0, 1.5, 0}, {128, 1.5, 128}, {255, 1.5, 255}};
    for (auto const& t : cases)
        EXPECT_EQ(contrastChannel(t.c, t.k), t.out) << t.c << " " << t.k;
    // Per channel, top byte kept.
    EXPECT_EQ(contrast(0x12FF0000u, 1.5, 0.5, 0.5), 0x12FF5F5Fu);

    // Brightness scales the HSV value, which tops out at 1.
    EXPECT_EQ(brightness(0x404040u, 2.0), 0xFF808080u);
    EXPECT_EQ(brightness(0xC0C0C0u, 2.0), 0xFFFFFFFFu);
    EXPECT_EQ(brightness(0x336699u, 0.0), 0xFF000000u);
    EXPECT_EQ(brightness(0x336699u, 1.0), 0xFF336699u);
    // Value 1 is the ceiling; hue and saturation of a pure colour stay.
    EXPECT_EQ(brightness(0x800000u, 4.0), 0xFFFF0000u);
}

TEST(BrightnessContrastNode, ParametersDriveContrastThenBrightness)
{
    BcRig rig;
    EXPECT_EQ(rig.at(0x336699u), 0x336699u); // 51, 102, 153 are not among the one-lower values
    rig.set(-100, 0);
    EXPECT_EQ(rig.at(0x000000u), 0x7F7F7Fu);
    EXPECT_EQ(rig.at(0xFFFFFFu), 0x7F7F7Fu);
    rig.set(100, 0);
    EXPECT_EQ(rig.at(0x5F6080u), 0x000181u);
    rig.set(0, -100);
    EXPECT_EQ(rig.at(0xFFFFFFu), 0x000000u);
    rig.set(0, 100);
    EXPECT_EQ(rig.at(0x404040u), 0x808080u);
    // Unlinked input: mid grey whatever the settings.
    unlink(&rig.source, QStringLiteral("out"), &rig.node, QStringLiteral("in"));
    EXPECT_EQ(rig.node.getSample3(kBrightnessPoint), 0x808080u);
}

TEST(BrightnessContrastNode, InputsReplaceTheParametersAndGreyOutTheirEditors)
{
    BcRig rig;
    rig.set(-100, -100); // would give black if used
    ASSERT_EQ(rig.contrastSource.connect(QStringLiteral("out"), &rig.node, QStringLiteral("contrast")), 0);
    ASSERT_EQ(rig.brightnessSource.connect(QStringLiteral("out"), &rig.node, QStringLiteral("brightness")), 0);
    EXPECT_EQ(rig.flags("Contrast Factor"), 4);
    EXPECT_EQ(rig.flags("Brightness Factor"), 4);

    rig.brightnessSource.colour = 0x00FF00u; // one channel at 255: value unchanged
    // A pure red contrast input: red k = 1.5, green and blue k = 0.5.
    rig.contrastSource.colour = 0xFF0000u;
    EXPECT_EQ(rig.at(0x000000u), 0x005F5Fu);
    // A black contrast input: k = 0.5 everywhere.
    rig.contrastSource.colour = 0x000000u;
    EXPECT_EQ(rig.at(0xFF8000u), 0x9F7F5Fu);
    // A white one: k = 1.5.
    rig.contrastSource.colour = 0xFFFFFFu;
    EXPECT_EQ(rig.at(0x00FF80u), 0x00FF80u);

    // A black brightness input darkens to black; mid grey about halves the value (contrast
    // held near neutral: a mid-grey contrast input gives k = 1.00196).
    rig.contrastSource.colour = 0x808080u;
    rig.brightnessSource.colour = 0x000000u;
    EXPECT_EQ(rig.at(0xFFFFFFu), 0x000000u);
    rig.brightnessSource.colour = 0x808080u;
    EXPECT_EQ(rig.at(0xC8C8C8u), 0x646464u);

    // Unlinked again: the parameters' values apply and their editors come back.
    unlink(&rig.contrastSource, QStringLiteral("out"), &rig.node, QStringLiteral("contrast"));
    unlink(&rig.brightnessSource, QStringLiteral("out"), &rig.node, QStringLiteral("brightness"));
    EXPECT_EQ(rig.flags("Contrast Factor"), 5);
    EXPECT_EQ(rig.flags("Brightness Factor"), 5);
    EXPECT_EQ(rig.node.paramContainer()->getIntParam(QStringLiteral("Contrast Factor")), -100);
    EXPECT_EQ(rig.at(0xFFFFFFu), 0x000000u);
}

TEST(BrightnessContrastNode, SpansGiveThePointsBytesAtEverySetting)
{
    BcRig rig;
    // Every byte in every channel, in runs that cross the colour order often.
    rig.source.colourAt = [](QPoint const& p) {
        return (unsigned(p.x()) * 0x9E3779B1u + unsigned(p.y()) * 0x85EBCA6Bu) >> 8;
    };
    const struct { int contrast; int brightness; } settings[] = {
        {0, 0}, {-100, -100}, {-100, 100}, {100, -100}, {100, 100}, {-37, 55}, {63, -12}};
    for (auto const& s : settings) {
        rig.set(s.contrast, s.brightness);
        ASSERT_EQ(rig.node.onFilterStart(nullptr), 0);
        for (int y = 0; y < 8; ++y) {
            unsigned int span[300];
            rig.node.getSpan3(y, -20, 300, span);
            for (int i = 0; i < 300; ++i)
                ASSERT_EQ(span[i], rig.node.getSample3(QPoint(i - 20, y)))
                    << s.contrast << " " << s.brightness << " at " << i - 20 << "," << y;
        }
    }
}

// Linked inputs are read from tables of byte pairs and of value words: the span path must give
// the points' bytes for every pair of a colour byte and a "contrast" byte (red and green) and
// every value of a "brightness" colour.
TEST(BrightnessContrastNode, SpansWithLinkedInputsGiveThePointsBytesForEveryBytePair)
{
    const struct { bool contrast; bool brightness; } wirings[] = {{true, false}, {false, true}, {true, true}};
    for (auto const& w : wirings) {
        BcRig rig;
        rig.set(-37, 55);
        rig.source.colourAt = [](QPoint const& p) {
            return unsigned(p.x()) << 16 | unsigned(p.y()) << 8 | unsigned(p.x() ^ p.y());
        };
        rig.contrastSource.colourAt = [](QPoint const& p) {
            return unsigned(p.y()) << 16 | unsigned(p.x()) << 8 | unsigned((p.x() + p.y()) & 0xFF);
        };
        rig.brightnessSource.colourAt = [](QPoint const& p) {
            return (unsigned(p.x()) * 0x9E3779B1u + unsigned(p.y()) * 0x85EBCA6Bu) >> 8;
        };
        if (w.contrast) {
            ASSERT_EQ(rig.contrastSource.connect(QStringLiteral("out"), &rig.node, QStringLiteral("contrast")), 0);
        }
        if (w.brightness) {
            ASSERT_EQ(rig.brightnessSource.connect(QStringLiteral("out"), &rig.node, QStringLiteral("brightness")), 0);
        }
        ASSERT_EQ(rig.node.onFilterStart(nullptr), 0);
        int wrong = 0;
        for (int y = 0; y < 256; ++y) {
            unsigned int span[256];
            rig.node.getSpan3(y, 0, 256, span);
            for (int x = 0; x < 256; ++x)
                wrong += span[x] != rig.node.getSample3(QPoint(x, y));
        }
        EXPECT_EQ(wrong, 0) << "contrast linked " << w.contrast << ", brightness linked " << w.brightness;
    }
}

TEST(BrightnessContrastNode, RendersThroughAGraph)
{
    EffectTest::EffectHarness h(EffectTest::makeImage(2, 2, 0xFF404040u));
    auto* node = h.add<NodeBrightnessContrast>();
    h.chain(node, QStringLiteral("in"), QStringLiteral("rgb"));
    ASSERT_EQ(node->paramContainer()->setIntParam(QStringLiteral("Brightness Factor"), 100), 0);
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(1, 1), 0x808080u);
}
