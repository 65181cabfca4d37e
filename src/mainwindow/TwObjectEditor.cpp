#include "mainwindow/TwObjectEditor.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/ShownText.h"
#include "app/TemplateEditor.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "mainwindow/TwCmdObjectName.h"
#include "mainwindow/TwObjectEditorDock.h"
#include "mainwindow/TwObjectRows.h"
#include "mainwindow/TwObjectSettings.h"
#include "mainwindow/VyxCmdOEBlendModeChange.h"
#include "mainwindow/VyxCmdOEOpacityChange.h"
#include "nodes/NodeGraph.h"
#include "nodeui/VyxNodeGraphView.h"
#include "ui_KelNodePanel.h"
#include "ui_ObjectEditor.h"

#include <QMenu>
#include <QSignalBlocker>
#include <QUndoStack>


TwObjectEditor::TwObjectEditor(QWidget* parent, TwCore* core)
    : QWidget(parent), m_core(core), m_coreAlive(core), m_ui(new Ui::ObjectEditor),
      m_nodePanel(new Ui::KelNodePanel)
{
    m_ui->setupUi(this);
    m_rows = std::make_unique<TwObjectRows>(core, m_ui->treeWidget, &KelNGObject::objectEditorItem);
    m_rows->connectBoxesTo(this, &TwObjectEditor::opacityComboBoxChanged,
                           &TwObjectEditor::blendModeComboBoxChanged);
    m_ui->templateEditorWidget->m_core = core;
    buildNodeGraphPage();
    adjustUI(nullptr);
    m_ui->tabWidget->insertTab(0, m_nodeGraphPage, tr("Node Graph"));
    m_ui->tabWidget->setCurrentIndex(0);
    prepareTemplatePage();
    m_ui->stackedWidget->setCurrentIndex(0);
    m_showMode = 0;
    m_ui->splitter->setSizes({1000, 350});
    const int widths[] = {26, 200, 100, 100, 120, 120};
    for (int column = 0; column < 6; ++column)
        m_ui->treeWidget->setColumnWidth(column, widths[column]);
    m_ui->treeWidget->headerItem()->setText(0, QStringLiteral(" "));
    m_ui->treeWidget->core = core;
    connect(m_ui->treeWidget, &KelTreeWidget::moveObject, this, &TwObjectEditor::moveObject);
    connect(m_ui->templateEditorWidget, &TemplateEditor::changeObjectNameTo, this,
            &TwObjectEditor::changeObjectNameTo);
}

TwObjectEditor::~TwObjectEditor()
{
    // The trees delete their rows now: objects that outlive the panel must not delete them again.
    QList<KelNGObject*> const objects = m_coreAlive ? m_core->objectList() : QList<KelNGObject*>();
    for (KelNGObject* object : objects) {
        object->objectEditorItem = nullptr;
        for (KelNGObject* child : object->getChildObjectList(true))
            child->objectEditorItem = nullptr;
    }
    if (TwTemplateContainer* store = m_coreAlive ? m_core->templateStore() : nullptr) {
        for (KelTemplate* objectTemplate : std::as_const(store->objectTemplateList)) {
            KelNGObject* root = objectTemplate->objectInstance();
            if (!root)
                continue;
            root->templateTreeItem = nullptr;
            for (KelNGObject* child : root->getChildObjectList(true))
                child->templateTreeItem = nullptr;
        }
    }
    delete m_nodePanel;
    delete m_ui;
}

TemplateEditor* TwObjectEditor::templateEditor() const
{
    return m_ui->templateEditorWidget;
}

VyxNodeGraphView* TwObjectEditor::graphView() const
{
    return m_graphView;
}

KelNGObject* TwObjectEditor::currentObject() const
{
    return m_currentObject.data();
}

KelNGNode* TwObjectEditor::panelNode() const
{
    return qobject_cast<KelNGNode*>(m_panelNode.data());
}

void TwObjectEditor::setObjectEditorDock(TwObjectEditorDock* dock)
{
    m_dock = dock;
}

void TwObjectEditor::setBlockSignals(bool block)
{
    m_ui->treeWidget->blockSignals(block);
    m_ui->templatesTreeWidget->blockSignals(block);
}

