// Request bodies byte for byte: the form encoding, the multipart layout and its boundary, and
// which fields each kind of call puts on the wire.

#include "WebTestSupport.h"

#include "web/DownloadLumoraXMLContentMethod.h"
#include "web/GetNextLumoraMethod.h"
#include "web/LoginMethod.h"
#include "web/SearchLumoraMethod.h"
#include "web/UploadCloudImageMethod.h"
#include "web/UploadLumoraMethod.h"
#include "web/UploadNLPExtensionMethod.h"
#include "web/WebServiceConfig.h"

#include <QCryptographicHash>
#include <QDateTime>

#include <gtest/gtest.h>

namespace {

QByteArray token()
{
    return WebServiceConfig::serviceToken();
}

QString nowText()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
}

QString boundaryFor(QString const& time)
{
    return QString(27, QLatin1Char('-'))
           + QString::fromLatin1(
               QCryptographicHash::hash(time.toUtf8(), QCryptographicHash::Md5).toHex());
}

TEST(RequestBodyTest, FormValuesArePercentEncodedInUppercaseAndNamesStayPlain)
{
    struct Case
    {
        QString keyword;
        QByteArray encoded;
    };
    Case const cases[] = {
        {QStringLiteral("red glow"), "red%20glow"},
        {QStringLiteral("\u00e9"), "%C3%A9"},
        {QString(), ""},
        {QStringLiteral("a+b&c=d%e"), "a%2Bb%26c%3Dd%25e"},
        {QStringLiteral("-._~AZaz09"), "-._~AZaz09"},
        {QStringLiteral("/?#[]@!$'()*,;:"), "%2F%3F%23%5B%5D%40%21%24%27%28%29%2A%2C%3B%3A"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.keyword.toStdString());
        SearchLumoraMethod search;
        search.setKeyWord(c.keyword);
        EXPECT_EQ(search.data(), "keyword=" + c.encoded + "&secret_token=" + token());
    }

    UploadNLPExtensionMethod upload;
    upload.setXMLContent(QByteArray("<\0\xFF>", 4));
    upload.setName(QStringLiteral("n"));
    EXPECT_EQ(upload.data(), "name=n&secret_token=" + token() + "&xml_content=%3C%00%FF%3E");
    EXPECT_EQ(upload.request()->header(QNetworkRequest::ContentTypeHeader).toByteArray(),
              "application/x-www-form-urlencoded");
}

TEST(RequestBodyTest, FieldsGoInNameOrderAndSettersReplace)
{
    LoginMethod login;
    login.setPassword(QStringLiteral("pass word"));
    login.setLogin(QStringLiteral("first"));
    login.setLogin(QStringLiteral("second user"));
    EXPECT_EQ(login.data(),
              "login=second%20user&password=pass%20word&secret_token=" + token());

    GetNextLumoraMethod next;
    next.setID(QStringLiteral("7"));
    next.setID(QStringLiteral("8"));
    EXPECT_EQ(next.data(), "id=8&secret_token=" + token());

    UploadLumoraMethod upload;
    for (auto setter : {&UploadLumoraMethod::setVersion, &UploadLumoraMethod::setUUID,
                        &UploadLumoraMethod::setUserID, &UploadLumoraMethod::setName,
                        &UploadLumoraMethod::setCreator})
        (upload.*setter)(QStringLiteral("x"));
    upload.setXMLContent("x");
    upload.setIcon("x");
    EXPECT_EQ(upload.params().keys(),
              (QStringList{QStringLiteral("created_by"), QStringLiteral("icon"),
                           QStringLiteral("name"), QStringLiteral("secret_token"),
                           QStringLiteral("user_id"), QStringLiteral("uuid"),
                           QStringLiteral("version"), QStringLiteral("xml_content")}));
}

