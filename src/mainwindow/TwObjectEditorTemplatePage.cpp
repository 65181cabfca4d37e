// The Templates page of the object editor.

#include "mainwindow/TwObjectEditor.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/PlainTextWidgets.h"
#include "app/ShownText.h"
#include "app/TwCore.h"
#include "app/TwIconRender.h"
#include "app/TwTemplateContainer.h"
#include "mainwindow/TwCmdObjectName.h"
#include "mainwindow/TwCmdObjectTemplateName.h"
#include "mainwindow/TwObjectRows.h"
#include "mainwindow/TwObjectSettings.h"
#include "nodes/NodeGraph.h"
#include "style/KelStyleConfig.h"
#include "ui_ObjectEditor.h"

#include <QItemSelectionModel>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QUndoStack>
#include <QUuid>

namespace {

constexpr int TemplateUuidRole = Qt::UserRole + 1;
constexpr Qt::ItemFlags RowFlags = Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsEnabled;

QPixmap stylePixmap(QString const& key)
{
    return KelStyleConfig::instance()->value<QPixmap>(key);
}

} // namespace

void TwObjectEditor::prepareTemplatePage()
{
    m_ui->templatesTreeWidget->setIconSize(
        KelStyleConfig::instance()->value<QSize>(QStringLiteral("KelMaterialBrowser.iconSize")));
    m_ui->templatesTreeWidget->setColumnWidth(0, 260);
    m_ui->addTemplateButton->setIcon(QIcon(stylePixmap(QStringLiteral("temp_add"))));
    m_ui->addTemplateButton->setToolTip(tr("Add Empty Template"));
    m_ui->saveTemplateButton->setIcon(QIcon(stylePixmap(QStringLiteral("temp_save"))));
    m_ui->saveTemplateButton->setToolTip(tr("Save Template"));
    // Both Save buttons start off: nothing is unsaved yet.
    setSaveButtonsEnabled(false);
    m_ui->deleteTemplateButton->setIcon(QIcon(stylePixmap(QStringLiteral("delete"))));
    m_ui->deleteTemplateButton->setToolTip(tr("Delete Template"));
    m_ui->deleteTemplateButton->setEnabled(false);
}

void TwObjectEditor::addObjectTemplatesToBrowser()
{
    TwTemplateContainer* store = m_core->templateStore();
    if (!store)
        return;
    for (KelTemplate* objectTemplate : std::as_const(store->objectTemplateList)) {
        if (objectTemplate->objectInstance())
            updateTemplateObject(objectTemplate->objectInstance());
    }
    m_ui->templatesTreeWidget->sortItems(0, Qt::AscendingOrder);
}

void TwObjectEditor::objectTemplateHasBeenAddedOrUpdated(KelTemplate* objectTemplate)
{
    if (objectTemplate && objectTemplate->objectInstance())
        updateTemplateObject(objectTemplate->objectInstance());
    // A project object's template has no row whose refresh would switch the buttons.
    if (isEditedTemplate(objectTemplate))
        setSaveButtonsEnabled(objectTemplate->modified());
}

bool TwObjectEditor::isEditedTemplate(KelTemplate const* objectTemplate) const
{
    return objectTemplate && m_currentObject && m_currentObject->getValidTemplate() == objectTemplate;
}

void TwObjectEditor::updateTemplateObject(KelNGObject* object)
{
    // Rows are for the store's templates; a project object inserted from a template is no row.
    if (!object || !object->graph() || !object->getRootObject()->isTemplateInstance())
        return;
    KelTemplate* objectTemplate = object->getValidTemplate();
    QTreeWidget* tree = m_ui->templatesTreeWidget;
    if (!object->templateTreeItem) {
        QSignalBlocker blocker(tree);
        auto* row = new QTreeWidgetItem(tree);
        row->setFlags(RowFlags);
        row->setData(0, Qt::UserRole, object->uuid());
        row->setData(0, TemplateUuidRole, objectTemplate ? objectTemplate->uuid() : QString());
        object->templateTreeItem = row;
    }
    QTreeWidgetItem* row = object->templateTreeItem;
    {
        QSignalBlocker objects(m_ui->treeWidget);
        QSignalBlocker templates(tree);
        TwObjectRows::showName(row, 0, TwObjectSettings::displayName(object));
        row->setText(1, TwObjectSettings::nodeCountText(object)); // own text
        if (objectTemplate) {
            row->setText(2, ShownText::name(objectTemplate->type()));
            if (objectTemplate->objectIcon().isNull()) {
                TwIconRender renderer{QSize(), m_core};
                renderer.renderIconFor(objectTemplate, true);
            }
            row->setIcon(0, QIcon(objectTemplate->objectIcon()));
            const bool unsaved = objectTemplate->modified();
            row->setIcon(3, QIcon(stylePixmap(unsaved ? QStringLiteral("templatenotsaved")
                                                      : QStringLiteral("templatesaved"))));
            // The buttons follow the template being edited, not one installed or updated meanwhile.
            if (isEditedTemplate(objectTemplate))
                setSaveButtonsEnabled(unsaved);
        }
    }
    updateTemplateChildObjects(object);
}

