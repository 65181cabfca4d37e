#include "params/ColorParameter.h"
#include "params/ParameterContainer.h"
#include "params/ParameterFactory.h"

#include <QDomDocument>
#include <QDomElement>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

using namespace KelUtils;

namespace {

void countChange(IParameterContainer*, Parameter*, void* userData)
{
    ++*static_cast<int*>(userData);
}

// A container of 100 frames holding one colour parameter bound to `color`.
struct ColorFixture
{
    ParameterContainer container{QStringLiteral("node"), QString()};
    Color color{0.2f, 0.3f, 0.4f, 1.0f};
    ColorParameter* param = nullptr;
    int changes = 0;

    ColorFixture()
    {
        param = new ColorParameter(QStringLiteral("col"), QStringLiteral("Colour:"), &container, &color, 1);
        container.paramLists().append(ParameterList{QStringLiteral("basic"), true, {param}});
        container.paramCallbacks().append(ParameterCallback{countChange, &changes});
    }
};

const Color Red(1.0f, 0.0f, 0.0f, 1.0f);
const Color Green(0.0f, 1.0f, 0.0f, 1.0f);
const Color HalfBlue(0.0f, 0.0f, 1.0f, 0.5f);

QDomElement parse(QDomDocument& doc, QString const& xml)
{
    EXPECT_TRUE(bool(doc.setContent(xml)));
    return doc.documentElement();
}

} // namespace

TEST(ColorParameter, SetValueChecksRangeAndNotifiesOnlyChanges)
{
    ColorFixture f;
    EXPECT_EQ(f.param->setValue(f.color), 0);
    EXPECT_EQ(f.changes, 0);
    EXPECT_EQ(f.param->setValue(Color(1.5f, 0.0f, 0.0f, 1.0f)), 0); // over-bright is allowed
    EXPECT_EQ(f.color, Color(1.5f, 0.0f, 0.0f, 1.0f));               // the node's member is the storage
    EXPECT_EQ(f.changes, 1);

    const Color before = f.color;
    const float inf = std::numeric_limits<float>::infinity();
    for (Color const& bad : {Color(0.0f, 0.0f, 0.0f, 1.01f), Color(-0.01f, 0.0f, 0.0f, 1.0f),
                             Color(0.0f, 0.0f, 0.0f, -0.01f), Color(std::nanf(""), 0.0f, 0.0f, 1.0f),
                             Color(inf, 0.0f, 0.0f, 1.0f)})
        EXPECT_EQ(f.param->setValue(bad), -1);
    EXPECT_EQ(f.color, before);
    EXPECT_EQ(f.changes, 1);
}

TEST(ColorParameter, ByteAndScaledSettersKeepPrecisionOfTheShownColour)
{
    ColorFixture f;
    const Color bright(2.0f, 0.5f, 0.123456f, 1.0f);
    ASSERT_EQ(f.param->setValue(bright), 0);
    f.changes = 0;

    // Handing back what the swatch shows leaves the stored colour as it is.
    const unsigned char shown[4] = {255, 186, Color::encodeChannel(0.123456f, Color::InverseGamma), 255};
    EXPECT_EQ(f.param->setValue(shown), 0);
    EXPECT_EQ(f.color, bright);
    EXPECT_EQ(f.changes, 0);

    const unsigned char grey[4] = {128, 128, 128, 128};
    EXPECT_EQ(f.param->setValue(grey), 0);
    EXPECT_EQ(f.changes, 1);
    EXPECT_FLOAT_EQ(f.color.red, 0.21951973f);
    EXPECT_EQ(f.color.alpha, 128.0f / 255.0f);
    EXPECT_EQ(f.param->setValue(static_cast<unsigned char const*>(nullptr)), -1);

    // The scaled form round-trips over-bright colours.
    ASSERT_EQ(f.param->setValue(Color(4.0f, 1.0f, 0.0f, 1.0f)), 0);
    f.changes = 0;
    ScaledRgb s = f.param->value8bit();
    EXPECT_EQ(s.scale, 4.0f);
    EXPECT_EQ(f.param->setValue(s), 0);
    EXPECT_EQ(f.changes, 0);
    s.scale = 8.0f;
    EXPECT_EQ(f.param->setValue(s), 0);
    EXPECT_FLOAT_EQ(f.color.red, 8.0f);
    s.scale = -1.0f;
    EXPECT_EQ(f.param->setValue(s), -1);
}

