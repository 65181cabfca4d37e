#include "app/TemplateEditor.h"

#include "app/FieldEdit.h"
#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/PlainTextWidgets.h"
#include "app/ShownText.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "style/KelStyleConfig.h"
#include "ui_TemplateEditor.h"

#include <QButtonGroup>
#include <QSignalBlocker>
#include <QSpacerItem>
#include <QToolButton>
#include <QUuid>

namespace {

// A UUID in braces is 38 characters; a file may hold any text there.
constexpr int kUuidChars = 40;

} // namespace

TemplateEditor::TemplateEditor(QWidget* parent) : QWidget(parent), ui(new Ui::TemplateEditor)
{
    ui->setupUi(this);
    ui->stackedWidget->setCurrentWidget(ui->descriptionWidget);
    ui->titleBar->addSpacerItem(new QSpacerItem(10, 10, QSizePolicy::Fixed, QSizePolicy::Minimum));

    m_pageButtons = new QButtonGroup(this);
    m_descriptionToggle = new QToolButton(this);
    m_descriptionToggle->setText(tr("Description"));
    m_descriptionToggle->setCheckable(true);
    m_descriptionToggle->setChecked(true);
    m_iconToggle = new QToolButton(this);
    m_iconToggle->setText(tr("Icon"));
    m_iconToggle->setCheckable(true);
    for (QToolButton* toggle : {m_descriptionToggle, m_iconToggle}) {
        toggle->setHidden(true);
        m_pageButtons->addButton(toggle);
        ui->titleBar->addToolButton(toggle);
        toggle->setHidden(true);
    }
    connect(m_descriptionToggle, &QToolButton::clicked, this,
            &TemplateEditor::showDescriptionButton_clicked);
    connect(m_iconToggle, &QToolButton::clicked, this, &TemplateEditor::showIconButton_clicked);

    m_saveButton = new QToolButton(this);
    m_saveButton->setToolTip(tr("Save Template"));
    m_saveButton->setIcon(QIcon(KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("temp_save"))));
    m_saveButton->setIconSize(QSize(24, 24));
    connect(m_saveButton, &QToolButton::clicked, this, &TemplateEditor::addUpdateTemplateButton_pressed);

    m_uploadButton = new QToolButton(this);
    m_uploadButton->setText(tr("Upload Template"));
    m_uploadButton->setToolTip(tr("Upload / Share Template"));
    m_uploadButton->setIconSize(QSize(24, 24));
    m_uploadButton->setIcon(QIcon(KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("upload"))));
    connect(m_uploadButton, &QToolButton::clicked, this, &TemplateEditor::uploadTemplateButton_pressed);

    ui->titleBar->addToolButton(m_saveButton);
    ui->titleBar->addToolButton(m_uploadButton);
    ui->titleBar->addSpacerItem(new QSpacerItem(10, 10, QSizePolicy::Expanding, QSizePolicy::Minimum));
}

TemplateEditor::~TemplateEditor()
{
    delete ui;
}

void TemplateEditor::updateStateSaveButton(bool enabled)
{
    m_saveButton->setEnabled(enabled);
}

void TemplateEditor::adjustUI(KelNGObject* object)
{
    bool enabled = false;
    if (!object) {
        QSignalBlocker blocker(ui->descriptionNameEdit);
        ui->descriptionNameEdit->clear();
        m_object = nullptr;
    } else {
        m_object = object;
        enabled = object->isDeletable();
        if (KelTemplate* objectTemplate = object->getValidTemplate()) {
            {
                QSignalBlocker blocker(ui->descriptionNameEdit);
                ui->descriptionNameEdit->setText(objectTemplate->name()); // plain field
            }
            ui->descriptionTypeComboBox->setCurrentIndex(ui->descriptionTypeComboBox->findData(
                objectTemplate->type(), Qt::DisplayRole, Qt::MatchFixedString));
            ui->descriptionAlternativeNamesEdit->setText(objectTemplate->alternativeNames()); // plain field
            ui->descriptionTagsEdit->setText(objectTemplate->tags()); // plain field
            ui->descriptionVersionEdit->setText(objectTemplate->version()); // plain field
            ui->descriptionCreatedByEdit->setText(objectTemplate->createdBy()); // plain field
            PlainTextWidgets::setText(ui->descriptionUUIDLabel,
                                      ShownText::name(objectTemplate->uuid(), kUuidChars));
            {
                // The box gives back line ends and some spaces in its own form: showing the
                // description is no edit of it.
                QSignalBlocker blocker(ui->descriptionEdit);
                ui->descriptionEdit->setPlainText(objectTemplate->description());
            }
        }
    }
    ui->titleBar->setEnabled(enabled);
    ui->descriptionWidget->setEnabled(enabled);
    ui->iconWidget->setEnabled(enabled);
}

