// The web service reached from the main window that start-up builds, against the reference
// server: "Update Templates...", the project browser's database button and the Welcome request
// open the database dialog, which installs into the window's template browsers; the template
// editor's upload button uploads the selected object's template.

#include "AccountAnswerer.h"
#include "AppTestSupport.h"
#include "TemplateStoreTestSupport.h"
#include "WebTestSupport.h"
#include "refserver/ReferenceServer.h"
#include "refserver/SampleTemplates.h"
#include "style/RealStyleFile.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/Renderer.h"
#include "app/StoragePaths.h"
#include "app/TemplateEditor.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "app/TwWebFlows.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "mainwindow/VyxStartup.h"
#include "web/TwDatabaseDialog.h"
#include "web/TwWebUtilities.h"
#include "ui_MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QSettings>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// Answers the database dialog from a timer: installs what it lists, then closes it with OK.
class DatabaseAnswerer : public QObject
{
public:
    DatabaseAnswerer()
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

    QList<QStringList> listed; // the names each dialog listed

private:
    void poll()
    {
        auto* dialog = qobject_cast<TwDatabaseDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->isBusy())
            return;
        auto* tree = dialog->findChild<QTreeWidget*>(QStringLiteral("treeWidget"));
        if (!dialog->property("installing").toBool()) {
            dialog->setProperty("installing", true);
            QStringList names;
            for (int i = 0; i < tree->topLevelItemCount(); ++i)
                names << tree->topLevelItem(i)->text(0);
            listed << names;
            dialog->findChild<QPushButton*>(QStringLiteral("updateButton"))->click();
        } else {
            dialog->accept();
        }
    }

    QTimer m_timer;
};

QStringList namesIn(QTreeWidget* tree)
{
    QStringList names;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        names << tree->topLevelItem(i)->text(0);
    return names;
}

class MainWindowWebTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(RealStyleFile::load(&error)) << error.toStdString();
        ASSERT_TRUE(server.start());
        url = std::make_unique<WebTest::ScopedBaseUrl>(server.baseUrl());
        // As start-up does before it builds the window.
        TwWebUtilities::installAsWebFlows();
        window = std::make_unique<TwMainWindow>(nullptr);
        settle();
    }

    void TearDown() override
    {
        settle();
        window->core()->setModified(false);
        window.reset();
        TwWebFlows::setFactory({});
    }

    void settle()
    {
        for (int i = 0; i < 50 && window; ++i) {
            window->core()->renderer()->wait(10000);
            QCoreApplication::processEvents();
            if (!window->core()->renderer()->isRunning())
                return;
        }
    }

    void serve(QString const& uuid, QString const& name, QString const& version)
    {
        ReferenceServer::Item item;
        item.uuid = uuid;
        item.name = name;
        item.version = version;
        item.createdBy = QStringLiteral("Ref");
        item.xml = SampleTemplates::templateFile(uuid, name, version);
        item.icon = SampleTemplates::pngIcon(Qt::green);
        server.addItem(QStringLiteral("lumora"), item);
    }

    AppTest::ScopedDataHome home;
    ReferenceServer server;
    std::unique_ptr<WebTest::ScopedBaseUrl> url;
    std::unique_ptr<TwMainWindow> window;
};

