// Every message about a failed service call names the failure first (the HTTP status and its
// reason, the deadline, the reply that cannot be read), then the service's own words where they
// add something: the upload's login, search and upload, the template list and the download.

#include "AccountAnswerer.h"
#include "DialogTestSupport.h"
#include "MemoryKeyring.h"

#include "app/KelNGObject.h"
#include "web/TwDatabaseDialog.h"
#include "web/TwWebUtilities.h"

#include <QPushButton>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

QString const kListed = QStringLiteral("{bbbbbbbb-0000-4000-8000-000000000002}");

// A failed reply: its HTTP status line and body (the body built around the item the call asks
// for, a JSON member), or silence until the call's deadline.
struct FailedReply
{
    char const* what;
    int status = 200;
    std::function<QByteArray(QByteArray const& item)> body;
    bool silent = false;
    // The body carries the item (a call without one, the search, is not sent this reply).
    bool carriesItem = false;
    // The message after its lead: the failure starts so, then come the service's words (none:
    // the message ends with the failure, and "Thank you." appears nowhere).
    QString failureStart;
    QString words;
};

std::vector<FailedReply> failedReplies()
{
    return {
        {"HTTP 500 with the usual reply of a success", 500,
         [](QByteArray const& item) { return "{" + item + ", \"message\": \"Thank you.\"}"; }, false, true,
         QStringLiteral("The service answered with HTTP status 500 (Status)."), {}},
        {"HTTP 503 with the service's message", 503,
         [](QByteArray const&) { return QByteArray("{\"message\": \"The database is down.\"}"); }, false, false,
         QStringLiteral("The service answered with HTTP status 503 (Status)."),
         QStringLiteral("The database is down.")},
        {"HTTP 422 with the service's errors", 422,
         [](QByteArray const&) {
             return QByteArray("{\"message\": \"Refused.\", \"errors\": {\"name\": [\"is rude\"]}}");
         },
         false, false, QStringLiteral("The service answered with HTTP status 422 (Status)."),
         QStringLiteral("name: is rude")},
        {"a reply that cannot be read", 200,
         [](QByteArray const&) { return QByteArray("<html>Thank you.</html>"); }, false, false,
         QStringLiteral("The service's reply could not be read: "), {}},
        {"no answer by the deadline", 200, {}, true, false,
         QStringLiteral("The service did not answer within 0.5 s."), {}},
    };
}

HostileServer::Reply replyOf(FailedReply const& failed, QByteArray const& item)
{
    if (failed.silent)
        return HostileServer::Reply{QByteArray(), true, true};
    return HostileServer::Reply{HostileServer::httpReply(failed.body(item), failed.status)};
}

class ServiceFailureText : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QSettings().remove(QStringLiteral("UserAccount::Login"));
        ASSERT_TRUE(service.start());
        url = std::make_unique<WebTest::ScopedBaseUrl>(service.baseUrl());
        core = fixture.start();
        objectTemplate = core->templateStore()->createObjectTemplate();
        objectTemplate->setVersion(QStringLiteral("01.000"));
        object = objectTemplate->objectInstance();
        ApiInteractor::setDefaultCallDeadline(500);
    }
    void TearDown() override { ApiInteractor::setDefaultCallDeadline(0); }

    // Uploads and returns the text of the one box shown.
    QString uploadBox()
    {
        TwWebUtilities web(core, new MemoryKeyring);
        AccountAnswerer account(QStringLiteral("devs"), QStringLiteral("key"), false);
        AppTest::MessageBoxAnswerer boxes;
        QSignalSpy ended(&web, &TwWebUtilities::uploadEnded);
        web.uploadTemplateToDatabase(object);
        EXPECT_TRUE(WebTest::waitForCount(ended, 1));
        EXPECT_EQ(boxes.texts.size(), 1);
        return boxes.texts.value(0);
    }

    // Fetches the list, installs what it lists when asked, and returns the dialog's status.
    QString databaseStatus(bool install)
    {
        TwDatabaseDialog dialog(nullptr, core);
        QSignalSpy idle(&dialog, &TwDatabaseDialog::idle);
        while (dialog.isBusy())
            EXPECT_TRUE(idle.wait(WebTest::kWaitMs));
        if (install) {
            dialog.findChild<QPushButton*>(QStringLiteral("updateButton"))->click();
            while (dialog.isBusy())
                EXPECT_TRUE(idle.wait(WebTest::kWaitMs));
        }
        return dialog.statusText();
    }

    WebTest::CoreFixture fixture;
    HostileServer service;
    std::unique_ptr<WebTest::ScopedBaseUrl> url;
    TwCore* core = nullptr;
    KelTemplate* objectTemplate = nullptr;
    KelNGObject* object = nullptr;
};

