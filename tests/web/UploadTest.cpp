// Uploading a template against the reference server: account dialog, login, version check,
// save, the multipart upload with XML and icon, every message box, and the password kept in the
// keyring only.

#include "AccountAnswerer.h"
#include "DialogTestSupport.h"
#include "MemoryKeyring.h"

#include "app/KelNGObject.h"
#include "web/ApiInteractor.h"
#include "web/TwProgressDialog.h"
#include "web/TwWebUtilities.h"

#include <QImage>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

class UploadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QSettings().remove(QStringLiteral("UserAccount"));
        QSettings().remove(QStringLiteral("UserAccount::Login"));
        QSettings().remove(QStringLiteral("UserAccount::Password"));
        ASSERT_TRUE(server.start());
        url.reset();
        url = std::make_unique<WebTest::ScopedBaseUrl>(server.baseUrl());
        core = fixture.start();
        objectTemplate = core->templateStore()->createObjectTemplate();
        objectTemplate->setVersion(QStringLiteral("01.000"));
        objectTemplate->setCreatedBy(QStringLiteral("Ann Author"));
        object = objectTemplate->objectInstance();
        keyring = new MemoryKeyring;
    }

    void TearDown() override
    {
        QSettings().remove(QStringLiteral("UserAccount::Login"));
        QSettings().remove(QStringLiteral("UserAccount::Password"));
    }

    // Starts an upload and waits until it has ended in any way.
    void upload(TwWebUtilities& web)
    {
        QSignalSpy ended(&web, &TwWebUtilities::uploadEnded);
        web.uploadTemplateToDatabase(object);
        if (web.isUploading()) {
            ASSERT_TRUE(WebTest::waitForCount(ended, 1));
        }
        EXPECT_FALSE(web.isUploading());
        EXPECT_EQ(web.progressDialog(), nullptr);
    }

    // Uploads to a service of its own answering with `handler`, each call given `deadlineMs`
    // (0: the default), the account accepted at once.
    void uploadTo(HostileServer& service, HostileServer::Handler const& handler, int deadlineMs)
    {
        ASSERT_TRUE(service.start());
        service.setHandler(handler);
        url.reset();
        url = std::make_unique<WebTest::ScopedBaseUrl>(service.baseUrl());
        ApiInteractor::setDefaultCallDeadline(deadlineMs);
        TwWebUtilities web(core, new MemoryKeyring);
        ApiInteractor::setDefaultCallDeadline(0);
        AccountAnswerer account(QStringLiteral("devs"), QStringLiteral("key"), false);
        upload(web);
    }

    void addServerHit(QString const& uuid, QString const& version, QString const& name)
    {
        ReferenceServer::Item item;
        item.uuid = uuid;
        item.version = version;
        item.name = name;
        server.addItem(QStringLiteral("lumora"), item);
    }

    WebTest::CoreFixture fixture;
    ReferenceServer server;
    std::unique_ptr<WebTest::ScopedBaseUrl> url;
    TwCore* core = nullptr;
    KelTemplate* objectTemplate = nullptr;
    KelNGObject* object = nullptr;
    MemoryKeyring* keyring = nullptr; // owned by the web utilities
};

