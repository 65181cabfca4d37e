// The core's web flows: made by the installed factory, reached through the template store's
// slots, and nothing without a factory. With the web utilities installed, the store's update
// check runs the database dialog and installs what the user keeps checked.

#include "AccountAnswerer.h"
#include "DialogTestSupport.h"

#include "app/KelNGObject.h"
#include "app/TemplateEditor.h"
#include "app/TwWebFlows.h"
#include "web/TwDatabaseDialog.h"
#include "web/TwWebUtilities.h"

#include <QApplication>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class RecordingFlows : public TwWebFlows
{
public:
    explicit RecordingFlows(QStringList* calls) : m_calls(calls) {}
    void checkForTemplateUpdatesInDatabase(bool quietMode) override
    {
        *m_calls << QStringLiteral("check %1").arg(quietMode);
    }
    void uploadTemplateToDatabase(KelNGObject* object) override
    {
        *m_calls << QStringLiteral("upload %1").arg(object ? 1 : 0);
    }

private:
    QStringList* m_calls;
};

// The factory is process-wide: put back "none" after each test.
class WebFlowsTest : public ::testing::Test
{
protected:
    void TearDown() override { TwWebFlows::setFactory({}); }
    WebTest::CoreFixture fixture;
};

TEST_F(WebFlowsTest, TheStoreSlotsReachTheInstalledFlowsAndDoNothingWithout)
{
    TwCore* core = fixture.start();
    EXPECT_EQ(core->webFlows(), nullptr);
    core->templateStore()->checkForTemplateUpdatesInDatabase();
    core->templateStore()->uploadTemplateToDatabase(nullptr);
    fixture.stop();

    QStringList calls;
    TwWebFlows::setFactory([&calls](TwCore*) { return new RecordingFlows(&calls); });
    core = fixture.start();
    ASSERT_NE(core->webFlows(), nullptr);
    core->templateStore()->checkForTemplateUpdatesInDatabase();
    core->templateStore()->checkForTemplateUpdatesInDatabase(true);
    KelTemplate* created = core->templateStore()->createObjectTemplate();
    core->templateStore()->uploadTemplateToDatabase(created->objectInstance());
    EXPECT_EQ(calls, (QStringList{QStringLiteral("check 0"), QStringLiteral("check 1"),
                                  QStringLiteral("upload 1")}));

    // The template editor's upload button hands over the object that owns the template.
    calls.clear();
    TemplateEditor editor(nullptr);
    editor.m_core = core;
    editor.adjustUI(created->objectInstance());
    ASSERT_TRUE(editor.uploadButton()->isEnabled());
    editor.uploadButton()->click();
    EXPECT_EQ(calls, QStringList{QStringLiteral("upload 1")});
}

TEST_F(WebFlowsTest, TheUpdateCheckRunsTheDatabaseDialogModally)
{
    ReferenceServer server;
    ASSERT_TRUE(server.start());
    SampleTemplates::seed(server);
    WebTest::ScopedBaseUrl url(server.baseUrl());
    TwWebUtilities::installAsWebFlows();
    TwCore* core = fixture.start();
    ASSERT_NE(dynamic_cast<TwWebUtilities*>(core->webFlows()), nullptr);

    // The user unchecks the second row, installs, and closes with OK.
    int answered = 0;
    QTimer driver;
    driver.setInterval(0);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<TwDatabaseDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->isBusy())
            return;
        auto* tree = dialog->findChild<QTreeWidget*>(QStringLiteral("treeWidget"));
        if (answered == 0 && tree->topLevelItemCount() == 2) {
            ++answered;
            tree->topLevelItem(1)->setCheckState(3, Qt::Unchecked);
            dialog->findChild<QPushButton*>(QStringLiteral("updateButton"))->click();
        } else if (answered == 1 && tree->topLevelItemCount() == 0) {
            ++answered;
            dialog->accept();
        }
    });
    driver.start();
    core->templateStore()->checkForTemplateUpdatesInDatabase(false);
    driver.stop();
    EXPECT_EQ(answered, 2);
    QList<ReferenceServer::Item> const items = server.items(QStringLiteral("lumora"));
    EXPECT_NE(core->templateStore()->getObjectTemplateFromUuid(items.at(0).uuid), nullptr);
    EXPECT_EQ(core->templateStore()->getObjectTemplateFromUuid(items.at(1).uuid), nullptr);
    EXPECT_EQ(fixture.filterTree.topLevelItemCount(), 1);
    EXPECT_EQ(fixture.filterTree.topLevelItem(0)->text(0), items.at(0).name);
}

} // namespace
