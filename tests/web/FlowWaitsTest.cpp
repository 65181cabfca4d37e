// The waits of the web flows: the upload's wait for the keyring holds every command back and
// ends with Esc; the upload's progress and the database dialog's status let no event through,
// so no command runs inside the flow that reports; Esc on the upload's progress ends the upload.

#include "AccountAnswerer.h"
#include "DialogTestSupport.h"
#include "MemoryKeyring.h"

#include "app/KelNGObject.h"
#include "web/TwDatabaseDialog.h"
#include "web/TwProgressDialog.h"
#include "web/TwWebUtilities.h"

#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class FlowWaits : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QSettings().remove(QStringLiteral("UserAccount::Login"));
        ASSERT_TRUE(service.start());
        url = std::make_unique<WebTest::ScopedBaseUrl>(service.baseUrl());
        core = fixture.start();
        objectTemplate = core->templateStore()->createObjectTemplate();
        object = objectTemplate->objectInstance();
        other.setText(QStringLiteral("Another command"));
        QObject::connect(&other, &QPushButton::clicked, [this] { ++otherCommands; });
        other.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    }

    WebTest::CoreFixture fixture;
    HostileServer service;
    std::unique_ptr<WebTest::ScopedBaseUrl> url;
    TwCore* core = nullptr;
    KelTemplate* objectTemplate = nullptr;
    KelNGObject* object = nullptr;
    // A window with a command of its own, clicked during the waits.
    QPushButton other;
    int otherCommands = 0;
};

TEST_F(FlowWaits, EveryWaitOfTheWebFlowsHoldsCommandsBackAndEndsWithEsc)
{
    {
        SCOPED_TRACE("the keyring asks the user to unlock it");
        auto* keyring = new MemoryKeyring;
        keyring->holdReads = true;
        TwWebUtilities web(core, keyring);
        AccountAnswerer account(QStringLiteral("devs"), QStringLiteral("key"), false, false);
        bool waited = false;
        int commandsInside = -1;
        int roundsAfterEsc = 0;
        QTimer inside;
        QObject::connect(&inside, &QTimer::timeout, [&] {
            if (keyring->heldReads.isEmpty())
                return;
            if (!waited) {
                waited = true;
                QTest::mouseClick(&other, Qt::LeftButton);
                commandsInside = otherCommands;
                QTest::keyClick(&other, Qt::Key_Escape);
            } else if (++roundsAfterEsc > 20) {
                // Esc did not end the wait: the keyring answers, so that the test goes on.
                keyring->answerHeldReads();
            }
        });
        inside.start(10);
        web.uploadTemplateToDatabase(object);
        inside.stop();
        QCoreApplication::processEvents();

        EXPECT_TRUE(waited);
        EXPECT_EQ(commandsInside, 0);
        EXPECT_EQ(otherCommands, 0) << "the click is not replayed after the wait";
        EXPECT_TRUE(account.shown.isEmpty()) << "Esc ends the upload before the account dialog";
        EXPECT_FALSE(web.isUploading());
        EXPECT_TRUE(service.requests().isEmpty());
    }
    {
        SCOPED_TRACE("the upload's progress");
        TwProgressDialog progress(nullptr, true);
        progress.show();
        bool ran = false;
        QMetaObject::invokeMethod(&other, [&] { ran = true; }, Qt::QueuedConnection);
        progress.showStatus(QStringLiteral("Uploading..."));
        progress.completePercentChanged(0.0, 0.5);
        EXPECT_FALSE(ran);
        EXPECT_EQ(progress.statusText(), QStringLiteral("Uploading..."));
        EXPECT_EQ(progress.progressValue(), 50);
        QCoreApplication::processEvents();
        EXPECT_TRUE(ran);
    }
    {
        SCOPED_TRACE("the database dialog's status");
        service.setHandler(WebTest::lumoraList([] { return QList<WebTest::ListedItem>(); }));
        bool ran = false;
        QMetaObject::invokeMethod(&other, [&] { ran = true; }, Qt::QueuedConnection);
        TwDatabaseDialog dialog(nullptr, core);
        EXPECT_FALSE(ran) << "the fetch that starts with the dialog lets no event through";
        QSignalSpy idle(&dialog, &TwDatabaseDialog::idle);
        while (dialog.isBusy())
            ASSERT_TRUE(idle.wait(WebTest::kWaitMs));
        EXPECT_TRUE(ran);
    }
    {
        SCOPED_TRACE("Esc on the upload's progress");
        QSignalSpy recorded(&service, &HostileServer::requestRecorded);
        service.setHandler([](RecordedRequest const&) { return HostileServer::Reply{QByteArray(), true, true}; });
        TwWebUtilities web(core, new MemoryKeyring);
        AccountAnswerer account(QStringLiteral("devs"), QStringLiteral("key"), false);
        AppTest::MessageBoxAnswerer boxes;
        QSignalSpy ended(&web, &TwWebUtilities::uploadEnded);
        int const before = int(service.requests().size());
        web.uploadTemplateToDatabase(object);
        ASSERT_TRUE(web.isUploading());
        ASSERT_TRUE(WebTest::waitForCount(recorded, 1));
        QTest::keyClick(web.progressDialog(), Qt::Key_Escape);
        EXPECT_EQ(ended.count(), 1);
        EXPECT_FALSE(web.isUploading());
        EXPECT_EQ(web.client()->pendingCount(), 0) << "the running call is dropped";
        QCoreApplication::processEvents();
        EXPECT_EQ(int(service.requests().size()), before + 1);
        EXPECT_TRUE(boxes.titles.isEmpty());
    }
}

} // namespace