TEST_F(ServiceFailureText, EveryFailedCallNamesTheFailureFirstAndTheServicesWordsAfter)
{
    QByteArray const user = "\"user\": {\"user_id\": 7}";
    QByteArray const uploaded = "\"lumora\": {\"uuid\": " + ReferenceServer::jsonText(objectTemplate->uuid())
                                + ", \"version\": \"1.0\", \"name\": \"Mine\"}";
    QByteArray const listed = "\"lu_mora\": {\"id\": 1, \"uuid\": " + ReferenceServer::jsonText(kListed)
                              + ", \"name\": \"Listed\", \"version\": \"1.0\"}";
    QByteArray const content =
        "\"live_lumora\": {\"id\": 1, \"xml_content\": "
        + ReferenceServer::jsonRawBytes(SampleTemplates::templateFile(kListed, QStringLiteral("Listed"),
                                                                      QStringLiteral("01.000")))
        + "}";
    auto accountThen = [](std::function<HostileServer::Reply(RecordedRequest const&)> next) {
        return [next](RecordedRequest const& request) {
            if (request.call == QLatin1String("get_user_session"))
                return HostileServer::json("{\"user\": {\"user_id\": 7}}");
            return next(request);
        };
    };
    struct Place
    {
        char const* what;
        // Serves the failed reply where the place's call is answered.
        std::function<HostileServer::Handler(HostileServer::Reply)> service;
        std::function<QString()> shown;
        // The lead of its message before the failure; a call that brought no answer at all may
        // have a lead of its own.
        QString lead;
        QString silentLead;
    };
    QString const wrongAccount = QStringLiteral(
        "This combination of user name and password does not exist on the template web service, "
        "or the internet connection is not working.\n\n");
    std::vector<Place> const places{
        {"the login",
         [](HostileServer::Reply reply) { return [reply](RecordedRequest const&) { return reply; }; },
         [&] { return uploadBox(); },
         QStringLiteral("The account could not be checked on the template web service.\n\n"), wrongAccount},
        {"the search",
         [&](HostileServer::Reply reply) {
             return accountThen([reply](RecordedRequest const&) { return reply; });
         },
         [&] { return uploadBox(); },
         QStringLiteral("The template could not be looked up on the template web service; nothing "
                        "was uploaded.\n\n"),
         {}},
        {"the upload",
         [&](HostileServer::Reply reply) {
             return accountThen([reply](RecordedRequest const& request) {
                 return request.call == QLatin1String("search_lumora") ? HostileServer::json("[]") : reply;
             });
         },
         [&] { return uploadBox(); }, QStringLiteral("An error has occured during the upload process:\n\n"), {}},
        {"the template list",
         [](HostileServer::Reply reply) { return [reply](RecordedRequest const&) { return reply; }; },
         [&] { return databaseStatus(false); }, QStringLiteral("Fetching the template list failed: "), {}},
        {"the download",
         [](HostileServer::Reply reply) {
             return WebTest::lumoraList(
                 [] { return QList<WebTest::ListedItem>{{"1", kListed, QStringLiteral("Listed"), QStringLiteral("1.0"), {}}}; },
                 [reply](RecordedRequest const&) { return reply; });
         },
         [&] { return databaseStatus(true); },
         QStringLiteral("Templates installed: 0, failed: 1. Downloading the template \"Listed\" failed: "), {}},
    };
    QList<QByteArray> const items{user, QByteArray(), uploaded, listed, content};
    for (size_t p = 0; p < places.size(); ++p) {
        Place const& place = places[p];
        SCOPED_TRACE(place.what);
        for (FailedReply const& failed : failedReplies()) {
            SCOPED_TRACE(failed.what);
            if (failed.carriesItem && items.at(qsizetype(p)).isEmpty())
                continue;
            service.setHandler(place.service(replyOf(failed, items.at(qsizetype(p)))));
            QString const text = place.shown();
            QString const lead = failed.silent && !place.silentLead.isEmpty() ? place.silentLead : place.lead;
            if (!text.startsWith(lead)) {
                ADD_FAILURE() << "the message does not start with its lead: " << text.toStdString();
                continue;
            }
            QString const message = text.mid(lead.size());
            EXPECT_TRUE(message.startsWith(failed.failureStart)) << message.toStdString();
            if (failed.words.isEmpty()) {
                EXPECT_FALSE(message.contains(QStringLiteral("The service said"))) << message.toStdString();
                EXPECT_FALSE(message.contains(QStringLiteral("Thank you."))) << message.toStdString();
            } else {
                EXPECT_TRUE(message.endsWith(QStringLiteral("\n\nThe service said: ") + failed.words))
                    << message.toStdString();
            }
        }
    }
}

} // namespace