TEST_F(MainWindowWebTest, EveryEntryRunsTheDatabaseDialogAndFillsTheBrowsers)
{
    ASSERT_TRUE(window->form()->actionCheckForTemplates->isEnabled());
    struct Entry
    {
        char const* what;
        std::function<void()> open;
    };
    std::vector<Entry> const entries{
        {"Update Templates...", [this] { window->form()->actionCheckForTemplates->trigger(); }},
        {"the project browser's database button",
         [this] {
             window->projectBrowser()->findChild<QToolButton*>(QStringLiteral("downloadTemplates"))->click();
         }},
        {"the Welcome request",
         [this] {
             QSettings().remove(QStringLiteral("DontShowWelcomeScreen"));
             // The Welcome screen asks for the check when it is closed with its box checked.
             QTimer::singleShot(0, [] {
                 QWidget* welcome = QApplication::activeModalWidget();
                 ASSERT_NE(welcome, nullptr);
                 welcome->findChild<QCheckBox*>(QStringLiteral("cbCheckTemplates"))->setChecked(true);
                 welcome->findChild<QPushButton*>(QStringLiteral("btClose"))->click();
             });
             VyxStartup::showMainWindow(window.get());
             // The request arrives through a queued connection.
             QCoreApplication::processEvents();
         }},
    };
    QStringList expectedNames;
    int served = 0;
    for (Entry const& entry : entries) {
        SCOPED_TRACE(entry.what);
        QString const uuid = QStringLiteral("{0000000%1-1111-4111-8111-111111111111}").arg(++served);
        QString const name = QStringLiteral("Served %1").arg(served);
        serve(uuid, name, QStringLiteral("01.000"));
        DatabaseAnswerer answerer;
        entry.open();
        ASSERT_TRUE(WebTest::waitUntil([&answerer] { return !answerer.listed.isEmpty(); }));
        ASSERT_TRUE(WebTest::waitUntil([] { return !QApplication::activeModalWidget(); }));
        // Only what is new is listed; installed templates are not listed again.
        EXPECT_EQ(answerer.listed.first(), QStringList{name});
        EXPECT_EQ(StoreTest::readFile(StoragePaths::objectTemplatePath(uuid)),
                  server.items(QStringLiteral("lumora")).last().xml);
        expectedNames << name;
        EXPECT_EQ(namesIn(window->filtersTree()), expectedNames);
    }
}

TEST_F(MainWindowWebTest, TheTemplateEditorUploadsTheSelectedObjectsTemplate)
{
    QString const uuid = QStringLiteral("{00000009-2222-4222-8222-222222222222}");
    serve(uuid, QStringLiteral("Mine"), QStringLiteral("01.000"));
    {
        DatabaseAnswerer answerer;
        window->form()->actionCheckForTemplates->trigger();
        ASSERT_TRUE(WebTest::waitUntil([] { return !QApplication::activeModalWidget(); }));
    }
    KelNGObject* object = window->core()->addTemplateObject(uuid);
    ASSERT_NE(object, nullptr);
    settle();
    KelTemplate* copy = object->getValidTemplate();
    ASSERT_NE(copy, nullptr);
    copy->setVersion(QStringLiteral("01.500"));
    copy->setCreatedBy(QStringLiteral("Me"));
    window->core()->setSelectedObject(object);
    TemplateEditor* editor = window->objectEditor()->templateEditor();
    editor->adjustUI(object);
    ASSERT_TRUE(editor->uploadButton()->isEnabled());

    auto* web = dynamic_cast<TwWebUtilities*>(window->core()->webFlows());
    ASSERT_NE(web, nullptr);
    QSignalSpy ended(web, &TwWebUtilities::uploadEnded);
    AccountAnswerer account(QStringLiteral("devs"), QStringLiteral("key"), false);
    AppTest::MessageBoxAnswerer boxes;
    server.clearRequests();
    editor->uploadButton()->click();
    ASSERT_TRUE(WebTest::waitForCount(ended, 1));
    EXPECT_EQ(server.calls(), (QStringList{QStringLiteral("get_user_session"),
                                           QStringLiteral("search_lumora"),
                                           QStringLiteral("upload_lumora")}));
    EXPECT_EQ(boxes.titles, QStringList{QStringLiteral("Upload Successful")}) << boxes.texts.join(QLatin1Char('\n')).toStdString();
    RecordedRequest const& sent = server.requests().last();
    EXPECT_EQ(sent.field(QStringLiteral("uuid")), uuid.toUtf8());
    EXPECT_EQ(sent.field(QStringLiteral("version")), "01.500");
    EXPECT_EQ(sent.field(QStringLiteral("xml_content")),
              StoreTest::readFile(StoragePaths::objectTemplatePath(uuid)));
    EXPECT_TRUE(sent.field(QStringLiteral("icon")).startsWith("\x89PNG"));
    EXPECT_EQ(server.items(QStringLiteral("lumora")).last().version, QStringLiteral("01.500"));
}

} // namespace
