#include "effects/color/BaseCurveGenerator.h"
#include "effects/color/Gamma.h"
#include "effects/color/NodeGammaCurve.h"
#include "effects/color/NodeHSY.h"
#include "effects/color/NodeJoinHSY.h"

#include "SilentOutputNode.h"

#include "effects/ProbeSourceNode.h"

#include "params/ParameterContainer.h"

#include <QDomDocument>
#include <QImage>
#include <QPainterPath>

#include <gtest/gtest.h>

#include <cmath>

using namespace KelVyxNodes;
using EffectTest::ProbeSourceNode;

namespace {

bool gammaEnabled(KelNodes::Node const& node, char const* key)
{
    return (node.paramContainer()->paramFlags(QString::fromLatin1(key)) & 1) != 0;
}

void set(NodeGammaCurve& node, int gamma, int start, int end, int minimum, int maximum)
{
    auto* c = node.paramContainer();
    c->setIntParam("Gamma", gamma);
    c->setIntParam("Start", start);
    c->setIntParam("End", end);
    c->setIntParam("Minimum", minimum);
    c->setIntParam("Maximum", maximum);
}

} // namespace

TEST(GammaExponent, SliderRuleDipsToOneAtMinusTen)
{
    const struct {
        int g;
        double exponent;
    } cases[] = {
        {-250, 10.0}, {-100, 10.0}, {-50, 100.0 / 60}, {-11, 100.0 / 99}, {-10, 1.0},
        {-5, 100.0 / 95}, {-1, 100.0 / 91}, {0, 1.0}, {1, 10.0 / 11}, {10, 0.5},
        {50, 10.0 / 60}, {100, 10.0 / 110}, {250, 10.0 / 110},
    };
    for (auto const& c : cases)
        EXPECT_DOUBLE_EQ(gammaExpFrom(c.g), c.exponent) << c.g;
}

TEST(GammaCurve, ValuesAreFlippedAndHeldToTheWindows)
{
    const Gamma identity(1.0, 0.0, 1.0, 0.0, 1.0);
    EXPECT_EQ(identity.valueAt(0.0), 1.0);
    EXPECT_EQ(identity.valueAt(0.25), 0.75);
    EXPECT_EQ(identity.valueAt(0.5), 0.5);
    EXPECT_EQ(identity.valueAt(1.0), 0.0);
    EXPECT_EQ(identity.valueAt(-3.0), 1.0);
    EXPECT_EQ(identity.valueAt(7.0), 0.0);

    const Gamma root(0.5, 0.0, 1.0, 0.0, 1.0);
    EXPECT_DOUBLE_EQ(root.valueAt(0.25), 0.5);
    EXPECT_DOUBLE_EQ(root.valueAt(0.5), 1.0 - std::sqrt(0.5));

    const Gamma windows(1.0, 0.2, 0.8, 0.1, 0.9);
    const Gamma swapped(1.0, 0.8, 0.2, 0.9, 0.1);
    const struct {
        double x, value;
    } cases[] = {{0.0, 0.9}, {0.2, 0.9}, {0.5, 0.5}, {0.8, 0.1}, {1.0, 0.1}};
    for (auto const& c : cases) {
        EXPECT_NEAR(windows.valueAt(c.x), c.value, 1e-12) << c.x;
        EXPECT_EQ(swapped.valueAt(c.x), windows.valueAt(c.x)) << c.x;
    }

    // An empty input window is flat at the output minimum; an empty output window is flat.
    const Gamma flatIn(3.0, 0.5, 0.5, 0.2, 0.9);
    const Gamma flatOut(0.3, 0.0, 1.0, 0.3, 0.3);
    for (double x : {0.0, 0.4, 0.5, 0.6, 1.0}) {
        EXPECT_NEAR(flatIn.valueAt(x), 0.8, 1e-12) << x;
        EXPECT_NEAR(flatOut.valueAt(x), 0.7, 1e-12) << x;
    }
    EXPECT_NEAR(flatIn.valueAt(std::nan("")), 0.8, 1e-12);
}

TEST(GammaCurveNode, SettingsRebuildTheCurve)
{
    NodeGammaCurve node(1);
    set(node, 10, 0, 100, 0, 100);
    EXPECT_DOUBLE_EQ(node.curve().exponent(), 0.5);
    EXPECT_DOUBLE_EQ(node.valueAt(0.25), 0.5);

    set(node, 0, 20, 80, 10, 90);
    EXPECT_NEAR(node.valueAt(0.0), 0.9, 1e-12);
    EXPECT_NEAR(node.valueAt(0.5), 0.5, 1e-12);
    EXPECT_NEAR(node.valueAt(1.0), 0.1, 1e-12);
    set(node, 0, 80, 20, 90, 10);
    EXPECT_NEAR(node.valueAt(0.2), 0.9, 1e-12);
    EXPECT_NEAR(node.valueAt(0.8), 0.1, 1e-12);

    // -5 lies past the dip at -10: 100 / 95, not the 100 / 105 of |g|.
    set(node, -5, 0, 100, 0, 100);
    EXPECT_DOUBLE_EQ(node.curve().exponent(), 100.0 / 95);
    EXPECT_DOUBLE_EQ(node.valueAt(0.5), 1.0 - std::pow(0.5, 100.0 / 95));
    // The path samples a thousand steps after repeating its start point (dropped as null).
    const QPainterPath path = node.pathCurve();
    ASSERT_EQ(path.elementCount(), 1001);
    EXPECT_DOUBLE_EQ(path.elementAt(500).y, node.valueAt(0.5));
}

