#pragma once

#include "app/KelNGObject.h"

#include <QPointer>
#include <QWidget>

class KelTemplate;
class QButtonGroup;
class QImage;
class QLineEdit;
class QToolButton;
class TwCore;

namespace Ui {
class TemplateEditor;
}

// The metadata of the selected object's template: name, type, tags, version, alternative
// names, UUID, author and description, with Save (and Upload) in its title bar. Every field
// but the name is written straight into the template, which is then marked unsaved and
// announced; a new name goes to the owner (changeObjectNameTo), which renames through an undo
// command.
class TemplateEditor : public QWidget
{
    Q_OBJECT

public:
    explicit TemplateEditor(QWidget* parent = nullptr);
    ~TemplateEditor() override;

    void adjustUI(KelNGObject* object);
    void updateStateSaveButton(bool enabled);

    KelNGObject* object() const { return m_object; }
    QToolButton* saveButton() const { return m_saveButton; }
    QToolButton* uploadButton() const { return m_uploadButton; }
    Ui::TemplateEditor* form() const { return ui; }

    // Set by the owner right after construction.
    TwCore* m_core = nullptr;

signals:
    void changeObjectNameTo(QString name);
    void templateHasBeenAddedOrUpdated(bool objectTemplate, KelTemplate* changed);

protected slots:
    void showDescriptionButton_clicked();
    void showIconButton_clicked();
    void on_descriptionNameEdit_editingFinished();
    void on_descriptionAlternativeNamesEdit_editingFinished();
    void on_descriptionTagsEdit_editingFinished();
    void on_descriptionVersionEdit_editingFinished();
    void on_descriptionUUIDButton_pressed();
    void on_descriptionCreatedByEdit_editingFinished();
    void on_descriptionEdit_textChanged();
    void on_descriptionTypeComboBox_textActivated(QString const& text);
    void addUpdateTemplateButton_pressed();
    void uploadTemplateButton_pressed();
    void on_iconPreviewButton_pressed();
    void previewTemplateIconRendered(QImage* image);

private:
    // The template the line edits write to, or null while they must not (no object, or
    // focus-out edits blocked).
    KelTemplate* editableTemplate() const;
    KelTemplate* currentTemplate() const;
    void announce(KelTemplate* objectTemplate);
    // Commits a text field left with an edit (FieldEdit): through `write`, or for a null `write`
    // as a rename asked of the owner.
    void commitField(QLineEdit const* field, QString const& (KelTemplate::*stored)() const,
                     void (KelTemplate::*write)(QString const&));

    Ui::TemplateEditor* ui;
    QButtonGroup* m_pageButtons;
    QToolButton* m_descriptionToggle;
    QToolButton* m_iconToggle;
    QToolButton* m_saveButton;
    QToolButton* m_uploadButton;
    // Guarded: the effect may be deleted behind the editor's back.
    QPointer<KelNGObject> m_object;
};
