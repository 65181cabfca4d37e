// A template saved from the Template tab of the real window: where it is listed afterwards, and
// what the Save buttons show while other templates come and go.

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

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUuid>

#include <functional>

namespace MainWindowTest {
namespace {

QStringList names(QTreeWidget* tree)
{
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        texts << tree->topLevelItem(i)->text(0);
    return texts;
}

class TemplateLists : public MainWindowFixture
{
protected:
    void TearDown() override
    {
        MainWindowFixture::TearDown();
        for (QString const& id : std::as_const(written)) {
            QFile::remove(StoragePaths::objectTemplatePath(id));
            QFile::remove(StoragePaths::objectIconPath(id));
        }
    }

    // A template file in the store's folder, as an installation writes one.
    QString install(QString const& name)
    {
        const QString uuid = QUuid::createUuid().toString();
        written << uuid;
        EXPECT_TRUE(StoreTest::writeFile(StoragePaths::objectTemplatePath(uuid),
                                         StoreTest::templateDocument({uuid, name})));
        return uuid;
    }

    // The window as start-up builds it, with the templates installed so far, in node-graph view.
    void restart()
    {
        window.reset();
        window = std::make_unique<TwMainWindow>(nullptr);
        settle();
        window->form()->actionNodeGraphView->trigger();
        settle();
    }

    TwTemplateContainer* store() const { return core()->templateStore(); }
    TemplateEditor* templateEditor() const { return window->objectEditor()->templateEditor(); }
    QTreeWidget* templatesTree() const { return window->objectEditor()->form()->templatesTreeWidget; }

    void typeInto(QLineEdit* field, QString const& text)
    {
        field->setText(text);
        QTest::keyClick(field, Qt::Key_Return);
        settle();
    }

    QStringList written;
};

TEST_F(TemplateLists, ATemplateSavedFromAnInsertedEffectIsListedAtOnceEverywhereAndStays)
{
    const QString installed = install(QStringLiteral("Installed"));
    restart();
    ASSERT_NE(store()->getObjectTemplateFromUuid(installed), nullptr);

    // The user inserts the installed template and makes a template of its own from the effect.
    KelNGObject* effect = core()->addTemplateObject(installed);
    ASSERT_NE(effect, nullptr);
    core()->setSelectedObject(effect);
    settle();
    ASSERT_EQ(templateEditor()->object(), effect);
    Ui::TemplateEditor* form = templateEditor()->form();
    form->descriptionUUIDButton->click();
    typeInto(form->descriptionNameEdit, QStringLiteral("Harbour Glow"));
    const QString uuid = effect->getValidTemplate()->uuid();
    ASSERT_NE(uuid, installed);
    written << uuid;
    ASSERT_EQ(store()->getObjectTemplateFromUuid(uuid), nullptr) << "not in the store yet";
    ASSERT_TRUE(templateEditor()->saveButton()->isEnabled());
    templateEditor()->saveButton()->click();
    settle();
    ASSERT_TRUE(QFile::exists(StoragePaths::objectTemplatePath(uuid)));

    auto expectListed = [&](char const* when) {
        SCOPED_TRACE(when);
        KelTemplate* stored = store()->getObjectTemplateFromUuid(uuid);
        ASSERT_NE(stored, nullptr) << "the store holds the saved template";
        EXPECT_EQ(stored->name(), "Harbour Glow");
        EXPECT_TRUE(names(window->filtersTree()).contains("Harbour Glow")) << "Filters tab";
        EXPECT_FALSE(names(window->effectsTree()).contains("Harbour Glow")) << "Effects tab";
        EXPECT_TRUE(names(window->filtersTree()).contains("Installed"));
        EXPECT_EQ(names(templatesTree()).count("Harbour Glow"), 1) << "Show: Templates";
        // The row is the store's template, not the project's effect.
        ASSERT_NE(stored->objectInstance(), nullptr);
        EXPECT_NE(stored->objectInstance()->templateTreeItem, nullptr);
    };
    expectListed("saved");
    EXPECT_FALSE(templateEditor()->saveButton()->isEnabled()) << "saved";

    // A New, then the project opened again.
    QString path = dir.filePath(QStringLiteral("harbour.vyxsg"));
    ASSERT_TRUE(window->saveNodeGraph(core()->rootGraph(), path));
    core()->setModified(false);
    window->form()->actionNew->trigger();
    settle();
    expectListed("after New");
    window->openNodeGraph(core()->rootGraph(), path);
    settle();
    ASSERT_EQ(core()->objectList().size(), 1);
    expectListed("after Open");
}

TEST_F(TemplateLists, TheSaveButtonsFollowTheTemplateBeingEditedWhileOthersComeAndGo)
{
    restart();
    window->addNewEmptyFilter();
    settle();
    KelNGObject* filter = core()->selectedObject();
    ASSERT_NE(filter, nullptr);
    ASSERT_EQ(templateEditor()->object(), filter);
    QToolButton* save = templateEditor()->saveButton();
    QToolButton* pageSave = window->objectEditor()->form()->saveTemplateButton;
    templateEditor()->form()->descriptionUUIDButton->click();
    typeInto(templateEditor()->form()->descriptionTagsEdit, QStringLiteral("warm"));
    ASSERT_TRUE(filter->getValidTemplate()->modified());
    ASSERT_TRUE(save->isEnabled());

    // Other templates installed, updated and added while the edited one is unsaved, then again
    // after it was saved.
    const QString other = install(QStringLiteral("Other"));
    const struct
    {
        const char* what;
        std::function<void()> run;
    } changes[] = {
        {"installed", [&] { store()->addUpdatedTemplate(true, other, StoragePaths::objectTemplatePath(other)); }},
        {"updated", [&] { store()->addUpdatedTemplate(true, other, StoragePaths::objectTemplatePath(other)); }},
        {"empty template added", [&] { window->objectEditor()->form()->addTemplateButton->click(); }},
    };
    for (const bool unsaved : {true, false}) {
        if (!unsaved) {
            written << filter->getValidTemplate()->uuid();
            save->click();
            settle();
            ASSERT_FALSE(filter->getValidTemplate()->modified());
        }
        for (auto const& change : changes) {
            SCOPED_TRACE(std::string(change.what) + (unsaved ? " while unsaved" : " after the save"));
            change.run();
            settle();
            ASSERT_EQ(templateEditor()->object(), filter);
            EXPECT_EQ(save->isEnabled(), unsaved);
            EXPECT_EQ(pageSave->isEnabled(), unsaved);
        }
    }
    // The added templates are the store's own, unsaved: nothing to remove but their icons.
    for (KelTemplate* objectTemplate : std::as_const(store()->objectTemplateList))
        written << objectTemplate->uuid();
}

} // namespace
} // namespace MainWindowTest
