// Reading replies: the classic variant conversions, success tests, Latin-1 bodies, the login's
// account, error texts, the search cursor and the irregular item keys.

#include "WebTestSupport.h"

#include "web/DownloadLumoraMethod.h"
#include "web/DownloadLumoraXMLContentMethod.h"
#include "web/DownloadNLPXmlContentMethod.h"
#include "web/GetFirstLumoraMethod.h"
#include "web/GetFirstMaterialMethod.h"
#include "web/GetFirstNLPExtensionMethod.h"
#include "web/GetNextLumoraMethod.h"
#include "web/LoginMethod.h"
#include "web/SearchLumoraMethod.h"
#include "web/UploadLumoraMethod.h"
#include "web/UploadNLPExtensionMethod.h"

#include <gtest/gtest.h>

namespace {

using WebTest::replyWith;

TEST(ReplyAccessorTest, ItemFieldsConvertLikeTheClassicVariant)
{
    struct Case
    {
        QByteArray value; // JSON text of the item's field
        int asInt;
        char const* asText;
    };
    Case const cases[] = {
        {"7", 7, "7"},         {"\"7\"", 7, "7"},     {"007", 7, "007"},
        {"7.0", 0, "7.0"},     {"42.0", 0, "42.0"},   {"1e3", 0, "1e3"},
        {"\"word\"", 0, "word"}, {"true", 1, "true"}, {"false", 0, "false"},
        {"null", 0, ""},       {"{}", 0, ""},         {"[1]", 0, ""},
        {"\"\"", 0, ""},       {"-12", -12, "-12"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        DownloadLumoraMethod download;
        replyWith(download, "{\"lumora\": {\"id\": " + c.value + ", \"name\": " + c.value
                                + ", \"views\": " + c.value + "}}");
        EXPECT_EQ(download.id(), c.asInt);
        EXPECT_EQ(download.views(), c.asInt);
        EXPECT_EQ(download.name(), QString::fromLatin1(c.asText));
    }
    DownloadLumoraMethod absent;
    replyWith(absent, "{\"lumora\": {}}");
    EXPECT_EQ(absent.id(), 0);
    EXPECT_EQ(absent.userID(), 0);
    EXPECT_TRUE(absent.name().isEmpty());
    EXPECT_FALSE(absent.createdAt().isValid());
    EXPECT_TRUE(absent.icon().isEmpty());

    UploadLumoraMethod upload;
    replyWith(upload, "{\"lumora\": {\"version\": 1.002}}");
    EXPECT_FLOAT_EQ(upload.version(), 1.002f);
    replyWith(upload, "{\"lumora\": {\"version\": \"1e3\"}}");
    EXPECT_FLOAT_EQ(upload.version(), 1000.0f);
    replyWith(upload, "{\"lumora\": {\"version\": \"x\"}}");
    EXPECT_FLOAT_EQ(upload.version(), 0.0f);
}

TEST(ReplyAccessorTest, DatesAndIconsDecode)
{
    DownloadLumoraMethod download;
    replyWith(download, "{\"lumora\": {\"created_at\": \"2011-05-04T10:20:30\", "
                        "\"created_by\": \"Me\", \"icon\": \"" + QByteArray("PNG\x01").toBase64()
                            + "\", \"user_id\": \"17\"}}");
    EXPECT_EQ(download.createdAt(), QDateTime(QDate(2011, 5, 4), QTime(10, 20, 30)));
    EXPECT_EQ(download.createdBy(), QStringLiteral("Me"));
    EXPECT_EQ(download.icon(), QByteArray("PNG\x01"));
    EXPECT_EQ(download.userID(), 17);
    replyWith(download, "{\"lumora\": {\"created_at\": \"yesterday\"}}");
    EXPECT_FALSE(download.createdAt().isValid());
}

TEST(ReplyAccessorTest, SuccessMeansAPresentNonNullItem)
{
    struct Case
    {
        QByteArray body;
        bool success;
    };
    Case const cases[] = {
        {"{\"lumora\": {}}", true},     {"{\"lumora\": []}", true},
        {"{\"lumora\": 0}", true},      {"{\"lumora\": false}", true},
        {"{\"lumora\": \"x\"}", true},  {"{\"lumora\": null}", false},
        {"{\"lumora\": \"\"}", false},  {"{}", false},
        {"{\"lu_mora\": {}}", false},   {"", false},
        {"<html>404</html>", false},    {"{\"lumora\": {\"id\": 1", false},
        {"[{\"lumora\": {}}]", false},  {QByteArray("{\"lumora\": {}}\0tail", 19), true},
        {QByteArray("{\"lumora\": \0 {}}", 16), false},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.body.toStdString());
        GetNextLumoraMethod next;
        replyWith(next, c.body);
        EXPECT_EQ(next.isSuccess(), c.success);
        UploadLumoraMethod upload;
        replyWith(upload, c.body);
        EXPECT_EQ(upload.isSuccess(), c.success);
        if (!c.success) {
            EXPECT_TRUE(upload.errors().isEmpty());
            EXPECT_TRUE(upload.message().isEmpty());
        }
    }
}

TEST(ReplyAccessorTest, BodiesReadAsLatin1)
{
    DownloadLumoraXMLContentMethod raw;
    replyWith(raw, "{\"live_lumora\": {\"xml_content\": \"\xC3\xA9<a/>\", \"id\": 3}}");
    EXPECT_EQ(raw.xmlContent(), QByteArray("\xC3\xA9<a/>"));
    EXPECT_EQ(raw.id(), 3);
    DownloadLumoraMethod text;
    replyWith(text, "{\"lumora\": {\"name\": \"\xC3\xA9\"}}");
    EXPECT_EQ(text.name(), QStringLiteral("\u00c3\u00a9"));

    DownloadLumoraXMLContentMethod escaped;
    replyWith(escaped, "{\"live_lumora\": {\"xml_content\": \"\\u00e9\\u20ac\"}}");
    EXPECT_EQ(escaped.xmlContent(), QByteArray("\xE9?"));
    replyWith(text, "{\"lumora\": {\"name\": \"\\u00e9\"}}");
    EXPECT_EQ(text.name(), QStringLiteral("\u00e9"));

    DownloadNLPXmlContentMethod nlp;
    replyWith(nlp, "{\"live_nlp_extension\": {\"xml_content\": \"\xFF\"}}");
    EXPECT_TRUE(nlp.isSuccess());
    EXPECT_EQ(nlp.xmlContent(), QByteArray("\xFF"));
}

TEST(ReplyAccessorTest, LoginReadsTheAccountUnderUser)
{
    LoginMethod login;
    replyWith(login, "{\"user\": {\"user_id\": 42, \"login_count\": \"3\", "
                     "\"last_login_at\": \"2011-05-04T10:20:30\", \"city\": \"Lyon\", "
                     "\"email\": \"a@b.c\", \"name\": \"N\", \"country\": \"F\", "
                     "\"postal_code\": 69000, \"current_login_at\": \"no date\"}}");
    EXPECT_TRUE(login.hasUser());
    EXPECT_EQ(login.userId(), 42);
    EXPECT_EQ(login.loginCount(), 3);
    EXPECT_EQ(login.failedLoginCount(), 0);
    EXPECT_EQ(login.lastLoginAt(), QDateTime(QDate(2011, 5, 4), QTime(10, 20, 30)));
    EXPECT_FALSE(login.currentLoginAt().isValid());
    EXPECT_EQ(login.city(), QStringLiteral("Lyon"));
    EXPECT_EQ(login.email(), QStringLiteral("a@b.c"));
    EXPECT_EQ(login.name(), QStringLiteral("N"));
    EXPECT_EQ(login.country(), QStringLiteral("F"));
    EXPECT_EQ(login.postalCode(), QStringLiteral("69000"));

    for (QByteArray const& body : {QByteArray("{\"user\": null}"), QByteArray("{}"), QByteArray(),
                                  QByteArray("{\"user\": \"\"}")}) {
        replyWith(login, body);
        EXPECT_FALSE(login.hasUser()) << body.constData();
        EXPECT_EQ(login.userId(), 0);
        EXPECT_TRUE(login.email().isEmpty());
    }
    replyWith(login, "{\"user\": {}}");
    EXPECT_TRUE(login.hasUser());
    EXPECT_EQ(login.userId(), 0);
    replyWith(login, "{\"user\": {\"user_id\": 42.0}}");
    EXPECT_EQ(login.userId(), 0);
}

TEST(ReplyAccessorTest, ErrorsListEachMessageByFieldName)
{
    UploadLumoraMethod upload;
    UploadNLPExtensionMethod nlp;
    QByteArray const body =
        "{\"message\": \"refused\", \"errors\": {\"uuid\": [\"taken\", \"too long\"], "
        "\"name\": [\"blank\"], \"version\": \"not a list\", \"icon\": []}}";
    replyWith(upload, body);
    replyWith(nlp, body);
    QStringList const expected{QStringLiteral("name: blank"), QStringLiteral("uuid: taken"),
                               QStringLiteral("uuid: too long")};
    EXPECT_EQ(upload.errors(), expected);
    EXPECT_EQ(nlp.errors(), expected);
    EXPECT_EQ(upload.message(), QStringLiteral("refused"));
    EXPECT_EQ(nlp.message(), QStringLiteral("refused"));
    replyWith(upload, "{\"errors\": [\"uuid: taken\"]}");
    EXPECT_TRUE(upload.errors().isEmpty());
}

TEST(ReplyAccessorTest, SearchCursorWalksTheReplyList)
{
    SearchLumoraMethod search;
    replyWith(search, "[{\"uuid\": \"u1\", \"name\": \"one\", \"version\": 1.5}, "
                      "{\"uuid\": \"u2\", \"name\": \"two\", \"version\": \"0.9\"}]");
    QStringList seen;
    for (search.first(); !search.atEnd(); search.next())
        seen << search.uuid() + QLatin1Char(' ') + search.name() + QLatin1Char(' ')
                    + search.version();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("u1 one 1.5"), QStringLiteral("u2 two 0.9")}));

    // A new reply does not reset the cursor; an object reply is an empty list.
    replyWith(search, "{\"error\": \"no\"}");
    EXPECT_EQ(search.cursor(), 2);
    EXPECT_FALSE(search.atEnd());
    search.first();
    EXPECT_TRUE(search.atEnd());
    EXPECT_TRUE(search.name().isEmpty());
}

