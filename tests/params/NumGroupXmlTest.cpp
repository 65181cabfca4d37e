#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"

#include <gtest/gtest.h>

#include <QDomDocument>

#include <memory>

using namespace KelUtils;

namespace {

class NumGroupXmlTest : public ::testing::Test
{
protected:
    ParameterContainer container{QStringLiteral("node"), QString()};
    QDomDocument doc;

    QDomElement parse(QString const& xml)
    {
        EXPECT_TRUE(bool(doc.setContent(xml)));
        return doc.documentElement();
    }

    template <typename T>
    std::unique_ptr<NumGroupParameter<T>> group(int count, T min, T max, T def, IParameterContainer* owner)
    {
        return std::make_unique<NumGroupParameter<T>>(QStringLiteral("amp"), QStringLiteral("Amplitude:"), owner,
                                                      nullptr, count, min, max, def, true, 1);
    }
    template <typename T>
    std::unique_ptr<NumGroupParameter<T>> loaded(T min, T max, T def, QString const& xml)
    {
        auto p = group<T>(1, min, max, def, &container);
        p->load(parse(xml));
        return p;
    }
};

} // namespace

TEST_F(NumGroupXmlTest, StoreWritesValuesRangeAndKeys)
{
    auto one = group<float>(1, 0.f, 1.f, 0.f, &container);
    one->setValue(0.1f, 0);
    QDomElement e = doc.createElement(QStringLiteral("param"));
    EXPECT_EQ(one->store(e, doc), 0);
    EXPECT_EQ(e.attribute(QStringLiteral("value")), QStringLiteral("0.1"));
    EXPECT_FALSE(e.hasAttribute(QStringLiteral("value0")));
    EXPECT_EQ(e.attribute(QStringLiteral("max")), QStringLiteral("1"));
    EXPECT_FALSE(e.hasAttribute(QStringLiteral("num_vals")));
    EXPECT_FALSE(e.hasAttribute(QStringLiteral("type")));

    auto three = group<int>(3, -5, 1234567, 2, nullptr);
    int v[3] = {-5, 1234567, 0};
    three->setValues(v, 3);
    three->setKeyframeAt(4);
    QDomElement s = doc.createElement(QStringLiteral("parameter"));
    three->store(s, doc);
    EXPECT_EQ(s.attribute(QStringLiteral("value1")), QStringLiteral("1234567"));
    EXPECT_FALSE(s.hasAttribute(QStringLiteral("value")));
    EXPECT_EQ(s.attribute(QStringLiteral("num_vals")), QStringLiteral("3"));
    EXPECT_EQ(s.attribute(QStringLiteral("type")), QStringLiteral("3"));
    const QDomElement key = s.firstChildElement(QStringLiteral("keyframe"));
    EXPECT_EQ(key.attribute(QStringLiteral("frame_num")), QStringLiteral("4"));
    EXPECT_EQ(key.attribute(QStringLiteral("value1")), QStringLiteral("1234567"));
}

TEST_F(NumGroupXmlTest, RoundTripRestoresValuesKeysAndFrame)
{
    auto source = group<float>(2, -10.f, 10.f, 0.f, &container);
    float a[2] = {1.5f, -2.25f}, b[2] = {3.f, 4.f};
    source->setKeyframeAt(10, a);
    source->setKeyframeAt(20, b);
    source->setCurrentFrame(15);
    source->setDisplayFlags(5);
    QDomElement e = doc.createElement(QStringLiteral("param"));
    source->store(e, doc);

    auto target = group<float>(2, -10.f, 10.f, 0.f, &container);
    ASSERT_EQ(target->load(e), 0);
    EXPECT_EQ(target->keyframes(), (QList<int>{10, 20}));
    EXPECT_EQ(target->currentFrame(), 15);
    EXPECT_EQ(target->displayFlags(), 5);
    EXPECT_EQ(target->value(1), source->value(1));
    target->setCurrentFrame(10);
    EXPECT_EQ(target->value(1), -2.25f);

    // Floats travel with six significant digits.
    auto big = group<float>(1, 1.f, 0.f, 0.f, &container);
    big->setValue(1234567.f, 0);
    e = doc.createElement(QStringLiteral("param"));
    big->store(e, doc);
    big->load(e);
    EXPECT_EQ(big->value(0), 1234570.f);
}

TEST_F(NumGroupXmlTest, AbsentNonFiniteAndNonNumericValues)
{
    auto p = group<float>(1, -10.f, 10.f, 1.f, &container);
    p->setValue(2.f, 0);
    for (QString const& xml : {QStringLiteral("<param name='amp'/>"), QStringLiteral("<param value=''/>"),
                               QStringLiteral("<param value='nan' min='-inf' max='inf' def='NaN'/>"),
                               QStringLiteral("<param value='1e39'/>")}) {
        p->load(parse(xml));
        EXPECT_EQ(p->value(0), 2.f) << qPrintable(xml);
        EXPECT_EQ(p->minimum(), -10.f);
        EXPECT_EQ(p->maximum(), 10.f);
        EXPECT_EQ(p->defaultValue(), 1.f);
    }
    // A non-finite key value leaves the key with the group's value.
    p->load(parse(QStringLiteral("<param><keyframe frame_num='3' value='inf'/></param>")));
    p->setCurrentFrame(3);
    EXPECT_EQ(p->value(0), 2.f);

    p->load(parse(QStringLiteral("<param value='abc'/>")));
    EXPECT_EQ(p->value(0), 0.f);
}