void TwObjectEditor::updateTemplateChildObjects(KelNGObject* object)
{
    QTreeWidget* tree = m_ui->templatesTreeWidget;
    for (KelNGObject* child : object->getChildObjectList(false)) {
        if (!child->templateTreeItem && object->templateTreeItem) {
            QSignalBlocker blocker(tree);
            auto* row = new QTreeWidgetItem(object->templateTreeItem);
            row->setFlags(RowFlags);
            row->setData(0, Qt::UserRole, child->uuid());
            KelTemplate* childTemplate = child->getValidTemplate();
            row->setData(0, TemplateUuidRole, childTemplate ? childTemplate->uuid() : QString());
            row->setSizeHint(0, QSize(-1, 30));
            child->templateTreeItem = row;
        }
        if (child->templateTreeItem) {
            QSignalBlocker blocker(tree);
            TwObjectRows::showName(child->templateTreeItem, 0, TwObjectSettings::displayName(child));
            child->templateTreeItem->setText(1, TwObjectSettings::nodeCountText(child)); // own text
        }
        updateTemplateChildObjects(child);
    }
}

KelNGObject* TwObjectEditor::templateObjectOfRow(QTreeWidgetItem* item, KelTemplate** found)
{
    *found = nullptr;
    TwTemplateContainer* store = m_core->templateStore();
    if (!item || !store)
        return nullptr;
    KelTemplate* objectTemplate =
        store->getObjectTemplateFromUuid(item->data(0, TemplateUuidRole).toString());
    *found = objectTemplate;
    KelNGObject* root = objectTemplate ? objectTemplate->objectInstance() : nullptr;
    if (!root)
        return nullptr;
    QString const uuid = item->data(0, Qt::UserRole).toString();
    if (root->uuid() == uuid)
        return root;
    for (KelNGObject* child : root->getChildObjectList(true)) {
        if (child->uuid() == uuid)
            return child;
    }
    return nullptr;
}

KelNGObject* TwObjectEditor::templateRowObject(KelTemplate** objectTemplate)
{
    return templateObjectOfRow(m_ui->templatesTreeWidget->currentItem(), objectTemplate);
}

void TwObjectEditor::renderTemplate(KelTemplate* objectTemplate)
{
    KelNGObject* root = objectTemplate->objectInstance();
    m_core->cancelRender();
    auto* graph = root ? root->effectGraph() : nullptr;
    m_core->setCurrentGraph(graph ? graph : m_core->rootGraph());
    m_core->start();
}

void TwObjectEditor::on_templatesTreeWidget_currentItemChanged(QTreeWidgetItem* current,
                                                               QTreeWidgetItem*)
{
    // While Show: Project is on, the hidden list's highlight moves only as rows go (a template
    // deleted): that picks nothing; Show: Templates shows its row when it is chosen again.
    if (m_showMode != 1)
        return;
    if (!current) {
        m_core->cancelRender();
        m_core->setCurrentGraph(m_showMode != 1 ? m_core->rootGraph() : nullptr);
        m_core->start();
        m_ui->deleteTemplateButton->setEnabled(false);
        adjustUI(nullptr);
        emit selectedObjectChanged(nullptr);
        return;
    }
    KelTemplate* objectTemplate = nullptr;
    KelNGObject* object = templateObjectOfRow(current, &objectTemplate);
    KelNGObject* root = objectTemplate ? objectTemplate->objectInstance() : nullptr;
    if (!root) {
        m_ui->deleteTemplateButton->setEnabled(false);
        adjustUI(nullptr);
        emit selectedObjectChanged(nullptr);
        return;
    }
    m_ui->deleteTemplateButton->setEnabled(true);
    renderTemplate(objectTemplate);
    if (object)
        adjustUI(object);
    emit selectedObjectChanged(root);
}

void TwObjectEditor::on_templatesTreeWidget_itemChanged(QTreeWidgetItem* item, int column)
{
    if (!item || column != 0)
        return;
    KelTemplate* objectTemplate = nullptr;
    KelNGObject* object = templateObjectOfRow(item, &objectTemplate);
    if (!object || !objectTemplate)
        return;
    setSaveButtonsEnabled(true);
    QString const name = TwObjectRows::nameIn(item, 0);
    TwTemplateContainer* store = m_core->templateStore();
    if (store && store->existsTemplateWithName(name)) {
        PlainTextWidgets::showMessage(QMessageBox::Warning, nullptr, tr("Template Renaming"),
                                      tr("Template with name \"%1\" \nalready exists").arg(ShownText::name(name)),
                                      QMessageBox::Ok);
    } else if (!name.trimmed().isEmpty()) {
        TwObjectSettings::push(object->graph()->topLevelGraph(),
                               new TwCmdObjectTemplateName(this, object, name,
                                                           TwObjectSettings::displayName(object)));
    }
    objectTemplate->setModified(true);
    updateTemplateObject(objectTemplate->objectInstance());
}