TEST_F(UploadTest, AnAcceptedUploadSendsTheSavedTemplateAndItsIcon)
{
    TwWebUtilities web(core, keyring);
    AccountAnswerer account(QStringLiteral("devs"), QStringLiteral("key"), true);
    AppTest::MessageBoxAnswerer boxes;
    upload(web);

    EXPECT_EQ(server.calls(), (QStringList{QStringLiteral("get_user_session"),
                                           QStringLiteral("search_lumora"),
                                           QStringLiteral("upload_lumora")}));
    for (RecordedRequest const& request : server.requests())
        EXPECT_TRUE(request.problems.isEmpty()) << request.problems.join(QLatin1Char(';')).toStdString();
    EXPECT_EQ(server.requests().at(1).field(QStringLiteral("keyword")), objectTemplate->uuid().toUtf8());
    RecordedRequest const& sent = server.requests().at(2);
    QString const path = StoragePaths::objectTemplatePath(objectTemplate->uuid());
    EXPECT_EQ(sent.field(QStringLiteral("xml_content")), StoreTest::readFile(path));
    EXPECT_FALSE(sent.field(QStringLiteral("xml_content")).isEmpty());
    EXPECT_EQ(sent.field(QStringLiteral("name")), objectTemplate->name().toUtf8());
    EXPECT_EQ(sent.field(QStringLiteral("version")), "01.000");
    EXPECT_EQ(sent.field(QStringLiteral("created_by")), "Ann Author");
    EXPECT_EQ(sent.field(QStringLiteral("user_id")), "1");
    QImage icon;
    EXPECT_TRUE(icon.loadFromData(sent.field(QStringLiteral("icon")), "PNG"));
    EXPECT_FALSE(icon.isNull());

    EXPECT_EQ(boxes.titles, QStringList{QStringLiteral("Upload Successful")});
    ASSERT_EQ(account.shown.size(), 1);
    EXPECT_FALSE(account.shown.first().rememberChecked);
    // The temporary template used for the icon is gone again.
    EXPECT_EQ(core->templateStore()->objectTemplateList.count(objectTemplate), 1);
    EXPECT_EQ(core->templateStore()->objectTemplateList.size(), 1);

    // Remembered: the login in the settings, the password in the keyring only.
    QSettings settings;
    EXPECT_EQ(settings.value(QStringLiteral("UserAccount::Login")).toString(), QStringLiteral("devs"));
    EXPECT_FALSE(settings.contains(QStringLiteral("UserAccount::Password")));
    ASSERT_TRUE(keyring->stored.has_value());
    EXPECT_EQ(*keyring->stored, QStringLiteral("key"));

    // The next upload offers the remembered account.
    objectTemplate->setVersion(QStringLiteral("01.500"));
    upload(web);
    ASSERT_EQ(account.shown.size(), 2);
    EXPECT_EQ(account.shown.last().login, QStringLiteral("devs"));
    EXPECT_EQ(account.shown.last().password, QStringLiteral("key"));
    EXPECT_TRUE(account.shown.last().rememberChecked);
    EXPECT_EQ(boxes.titles.last(), QStringLiteral("Upload Successful"));
}

TEST_F(UploadTest, RefusalsShowTheirBoxesAndSendNoMore)
{
    struct Case
    {
        char const* what;
        QString login;
        QString password;
        std::function<void()> prepare;
        QStringList calls;
        QString title;
        QString text;
    };
    QString const uuid = objectTemplate->uuid();
    QString const name = objectTemplate->name();
    std::vector<Case> cases{
        {"wrong account", QStringLiteral("devs"), QStringLiteral("nope"), [] {},
         {QStringLiteral("get_user_session")}, QStringLiteral("Wrong user name or password."), {}},
        {"same version on the service", QStringLiteral("devs"), QStringLiteral("key"),
         [&] {
             objectTemplate->setVersion(QStringLiteral("02.000"));
             addServerHit(uuid, QStringLiteral("2.0"), QStringLiteral("Theirs"));
         },
         {QStringLiteral("get_user_session"), QStringLiteral("search_lumora")},
         name + QStringLiteral(" Template"),
         QStringLiteral("A template (\"Theirs\") with the same UUID already exists in the database "
                        "with the same or higher version number (2.0).\n\nPlease increase the "
                        "version of the template before uploading.")},
        {"the last hit decides, the service refuses", QStringLiteral("devs"), QStringLiteral("key"),
         [&] {
             server.clearItems(QStringLiteral("lumora"));
             objectTemplate->setVersion(QStringLiteral("01.000"));
             addServerHit(uuid, QStringLiteral("1.5"), QStringLiteral("Newer"));
             addServerHit(uuid + QStringLiteral("-copy"), QStringLiteral("0.9"), QStringLiteral("Older"));
         },
         {QStringLiteral("get_user_session"), QStringLiteral("search_lumora"),
          QStringLiteral("upload_lumora")},
         QStringLiteral("Error During upload"),
         QStringLiteral("An error has occured during the upload process:\n\n"
                        "The service answered with HTTP status 422 (Unprocessable Entity).\n\n"
                        "The service said: version: must be greater than 1.5")},
        {"the first of several errors", QStringLiteral("devs"), QStringLiteral("key"),
         [&] {
             server.clearItems(QStringLiteral("lumora"));
             server.refuseUploadsWith({{QStringLiteral("uuid"), {QStringLiteral("is blocked")}},
                                       {QStringLiteral("name"), {QStringLiteral("is rude")}}});
         },
         {QStringLiteral("get_user_session"), QStringLiteral("search_lumora"),
          QStringLiteral("upload_lumora")},
         QStringLiteral("Error During upload"),
         QStringLiteral("An error has occured during the upload process:\n\n"
                        "The service answered with HTTP status 422 (Unprocessable Entity).\n\n"
                        "The service said: name: is rude")},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare();
        server.clearRequests();
        TwWebUtilities web(core, new MemoryKeyring);
        AccountAnswerer account(c.login, c.password, false);
        AppTest::MessageBoxAnswerer boxes;
        upload(web);
        EXPECT_EQ(server.calls(), c.calls);
        EXPECT_EQ(boxes.titles, QStringList{c.title});
        if (!c.text.isEmpty()) {
            EXPECT_EQ(boxes.texts.value(0), c.text) << boxes.texts.value(0).toStdString();
        }
    }
}