TEST(ReplyAccessorTest, ItemKeysAreTheIrregularOnes)
{
    GetFirstLumoraMethod first;
    replyWith(first, "{\"lumora\": {\"id\": 1}}");
    EXPECT_FALSE(first.isSuccess());
    replyWith(first, "{\"lu_mora\": {\"id\": 1, \"lu_mora_count\": 12}}");
    EXPECT_TRUE(first.isSuccess());
    EXPECT_EQ(first.objectCount(), 12);
    replyWith(first, "{\"lu_mora\": {\"id\": 1}, \"lu_mora_count\": 12}");
    EXPECT_EQ(first.objectCount(), 0);

    GetNextLumoraMethod next;
    replyWith(next, "{\"lu_mora\": {\"id\": 1}}");
    EXPECT_FALSE(next.isSuccess());

    GetFirstMaterialMethod material;
    replyWith(material, "{\"material\": {\"material_count\": \"4\"}}");
    EXPECT_EQ(material.materailCount(), 4);

    GetFirstNLPExtensionMethod nlp;
    replyWith(nlp, "{\"nlp_extension\": {\"id\": \"0042\", \"user_id\": 7, \"version\": 1.0, "
                   "\"nlp_type\": \"t\", \"supported_language\": \"english\"}}");
    EXPECT_EQ(nlp.id(), QStringLiteral("0042"));
    EXPECT_EQ(nlp.userId(), QStringLiteral("7"));
    EXPECT_EQ(nlp.version(), QStringLiteral("1.0"));
    EXPECT_EQ(nlp.nlpType(), QStringLiteral("t"));
    EXPECT_EQ(nlp.supportedLanguage(), QStringLiteral("english"));
}

} // namespace