TEST(ColorParameter, InterpolatesColourKeysAndHoldsAlpha)
{
    ColorFixture f;
    ASSERT_EQ(f.param->setKeyframeAt(10, Red), 0);
    ASSERT_EQ(f.param->setKeyframeAt(20, HalfBlue), 0);

    ASSERT_EQ(f.param->setCurrentFrame(15), 0);
    EXPECT_EQ(f.color, Color(0.5f, 0.0f, 0.5f, 1.0f)); // alpha of the earlier key
    ASSERT_EQ(f.param->setCurrentFrame(5), 0);
    EXPECT_EQ(f.color, Red);
    ASSERT_EQ(f.param->setCurrentFrame(25), 0);
    EXPECT_EQ(f.color, HalfBlue);

    // Single precision: (a*dL + b*dE) * (1/span), all in float.
    ASSERT_EQ(f.param->deleteKeyframe(10), 0);
    ASSERT_EQ(f.param->setKeyframeAt(0, Color(0.1f, 0.7f, 0.3f, 1.0f)), 0);
    ASSERT_EQ(f.param->moveKeyframe(20, 3), 0);
    ASSERT_EQ(f.param->setCurrentFrame(1), 0);
    const float inv = 1.0f / 3.0f;
    EXPECT_EQ(f.color.red, (0.1f * 2.0f + 0.0f * 1.0f) * inv);
    EXPECT_EQ(f.color.green, (0.7f * 2.0f + 0.0f * 1.0f) * inv);
    EXPECT_EQ(f.color.blue, (0.3f * 2.0f + 1.0f * 1.0f) * inv);
}

TEST(ColorParameter, EditsFollowTheHeldKeyOutsideTheKeyedRange)
{
    ColorFixture f;
    f.param->setKeyframeAt(10, Red);
    f.param->setKeyframeAt(20, HalfBlue);

    f.param->setCurrentFrame(30);
    ASSERT_EQ(f.param->setValue(Green), 0);
    EXPECT_EQ(f.param->keys().at(1).color, Green);

    f.param->setCurrentFrame(15);
    ASSERT_EQ(f.param->setValue(Color(0.3f, 0.3f, 0.3f, 1.0f)), 0);
    EXPECT_EQ(f.param->keys().at(0).color, Red);
    EXPECT_EQ(f.param->keys().at(1).color, Green);

    // A key without a colour takes the shown one.
    ASSERT_EQ(f.param->setKeyframeAt(40), 0);
    EXPECT_EQ(f.param->keys().at(2).color, Color(0.3f, 0.3f, 0.3f, 1.0f));
}

TEST(ColorParameter, KeyOperationsRefuseWithoutChanging)
{
    ColorFixture f;
    f.param->setKeyframeAt(10, Red);
    f.param->setKeyframeAt(20, HalfBlue);

    EXPECT_EQ(f.param->setKeyframeAt(10, Green), -1);
    EXPECT_EQ(f.param->keys().at(0).color, Red);
    EXPECT_EQ(f.param->setKeyframeAt(-1, Green), -1);
    EXPECT_EQ(f.param->setKeyframeAt(100, Green), -1); // container has 100 frames
    EXPECT_EQ(f.param->setKeyframeAt(30, Color(std::nanf(""), 0.0f, 0.0f, 1.0f)), -1);
    EXPECT_EQ(f.param->deleteKeyframe(11), -1);
    EXPECT_EQ(f.param->moveKeyframe(10, 10), -1);
    EXPECT_EQ(f.param->moveKeyframe(10, -1), -1);
    EXPECT_EQ(f.param->moveKeyframe(11, 12), -1);
    EXPECT_EQ(f.param->moveKeyframe(10, 100), -1);
    EXPECT_EQ(f.param->keyframes(), (QList<int>{10, 20}));
    EXPECT_EQ(f.param->setCurrentFrame(100), -1);
    EXPECT_EQ(f.param->currentFrame(), 0);
}

TEST(ColorParameter, MovingOntoAKeyReplacesItAndDeletingTheLastKeepsTheValue)
{
    ColorFixture f;
    f.param->setKeyframeAt(10, Red);
    f.param->setKeyframeAt(20, HalfBlue);
    f.param->setKeyframeAt(30, Green);
    f.param->setCurrentFrame(20);

    ASSERT_EQ(f.param->moveKeyframe(10, 20), 0);
    ASSERT_EQ(f.param->keys().size(), 2);
    EXPECT_EQ(f.param->keys().at(0).color, Red);
    EXPECT_EQ(f.color, Red);

    // Past the others: the list stays sorted.
    ASSERT_EQ(f.param->moveKeyframe(20, 50), 0);
    EXPECT_EQ(f.param->keyframes(), (QList<int>{30, 50}));
    // Editing after the move reaches the key that now holds, never a destroyed one.
    ASSERT_EQ(f.param->setValue(Color(0.9f, 0.9f, 0.9f, 1.0f)), 0);
    EXPECT_EQ(f.param->keys().at(0).color, Color(0.9f, 0.9f, 0.9f, 1.0f));

    ASSERT_EQ(f.param->deleteKeyframe(50), 0);
    ASSERT_EQ(f.param->deleteKeyframe(30), 0);
    EXPECT_EQ(f.color, Color(0.9f, 0.9f, 0.9f, 1.0f));
    ASSERT_EQ(f.param->setValue(Green), 0);
    EXPECT_EQ(f.color, Green);
}

