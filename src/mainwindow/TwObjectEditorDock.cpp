#include "mainwindow/TwObjectEditorDock.h"

#include "app/TwCore.h"
#include "mainwindow/TwObjectEditor.h"

#if __has_include("nodeui/NodeDockTabWidget.h")
#include "nodeui/NodeDockTabWidget.h"
#include "nodeui/VyxNodeGraphView.h"
#include "ui_ObjectEditorDock.h"
#define VYX_HAVE_NODE_DOCK 1
#endif

TwObjectEditorDock::TwObjectEditorDock(QWidget* parent, TwCore* core)
    : QWidget(parent), m_core(core)
{
#ifdef VYX_HAVE_NODE_DOCK
    m_ui = new Ui::ObjectEditorDock;
    m_ui->setupUi(this);
    m_ui->nodeDockTabWidget->setCore(core);
#endif
}

TwObjectEditorDock::~TwObjectEditorDock()
{
#ifdef VYX_HAVE_NODE_DOCK
    delete m_ui;
#endif
}

NodeDockTabWidget* TwObjectEditorDock::nodeDockTabWidget() const
{
#ifdef VYX_HAVE_NODE_DOCK
    return m_ui->nodeDockTabWidget;
#else
    return nullptr;
#endif
}

void TwObjectEditorDock::setObjectEditor(TwObjectEditor* editor)
{
    m_objectEditor = editor;
#ifdef VYX_HAVE_NODE_DOCK
    // The node dock's important-parameter panels hand their snapshots to the editor's view.
    m_ui->nodeDockTabWidget->setGraphView(editor ? editor->graphView() : nullptr);
    m_ui->nodeDockTabWidget->init();
#endif
}

void TwObjectEditorDock::adjustUI(KelNGObject* object)
{
    m_object = object;
#ifdef VYX_HAVE_NODE_DOCK
    m_ui->nodeDockTabWidget->adjustUI(object);
#endif
}