TEST(RequestBodyTest, MultipartBodyHasFilePartHeadersOnlyForFileParts)
{
    UploadLumoraMethod upload;
    upload.setName(QStringLiteral("N\u00e9"));
    upload.setIcon(QByteArray("\x89PNG\0\xFF", 6));
    upload.setXMLContent("<graph/>");
    QByteArray const b = upload.boundary().toLatin1();
    QByteArray const expected =
        "--" + b + "\r\n"
        "Content-Disposition: form-data; name=\"icon\"; filename=\"icon\"\r\n"
        "Content-Type: image/png\r\n\r\n" + QByteArray("\x89PNG\0\xFF", 6) + "\r\n"
        "--" + b + "\r\n"
        "Content-Disposition: form-data; name=\"name\"\r\n\r\n"
        "N\xC3\xA9\r\n"
        "--" + b + "\r\n"
        "Content-Disposition: form-data; name=\"secret_token\"\r\n\r\n" + token() + "\r\n"
        "--" + b + "\r\n"
        "Content-Disposition: form-data; name=\"xml_content\"; filename=\"xml_content\"\r\n"
        "Content-Type: application/octet-stream\r\n\r\n"
        "<graph/>\r\n"
        "--" + b + "--\r\n";
    EXPECT_EQ(upload.data(), expected);
    EXPECT_EQ(upload.request()->header(QNetworkRequest::ContentTypeHeader).toByteArray(),
              "multipart/form-data; boundary=" + b);
    // The device hands out the same bytes, afresh each time.
    QIODevice* device = upload.dataDevice();
    EXPECT_EQ(device->readAll(), expected);
    EXPECT_EQ(upload.dataDevice()->readAll(), expected);
}

TEST(RequestBodyTest, BoundaryIsTheHashOfTheConstructionSecondAndStays)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        QString const before = nowText();
        UploadLumoraMethod first;
        UploadLumoraMethod second;
        QString const after = nowText();
        if (before != after)
            continue; // a second ended in between: try again
        EXPECT_EQ(first.boundary(), boundaryFor(before));
        EXPECT_EQ(first.boundary().size(), 59);
        EXPECT_EQ(first.boundary(), second.boundary());
        QString const kept = first.boundary();
        first.data();
        first.setName(QStringLiteral("later"));
        EXPECT_EQ(first.boundary(), kept);
        QList<QByteArray> const lines = first.data().split('\n');
        EXPECT_EQ(lines.first(), QByteArray(29, '-') + kept.mid(27).toLatin1() + '\r');
        EXPECT_EQ(lines.at(lines.size() - 2), "--" + kept.toLatin1() + "--\r");
        return;
    }
    FAIL() << "no attempt stayed within one second";
}

TEST(RequestBodyTest, CloudImageBringsItsOwnTokenAndMayClearIt)
{
    UploadCloudImageMethod image;
    EXPECT_TRUE(image.isMultiPart());
    EXPECT_EQ(image.params().keys(), QStringList{QStringLiteral("secret_token")});
    EXPECT_EQ(image.params().value(QStringLiteral("secret_token")).value,
              WebServiceConfig::cloudImageToken());
    EXPECT_NE(WebServiceConfig::cloudImageToken(), token());

    image.setSecretToken(QString());
    image.setImage("png");
    QByteArray const b = image.boundary().toLatin1();
    EXPECT_EQ(image.data(),
              "--" + b + "\r\nContent-Disposition: form-data; name=\"cloud_image\"; "
              "filename=\"cloud_image\"\r\nContent-Type: image/png\r\n\r\npng\r\n"
              "--" + b + "\r\nContent-Disposition: form-data; name=\"secret_token\"\r\n\r\n\r\n"
              "--" + b + "--\r\n");
}

TEST(RequestBodyTest, TokensHaveTheirFixedShapes)
{
    QByteArray const service = token();
    ASSERT_EQ(service.size(), 128);
    for (char const c : service)
        EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')) << c;
    QByteArray const cloud = WebServiceConfig::cloudImageToken();
    ASSERT_EQ(cloud.size(), 45);
    for (char const c : cloud)
        EXPECT_TRUE(c >= 'A' && c <= 'Z') << c;
}

TEST(RequestBodyTest, ContentDownloadReportsTheUuidItAskedFor)
{
    DownloadLumoraXMLContentMethod download;
    EXPECT_TRUE(download.uuid().isEmpty());
    download.setUUID(QStringLiteral("{abc}\u00e9"));
    WebTest::replyWith(download, "{}");
    EXPECT_FALSE(download.isSuccess());
    EXPECT_EQ(download.uuid(), QStringLiteral("{abc}\u00e9"));
}

} // namespace
