#include "TemplateEditFixture.h"

#include "app/TemplateStoreTestSupport.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/StoragePaths.h"
#include "app/TemplateEditor.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "mainwindow/TwMainWindow.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"
#include "ui_TemplateEditor.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUuid>

namespace MainWindowTest {

void TemplateEditFixture::SetUp()
{
    MainWindowFixture::SetUp();
    uuid = QUuid::createUuid().toString();
    path = StoragePaths::objectTemplatePath(uuid);
    ASSERT_TRUE(StoreTest::writeFile(path, StoreTest::templateDocument({uuid, QStringLiteral("Stored Glow")})));
    original = contentOf(path);
    // The store reads its templates when the window is made.
    window.reset();
    window = std::make_unique<TwMainWindow>(nullptr);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    settle();
    objectTemplate = core()->templateStore()->getObjectTemplateFromUuid(uuid);
    ASSERT_NE(objectTemplate, nullptr);
}

void TemplateEditFixture::TearDown()
{
    MainWindowFixture::TearDown();
    QFile::remove(path);
    QFile::remove(StoragePaths::objectIconPath(uuid));
}

void TemplateEditFixture::pickStoreTemplate()
{
    window->form()->actionNodeGraphView->trigger();
    settle();
    Ui::ObjectEditor* editor = window->objectEditor()->form();
    editor->templatesRadioButton->click();
    settle();
    KelNGObject* instance = objectTemplate->objectInstance();
    ASSERT_TRUE(instance && instance->templateTreeItem);
    editor->templatesTreeWidget->setCurrentItem(instance->templateTreeItem);
    settle();
}

void TemplateEditFixture::editDescription()
{
    ASSERT_NO_FATAL_FAILURE(pickStoreTemplate());
    KelNGObject* instance = objectTemplate->objectInstance();
    ASSERT_EQ(window->objectEditor()->templateEditor()->object(), instance);
    QTest::keyClicks(window->objectEditor()->templateEditor()->form()->descriptionEdit, QStringLiteral("Edited."));
    settle();
    ASSERT_TRUE(objectTemplate->modified()) << "the row shows the template unsaved";
    ASSERT_TRUE(objectTemplate->description().endsWith(QStringLiteral("Edited.")));
}

void TemplateEditFixture::typeIntoEffectTemplate(QString const& text)
{
    Ui::ObjectEditor* editor = window->objectEditor()->form();
    editor->projectRadioButton->click();
    ASSERT_TRUE(effect->objectEditorItem);
    editor->treeWidget->setCurrentItem(effect->objectEditorItem);
    editor->tabWidget->setCurrentWidget(editor->templateTab);
    settle();
    TemplateEditor* templateEditor = window->objectEditor()->templateEditor();
    ASSERT_EQ(templateEditor->object(), effect);
    QTest::keyClicks(templateEditor->form()->descriptionEdit, text);
    settle();
    ASSERT_TRUE(effect->objectTemplate()->modified());
}

void TemplateEditFixture::editEffectTemplate()
{
    window->form()->actionNodeGraphView->trigger();
    settle();
    effect = core()->addTemplateObject(uuid);
    settle();
    ASSERT_NE(effect, nullptr);
    ASSERT_NE(effect->objectTemplate(), objectTemplate);
    ASSERT_NO_FATAL_FAILURE(typeIntoEffectTemplate(QStringLiteral("Effect edit.")));
    ASSERT_TRUE(window->objectEditor()->templateEditor()->saveButton()->isEnabled())
        << "the disk button offers the save";
}

void TemplateEditFixture::editNamelessEffectTemplate()
{
    window->form()->actionNodeGraphView->trigger();
    settle();
    const int count = int(core()->objectList().size());
    window->projectBrowser()->form()->addNewEmptyFilter->click();
    settle();
    ASSERT_EQ(core()->objectList().size(), count + 1);
    effect = core()->objectList().last();
    effect->graph()->setName(QStringLiteral("Tone FX"));
    ASSERT_TRUE(effect->objectTemplate());
    ASSERT_TRUE(effect->objectTemplate()->name().isEmpty());
    ASSERT_TRUE(effect->objectTemplate()->uuid().isEmpty());
    ASSERT_NO_FATAL_FAILURE(typeIntoEffectTemplate(QStringLiteral("A note.")));
}

KelTemplate* TemplateEditFixture::storedTemplateNamed(QString const& name)
{
    window.reset();
    window = std::make_unique<TwMainWindow>(nullptr);
    settle();
    for (KelTemplate* candidate : core()->templateStore()->objectTemplateList) {
        if (candidate->name() == name)
            return candidate;
    }
    return nullptr;
}

QString TemplateEditFixture::storedDescription()
{
    window.reset();
    window = std::make_unique<TwMainWindow>(nullptr);
    settle();
    KelTemplate* stored = core()->templateStore()->getObjectTemplateFromUuid(uuid);
    return stored ? stored->description() : QStringLiteral("(no template)");
}

QByteArray TemplateEditFixture::contentOf(QString const& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace MainWindowTest