TEST_F(UploadTest, AFailedConnectionShowsTheWrongAccountBox)
{
    url.reset();
    url = std::make_unique<WebTest::ScopedBaseUrl>(QStringLiteral("http://127.0.0.1:1/api/"));
    TwWebUtilities web(core, keyring);
    AccountAnswerer account(QStringLiteral("devs"), QStringLiteral("key"), true);
    AppTest::MessageBoxAnswerer boxes;
    upload(web);
    EXPECT_EQ(boxes.titles, QStringList{QStringLiteral("Wrong user name or password.")});
    // Remembered although the login failed.
    EXPECT_EQ(QSettings().value(QStringLiteral("UserAccount::Login")).toString(), QStringLiteral("devs"));
}

// Texts of a box that a person can read: a few lines of a few hundred characters.
void expectReadableBox(QString const& text)
{
    EXPECT_LE(text.size(), 600);
    EXPECT_LE(text.count(QLatin1Char('\n')), 10);
}

// A service that accepts the account, knows no copy of the template and answers the upload
// with the case's reply.
HostileServer::Handler serviceAnsweringUploadWith(HostileServer::Reply const& upload,
                                                  HostileServer::Reply const& login = {})
{
    return [upload, login](RecordedRequest const& request) {
        if (request.call == QLatin1String("get_user_session"))
            return login.bytes.isEmpty() && !login.silent
                       ? HostileServer::json("{\"user\": {\"user_id\": 7}}")
                       : login;
        if (request.call == QLatin1String("search_lumora"))
            return HostileServer::json("[]");
        return upload;
    };
}

