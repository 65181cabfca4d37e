#include "ObjectEditorTestSupport.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TemplateEditor.h"
#include "app/TwCore.h"
#include "ui_TemplateEditor.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using PanelTest::PanelsFixture;

namespace {

class TemplateEditorTest : public PanelsFixture
{
protected:
    void SetUp() override
    {
        PanelsFixture::SetUp();
        object = addObject("A");
        objectTemplate = new KelTemplate(QString());
        objectTemplate->setName("T");
        objectTemplate->setType("Filter");
        objectTemplate->setVersion("01.000");
        objectTemplate->setUuid("{00000000-0000-0000-0000-000000000001}");
        objectTemplate->setDescription("D");
        object->setObjectTemplate(objectTemplate);
        editor = std::make_unique<TemplateEditor>();
        editor->m_core = core.get();
        QObject::connect(editor.get(), &TemplateEditor::changeObjectNameTo, editor.get(),
                         [this](QString const& name) { events << "name " + name; });
        QObject::connect(editor.get(), &TemplateEditor::templateHasBeenAddedOrUpdated,
                         editor.get(), [this](bool added, KelTemplate* changed) {
                             events << QStringLiteral("updated %1 %2")
                                           .arg(added)
                                           .arg(changed == objectTemplate);
                         });
        editor->adjustUI(object);
        objectTemplate->setModified(false);
        events.clear();
    }

    void TearDown() override
    {
        editor.reset();
        PanelsFixture::TearDown();
    }

    Ui::TemplateEditor* form() const { return editor->form(); }

    void finishEdit(QLineEdit* edit, QString const& text)
    {
        edit->setText(text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    KelNGObject* object = nullptr;
    KelTemplate* objectTemplate = nullptr;
    std::unique_ptr<TemplateEditor> editor;
    QStringList events;
};

} // namespace

TEST_F(TemplateEditorTest, ShowsTheTemplateAndMarksNothingByShowing)
{
    EXPECT_EQ(form()->descriptionNameEdit->text(), "T");
    EXPECT_EQ(form()->descriptionTypeComboBox->currentText(), "Filter");
    EXPECT_EQ(form()->descriptionVersionEdit->text(), "01.000");
    EXPECT_EQ(form()->descriptionUUIDLabel->text(), "{00000000-0000-0000-0000-000000000001}");
    EXPECT_EQ(form()->descriptionEdit->toPlainText(), "D");
    EXPECT_FALSE(objectTemplate->modified());
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(form()->stackedWidget->currentWidget(), form()->descriptionWidget);
    EXPECT_TRUE(editor->uploadButton()->isEnabled());

    struct Case { char const* type; int index; };
    const Case cases[] = {{"filter", 1}, {"SPECIAL FX", 0}, {"Other", -1}};
    for (Case const& c : cases) {
        objectTemplate->setType(c.type);
        editor->adjustUI(object);
        EXPECT_EQ(form()->descriptionTypeComboBox->currentIndex(), c.index) << c.type;
    }
}

TEST_F(TemplateEditorTest, LineEditsStoreChangesAndAnnounceOnce)
{
    // Edits finished while the core blocks focus-out edits are dropped.
    core->setBlockFocusOutEvents(true);
    for (QLineEdit* edit : {form()->descriptionNameEdit, form()->descriptionAlternativeNamesEdit,
                            form()->descriptionTagsEdit, form()->descriptionVersionEdit,
                            form()->descriptionCreatedByEdit})
        finishEdit(edit, "X");
    core->setBlockFocusOutEvents(false);
    EXPECT_TRUE(events.isEmpty());
    EXPECT_FALSE(objectTemplate->modified());

    finishEdit(form()->descriptionNameEdit, "T");
    EXPECT_TRUE(events.isEmpty()) << "an unchanged name";
    finishEdit(form()->descriptionNameEdit, "New");
    EXPECT_EQ(events, (QStringList{"name New", "updated 1 1"}));
    EXPECT_EQ(objectTemplate->name(), "T") << "the owner applies the name";

    struct Case { QLineEdit* edit; std::function<QString()> stored; };
    const Case cases[] = {
        {form()->descriptionAlternativeNamesEdit, [this] { return objectTemplate->alternativeNames(); }},
        {form()->descriptionTagsEdit, [this] { return objectTemplate->tags(); }},
        {form()->descriptionVersionEdit, [this] { return objectTemplate->version(); }},
        {form()->descriptionCreatedByEdit, [this] { return objectTemplate->createdBy(); }},
    };
    for (Case const& c : cases) {
        events.clear();
        objectTemplate->setModified(false);
        finishEdit(c.edit, "1.2");
        EXPECT_EQ(c.stored(), "1.2") << "stored as typed";
        EXPECT_TRUE(objectTemplate->modified());
        EXPECT_EQ(events, QStringList{"updated 1 1"});
        events.clear();
        QTest::keyClick(c.edit, Qt::Key_Return);
        EXPECT_TRUE(events.isEmpty()) << "unchanged";
    }
}

TEST_F(TemplateEditorTest, TypeUuidAndDescriptionEdits)
{
    emit form()->descriptionTypeComboBox->textActivated("Filter");
    EXPECT_TRUE(events.isEmpty());
    emit form()->descriptionTypeComboBox->textActivated("Special FX");
    EXPECT_EQ(objectTemplate->type(), "Special FX");
    EXPECT_EQ(events, QStringList{"updated 1 1"});

    events.clear();
    QString const before = objectTemplate->uuid();
    QTest::mousePress(form()->descriptionUUIDButton, Qt::LeftButton);
    QTest::mouseRelease(form()->descriptionUUIDButton, Qt::LeftButton);
    QString const first = objectTemplate->uuid();
    QTest::mousePress(form()->descriptionUUIDButton, Qt::LeftButton);
    QTest::mouseRelease(form()->descriptionUUIDButton, Qt::LeftButton);
    QString const second = objectTemplate->uuid();
    EXPECT_NE(first, before);
    EXPECT_NE(second, first);
    EXPECT_TRUE(second.startsWith('{') && second.endsWith('}'));
    EXPECT_EQ(form()->descriptionUUIDLabel->text(), second);
    EXPECT_EQ(events.size(), 2);

    events.clear();
    objectTemplate->setModified(false);
    form()->descriptionEdit->show();
    form()->descriptionEdit->moveCursor(QTextCursor::End);
    QTest::keyClicks(form()->descriptionEdit, "x");
    EXPECT_EQ(objectTemplate->description(), "Dx");
    EXPECT_TRUE(objectTemplate->modified());
    EXPECT_EQ(events, QStringList{"updated 1 1"});
}

TEST_F(TemplateEditorTest, NoObjectClearsOnlyTheNameAndDisablesThePanel)
{
    editor->adjustUI(nullptr);
    EXPECT_EQ(form()->descriptionNameEdit->text(), "");
    EXPECT_EQ(form()->descriptionVersionEdit->text(), "01.000");
    EXPECT_FALSE(form()->descriptionWidget->isEnabled());
    EXPECT_FALSE(form()->titleBar->isEnabled());
    finishEdit(form()->descriptionTagsEdit, "X");
    emit form()->descriptionTypeComboBox->textActivated("Special FX");
    EXPECT_TRUE(events.isEmpty());

    object->setDeletable(false);
    editor->adjustUI(object);
    EXPECT_FALSE(form()->descriptionWidget->isEnabled()) << "an object that may not be deleted";
}