TEST(GammaCurveNode, LoadedSettingsReachTheCurve)
{
    NodeGammaCurve original(1);
    set(original, 10, 0, 100, 0, 100);
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("graph"));
    document.appendChild(root);
    ASSERT_EQ(original.paramContainer()->storeState(document, root, false, false), 0);

    // Loading reports only "something changed" (no parameter); the curve must follow anyway.
    NodeGammaCurve copy(2);
    ASSERT_EQ(copy.paramContainer()->loadState(root.firstChildElement()), 0);
    EXPECT_EQ(copy.paramContainer()->getIntParam("Gamma"), 10);
    EXPECT_DOUBLE_EQ(copy.valueAt(0.25), 0.5);
}

TEST(GammaCurveNode, LinkedInputsGreyOutTheirSettings)
{
    NodeGammaCurve node(1);
    ProbeSourceNode source(2);
    ASSERT_EQ(source.connect(QStringLiteral("out 1d"), &node, QStringLiteral("Gamma")), 0);
    EXPECT_FALSE(gammaEnabled(node, "Gamma"));
    EXPECT_TRUE(gammaEnabled(node, "Start"));
    // The curve keeps following the (disabled) setting.
    node.paramContainer()->setIntParam("Gamma", 10);
    EXPECT_DOUBLE_EQ(node.valueAt(0.25), 0.5);
    ASSERT_EQ(node.disconnect(&source), 0);
    EXPECT_TRUE(gammaEnabled(node, "Gamma"));

    // Greyed out even when the peer offers nothing to read.
    ColorTest::SilentOutputNode silent(3);
    ASSERT_EQ(silent.connect(QStringLiteral("out"), &node, QStringLiteral("Maximum")), 0);
    EXPECT_FALSE(gammaEnabled(node, "Maximum"));
    node.getTerminal(QStringLiteral("Maximum"))->disconnectAll();
    EXPECT_TRUE(gammaEnabled(node, "Maximum"));
}

TEST(GammaCurveNode, CurveOutputLinksToNothing)
{
    NodeGammaCurve node(1);
    NodeHSY hsy(2);
    NodeJoinHSY join(3);
    NodeGammaCurve other(4);
    EXPECT_EQ(node.connect(QStringLiteral("rgb"), &hsy, QStringLiteral("rgb")), -1);
    EXPECT_EQ(node.connect(QStringLiteral("rgb"), &hsy, QStringLiteral("alpha")), -1);
    EXPECT_EQ(node.connect(QStringLiteral("rgb"), &join, QStringLiteral("h")), -1);
    EXPECT_EQ(node.connect(QStringLiteral("rgb"), &other, QStringLiteral("Gamma")), -1);
    EXPECT_TRUE(gammaEnabled(other, "Gamma"));
}

TEST(GammaCurveNode, PreviewDrawsTheCurveInACentredFrame)
{
    NodeGammaCurve node(1);
    EXPECT_EQ(node.getPreview(nullptr), 0);

    QImage picture(136, 104, QImage::Format_ARGB32);
    picture.fill(0xFF123456u);
    ASSERT_EQ(node.getPreview(&picture), 0);
    EXPECT_EQ(picture.size(), QSize(136, 104));
    // Frame: columns 15 and 119, bottom row 103; the top row (-1) lies outside.
    EXPECT_EQ(picture.pixel(15, 40), 0xFF000000u);
    EXPECT_EQ(picture.pixel(119, 60), 0xFF000000u);
    EXPECT_EQ(picture.pixel(90, 103), 0xFF000000u);
    // Outside the frame the old content is gone.
    EXPECT_EQ(picture.pixel(14, 40), 0u);
    EXPECT_EQ(picture.pixel(0, 0), 0u);
    // The diagonal from (15, 103) to (119, -1) is green; away from it nothing is drawn.
    EXPECT_EQ(picture.pixel(67, 51), 0xFF00FF00u);
    EXPECT_EQ(picture.pixel(41, 77), 0xFF00FF00u);
    EXPECT_EQ(picture.pixel(30, 20), 0u);
}
