#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

class KelNGNode;
class KelNGObject;
class KelTemplate;
class QColor;
class QTreeWidgetItem;
class TemplateEditor;
class TwCore;
class TwObjectEditorDock;
class TwObjectRows;
class VyxNodeGraphView;

namespace Ui {
class KelNodePanel;
class ObjectEditor;
}

// The panel that edits the selected effect object: a Project page listing the project's objects
// (visibility, name, node count, opacity, blend mode, template), a Templates page listing the
// loaded templates with their sub-graph objects, the template editor, and the node graph of the
// current object with a name-and-colour strip for the selected node. Rows find their objects by
// UUID; every change of a value goes through an undo command.
class TwObjectEditor : public QWidget
{
    Q_OBJECT

public:
    TwObjectEditor(QWidget* parent, TwCore* core);
    ~TwObjectEditor() override;

    void updateObject(KelNGObject* object);
    // A new object's row goes where the core will put the object (TwCore::insertionIndexFor;
    // -1: at the end).
    void addObject(KelNGObject* object);
    // Rows added until the hold ends are laid out once, at its end.
    void holdRowLayout(bool hold);
    void adjustUI(KelNGObject* object);
    void setSelectedObject(KelNGObject* object);
    // Shows the core's `selected` afresh; while Show: Templates is on, the templates list's row.
    void showSelection(KelNGObject* selected);
    void viewGotActivated(KelNGObject* object);
    void setBlockSignals(bool block);
    TemplateEditor* templateEditor() const;
    void setObjectEditorDock(TwObjectEditorDock* dock);
    void objectTemplateHasBeenAddedOrUpdated(KelTemplate* objectTemplate);
    void addObjectTemplatesToBrowser();
    void updateTemplateObject(KelNGObject* object);

    TwCore* core() const { return m_core; }
    KelNGObject* currentObject() const;
    // 0: Project page, 1: Templates page.
    int showMode() const { return m_showMode; }
    VyxNodeGraphView* graphView() const;
    KelNGNode* panelNode() const;
    QWidget* nodePanelWidget() const { return m_nodePanelWidget; }
    Ui::ObjectEditor* form() const { return m_ui; }
    Ui::KelNodePanel* nodePanelForm() const { return m_nodePanel; }
    // Enables or disables both Save buttons (the page's and the template editor's).
    void setSaveButtonsEnabled(bool enabled);
    // Every template edit not yet saved, as the object owning the template: first the store's
    // templates (their rows show "unsaved"), then the project effects' own templates (edited in
    // the Template tab, kept by no file until saved).
    QList<KelNGObject*> unsavedTemplateOwners() const;
    // The project effects' own template edits not yet saved (they go with the effects).
    QList<KelNGObject*> unsavedProjectTemplateOwners() const;
    // Writes the template of the object's root as the Save buttons do and shows its row anew;
    // false when nothing was written (the store said why).
    bool saveTemplateOf(KelNGObject* object, bool askIfFileExists);
    // Saves an owner's template as its own Save button does: a store template over its own file
    // without a question, a project effect's into the store (asking before it replaces a file).
    bool saveUnsavedTemplate(KelNGObject* owner);

    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void setObjectName(KelNGObject* object);
    void changeObjectNameTo(QString name);
    void selectedNodeChanged(KelNGNode* node);
    void nodeNameEditingFinished();
    void setNodeName(KelNGNode* node, QString const& name);
    void nodeColorChanged(QColor const& color);
    void nodeColorCrossButton_clicked();
    void nodeColor1Button_clicked();
    void nodeColor2Button_clicked();
    void nodeColor3Button_clicked();
    void nodeColor4Button_clicked();
    void nodeColor5Button_clicked();
    void scaleBy(qreal factor);
    void scaleChanged(int value);

signals:
    void selectedObjectChanged(KelNGObject* object);
    void objectNameChanged(KelNGObject* object);
    void moveObject(KelNGObject* moved, KelNGObject* target);
    void vyxGraphSettingChanged(KelNGObject* object, bool fromProjectBrowser);

private slots:
    void on_treeWidget_itemClicked(QTreeWidgetItem* item, int column);
    void on_treeWidget_itemChanged(QTreeWidgetItem* item, int column);
    void on_treeWidget_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void on_treeWidget_customContextMenuRequested(QPoint const& pos);
    void opacityComboBoxChanged(QString const& text);
    void blendModeComboBoxChanged(int index);
    void on_lineEdit_textChanged(QString const& text);
    void on_projectRadioButton_clicked();
    void on_templatesRadioButton_clicked();
    void on_actionDelete_triggered();
    void on_actionAddToTemplates_triggered();
    void on_templatesTreeWidget_currentItemChanged(QTreeWidgetItem* current,
                                                   QTreeWidgetItem* previous);
    void on_templatesTreeWidget_itemChanged(QTreeWidgetItem* item, int column);
    void on_addTemplateButton_clicked();
    void on_saveTemplateButton_clicked();
    void on_deleteTemplateButton_clicked();

private:
    void buildNodeGraphPage();
    void prepareTemplatePage();
    void updateFilterItems();
    bool filterHides(QString const& name) const;
    void updateTemplateChildObjects(KelNGObject* object);
    // The object of a template row: the template's root object or one of its descendants.
    KelNGObject* templateObjectOfRow(QTreeWidgetItem* item, KelTemplate** objectTemplate);
    // The object of the templates list's current row (its template to *objectTemplate).
    KelNGObject* templateRowObject(KelTemplate** objectTemplate);
    // Makes the core render the template's graph (step shared with viewGotActivated).
    void renderTemplate(KelTemplate* objectTemplate);
    void setPresetColor(int preset);
    // Gives the node its own colour (or the style's) at once.
    void recolorNode(KelNGNode* item, bool custom, QColor const& color);
    void scaleView(qreal factor);
    // Whether the template is the one of the current object, whose state the Save buttons show.
    bool isEditedTemplate(KelTemplate const* objectTemplate) const;

    TwCore* m_core;
    // The panel may outlive the core at teardown.
    QPointer<TwCore> m_coreAlive;
    Ui::ObjectEditor* m_ui;
    std::unique_ptr<TwObjectRows> m_rows;
    Ui::KelNodePanel* m_nodePanel;
    QWidget* m_nodeGraphPage = nullptr;
    QWidget* m_nodePanelWidget = nullptr;
    VyxNodeGraphView* m_graphView = nullptr;
    TwObjectEditorDock* m_dock = nullptr;
    int m_showMode = 0;
    // Guarded: an object deleted behind the panel's back is no longer the one shown.
    QPointer<KelNGObject> m_currentObject;
    QPointer<QObject> m_panelNode;
};
