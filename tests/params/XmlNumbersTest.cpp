#include "params/XmlNumbers.h"

#include <gtest/gtest.h>

#include <QDomDocument>

#include <optional>

using namespace KelUtils;

TEST(XmlNumbersTest, FloatsUseGeneralNotationWithSixSignificantDigits)
{
    const std::pair<double, char const*> cases[] = {{0.1f, "0.1"}, {1234567.f, "1.23457e+06"}, {0.0000001f, "1e-07"},
                                                    {0.0001, "0.0001"}, {123456.0, "123456"}, {1e6, "1e+06"},
                                                    {-2.5, "-2.5"}, {0.0, "0"}, {1e100, "1e+100"}};
    for (auto const& [value, text] : cases)
        EXPECT_EQ(formatXmlFloat(value), QLatin1String(text));
    EXPECT_EQ(formatXmlUnsigned(4294967295u), QStringLiteral("4294967295"));
}

namespace {

// The value read from an attribute holding `value`, or nothing when it counts as absent.
template <typename T>
std::optional<T> read(QString const& value)
{
    QDomDocument doc;
    QDomElement e = doc.createElement(QStringLiteral("e"));
    if (!value.isNull())
        e.setAttribute(QStringLiteral("a"), value);
    T out = T(7);
    if (!readXmlAttribute(e, QStringLiteral("a"), out))
        return std::nullopt;
    return out;
}

} // namespace

TEST(XmlNumbersTest, AttributeReadingRules)
{
    // Absent, empty and non-finite count as absent; other non-numbers read as 0.
    for (QString const& absent : {QString(), QStringLiteral(""), QStringLiteral("nan"), QStringLiteral("-inf")}) {
        EXPECT_FALSE(read<int>(absent)) << qPrintable(absent);
        EXPECT_FALSE(read<float>(absent)) << qPrintable(absent);
    }
    EXPECT_EQ(read<int>(QStringLiteral("abc")), 0);
    EXPECT_EQ(read<int>(QStringLiteral("-12")), -12);
    EXPECT_EQ(read<int>(QStringLiteral("0x10")), 0);
    EXPECT_EQ(read<int>(QStringLiteral("1.5")), 0);
    EXPECT_EQ(read<unsigned>(QStringLiteral("4294967295")), 4294967295u);
    EXPECT_EQ(read<float>(QStringLiteral("2.5e1")), 25.f);
    EXPECT_EQ(read<float>(QStringLiteral("1,5")), 0.f); // a point only, whatever the locale
    // Beyond float range is absent for floats, not for doubles.
    EXPECT_FALSE(read<float>(QStringLiteral("1e39")));
    EXPECT_EQ(read<double>(QStringLiteral("1e39")), 1e39);
    EXPECT_FALSE(read<double>(QStringLiteral("1e999")));
}