TEST(ColorParameter, StoresAndLoadsColourKeysAndFrame)
{
    ColorFixture f;
    f.param->setKeyframeAt(10, Red);
    f.param->setKeyframeAt(20, HalfBlue);
    f.param->setCurrentFrame(12);

    QDomDocument doc;
    QDomElement e = doc.createElement(QStringLiteral("param"));
    ASSERT_EQ(f.param->store(e, doc), 0);
    EXPECT_EQ(e.attribute(QStringLiteral("frame_num")), QStringLiteral("12"));
    EXPECT_EQ(e.attribute(QStringLiteral("r")), QStringLiteral("0.8"));
    EXPECT_EQ(e.elementsByTagName(QStringLiteral("keyframe")).size(), 2);

    ColorFixture g;
    g.param->setKeyframeAt(1, Green);
    g.param->setKeyframeAt(3, Green);
    ASSERT_EQ(g.param->load(e), 0);
    EXPECT_EQ(g.param->keyframes(), (QList<int>{10, 20}));
    EXPECT_EQ(g.param->keys().at(1).color, HalfBlue);
    EXPECT_EQ(g.param->currentFrame(), 12);
    EXPECT_EQ(g.color, f.color);

    // Stand-alone: no upper frame bound.
    ColorParameter original(QStringLiteral("tint"), QStringLiteral("Tint:"), nullptr, nullptr, 5);
    ASSERT_EQ(original.setKeyframeAt(500, Red), 0);
    e = doc.createElement(QStringLiteral("parameter"));
    original.store(e, doc);
    EXPECT_EQ(e.attribute(QStringLiteral("type")), QStringLiteral("6"));
    std::unique_ptr<Parameter> loaded(createParameter(e));
    ColorParameter* c = loaded ? static_cast<ColorParameter*>(*loaded) : nullptr;
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->keyframes(), QList<int>{500});
    EXPECT_EQ(c->value(), Red); // frame 0 lies before the only key
}

TEST(ColorParameter, LoadedColoursAreBroughtIntoRange)
{
    ColorFixture f;
    QDomDocument doc;
    ASSERT_EQ(f.param->load(parse(doc, QStringLiteral("<param name='col' r='nan' g='-5' b='inf' a='7'/>"))), 0);
    EXPECT_EQ(f.color, Color(0.2f, 0.0f, 0.4f, 1.0f)); // non-finite: as if absent

    ASSERT_EQ(f.param->load(parse(doc, QStringLiteral("<param name='col' r='3' a='-1' g='1e39'/>"))), 0);
    EXPECT_EQ(f.color, Color(3.0f, 0.0f, 0.4f, 0.0f));

    // Without "a" the alpha is opaque.
    ASSERT_EQ(f.param->load(parse(doc, QStringLiteral("<param name='col' r='0.5' g='0.5' b='0.5'/>"))), 0);
    EXPECT_EQ(f.color.alpha, 1.0f);
}

TEST(ColorParameter, LoadedKeysAreSortedUniqueAndNeverNegative)
{
    ColorFixture f;
    QDomDocument doc;
    QDomElement e = parse(doc, QStringLiteral(
        "<param name='col' r='0' g='0' b='0'>"
        "<keyframe frame_num='20' r='1' g='0' b='0'/>"
        "<keyframe frame_num='5' r='0' g='1' b='0' a='2'/>"
        "<keyframe frame_num='-3' r='0' g='0' b='1'/>"
        "<keyframe r='0.5' g='0.5' b='0.5'/>"
        "<keyframe frame_num='nan' r='0.5'/>"
        "<keyframe frame_num='20' r='0' g='0' b='-1'/>"
        "<other frame_num='7'/>"
        "<group><keyframe frame_num='8'/></group>"
        "</param>"));
    ASSERT_EQ(f.param->load(e), 0);
    const QList<ColorKey> keys = f.param->keys();
    ASSERT_EQ(keys.size(), 2);
    EXPECT_EQ(keys.at(0).frame, 5);
    EXPECT_EQ(keys.at(0).color, Green); // alpha clamped to 1
    EXPECT_EQ(keys.at(1).frame, 20);
    EXPECT_EQ(keys.at(1).color, Color(0.0f, 0.0f, 0.0f, 1.0f)); // the last key at 20 wins
    EXPECT_EQ(f.color, Green);

    // A stored frame beyond the container keeps the stored colour.
    ASSERT_EQ(f.param->load(parse(doc, QStringLiteral(
                  "<param name='col' frame_num='150' r='0.25' g='0.25' b='0.25'>"
                  "<keyframe frame_num='10' r='1' g='0' b='0'/></param>"))), 0);
    EXPECT_EQ(f.color, Color(0.25f, 0.25f, 0.25f, 1.0f));
}
