// The client's safety rules against a hostile or absent service: the base URL rule, no
// redirects, the timeout and the deadline, the reply cap, broken bodies and what a failed call
// says, and destruction with calls in flight.

#include "WebTestSupport.h"

#include "refserver/HostileServer.h"
#include "refserver/ReferenceServer.h"

#include "web/ApiInteractor.h"
#include "web/GetFirstLumoraMethod.h"
#include "web/Json.h"
#include "web/LoginMethod.h"
#include "web/UploadLumoraMethod.h"
#include "web/WebServiceConfig.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

QByteArray const kItem = "{\"lu_mora\": {\"id\": 1, \"uuid\": \"u\"}}";

TEST(ClientSafetyTest, BaseUrlRule)
{
    struct Case
    {
        char const* url;
        bool usable;
    };
    Case const cases[] = {
        {"https://templates.example.org/api/", true},
        {"http://127.0.0.1:8080/api/", true},
        {"http://localhost/api/", true},
        {"http://LOCALHOST:1/", true},
        {"", false},
        {"http://templates.example.org/api/", false},
        {"https://templates.example.org/api", false},
        {"ftp://127.0.0.1/api/", false},
        {"file:///tmp/api/", false},
        {"https:///api/", false},
        {"https://example.org/api/?q=1/", false},
        {"https://user:pw@example.org/api/", false},
        {"http://127.0.0.2/api/", false},
        {"http://localhost.example.org/api/", false},
        {"api/", false},
    };
    for (Case const& c : cases)
        EXPECT_EQ(WebServiceConfig::isUsableBaseUrl(QString::fromLatin1(c.url)), c.usable) << c.url;

    // Every address that is set but not used says what is wrong with it; a usable one and none
    // at all say nothing.
    for (Case const& c : cases) {
        QString const url = QString::fromLatin1(c.url);
        EXPECT_EQ(WebServiceConfig::baseUrlProblem(url).isEmpty(), c.usable || url.isEmpty()) << c.url;
    }
    struct Named
    {
        char const* url;
        char const* says;
    };
    Named const named[] = {
        {"http://127.0.0.1:8080/api", "\"/\""},
        {"https://templates.example.org/api", "\"/\""},
        {"http://templates.example.org/api/", "https"},
        {"http://127.0.0.2/api/", "127.0.0.1 or localhost"},
        {"ftp://127.0.0.1/api/", "https://"},
        {"https://user:pw@example.org/api/", "user name"},
        {"https://example.org/api/?q=1/", "query"},
        {"api/", "host"},
    };
    for (Named const& n : named) {
        QString const problem = WebServiceConfig::baseUrlProblem(QString::fromLatin1(n.url));
        EXPECT_TRUE(problem.contains(QString::fromLatin1(n.says))) << n.url << ": " << problem.toStdString();
    }

    // Read from the setting, with no default.
    EXPECT_TRUE(WebServiceConfig::baseUrl().isEmpty());
    WebTest::ScopedBaseUrl scoped(QStringLiteral("https://x.example/api/"));
    EXPECT_EQ(WebServiceConfig::baseUrl(), QStringLiteral("https://x.example/api/"));
}

