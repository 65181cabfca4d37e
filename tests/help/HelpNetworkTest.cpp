#include "help/HelpAccessManager.h"
#include "help/HelpReply.h"
#include "help/TwHelp.h"

#include <QHelpEngine>
#include <QNetworkRequest>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(HelpReplyTest, SmallChunksThenFinishedAfterTheLastByte)
{
    HelpReply reply(QByteArray("0123456789"), QUrl(QStringLiteral("qthelp://ns/doc/page.html")));
    QSignalSpy meta(&reply, &QNetworkReply::metaDataChanged);
    QSignalSpy ready(&reply, &QIODevice::readyRead);
    QSignalSpy finished(&reply, &QNetworkReply::finished);
    EXPECT_EQ(reply.header(QNetworkRequest::ContentTypeHeader).toByteArray(), "text/html");
    EXPECT_EQ(reply.header(QNetworkRequest::ContentLengthHeader).toByteArray(), "10");
    // Announced from the event loop, not from the constructor.
    EXPECT_EQ(meta.count(), 0);
    EXPECT_EQ(ready.count(), 0);
    QTest::qWait(20);
    EXPECT_EQ(meta.count(), 1);
    EXPECT_EQ(ready.count(), 1);

    for (char const* chunk : {"012", "345", "678"}) {
        EXPECT_EQ(reply.read(3), chunk);
        QTest::qWait(5);
        EXPECT_EQ(finished.count(), 0);
    }
    EXPECT_EQ(reply.bytesAvailable(), 1);
    EXPECT_EQ(reply.read(3), "9");
    EXPECT_EQ(reply.bytesAvailable(), 0);
    EXPECT_TRUE(finished.count() == 1 || finished.wait(2000));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(reply.error(), QNetworkReply::NoError);
}

TEST(HelpReplyTest, EmptyReplyFinishesAtOnceWithAnError)
{
    HelpReply reply(QByteArray(), QUrl(QStringLiteral("qthelp://ns/doc/none.html")));
    QSignalSpy finished(&reply, &QNetworkReply::finished);
    EXPECT_TRUE(finished.wait(2000));
    EXPECT_EQ(reply.error(), QNetworkReply::ContentNotFoundError);
    EXPECT_TRUE(reply.isFinished());
    EXPECT_EQ(reply.bytesAvailable(), 0);
}

struct TypeCase {
    char const* path;
    char const* type;
};

class ContentTypeTest : public ::testing::TestWithParam<TypeCase>
{
};

TEST_P(ContentTypeTest, BySuffixIgnoringCase)
{
    const QUrl url(QStringLiteral("qthelp://ns/doc/") + QString::fromLatin1(GetParam().path));
    EXPECT_EQ(HelpReply::contentType(url), QByteArray(GetParam().type));
}

INSTANTIATE_TEST_SUITE_P(Table, ContentTypeTest,
                         ::testing::Values(TypeCase{"a.html", "text/html"}, TypeCase{"A.HTML", "text/html"},
                                           TypeCase{"b.htm", "text/html"}, TypeCase{"style.CSS", "text/css"},
                                           TypeCase{"pic.png", "image/png"}, TypeCase{"pic.jpg", "image/jpeg"},
                                           TypeCase{"pic.JPEG", "image/jpeg"},
                                           TypeCase{"notes.txt", "application/octet-stream"},
                                           TypeCase{"README", "application/octet-stream"},
                                           TypeCase{"dir.d/file", "application/octet-stream"}));

TEST(HelpAccessManagerTest, QtHelpGetsAreServedFromTheCollection)
{
    QHelpEngine engine(TwHelp::defaultCollectionFile());
    engine.setReadOnly(true);
    ASSERT_TRUE(engine.setupData());
    HelpAccessManager manager(&engine);
    const QUrl page(QStringLiteral("qthelp://org.marrowind.vyx-solenne/doc/browser.html"));

    std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(page)));
    ASSERT_NE(qobject_cast<HelpReply*>(reply.get()), nullptr);
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    QSignalSpy ready(reply.get(), &QIODevice::readyRead);
    ASSERT_TRUE(ready.wait(2000));
    EXPECT_EQ(reply->readAll(), engine.fileData(page));
    EXPECT_TRUE(finished.count() == 1 || finished.wait(2000));
    EXPECT_EQ(reply->header(QNetworkRequest::ContentTypeHeader).toByteArray(), "text/html");
    EXPECT_EQ(reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(), engine.fileData(page).size());

    // Other schemes and other operations go to ordinary network access.
    std::unique_ptr<QNetworkReply> file(manager.get(QNetworkRequest(QUrl(QStringLiteral("file:///nonexistent/x.html")))));
    EXPECT_EQ(qobject_cast<HelpReply*>(file.get()), nullptr);
    std::unique_ptr<QNetworkReply> post(manager.post(QNetworkRequest(page), QByteArray("x")));
    EXPECT_EQ(qobject_cast<HelpReply*>(post.get()), nullptr);
    std::unique_ptr<QNetworkReply> head(manager.head(QNetworkRequest(page)));
    EXPECT_EQ(qobject_cast<HelpReply*>(head.get()), nullptr);
}

} // namespace