TEST_F(UploadTest, AFailedUploadCallIsAFailureWithItsReasonInAFewLines)
{
    QByteArray const item = "{\"lumora\": {\"uuid\": " + ReferenceServer::jsonText(objectTemplate->uuid())
                            + ", \"version\": \"1.0\", \"name\": \"Mine\"}}";
    // About 4 MB of short lines as the service's message, and one error of 2 MB.
    QByteArray const manyLines = "{\"lumora\": null, \"message\": \"" + QByteArray("line\\n").repeated(700000) + "\"}";
    QByteArray const longError = "{\"lumora\": null, \"errors\": {\"name\": [\"" + QByteArray(2 * 1024 * 1024, 'e') + "\"]}}";
    struct Case
    {
        char const* what;
        HostileServer::Reply reply;
        int deadlineMs;
        QString start; // the box text starts so
    };
    QString const lead = QStringLiteral("An error has occured during the upload process:\n\n");
    std::vector<Case> const cases{
        {"HTTP 500 naming the item", {HostileServer::httpReply(item, 500)}, 0,
         lead + QStringLiteral("The service answered with HTTP status 500 (Status).")},
        // The failure first, then the service's words.
        {"a message of 4 MB in short lines", {HostileServer::httpReply(manyLines, 400)}, 0,
         lead + QStringLiteral("The service answered with HTTP status 400 (Status).\n\nThe service said: line\nline\n")},
        {"an error of 2 MB", {HostileServer::httpReply(longError, 422)}, 0,
         lead + QStringLiteral("The service answered with HTTP status 422 (Status).\n\nThe service said: name: eeee")},
        {"a stalled upload", {QByteArray(), true, true}, 2000,
         lead + QStringLiteral("The service did not answer within 2 s.")},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        HostileServer service;
        AppTest::MessageBoxAnswerer boxes;
        uploadTo(service, serviceAnsweringUploadWith(c.reply), c.deadlineMs);
        EXPECT_EQ(service.calls().count(QStringLiteral("upload_lumora")), 1);
        EXPECT_EQ(boxes.titles, QStringList{QStringLiteral("Error During upload")});
        QString const text = boxes.texts.value(0);
        EXPECT_TRUE(text.startsWith(c.start)) << text.left(200).toStdString();
        expectReadableBox(text);
    }
}

TEST_F(UploadTest, ALoginCallThatFailedShowsItsReasonAndAWrongPasswordStaysOne)
{
    QString const wrongAccount = QStringLiteral("Wrong user name or password.");
    QString const wrongAccountText = QStringLiteral(
        "This combination of user name and password does not exist on the template web service, "
        "or the internet connection is not working.");
    QString const lead = QStringLiteral("The account could not be checked on the template web service.\n\n");
    struct Case
    {
        char const* what;
        HostileServer::Reply reply;
        int deadlineMs;
        QString title;
        QString start; // the box text starts so
    };
    std::vector<Case> const cases{
        {"a wrong password", HostileServer::json("{\"user\": null}"), 0, wrongAccount, wrongAccountText},
        {"HTTP 500 with a user", {HostileServer::httpReply("{\"user\": {\"user_id\": 7}}", 500)}, 0,
         QStringLiteral("Template Upload"), lead + QStringLiteral("The service answered with HTTP status 500 (Status).")},
        {"an HTML page", {HostileServer::httpReply("<html>log in</html>")}, 0, QStringLiteral("Template Upload"),
         lead + QStringLiteral("The service's reply could not be read: ")},
        {"an empty body", {HostileServer::httpReply(QByteArray())}, 0, QStringLiteral("Template Upload"),
         lead + QStringLiteral("The service's reply was empty.")},
        {"a redirect", {HostileServer::httpReply("{\"user\": null}", 302, "Location: http://127.0.0.1:1/\r\n")}, 0,
         QStringLiteral("Template Upload"), lead + QStringLiteral("The service answered with HTTP status 302 (Status).")},
        {"an over-size reply", {"HTTP/1.1 200 OK\r\nContent-Length: 20000000\r\n\r\n{\"user\": ", true}, 0,
         QStringLiteral("Template Upload"), lead + QStringLiteral("The service's reply is larger than")},
        {"a reason phrase of 20000 characters",
         {"HTTP/1.1 503 " + QByteArray(20000, 'r') + "\r\nContent-Length: 2\r\nConnection: close\r\n\r\n{}"}, 0,
         QStringLiteral("Template Upload"), lead + QStringLiteral("The service answered with HTTP status 503 (rrr")},
        // No answer at all: the wrong-account box, which names the connection, with the reason.
        {"a silent service", {QByteArray(), true, true}, 2000, wrongAccount,
         wrongAccountText + QStringLiteral("\n\nThe service did not answer within 2 s.")},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        HostileServer service;
        AppTest::MessageBoxAnswerer boxes;
        uploadTo(service, serviceAnsweringUploadWith(HostileServer::json("{}"), c.reply), c.deadlineMs);
        EXPECT_EQ(service.calls(), QStringList{QStringLiteral("get_user_session")});
        EXPECT_EQ(boxes.titles, QStringList{c.title});
        QString const text = boxes.texts.value(0);
        EXPECT_TRUE(text.startsWith(c.start)) << text.left(300).toStdString();
        if (c.title == wrongAccount && c.deadlineMs == 0) {
            EXPECT_EQ(text, wrongAccountText);
        }
        expectReadableBox(text);
    }
}

