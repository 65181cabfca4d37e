// The lenient JSON reader: value tree, optional commas, trailing text, failures that empty the
// whole value, string escapes, number runs and the nesting cap.

#include "web/Json.h"

#include <QVariantList>
#include <QVariantMap>

#include <gtest/gtest.h>

namespace {

QVariant parsed(QString const& text, bool* ok = nullptr)
{
    bool success = false;
    QVariant const value = Json::parse(text, success);
    if (ok)
        *ok = success;
    return value;
}

TEST(JsonTest, ObjectsAreOrderedByKeyAndNumbersStayText)
{
    QVariant const value = parsed(QStringLiteral("{\"b\": 1, \"a\": [true, null, \"x\"]}"));
    ASSERT_EQ(value.typeId(), QMetaType::QVariantMap);
    QVariantMap const map = value.toMap();
    EXPECT_EQ(map.keys(), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(map.value(QStringLiteral("b")).typeId(), QMetaType::QString);
    EXPECT_EQ(map.value(QStringLiteral("b")).toString(), QStringLiteral("1"));
    QVariantList const list = map.value(QStringLiteral("a")).toList();
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list.at(0).typeId(), QMetaType::Bool);
    EXPECT_TRUE(list.at(0).toBool());
    EXPECT_FALSE(list.at(1).isValid());
    EXPECT_EQ(list.at(2).toString(), QStringLiteral("x"));
}

// Texts that read like {"a": "1", "b": "2"}, or hold the given single member.
TEST(JsonTest, LenientFormsReadAsTheStrictOnes)
{
    struct Case
    {
        char const* text;
        char const* a;
        char const* b;
    };
    Case const cases[] = {
        {"{\"a\": 1 \"b\": 2}", "1", "2"},
        {"{,\"a\": 1,, \"b\": 2,}", "1", "2"},
        {"{\"a\": 1, \"a\": 2}", "2", nullptr},
        {"{\"a\": 1} {\"b\": 2}", "1", nullptr},
        {"{\"a\": 1}<html>trailing</html>", "1", nullptr},
        {"  \r\n\t{\"a\":-0.5e+3}", "-0.5e+3", nullptr},
        {"{\"a\": 1.2.3}", "1.2.3", nullptr},
        {"{\"a\": 2-3}", "2-3", nullptr},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.text);
        bool ok = false;
        QVariantMap const map = parsed(QString::fromLatin1(c.text), &ok).toMap();
        EXPECT_TRUE(ok);
        EXPECT_EQ(map.value(QStringLiteral("a")).toString(), QString::fromLatin1(c.a));
        EXPECT_EQ(map.contains(QStringLiteral("b")), c.b != nullptr);
        if (c.b) {
            EXPECT_EQ(map.value(QStringLiteral("b")).toString(), QString::fromLatin1(c.b));
        }
    }
    QVariantList const list = parsed(QStringLiteral("[1 2 3]")).toList();
    EXPECT_EQ(list, (QVariantList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
}

TEST(JsonTest, FailuresEmptyTheWholeValueAndClearTheFlag)
{
    struct Case
    {
        QString text;
        QMetaType::Type type; // UnknownType: an invalid value
    };
    Case const cases[] = {
        {QStringLiteral("{\"a\": [1, 2}"), QMetaType::QVariantMap},
        {QStringLiteral("{\"a\" 1}"), QMetaType::QVariantMap},
        {QStringLiteral("{\"a\": \"unterminated"), QMetaType::QVariantMap},
        {QStringLiteral("[{\"a\": 1}, {\"b\": "), QMetaType::QVariantList},
        {QStringLiteral(""), QMetaType::UnknownType},
        {QStringLiteral("   "), QMetaType::UnknownType},
        {QStringLiteral("+1"), QMetaType::UnknownType},
        {QStringLiteral(".5"), QMetaType::UnknownType},
        {QStringLiteral("True"), QMetaType::UnknownType},
        {QStringLiteral("<html><body>502</body></html>"), QMetaType::UnknownType},
        {QStringLiteral("\"\\u12"), QMetaType::UnknownType},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        bool ok = true;
        QVariant const value = parsed(c.text, &ok);
        EXPECT_FALSE(ok);
        if (c.type == QMetaType::UnknownType) {
            EXPECT_FALSE(value.isValid());
        } else {
            EXPECT_EQ(value.typeId(), int(c.type));
            EXPECT_TRUE(c.type == QMetaType::QVariantMap ? value.toMap().isEmpty()
                                                         : value.toList().isEmpty());
        }
    }
    // A null text is no failure.
    bool ok = false;
    EXPECT_FALSE(Json::parse(QString(), ok).isValid());
    EXPECT_TRUE(ok);
}

TEST(JsonTest, StringsResolveEscapesAndKeepEmptyAsNull)
{
    QVariantList const list =
        parsed(QStringLiteral("[\"a\\u00e9\\q\", \"\", \" \", \"\\\"\\\\\\/\\b\\f\\n\\r\\t\", "
                              "\"\\ud83d\\ude00\", \"\\uZZZZ\"]"))
            .toList();
    ASSERT_EQ(list.size(), 6);
    EXPECT_EQ(list.at(0).toString(), QStringLiteral("a\u00e9"));
    EXPECT_TRUE(list.at(1).toString().isNull());
    EXPECT_EQ(list.at(2).toString(), QStringLiteral(" "));
    EXPECT_EQ(list.at(3).toString(), QString::fromLatin1("\"\\/\b\f\n\r\t"));
    EXPECT_EQ(list.at(4).toString(), QString::fromUtf8("\xF0\x9F\x98\x80"));
    EXPECT_EQ(list.at(5).toString(), QString(QChar(0)));
}

TEST(JsonTest, KeywordsNeedNoSeparatorAfterThem)
{
    EXPECT_EQ(parsed(QStringLiteral("trueish")), QVariant(true));
    EXPECT_EQ(parsed(QStringLiteral("falsey")), QVariant(false));
    bool ok = false;
    EXPECT_FALSE(parsed(QStringLiteral("nullx"), &ok).isValid());
    EXPECT_TRUE(ok);
    int index = 0;
    EXPECT_EQ(Json::parseNumber(QStringLiteral("12abc"), index).toString(), QStringLiteral("12"));
    EXPECT_EQ(index, 2);
}

TEST(JsonTest, NestingIsCappedWithoutExhaustingTheStack)
{
    auto nested = [](int depth) {
        return QString(depth, QLatin1Char('[')) + QString(depth, QLatin1Char(']'));
    };
    bool ok = false;
    QVariant value = parsed(nested(Json::maxDepth), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(value.typeId(), QMetaType::QVariantList);

    value = parsed(nested(Json::maxDepth + 1), &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(value.toList().isEmpty());

    value = parsed(QString(100000, QLatin1Char('[')), &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(value.toList().isEmpty());

    QString objects;
    for (int i = 0; i < 100000; ++i)
        objects += QStringLiteral("{\"a\":");
    value = parsed(objects, &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(value.toMap().isEmpty());
}

// A text under any byte cap can still ask for millions of values: the reader builds at most
// maxElements in all, and says which cap a text met.
TEST(JsonTest, ValuesAreCappedAndFailuresSayWhy)
{
    auto list = [](int values) { // the list itself and values - 1 elements
        return QStringLiteral("[") + QStringLiteral("0 ").repeated(values - 1) + QStringLiteral("]");
    };
    struct Case
    {
        QString text;
        bool ok;
        char const* error;
    };
    std::vector<Case> const cases{
        {list(Json::maxElements), true, ""},
        {list(Json::maxElements + 1), false, "The reply holds more than 1000000 values."},
        {QStringLiteral("{\"a\": ") + list(Json::maxElements) + QStringLiteral("}"), false,
         "The reply holds more than 1000000 values."},
        {QString(Json::maxDepth + 1, QLatin1Char('[')), false, "The reply nests deeper than 512 levels."},
        {QStringLiteral("{\"a\" 1}"), false, "The reply is no JSON text."},
        {QStringLiteral("<html>"), false, "The reply is no JSON text."},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.text.left(40).toStdString());
        bool ok = !c.ok;
        QString error = QStringLiteral("stale");
        QVariant const value = Json::parse(c.text, ok, error);
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(error, QString::fromUtf8(c.error));
        if (c.ok) {
            EXPECT_EQ(value.toList().size(), Json::maxElements - 1);
        }
    }
}

} // namespace