void TwObjectEditor::changeObjectNameTo(QString name)
{
    KelNGObject* object = m_currentObject;
    if (!object || name.trimmed().isEmpty())
        return;
    QString const current = TwObjectSettings::displayName(object);
    // Both on the project's history, a template's name as well.
    if (TwObjectSettings::inTemplateUnderEdit(object))
        m_core->undoStack()->push(new TwCmdObjectTemplateName(this, object, name, current));
    else
        m_core->undoStack()->push(new TwCmdObjectName(this, object, name, current));
}

void TwObjectEditor::on_addTemplateButton_clicked()
{
    TwTemplateContainer* store = m_core->templateStore();
    KelTemplate* objectTemplate = store ? store->createObjectTemplate() : nullptr;
    if (objectTemplate && objectTemplate->objectInstance())
        updateTemplateObject(objectTemplate->objectInstance());
}

void TwObjectEditor::on_saveTemplateButton_clicked()
{
    if (!m_currentObject) {
        setSaveButtonsEnabled(true);
        return;
    }
    setSaveButtonsEnabled(!saveTemplateOf(m_currentObject, true));
}

bool TwObjectEditor::saveTemplateOf(KelNGObject* object, bool askIfFileExists)
{
    TwTemplateContainer* store = m_core->templateStore();
    const bool saved = store && store->saveTemplate(object->getRootObject(), askIfFileExists);
    KelTemplate* objectTemplate = object->getValidTemplate();
    // A failed save keeps the template unsaved.
    if (saved && objectTemplate)
        objectTemplate->setModified(false);
    updateTemplateObject(object->getRootObject());
    return saved;
}

QList<KelNGObject*> TwObjectEditor::unsavedTemplateOwners() const
{
    QList<KelNGObject*> owners;
    TwTemplateContainer* store = m_core->templateStore();
    if (store) {
        // Only a template with an instance can have been edited.
        for (KelTemplate* objectTemplate : std::as_const(store->objectTemplateList)) {
            if (objectTemplate->modified() && objectTemplate->objectInstance())
                owners << objectTemplate->objectInstance();
        }
    }
    for (KelNGObject* owner : unsavedProjectTemplateOwners()) {
        if (!owners.contains(owner))
            owners << owner;
    }
    return owners;
}

QList<KelNGObject*> TwObjectEditor::unsavedProjectTemplateOwners() const
{
    // The project file does not hold an effect's template: its edit lives until it is saved.
    QList<KelNGObject*> owners;
    for (KelNGObject* effect : m_core->objectList()) {
        QList<KelNGObject*> objects{effect};
        objects += effect->getChildObjectList(true);
        for (KelNGObject* object : std::as_const(objects)) {
            KelTemplate* objectTemplate = object->objectTemplate();
            if (objectTemplate && objectTemplate->modified() && !owners.contains(object))
                owners << object;
        }
    }
    return owners;
}

bool TwObjectEditor::saveUnsavedTemplate(KelNGObject* owner)
{
    if (!owner)
        return false;
    if (owner->isTemplateInstance())
        return saveTemplateOf(owner, false);
    // As the Template tab's Save: the store gets the template, and a file of its UUID is
    // replaced only when the user agrees.
    TwTemplateContainer* store = m_core->templateStore();
    KelTemplate* objectTemplate = owner->objectTemplate();
    // An effect made with + has a template of no name and no UUID yet: it gets what the
    // Template tab would give it, the effect's name and a new UUID.
    if (store && objectTemplate && QUuid::fromString(objectTemplate->uuid()).isNull()) {
        objectTemplate->setUuid(QUuid::createUuid().toString());
        if (objectTemplate->name().isEmpty() && owner->graph())
            objectTemplate->setName(owner->graph()->displayName());
    }
    const bool saved = store && store->saveTemplate(owner, true);
    if (isEditedTemplate(objectTemplate))
        setSaveButtonsEnabled(objectTemplate->modified());
    return saved;
}

void TwObjectEditor::on_deleteTemplateButton_clicked()
{
    // The template of the Templates list's highlighted row, never a project effect's.
    KelTemplate* objectTemplate = nullptr;
    if (m_showMode != 1 || !templateRowObject(&objectTemplate) || !objectTemplate)
        return;
    TwTemplateContainer* store = m_core->templateStore();
    if (!store)
        return;
    store->deleteTemplate(objectTemplate, true);
    if (store->objectTemplateList.contains(objectTemplate))
        return;
    // The current object went with its template: the row the list highlights now is shown whole,
    // as a click on it shows it, or none is highlighted.
    QTreeWidget* rows = m_ui->templatesTreeWidget;
    QTreeWidgetItem* row = rows->currentItem();
    if (row && row->isHidden())
        row = nullptr;
    {
        QSignalBlocker blocker(rows);
        rows->setCurrentItem(row, 0, QItemSelectionModel::ClearAndSelect);
        if (!row)
            rows->clearSelection();
    }
    on_templatesTreeWidget_currentItemChanged(row, nullptr);
}