TEST_F(UploadTest, CancellingTheAccountDialogSendsNothing)
{
    TwWebUtilities web(core, keyring);
    AccountAnswerer account(QStringLiteral("devs"), QStringLiteral("key"), true, false);
    AppTest::MessageBoxAnswerer boxes;
    upload(web);
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_TRUE(boxes.titles.isEmpty());
    EXPECT_FALSE(QSettings().contains(QStringLiteral("UserAccount::Login")));
    EXPECT_FALSE(keyring->stored.has_value());
}

TEST_F(UploadTest, ATemplateDeletedMidUploadEndsQuietly)
{
    TwWebUtilities web(core, keyring);
    AccountAnswerer account(QStringLiteral("devs"), QStringLiteral("key"), false);
    AppTest::MessageBoxAnswerer boxes;
    QSignalSpy ended(&web, &TwWebUtilities::uploadEnded);
    web.uploadTemplateToDatabase(object);
    ASSERT_TRUE(web.isUploading());
    core->templateStore()->deleteTemplate(objectTemplate, false);
    ASSERT_TRUE(WebTest::waitForCount(ended, 1));
    EXPECT_FALSE(web.isUploading());
    EXPECT_EQ(server.calls(), QStringList{QStringLiteral("get_user_session")});
    EXPECT_TRUE(boxes.titles.isEmpty());
}

TEST_F(UploadTest, ASecondUploadWhileOneRunsIsRefused)
{
    TwWebUtilities web(core, keyring);
    AccountAnswerer account(QStringLiteral("devs"), QStringLiteral("key"), false);
    AppTest::MessageBoxAnswerer boxes;
    QSignalSpy ended(&web, &TwWebUtilities::uploadEnded);
    web.uploadTemplateToDatabase(object);
    ASSERT_TRUE(web.isUploading());
    TwProgressDialog* progress = web.progressDialog();
    EXPECT_EQ(progress->windowTitle(), QStringLiteral("Template Upload"));
    EXPECT_TRUE(progress->isVisible());
    EXPECT_FALSE(progress->progressBarShown());
    web.uploadTemplateToDatabase(object);
    EXPECT_EQ(web.progressDialog(), progress);
    ASSERT_TRUE(WebTest::waitForCount(ended, 1));
    EXPECT_EQ(account.shown.size(), 1);
    EXPECT_EQ(server.calls().count(QStringLiteral("upload_lumora")), 1);
    EXPECT_EQ(boxes.titles, QStringList{QStringLiteral("Upload Successful")});
}

TEST_F(UploadTest, DestroyingTheUtilitiesMidUploadIsSafe)
{
    HostileServer silent;
    ASSERT_TRUE(silent.start());
    silent.setHandler([](RecordedRequest const&) { return HostileServer::Reply{{}, true, true}; });
    QSignalSpy recorded(&silent, &HostileServer::requestRecorded);
    url.reset();
    url = std::make_unique<WebTest::ScopedBaseUrl>(silent.baseUrl());
    auto web = std::make_unique<TwWebUtilities>(core, keyring);
    AccountAnswerer account(QStringLiteral("devs"), QStringLiteral("key"), false);
    AppTest::MessageBoxAnswerer boxes;
    web->uploadTemplateToDatabase(object);
    ASSERT_TRUE(WebTest::waitForCount(recorded, 1));
    QPointer<TwProgressDialog> progress = web->progressDialog();
    ASSERT_FALSE(progress.isNull());
    web.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(progress.isNull());
    EXPECT_TRUE(boxes.titles.isEmpty());
}

