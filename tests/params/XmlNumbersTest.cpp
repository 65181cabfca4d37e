#include "params/XmlNumbers.h"

#include <gtest/gtest.h>

#include <QDomDocument>

using namespace KelUtils;

TEST(XmlNumbersTest, FloatsUseGeneralNotationWithSixSignificantDigits)
{
    EXPECT_EQ(formatXmlFloat(0.1f), QStringLiteral("0.1"));
    EXPECT_EQ(formatXmlFloat(100.f), QStringLiteral("100"));
    EXPECT_EQ(formatXmlFloat(1234567.f), QStringLiteral("1.23457e+06"));
    EXPECT_EQ(formatXmlFloat(0.0000001f), QStringLiteral("1e-07"));
    EXPECT_EQ(formatXmlFloat(0.0001), QStringLiteral("0.0001"));
    EXPECT_EQ(formatXmlFloat(123456.0), QStringLiteral("123456"));
    EXPECT_EQ(formatXmlFloat(1e6), QStringLiteral("1e+06"));
    EXPECT_EQ(formatXmlFloat(-2.5), QStringLiteral("-2.5"));
    EXPECT_EQ(formatXmlFloat(0.0), QStringLiteral("0"));
    EXPECT_EQ(formatXmlFloat(1e100), QStringLiteral("1e+100"));
    EXPECT_EQ(formatXmlInt(-1), QStringLiteral("-1"));
    EXPECT_EQ(formatXmlUnsigned(4294967295u), QStringLiteral("4294967295"));
}

TEST(XmlNumbersTest, AttributeReadingRules)
{
    QDomDocument doc;
    ASSERT_TRUE(doc.setContent(QStringLiteral(
        "<e empty='' word='abc' n='-12' f='2.5e1' comma='1,5' nan='nan' inf='-inf' big='1e999' "
        "flt='1e39' hex='0x10' u='4294967295' dec='1.5'/>")));
    const QDomElement e = doc.documentElement();

    int i = 7;
    EXPECT_FALSE(readXmlAttribute(e, QStringLiteral("absent"), i));
    EXPECT_FALSE(readXmlAttribute(e, QStringLiteral("empty"), i));
    EXPECT_EQ(i, 7);
    EXPECT_TRUE(readXmlAttribute(e, QStringLiteral("word"), i));
    EXPECT_EQ(i, 0);
    EXPECT_TRUE(readXmlAttribute(e, QStringLiteral("n"), i));
    EXPECT_EQ(i, -12);
    EXPECT_TRUE(readXmlAttribute(e, QStringLiteral("hex"), i));
    EXPECT_EQ(i, 0);
    EXPECT_TRUE(readXmlAttribute(e, QStringLiteral("dec"), i));
    EXPECT_EQ(i, 0);
    i = 7;
    EXPECT_FALSE(readXmlAttribute(e, QStringLiteral("nan"), i));
    EXPECT_FALSE(readXmlAttribute(e, QStringLiteral("inf"), i));
    EXPECT_EQ(i, 7);

    unsigned u = 0;
    EXPECT_TRUE(readXmlAttribute(e, QStringLiteral("u"), u));
    EXPECT_EQ(u, 4294967295u);

    float f = 3.f;
    EXPECT_TRUE(readXmlAttribute(e, QStringLiteral("f"), f));
    EXPECT_EQ(f, 25.f);
    EXPECT_TRUE(readXmlAttribute(e, QStringLiteral("comma"), f)); // a point only, whatever the locale
    EXPECT_EQ(f, 0.f);
    f = 3.f;
    EXPECT_FALSE(readXmlAttribute(e, QStringLiteral("nan"), f));
    EXPECT_FALSE(readXmlAttribute(e, QStringLiteral("inf"), f));
    EXPECT_FALSE(readXmlAttribute(e, QStringLiteral("big"), f));
    EXPECT_FALSE(readXmlAttribute(e, QStringLiteral("flt"), f));
    EXPECT_EQ(f, 3.f);

    double d = 0.0;
    EXPECT_TRUE(readXmlAttribute(e, QStringLiteral("flt"), d));
    EXPECT_EQ(d, 1e39);
    EXPECT_FALSE(readXmlAttribute(e, QStringLiteral("big"), d));
}
