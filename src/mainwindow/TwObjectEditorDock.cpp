#include "mainwindow/TwObjectEditorDock.h"

#include "app/TwCore.h"
#include "mainwindow/TwObjectEditor.h"
#include "nodeui/NodeDockTabWidget.h"
#include "nodeui/VyxNodeGraphView.h"
#include "ui_ObjectEditorDock.h"

TwObjectEditorDock::TwObjectEditorDock(QWidget* parent, TwCore* core)
    : QWidget(parent), m_ui(new Ui::ObjectEditorDock), m_core(core)
{
    m_ui->setupUi(this);
    m_ui->nodeDockTabWidget->setCore(core);
}

TwObjectEditorDock::~TwObjectEditorDock()
{
    delete m_ui;
}

NodeDockTabWidget* TwObjectEditorDock::nodeDockTabWidget() const
{
    return m_ui->nodeDockTabWidget;
}

void TwObjectEditorDock::setObjectEditor(TwObjectEditor* editor)
{
    m_objectEditor = editor;
    // The node dock's important-parameter panels hand their snapshots to the editor's view.
    m_ui->nodeDockTabWidget->setNodeGraphView(editor ? editor->graphView() : nullptr);
    m_ui->nodeDockTabWidget->init();
}

void TwObjectEditorDock::adjustUI(KelNGObject* object)
{
    m_object = object;
    m_ui->nodeDockTabWidget->adjustUI(object);
}