// A file system where the saved template cannot be read back.
class UnreadableTemplateUploader : public TwWebUtilities
{
public:
    using TwWebUtilities::TwWebUtilities;

protected:
    bool readTemplateFile(QString const&, QByteArray*, QString* reason) override
    {
        *reason = QStringLiteral("Permission denied");
        return false;
    }
};

TEST_F(UploadTest, AnUnreadableTemplateAbortsTheUpload)
{
    UnreadableTemplateUploader web(core, keyring);
    AccountAnswerer account(QStringLiteral("devs"), QStringLiteral("key"), false);
    AppTest::MessageBoxAnswerer boxes;
    upload(web);
    EXPECT_EQ(server.calls().count(QStringLiteral("upload_lumora")), 0);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts.first().contains(QStringLiteral("Permission denied")));
}

TEST_F(UploadTest, PasswordsLiveInTheKeyringOnly)
{
    QSettings settings;
    // An old plain-text password moves over and leaves the settings.
    settings.setValue(QStringLiteral("UserAccount::Password"), QStringLiteral("old secret"));
    {
        auto* memory = new MemoryKeyring;
        TwWebUtilities web(core, memory);
        ASSERT_TRUE(WebTest::waitUntil([memory] { return memory->stored.has_value(); }));
        EXPECT_EQ(*memory->stored, QStringLiteral("old secret"));
        EXPECT_TRUE(WebTest::waitUntil(
            [] { return !QSettings().contains(QStringLiteral("UserAccount::Password")); }));

        // Without a stored login the box starts unchecked, the password still offered.
        AccountAnswerer account(QStringLiteral("devs"), QStringLiteral("key"), false, false);
        web.uploadTemplateToDatabase(object);
        ASSERT_EQ(account.shown.size(), 1);
        EXPECT_FALSE(account.shown.first().rememberChecked);
        EXPECT_EQ(account.shown.first().password, QStringLiteral("old secret"));
    }

    // A reachable keyring that refuses the password: the old one stays in the settings.
    settings.setValue(QStringLiteral("UserAccount::Password"), QStringLiteral("old secret"));
    {
        auto* refusing = new MemoryKeyring;
        refusing->refuseWrites = true;
        TwWebUtilities web(core, refusing);
        ASSERT_TRUE(WebTest::waitUntil([refusing] { return refusing->writesAnswered == 1; }));
        EXPECT_EQ(settings.value(QStringLiteral("UserAccount::Password")).toString(),
                  QStringLiteral("old secret"));
    }

    // Without a keyring: the old password goes at once, nothing is remembered.
    settings.setValue(QStringLiteral("UserAccount::Password"), QStringLiteral("old secret"));
    settings.setValue(QStringLiteral("UserAccount::Login"), QStringLiteral("devs"));
    auto* none = new MemoryKeyring;
    none->available = false;
    TwWebUtilities web(core, none);
    EXPECT_TRUE(WebTest::waitUntil(
        [] { return !QSettings().contains(QStringLiteral("UserAccount::Password")); }));
    AccountAnswerer account(QStringLiteral("devs"), QStringLiteral("key"), true);
    AppTest::MessageBoxAnswerer boxes;
    upload(web);
    ASSERT_EQ(account.shown.size(), 1);
    EXPECT_EQ(account.shown.first().login, QStringLiteral("devs"));
    EXPECT_FALSE(account.shown.first().rememberChecked);
    EXPECT_FALSE(account.shown.first().rememberEnabled);
    EXPECT_TRUE(account.shown.first().rememberToolTip.contains(none->reason));
    EXPECT_FALSE(none->stored.has_value());
    EXPECT_FALSE(QSettings().contains(QStringLiteral("UserAccount::Password")));
    EXPECT_EQ(boxes.titles, QStringList{QStringLiteral("Upload Successful")});
}

} // namespace
