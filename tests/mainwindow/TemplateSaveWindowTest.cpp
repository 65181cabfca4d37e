// Saving a project effect's template from the Template tab of the real window.

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
#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"
#include "ui_TemplateEditor.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUuid>

namespace MainWindowTest {
namespace {

using TemplateSaveWindow = MainWindowFixture;

QStringList savedNames(QTreeWidget* tree)
{
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        texts << tree->topLevelItem(i)->text(0);
    return texts;
}

TEST_F(TemplateSaveWindow, EveryEditOnTheTemplateTabEnablesSaveAndSaveAddsTheTemplateToTheStore)
{
    // A template installed before start-up: its row is refreshed last and disables the buttons.
    const QString installed = QUuid::createUuid().toString();
    ASSERT_TRUE(StoreTest::writeFile(StoragePaths::objectTemplatePath(installed),
                                     StoreTest::templateDocument({installed, QStringLiteral("Installed")})));
    window.reset();
    window = std::make_unique<TwMainWindow>(nullptr);
    settle();
    TwTemplateContainer* store = core()->templateStore();
    ASSERT_NE(store->getObjectTemplateFromUuid(installed), nullptr);
    window->form()->actionNodeGraphView->trigger();
    settle();

    window->addNewEmptyFilter();
    settle();
    KelNGObject* filter = core()->selectedObject();
    ASSERT_NE(filter, nullptr);
    KelNGObject* other = addInversion(QStringLiteral("Other"));
    core()->setSelectedObject(filter);
    settle();
    TemplateEditor* editor = window->objectEditor()->templateEditor();
    ASSERT_EQ(editor->object(), filter);
    QToolButton* save = editor->saveButton();
    EXPECT_FALSE(save->isEnabled()) << "nothing edited yet";

    Ui::TemplateEditor* form = editor->form();
    auto type = [](QLineEdit* field, QString const& text) {
        return [field, text] {
            field->setText(text);
            QTest::keyClick(field, Qt::Key_Return);
        };
    };
    struct Edit {
        const char* what;
        std::function<void()> make;
    };
    const Edit edits[] = {
        {"name", type(form->descriptionNameEdit, QStringLiteral("Warm Glow"))},
        {"UUID", [&] { form->descriptionUUIDButton->click(); }},
        {"description", [&] { QTest::keyClicks(form->descriptionEdit, QStringLiteral("Soft.")); }},
        {"type", [&] { QTest::keyClick(form->descriptionTypeComboBox, Qt::Key_Home); }},
        {"tags", type(form->descriptionTagsEdit, QStringLiteral("warm"))},
        {"version", type(form->descriptionVersionEdit, QStringLiteral("01.001"))},
        {"alternative names", type(form->descriptionAlternativeNamesEdit, QStringLiteral("Glow"))},
        {"author", type(form->descriptionCreatedByEdit, QStringLiteral("Ada"))},
    };
    for (Edit const& edit : edits) {
        SCOPED_TRACE(edit.what);
        KelTemplate* objectTemplate = filter->getValidTemplate();
        objectTemplate->setModified(false);
        window->objectEditor()->adjustUI(filter);
        ASSERT_FALSE(save->isEnabled());
        edit.make();
        settle();
        EXPECT_TRUE(objectTemplate->modified());
        EXPECT_TRUE(save->isEnabled());
    }
    // Away and back: the template is still unsaved.
    core()->setSelectedObject(other);
    settle();
    core()->setSelectedObject(filter);
    settle();
    ASSERT_EQ(editor->object(), filter);
    EXPECT_TRUE(save->isEnabled());

    const QString uuid = filter->getValidTemplate()->uuid();
    ASSERT_TRUE(StoragePaths::isValidTemplateUuid(uuid)) << uuid.toStdString();
    save->click();
    settle();
    EXPECT_TRUE(QFile::exists(StoragePaths::objectTemplatePath(uuid)));
    KelTemplate* stored = store->getObjectTemplateFromUuid(uuid);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->name(), "Warm Glow");
    EXPECT_EQ(stored->type(), "Special FX");
    EXPECT_EQ(stored->description(), "Soft.");
    EXPECT_TRUE(savedNames(store->specialFXBrowserTreeWidget()).contains("Warm Glow"));
    EXPECT_TRUE(savedNames(window->objectEditor()->form()->templatesTreeWidget).contains("Warm Glow"));
    EXPECT_FALSE(save->isEnabled()) << "saved";

    discardProject();
    window.reset();
    for (QString const& id : {installed, uuid}) {
        QFile::remove(StoragePaths::objectTemplatePath(id));
        QFile::remove(StoragePaths::objectIconPath(id));
    }
}

} // namespace
} // namespace MainWindowTest