TEST(ClientSafetyTest, AnUnusableBaseUrlSendsNothingAndFailsFromTheEventLoop)
{
    HostileServer server;
    ASSERT_TRUE(server.start());
    // The hostile server's own URL without its trailing slash, and with a foreign host.
    QString const base = server.baseUrl();
    for (QString const& url : {base.chopped(1), QString(base).replace(QStringLiteral("127.0.0.1"),
                                                                       QStringLiteral("127.0.0.3")),
                               QString()}) {
        SCOPED_TRACE(url.toStdString());
        ApiInteractor client(url);
        EXPECT_FALSE(client.hasUsableBaseUrl());
        LoginMethod login;
        WebTest::replyWith(login, "{\"user\": {}}");
        QSignalSpy spy(&login, &AbstractApiMethod::finished);
        client.executeMethod(&login);
        EXPECT_EQ(spy.count(), 0) << "finished() must come from the event loop";
        ASSERT_TRUE(WebTest::waitForCount(spy, 1));
        EXPECT_FALSE(login.hasUser());
        EXPECT_EQ(client.pendingCount(), 0);
    }
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST(ClientSafetyTest, RedirectsAreNotFollowed)
{
    HostileServer target;
    ASSERT_TRUE(target.start());
    HostileServer redirecting;
    ASSERT_TRUE(redirecting.start());
    redirecting.setHandler([&target](RecordedRequest const&) {
        return HostileServer::Reply{
            HostileServer::httpReply(kItem, 307,
                                     "Location: " + target.baseUrl().toLatin1() + "get_user_session\r\n")};
    });
    ApiInteractor client(redirecting.baseUrl());
    LoginMethod login;
    login.setPassword(QStringLiteral("secret"));
    QSignalSpy spy(&login, &AbstractApiMethod::finished);
    client.executeMethod(&login);
    ASSERT_TRUE(WebTest::waitForCount(spy, 1));
    QSignalSpy nothingMore(&target, &HostileServer::requestRecorded);
    QCoreApplication::processEvents();
    EXPECT_EQ(redirecting.requests().size(), 1);
    EXPECT_TRUE(target.requests().isEmpty());
    EXPECT_FALSE(login.hasUser());
    EXPECT_EQ(spy.count(), 1);
}

// Replies that must all read as a failed call without item, each finishing exactly once and
// saying why.
TEST(ClientSafetyTest, BrokenRepliesFinishOnceWithoutItemAndSayWhy)
{
    struct Case
    {
        char const* what;
        HostileServer::Reply reply;
        int timeoutMs;
        qint64 cap;
        char const* failure;
        int deadlineMs = 0;
    };
    QByteArray const padded = "{\"lu_mora\": {\"id\": 1, \"pad\": \"" + QByteArray(4000, 'x') + "\"}}";
    // Under the byte cap, but a million and one values to build.
    QByteArray const manyValues = "{\"lu_mora\": [" + QByteArray("0 ").repeated(Json::maxElements) + "]}";
    QByteArray const manyKeys = [] {
        QByteArray text = "{";
        for (int i = 0; i < Json::maxElements + 1; ++i)
            text += "\"" + QByteArray::number(i, 36) + "\":0,";
        return text + "}";
    }();
    std::vector<Case> const cases{
        {"HTML", {HostileServer::httpReply("<html><body>Bad gateway</body></html>", 502)}, 30000, -1, "HTTP status 502"},
        {"empty body", {HostileServer::httpReply(QByteArray())}, 30000, -1, "reply was empty"},
        {"zero byte first", {HostileServer::httpReply(QByteArray("\0", 1) + kItem)}, 30000, -1, "reply was empty"},
        {"nested brackets", {HostileServer::httpReply(QByteArray(100000, '['))}, 30000, -1, "nests deeper than 512 levels"},
        {"many values", {HostileServer::httpReply(manyValues)}, 30000, -1, "more than 1000000 values"},
        {"many keys", {HostileServer::httpReply(manyKeys)}, 30000, -1, "more than 1000000 values"},
        {"not JSON", {HostileServer::httpReply("maintenance")}, 30000, -1, "reply could not be read: The reply is no JSON text."},
        {"cut short", {HostileServer::httpReply(kItem).replace("Content-Length: 36", "Content-Length: 90").chopped(12)}, 30000, -1, "The call failed: "},
        {"no reply at all", {QByteArray(), true, true}, 300, -1, "sent nothing for 0.3 s"},
        {"body over the cap", {HostileServer::httpReply(padded)}, 30000, 1000, "larger than 1000 bytes"},
        {"announced over the cap",
         {"HTTP/1.1 200 OK\r\nContent-Length: 16777217\r\n\r\n" + kItem, true, false}, 30000, -1,
         "larger than 16777216 bytes"},
        {"garbage", {QByteArray("\x16\x03\x01 not http at all\r\n\r\n"), false, false}, 30000, -1, "The call failed: "},
        // A byte every 50 ms never lets the transfer timeout run out.
        {"dripped", {HostileServer::httpReply(kItem), false, false, 50}, 30000, -1, "did not answer within 0.4 s", 400},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        HostileServer server;
        ASSERT_TRUE(server.start());
        server.setHandler([&c](RecordedRequest const&) { return c.reply; });
        ApiInteractor client(server.baseUrl());
        client.setTransferTimeout(c.timeoutMs);
        if (c.cap > 0)
            client.setMaxReplySize(c.cap);
        if (c.deadlineMs > 0)
            client.setCallDeadline(c.deadlineMs);
        GetFirstLumoraMethod first;
        WebTest::replyWith(first, kItem); // a previous reply must not survive
        QSignalSpy spy(&first, &AbstractApiMethod::finished);
        client.executeMethod(&first);
        ASSERT_TRUE(WebTest::waitForCount(spy, 1));
        QCoreApplication::processEvents();
        EXPECT_EQ(spy.count(), 1);
        EXPECT_FALSE(first.isSuccess());
        EXPECT_EQ(first.id(), 0);
        EXPECT_EQ(client.pendingCount(), 0);
        EXPECT_TRUE(first.failure().contains(QString::fromUtf8(c.failure))) << first.failure().toStdString();
    }
}

// An answered call, with or without its item, is no failure; the next call clears the last one's.
TEST(ClientSafetyTest, AnsweredCallsAreNoFailure)
{
    HostileServer server;
    ASSERT_TRUE(server.start());
    QByteArray body = kItem;
    server.setHandler([&body](RecordedRequest const&) { return HostileServer::json(body); });
    ApiInteractor client(server.baseUrl());
    GetFirstLumoraMethod first;
    for (QByteArray const& reply : {QByteArray("{\"lu_mora\": null}"), QByteArray("maintenance"), kItem}) {
        SCOPED_TRACE(reply.toStdString());
        body = reply;
        QSignalSpy spy(&first, &AbstractApiMethod::finished);
        client.executeMethod(&first);
        ASSERT_TRUE(WebTest::waitForCount(spy, 1));
        EXPECT_EQ(first.hasFailed(), reply == "maintenance");
    }
    EXPECT_TRUE(first.isSuccess());
    EXPECT_TRUE(first.failure().isEmpty());
}

TEST(ClientSafetyTest, AFailedConnectionReadsAsNoItem)
{
    quint16 port = 0;
    {
        HostileServer closed;
        ASSERT_TRUE(closed.start());
        port = QUrl(closed.baseUrl()).port();
    }
    ApiInteractor client(QStringLiteral("http://127.0.0.1:%1/api/").arg(port));
    UploadLumoraMethod upload;
    QSignalSpy spy(&upload, &AbstractApiMethod::finished);
    client.executeMethod(&upload);
    ASSERT_TRUE(WebTest::waitForCount(spy, 1));
    EXPECT_FALSE(upload.isSuccess());
    EXPECT_TRUE(upload.errors().isEmpty());
}

TEST(ClientSafetyTest, DestructionWithCallsInFlightIsQuiet)
{
    HostileServer server;
    ASSERT_TRUE(server.start());
    server.setHandler([](RecordedRequest const&) { return HostileServer::Reply{{}, true, true}; });
    QSignalSpy recorded(&server, &HostileServer::requestRecorded);

    // The client goes first: its methods never hear of the aborted calls.
    auto login = std::make_unique<LoginMethod>();
    QSignalSpy spy(login.get(), &AbstractApiMethod::finished);
    auto client = std::make_unique<ApiInteractor>(server.baseUrl());
    client->executeMethod(login.get());
    ASSERT_TRUE(WebTest::waitForCount(recorded, 1));
    client.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(spy.count(), 0);

    // A method that goes while its call runs is forgotten when the reply comes.
    ReferenceServer reference;
    ASSERT_TRUE(reference.start());
    ApiInteractor second(reference.baseUrl());
    auto doomed = std::make_unique<GetFirstLumoraMethod>();
    second.executeMethod(doomed.get());
    doomed.reset();
    GetFirstLumoraMethod survivor;
    QSignalSpy survivorSpy(&survivor, &AbstractApiMethod::finished);
    second.executeMethod(&survivor);
    ASSERT_TRUE(WebTest::waitForCount(survivorSpy, 1));
    QSignalSpy requests(&reference, &ReferenceServer::requestRecorded);
    while (second.pendingCount() > 0 && (requests.count() > 0 || requests.wait(WebTest::kWaitMs)))
        QCoreApplication::processEvents();
    EXPECT_EQ(second.pendingCount(), 0);
}

TEST(ClientSafetyTest, ASecondSendDropsTheRunningCall)
{
    HostileServer server;
    ASSERT_TRUE(server.start());
    int served = 0;
    server.setHandler([&served](RecordedRequest const&) {
        // The first call hangs; the second is answered.
        if (served++ == 0)
            return HostileServer::Reply{{}, true, true};
        return HostileServer::json("{\"user\": {\"user_id\": 5}}");
    });
    QSignalSpy recorded(&server, &HostileServer::requestRecorded);
    ApiInteractor client(server.baseUrl());
    LoginMethod login;
    QSignalSpy spy(&login, &AbstractApiMethod::finished);
    client.executeMethod(&login);
    ASSERT_TRUE(WebTest::waitForCount(recorded, 1));
    client.executeMethod(&login);
    ASSERT_TRUE(WebTest::waitForCount(spy, 1));
    QCoreApplication::processEvents();
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(login.userId(), 5);
}

} // namespace