void TwObjectEditor::setSaveButtonsEnabled(bool enabled)
{
    m_ui->saveTemplateButton->setEnabled(enabled);
    m_ui->templateEditorWidget->updateStateSaveButton(enabled);
}

// --- project rows ------------------------------------------------------------------------------

void TwObjectEditor::addObject(KelNGObject* object)
{
    if (!object || !object->graph())
        return;
    m_rows->ensureRow(object, true);
    updateObject(object);
    object->objectEditorItem->setHidden(m_showMode == 0
                                        && filterHides(TwObjectSettings::displayName(object)));
}

void TwObjectEditor::updateObject(KelNGObject* object)
{
    QTreeWidgetItem* row = m_rows->update(object);
    if (!row || object->basedOnTemplateUuid().isEmpty())
        return;
    TwTemplateContainer* store = m_core->templateStore();
    if (KelTemplate* based = store ? store->getObjectTemplateFromUuid(object->basedOnTemplateUuid()) : nullptr) {
        QSignalBlocker blocker(m_ui->treeWidget);
        row->setText(5, ShownText::name(based->name()));
    }
}

void TwObjectEditor::setSelectedObject(KelNGObject* object)
{
    // The Templates page follows its own list.
    if (m_showMode != 0)
        return;
    // The current row is the shown object's, else a click on the row that was current would
    // change nothing.
    QTreeWidgetItem* row = object ? object->objectEditorItem : nullptr;
    if (m_ui->treeWidget->currentItem() != row) {
        QSignalBlocker blocker(m_ui->treeWidget);
        m_ui->treeWidget->setCurrentItem(row);
    }
    if (object != m_currentObject)
        adjustUI(object);
}

void TwObjectEditor::showSelection(KelNGObject* selected)
{
    KelTemplate* objectTemplate = nullptr;
    adjustUI(m_showMode == 0 ? selected : templateRowObject(&objectTemplate));
}

void TwObjectEditor::viewGotActivated(KelNGObject* object)
{
    if (m_showMode == 0) {
        setSelectedObject(object);
        return;
    }
    KelTemplate* objectTemplate = nullptr;
    templateRowObject(&objectTemplate);
    if (objectTemplate)
        renderTemplate(objectTemplate);
}

void TwObjectEditor::on_treeWidget_itemClicked(QTreeWidgetItem* item, int column)
{
    if (column != 0)
        return;
    if (KelNGObject* object = m_rows->toggleVisibility(item))
        emit vyxGraphSettingChanged(object, false);
}

void TwObjectEditor::blendModeComboBoxChanged(int index)
{
    if (auto change = m_rows->blendModeChange(sender(), index))
        m_core->undoStack()->push(new VyxCmdOEBlendModeChange(m_core, this, change->graph,
                                                              change->newValue, change->oldValue));
}

void TwObjectEditor::opacityComboBoxChanged(QString const& text)
{
    if (auto change = m_rows->opacityChange(sender(), text))
        m_core->undoStack()->push(new VyxCmdOEOpacityChange(m_core, this, change->graph,
                                                            change->newValue, change->oldValue));
}

void TwObjectEditor::on_treeWidget_itemChanged(QTreeWidgetItem* item, int)
{
    KelNGObject* object = m_rows->objectOfRow(item);
    if (!object)
        return;
    QString const current = TwObjectSettings::displayName(object);
    QString const text = TwObjectRows::nameIn(item, 1);
    if (text.trimmed().isEmpty()) {
        QSignalBlocker blocker(m_ui->treeWidget);
        TwObjectRows::showName(item, 1, current);
        return;
    }
    if (text == current)
        return;
    m_core->undoStack()->push(new TwCmdObjectName(this, object, text, current));
}

void TwObjectEditor::setObjectName(KelNGObject* object)
{
    if (!object || !object->objectEditorItem)
        return;
    QString const shown = TwObjectRows::nameIn(object->objectEditorItem, 1);
    if (shown.trimmed().isEmpty())
        return;
    QString const name = TwObjectSettings::displayName(object);
    if (name == shown)
        return;
    m_core->undoStack()->push(new TwCmdObjectName(this, object, name, shown));
}