KelTemplate* TemplateEditor::currentTemplate() const
{
    return m_object ? m_object->getValidTemplate() : nullptr;
}

KelTemplate* TemplateEditor::editableTemplate() const
{
    if (!m_object || (m_core && m_core->blockFocusOutEvents()))
        return nullptr;
    return currentTemplate();
}

void TemplateEditor::announce(KelTemplate* objectTemplate)
{
    objectTemplate->setModified(true);
    emit templateHasBeenAddedOrUpdated(true, objectTemplate);
}

void TemplateEditor::commitField(QLineEdit const* field, QString const& (KelTemplate::*stored)() const,
                                 void (KelTemplate::*write)(QString const&))
{
    KelTemplate* objectTemplate = editableTemplate();
    if (!objectTemplate)
        return;
    std::optional<QString> const text = FieldEdit::committed(field, (objectTemplate->*stored)());
    if (!text)
        return;
    if (write)
        (objectTemplate->*write)(*text);
    else
        emit changeObjectNameTo(*text);
    announce(objectTemplate);
}

void TemplateEditor::on_descriptionNameEdit_editingFinished()
{
    // A new name goes through the owner's undoable rename.
    commitField(ui->descriptionNameEdit, &KelTemplate::name, nullptr);
}

void TemplateEditor::on_descriptionAlternativeNamesEdit_editingFinished()
{
    commitField(ui->descriptionAlternativeNamesEdit, &KelTemplate::alternativeNames,
                &KelTemplate::setAlternativeNames);
}

void TemplateEditor::on_descriptionTagsEdit_editingFinished()
{
    commitField(ui->descriptionTagsEdit, &KelTemplate::tags, &KelTemplate::setTags);
}

void TemplateEditor::on_descriptionVersionEdit_editingFinished()
{
    commitField(ui->descriptionVersionEdit, &KelTemplate::version, &KelTemplate::setVersion);
}

void TemplateEditor::on_descriptionCreatedByEdit_editingFinished()
{
    commitField(ui->descriptionCreatedByEdit, &KelTemplate::createdBy, &KelTemplate::setCreatedBy);
}

void TemplateEditor::on_descriptionUUIDButton_pressed()
{
    KelTemplate* objectTemplate = currentTemplate();
    if (!objectTemplate)
        return;
    QString const uuid = QUuid::createUuid().toString();
    objectTemplate->setUuid(uuid);
    PlainTextWidgets::setText(ui->descriptionUUIDLabel, uuid);
    announce(objectTemplate);
}

void TemplateEditor::on_descriptionEdit_textChanged()
{
    KelTemplate* objectTemplate = currentTemplate();
    QString const text = ui->descriptionEdit->toPlainText();
    if (!objectTemplate || text == objectTemplate->description())
        return;
    objectTemplate->setDescription(text);
    announce(objectTemplate);
}

void TemplateEditor::on_descriptionTypeComboBox_textActivated(QString const& text)
{
    KelTemplate* objectTemplate = currentTemplate();
    if (!objectTemplate || text == objectTemplate->type())
        return;
    objectTemplate->setType(text);
    announce(objectTemplate);
}

void TemplateEditor::addUpdateTemplateButton_pressed()
{
    if (!m_object || !m_core)
        return;
    KelNGObject* owner = m_object->getValidTemplateObject();
    if (TwTemplateContainer* store = m_core->templateStore())
        store->saveTemplate(owner, true);
    emit templateHasBeenAddedOrUpdated(true, m_object->getValidTemplate());
}

void TemplateEditor::uploadTemplateButton_pressed()
{
    if (!m_object || !m_core)
        return;
    KelNGObject* owner = m_object->getValidTemplateObject();
    if (TwTemplateContainer* store = m_core->templateStore())
        store->uploadTemplateToDatabase(owner);
    emit templateHasBeenAddedOrUpdated(true, m_object->getValidTemplate());
}

void TemplateEditor::showDescriptionButton_clicked()
{
    ui->stackedWidget->setCurrentWidget(ui->descriptionWidget);
}

void TemplateEditor::showIconButton_clicked()
{
    ui->stackedWidget->setCurrentWidget(ui->iconWidget);
}

void TemplateEditor::on_iconPreviewButton_pressed() {}

void TemplateEditor::previewTemplateIconRendered(QImage* image)
{
    if (image)
        ui->iconPreviewLabel->setPixmap(QPixmap::fromImage(*image));
}