TEST_F(NumGroupXmlTest, StoredRangeOnlyNarrowsTheOwnRangeAndValuesAreClamped)
{
    auto p = loaded<int>(0, 100, 50, QStringLiteral("<param min='-20' max='60' def='40' value='90'/>"));
    EXPECT_EQ(p->minimum(), 0);
    EXPECT_EQ(p->maximum(), 60);
    EXPECT_EQ(p->defaultValue(), 40);
    EXPECT_EQ(p->value(0), 60);

    // Empty intersection, or a default outside it: the own range stays.
    for (QString const& xml : {QStringLiteral("<param min='200' max='300' def='250' value='-4'/>"),
                               QStringLiteral("<param min='10' max='20' def='70' value='-4'/>")}) {
        p = loaded<int>(0, 100, 50, xml);
        EXPECT_EQ(p->minimum(), 0);
        EXPECT_EQ(p->maximum(), 100);
        EXPECT_EQ(p->defaultValue(), 50);
        EXPECT_EQ(p->value(0), 0);
    }

    p = loaded<int>(0, 100, 5, QStringLiteral("<param max='10'/>"));
    EXPECT_EQ(p->maximum(), 10);
    EXPECT_EQ(p->defaultValue(), 5);

    // Open ranges are not clamped; a stored open range narrows nothing.
    EXPECT_EQ(loaded<float>(1.f, 0.f, 0.f, QStringLiteral("<param value='-500'/>"))->value(0), -500.f);
    auto closed = loaded<float>(0.f, 1.f, 0.f, QStringLiteral("<param min='5' max='-5' def='0.5' value='3'/>"));
    EXPECT_EQ(closed->maximum(), 1.f);
    EXPECT_EQ(closed->defaultValue(), 0.5f);
    EXPECT_EQ(closed->value(0), 1.f);
    // An own open range takes a stored closed one.
    auto widened = loaded<float>(1.f, 0.f, 0.f, QStringLiteral("<param min='0' max='2' def='1' value='7'/>"));
    EXPECT_EQ(widened->maximum(), 2.f);
    EXPECT_EQ(widened->value(0), 2.f);
}

TEST_F(NumGroupXmlTest, LoadedKeysAreSortedOnePerFrameWithoutNegativeFrames)
{
    auto p = group<int>(1, 0, 10, 0, &container);
    int x = 1;
    p->setKeyframeAt(1, &x);
    p->setKeyframeAt(3, &x);
    ASSERT_EQ(p->load(parse(QStringLiteral("<param value='4'>"
                                           "<keyframe frame_num='30' value='3'/>"
                                           "<keyframe frame_num='-2' value='9'/>"
                                           "<keyframe frame_num='10' value='1'/>"
                                           "<other frame_num='11' value='8'/>"
                                           "<keyframe frame_num='30' value='99'/>"
                                           "<keyframe value='2'/>"
                                           "</param>"))),
              0);
    EXPECT_EQ(p->keyframes(), (QList<int>{0, 10, 30}));
    p->setCurrentFrame(30);
    EXPECT_EQ(p->value(0), 10); // the last key at 30 wins, clamped into the range
    p->setCurrentFrame(5);
    EXPECT_EQ(p->value(0), 2); // (2 * 5 + 1 * 5 + 5) / 10
}

TEST_F(NumGroupXmlTest, FrameNumRestoresTheValuesOfThatFrame)
{
    auto p = loaded<int>(0, 100, 0, QStringLiteral("<param value='0' frame_num='5'>"
                                                   "<keyframe frame_num='0' value='0'/>"
                                                   "<keyframe frame_num='10' value='100'/></param>"));
    EXPECT_EQ(p->currentFrame(), 5);
    EXPECT_EQ(p->value(0), 50);

    p->load(parse(QStringLiteral("<param value='7' frame_num='-3'/>")));
    EXPECT_EQ(p->currentFrame(), 0);
    EXPECT_EQ(p->value(0), 7);
}

TEST_F(NumGroupXmlTest, HugeKeyListsAreRefusedWithoutChange)
{
    auto p = group<float>(MaxGroupValues, 0.f, 1.f, 0.5f, nullptr);
    p->setKeyframeAt(1);
    QString xml = QStringLiteral("<param value0='0.25'>");
    for (int i = 0; i < 300; ++i)
        xml += QStringLiteral("<keyframe frame_num='%1'/>").arg(i);
    xml += QStringLiteral("</param>");
    EXPECT_EQ(p->load(parse(xml)), -1);
    EXPECT_EQ(p->keyframes(), (QList<int>{1}));
    EXPECT_EQ(p->value(0), 0.5f);
}