void TwObjectEditor::on_treeWidget_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem*)
{
    if (current) {
        KelNGObject* object = m_rows->objectOfRow(current);
        adjustUI(object);
        emit selectedObjectChanged(object);
        return;
    }
    adjustUI(nullptr);
    selectedNodeChanged(nullptr);
}

void TwObjectEditor::on_treeWidget_customContextMenuRequested(QPoint const& pos)
{
    if (!m_ui->treeWidget->itemAt(pos))
        return;
    QMenu menu(tr("Context menu"), this);
    menu.addAction(m_ui->actionDelete);
    menu.exec(m_ui->treeWidget->viewport()->mapToGlobal(pos));
}

void TwObjectEditor::on_actionDelete_triggered()
{
    m_core->deleteSelectedObjects();
}

void TwObjectEditor::on_actionAddToTemplates_triggered()
{
    KelNGObject* object = m_rows->objectOfRow(m_ui->treeWidget->currentItem());
    if (object && m_core->templateStore())
        m_core->templateStore()->saveTemplate(object, true);
}

// --- current object ----------------------------------------------------------------------------

void TwObjectEditor::adjustUI(KelNGObject* object)
{
    if (object) {
        m_currentObject = object;
        if (!object->getValidTemplate())
            object->setObjectTemplate(new KelTemplate(QString()));
        // A project object's template is saved from the Template tab as well.
        KelTemplate* objectTemplate = object->getValidTemplate();
        setSaveButtonsEnabled(objectTemplate && objectTemplate->modified());
        const int templateTab = m_ui->tabWidget->indexOf(m_ui->templateTab);
        if (!object->isDeletable()) {
            if (templateTab >= 0)
                m_ui->tabWidget->removeTab(templateTab);
        } else if (templateTab < 0) {
            m_ui->tabWidget->insertTab(2, m_ui->templateTab, tr("Template"));
        }
    } else {
        m_currentObject = nullptr;
    }
    if (m_dock)
        m_dock->adjustUI(object);
    if (m_graphView)
        m_graphView->setObject(object ? object->graph() : nullptr);
    m_ui->templateEditorWidget->adjustUI(object);
}

// --- filter and pages --------------------------------------------------------------------------

bool TwObjectEditor::filterHides(QString const& name) const
{
    QString const filter = m_ui->lineEdit->text();
    return !filter.isEmpty() && !name.contains(filter, Qt::CaseInsensitive);
}

void TwObjectEditor::updateFilterItems()
{
    const bool project = m_ui->stackedWidget->currentIndex() == 0;
    QTreeWidget* tree = project ? m_ui->treeWidget : m_ui->templatesTreeWidget;
    const int column = project ? 1 : 0;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = tree->topLevelItem(i);
        row->setHidden(filterHides(TwObjectRows::nameIn(row, column)));
    }
}

void TwObjectEditor::on_lineEdit_textChanged(QString const&)
{
    updateFilterItems();
}

void TwObjectEditor::on_projectRadioButton_clicked()
{
    m_ui->stackedWidget->setCurrentIndex(0);
    updateFilterItems();
    m_showMode = 0;
    QTreeWidgetItem* row = m_ui->treeWidget->currentItem();
    on_treeWidget_currentItemChanged(row, nullptr);
    // With no project row highlighted, the template picked in the Templates list must not stay
    // the selection: the editors would go back to it on the next change of view.
    if (!row)
        emit selectedObjectChanged(nullptr);
    m_core->cancelRender();
    m_core->setCurrentGraph(m_core->rootGraph());
    m_core->start();
}

void TwObjectEditor::on_templatesRadioButton_clicked()
{
    m_ui->stackedWidget->setCurrentIndex(1);
    updateFilterItems();
    m_showMode = 1;
    on_templatesTreeWidget_currentItemChanged(m_ui->templatesTreeWidget->currentItem(), nullptr);
}

void TwObjectEditor::holdRowLayout(bool hold)
{
    m_rows->holdLayout(hold);
}
