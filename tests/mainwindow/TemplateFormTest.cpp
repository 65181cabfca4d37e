// The Template form of the object editor while Show: Templates is on: it keeps showing the
// template selected in the templates list whatever happens meanwhile to the project's effects
// (deleted, brought back by Undo, clicked) and whichever view the window switches to.

#include "MainWindowFixture.h"

#include "app/TemplateStoreTestSupport.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/StoragePaths.h"
#include "app/TemplateEditor.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/NodeDockTabWidget.h"
#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"
#include "ui_TemplateEditor.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUuid>

#include <functional>

namespace MainWindowTest {
namespace {

class TemplateForm : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        uuid = QUuid::createUuid().toString();
        ASSERT_TRUE(StoreTest::writeFile(StoragePaths::objectTemplatePath(uuid),
                                         StoreTest::templateDocument({uuid, QStringLiteral("Stored Inverted")})));
        // The store reads its templates when the window is made.
        window.reset();
        window = std::make_unique<TwMainWindow>(nullptr);
        ASSERT_NO_FATAL_FAILURE(showWindow());
        settle();
        objectTemplate = core()->templateStore()->getObjectTemplateFromUuid(uuid);
        ASSERT_NE(objectTemplate, nullptr);
    }

    void TearDown() override
    {
        MainWindowFixture::TearDown();
        QFile::remove(StoragePaths::objectTemplatePath(uuid));
        QFile::remove(StoragePaths::objectIconPath(uuid));
    }

    Ui::ObjectEditor* editor() const { return window->objectEditor()->form(); }
    TemplateEditor* templateEditor() const { return window->objectEditor()->templateEditor(); }
    QTreeWidget* projectRows() const { return window->projectBrowser()->form()->treeWidget; }

    // Graph view, Show: Templates, the template's row, a line typed into its description, the
    // Template tab.
    void editTemplate()
    {
        window->form()->actionNodeGraphView->trigger();
        settle();
        editor()->templatesRadioButton->click();
        KelNGObject* instance = objectTemplate->objectInstance();
        ASSERT_TRUE(instance && instance->templateTreeItem);
        editor()->templatesTreeWidget->setCurrentItem(instance->templateTreeItem);
        settle();
        QTest::keyClicks(templateEditor()->form()->descriptionEdit, QStringLiteral("Edited."));
        settle();
        ASSERT_TRUE(objectTemplate->modified());
        editor()->tabWidget->setCurrentWidget(editor()->templateTab);
        settle();
        expectFormShowsTheTemplate("after the edit");
    }

    void clickProjectRow(KelNGObject* object)
    {
        QTreeWidgetItem* row = object ? object->projectBrowserItem : nullptr;
        ASSERT_NE(row, nullptr);
        ASSERT_TRUE(projectRows()->isVisible());
        projectRows()->scrollToItem(row);
        const QRect cell = projectRows()->visualItemRect(row);
        QTest::mouseClick(projectRows()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(projectRows()->columnViewportPosition(1) + 10, cell.center().y()));
        settle();
    }

    KelNGObject* objectNamed(QString const& name) const
    {
        for (KelNGObject* object : core()->objectList()) {
            if (object->graph()->name() == name)
                return object;
        }
        return nullptr;
    }

    void expectFormShowsTheTemplate(const char* when)
    {
        KelNGObject* instance = objectTemplate->objectInstance();
        EXPECT_EQ(editor()->templatesTreeWidget->currentItem(), instance->templateTreeItem) << when;
        EXPECT_EQ(templateEditor()->object(), instance) << when;
        EXPECT_EQ(window->objectEditor()->currentObject(), instance) << when;
        EXPECT_EQ(window->objectEditorGraphView()->graph(), instance->graph()) << when << ": the node-graph view";
        EXPECT_EQ(window->nodeDock()->object(), instance) << when << ": the Nodes panel";
        EXPECT_EQ(templateEditor()->form()->descriptionNameEdit->text(), objectTemplate->name()) << when;
        EXPECT_EQ(templateEditor()->form()->descriptionEdit->toPlainText(), objectTemplate->description()) << when;
    }

    QString uuid;
    KelTemplate* objectTemplate = nullptr;
};

// Each way a project effect leaves, comes back or is clicked, made in the image view.
TEST_F(TemplateForm, FollowsTheTemplatesListWhateverHappensToTheProjectRows)
{
    struct Step
    {
        const char* name;
        std::function<void()> run;
    };
    auto select = [this](const char* name) {
        return [this, name] { clickProjectRow(objectNamed(QString::fromLatin1(name))); };
    };
    auto removeSelected = [this] {
        QToolButton* remove = window->projectBrowser()->form()->deleteFilter;
        ASSERT_TRUE(remove->isEnabled());
        remove->click();
        settle();
    };
    auto undo = [this] { window->undoAction()->trigger(); settle(); };
    auto redo = [this] { window->redoAction()->trigger(); settle(); };
    const std::vector<std::vector<Step>> runs = {
        {{"select Tint", select("Tint")}, {"remove", removeSelected}, {"undo", undo}, {"select Invert", select("Invert")}},
        {{"select Tint", select("Tint")}, {"select Invert", select("Invert")}, {"remove", removeSelected}},
        {{"select Tint", select("Tint")}, {"remove", removeSelected}, {"undo", undo}, {"redo", redo}},
        {{"select Tint", select("Tint")}, {"select Invert", select("Invert")}},
    };
    for (size_t run = 0; run < runs.size(); ++run) {
        SCOPED_TRACE(testing::Message() << "run " << run);
        discardProject();
        addInversion(QStringLiteral("Tint"));
        addInversion(QStringLiteral("Invert"));
        settle();
        ASSERT_NO_FATAL_FAILURE(editTemplate());
        window->form()->actionImageView->trigger();
        settle();
        for (Step const& step : runs[run]) {
            SCOPED_TRACE(step.name);
            ASSERT_NO_FATAL_FAILURE(step.run());
        }
        window->form()->actionNodeGraphView->trigger();
        settle();
        expectFormShowsTheTemplate("back in the graph view");
        editor()->projectRadioButton->click();
        settle();
    }
}

} // namespace
} // namespace MainWindowTest
