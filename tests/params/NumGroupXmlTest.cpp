#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"

#include <gtest/gtest.h>

#include <QDomDocument>

#include <memory>

using namespace KelUtils;

namespace {

QDomElement parseElement(QDomDocument& doc, QString const& xml)
{
    EXPECT_TRUE(doc.setContent(xml));
    return doc.documentElement();
}

class NumGroupXmlTest : public ::testing::Test
{
protected:
    ParameterContainer container{QStringLiteral("node"), QString()};
    QDomDocument doc;

    template <typename T>
    std::unique_ptr<NumGroupParameter<T>> group(int count, T min, T max, T def, IParameterContainer* owner)
    {
        return std::make_unique<NumGroupParameter<T>>(QStringLiteral("amp"), QStringLiteral("Amplitude:"), owner,
                                                      nullptr, count, min, max, def, true, 1);
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
    EXPECT_EQ(e.attribute(QStringLiteral("frame_num")), QStringLiteral("0"));
    EXPECT_FALSE(e.hasAttribute(QStringLiteral("num_vals")));
    EXPECT_FALSE(e.hasAttribute(QStringLiteral("type")));

    auto three = group<int>(3, -5, 1234567, 2, nullptr);
    int v[3] = {-5, 1234567, 0};
    three->setValues(v, 3);
    three->setKeyframeAt(4);
    QDomElement s = doc.createElement(QStringLiteral("parameter"));
    three->store(s, doc);
    EXPECT_EQ(s.attribute(QStringLiteral("value0")), QStringLiteral("-5"));
    EXPECT_EQ(s.attribute(QStringLiteral("value1")), QStringLiteral("1234567"));
    EXPECT_EQ(s.attribute(QStringLiteral("value2")), QStringLiteral("0"));
    EXPECT_FALSE(s.hasAttribute(QStringLiteral("value")));
    EXPECT_EQ(s.attribute(QStringLiteral("num_vals")), QStringLiteral("3"));
    EXPECT_EQ(s.attribute(QStringLiteral("type")), QStringLiteral("3"));
    EXPECT_EQ(s.attribute(QStringLiteral("ui_text")), QStringLiteral("Amplitude:"));
    QDomElement key = s.firstChildElement(QStringLiteral("keyframe"));
    ASSERT_FALSE(key.isNull());
    EXPECT_EQ(key.attribute(QStringLiteral("frame_num")), QStringLiteral("4"));
    EXPECT_EQ(key.attribute(QStringLiteral("value1")), QStringLiteral("1234567"));

    auto flag = group<int>(1, 0, 1, 0, nullptr);
    QDomElement b = doc.createElement(QStringLiteral("parameter"));
    flag->store(b, doc);
    EXPECT_EQ(b.attribute(QStringLiteral("type")), QStringLiteral("5"));
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
    EXPECT_EQ(target->value(0), source->value(0));
    EXPECT_EQ(target->value(1), source->value(1));
    target->setCurrentFrame(10);
    EXPECT_EQ(target->value(1), -2.25f);
}

TEST_F(NumGroupXmlTest, FloatsComeBackRoundedToSixDigits)
{
    auto source = group<float>(1, 1.f, 0.f, 0.f, &container);
    source->setValue(1234567.f, 0);
    QDomElement e = doc.createElement(QStringLiteral("param"));
    source->store(e, doc);
    EXPECT_EQ(e.attribute(QStringLiteral("value")), QStringLiteral("1.23457e+06"));
    auto target = group<float>(1, 1.f, 0.f, 0.f, &container);
    target->load(e);
    EXPECT_EQ(target->value(0), 1234570.f);
}

TEST_F(NumGroupXmlTest, AbsentValuesStayAndNonNumbersReadAsZero)
{
    auto p = group<int>(1, -10, 10, 3, &container);
    p->setValue(7, 0);
    ASSERT_EQ(p->load(parseElement(doc, QStringLiteral("<param name='amp'/>"))), 0);
    EXPECT_EQ(p->value(0), 7);
    p->load(parseElement(doc, QStringLiteral("<param value=''/>")));
    EXPECT_EQ(p->value(0), 7);
    p->load(parseElement(doc, QStringLiteral("<param value='abc'/>")));
    EXPECT_EQ(p->value(0), 0);
}

TEST_F(NumGroupXmlTest, NonFiniteNumbersCountAsAbsent)
{
    auto p = group<float>(1, 0.f, 10.f, 1.f, &container);
    p->setValue(2.f, 0);
    p->load(parseElement(doc, QStringLiteral("<param value='nan' min='-inf' max='inf' def='NaN'/>")));
    EXPECT_EQ(p->value(0), 2.f);
    EXPECT_EQ(p->minimum(), 0.f);
    EXPECT_EQ(p->maximum(), 10.f);
    EXPECT_EQ(p->defaultValue(), 1.f);
    p->load(parseElement(doc, QStringLiteral("<param value='1e39'/>"))); // beyond float
    EXPECT_EQ(p->value(0), 2.f);

    p->load(parseElement(doc, QStringLiteral("<param><keyframe frame_num='3' value='inf'/></param>")));
    p->setCurrentFrame(3);
    EXPECT_EQ(p->value(0), 2.f); // the key took the group's value
}

TEST_F(NumGroupXmlTest, StoredRangeOnlyNarrowsTheOwnRange)
{
    auto p = group<int>(1, 0, 100, 50, &container);
    p->load(parseElement(doc, QStringLiteral("<param min='-20' max='60' def='40' value='90'/>")));
    EXPECT_EQ(p->minimum(), 0);
    EXPECT_EQ(p->maximum(), 60);
    EXPECT_EQ(p->defaultValue(), 40);
    EXPECT_EQ(p->value(0), 60); // clamped into the range

    auto disjoint = group<int>(1, 0, 100, 50, &container);
    disjoint->load(parseElement(doc, QStringLiteral("<param min='200' max='300' def='250' value='-4'/>")));
    EXPECT_EQ(disjoint->minimum(), 0);
    EXPECT_EQ(disjoint->maximum(), 100);
    EXPECT_EQ(disjoint->defaultValue(), 50);
    EXPECT_EQ(disjoint->value(0), 0);

    auto badDefault = group<int>(1, 0, 100, 50, &container);
    badDefault->load(parseElement(doc, QStringLiteral("<param min='10' max='20' def='70'/>")));
    EXPECT_EQ(badDefault->minimum(), 0);
    EXPECT_EQ(badDefault->maximum(), 100);
    EXPECT_EQ(badDefault->defaultValue(), 50);

    auto onlyMax = group<int>(1, 0, 100, 5, &container);
    onlyMax->load(parseElement(doc, QStringLiteral("<param max='10'/>")));
    EXPECT_EQ(onlyMax->maximum(), 10);
    EXPECT_EQ(onlyMax->defaultValue(), 5);
}

TEST_F(NumGroupXmlTest, OpenRangesAreNotClamped)
{
    auto open = group<float>(1, 1.f, 0.f, 0.f, &container);
    open->load(parseElement(doc, QStringLiteral("<param value='-500'/>")));
    EXPECT_EQ(open->value(0), -500.f);

    // A stored open range narrows nothing; the own closed range still clamps.
    auto closed = group<float>(1, 0.f, 1.f, 0.f, &container);
    closed->load(parseElement(doc, QStringLiteral("<param min='5' max='-5' def='0.5' value='3'/>")));
    EXPECT_EQ(closed->minimum(), 0.f);
    EXPECT_EQ(closed->maximum(), 1.f);
    EXPECT_EQ(closed->defaultValue(), 0.5f);
    EXPECT_EQ(closed->value(0), 1.f);

    // An own open range takes a stored closed one (the intersection with no limits).
    auto widened = group<float>(1, 1.f, 0.f, 0.f, &container);
    widened->load(parseElement(doc, QStringLiteral("<param min='0' max='2' def='1' value='7'/>")));
    EXPECT_EQ(widened->maximum(), 2.f);
    EXPECT_EQ(widened->value(0), 2.f);
}

TEST_F(NumGroupXmlTest, LoadedKeysAreSortedOnePerFrameWithoutNegativeFrames)
{
    auto p = group<int>(1, 0, 10, 0, &container);
    int x = 1;
    p->setKeyframeAt(1, &x);
    p->setKeyframeAt(2, &x);
    p->setKeyframeAt(3, &x);
    const QString xml = QStringLiteral("<param value='4'>"
                                       "<keyframe frame_num='30' value='3'/>"
                                       "<keyframe frame_num='-2' value='9'/>"
                                       "<keyframe frame_num='10' value='1'/>"
                                       "<other frame_num='11' value='8'/>"
                                       "<keyframe frame_num='30' value='99'/>"
                                       "<keyframe value='2'/>"
                                       "</param>");
    ASSERT_EQ(p->load(parseElement(doc, xml)), 0);
    EXPECT_EQ(p->keyframes(), (QList<int>{0, 10, 30}));
    p->setCurrentFrame(30);
    EXPECT_EQ(p->value(0), 10); // the last key at 30 wins, clamped into the range
    p->setCurrentFrame(0);
    EXPECT_EQ(p->value(0), 2);
    p->setCurrentFrame(5);
    EXPECT_EQ(p->value(0), 2); // (2 * 5 + 1 * 5 + 5) / 10

    auto keysOnly = group<int>(1, 0, 10, 0, &container);
    keysOnly->load(parseElement(doc, QStringLiteral("<param><keyframe frame_num='4'/></param>")));
    EXPECT_EQ(keysOnly->keyframes(), (QList<int>{4}));
}

TEST_F(NumGroupXmlTest, FrameNumRestoresTheValuesOfThatFrame)
{
    auto p = group<int>(1, 0, 100, 0, &container);
    const QString xml = QStringLiteral("<param value='0' frame_num='5'>"
                                       "<keyframe frame_num='0' value='0'/>"
                                       "<keyframe frame_num='10' value='100'/>"
                                       "</param>");
    p->load(parseElement(doc, xml));
    EXPECT_EQ(p->currentFrame(), 5);
    EXPECT_EQ(p->value(0), 50);

    p->load(parseElement(doc, QStringLiteral("<param value='7' frame_num='-3'/>")));
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
    EXPECT_EQ(p->load(parseElement(doc, xml)), -1);
    EXPECT_EQ(p->keyframes(), (QList<int>{1}));
    EXPECT_EQ(p->value(0), 0.5f);
}
