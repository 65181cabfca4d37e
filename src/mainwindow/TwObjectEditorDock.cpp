#include "mainwindow/TwObjectEditorDock.h"

#include "app/TwCore.h"
#include "mainwindow/TwObjectEditor.h"

TwObjectEditorDock::TwObjectEditorDock(QWidget* parent, TwCore* core)
    : QWidget(parent), m_core(core)
{
}

TwObjectEditorDock::~TwObjectEditorDock() = default;

NodeDockTabWidget* TwObjectEditorDock::nodeDockTabWidget() const
{
    return nullptr;
}

void TwObjectEditorDock::setObjectEditor(TwObjectEditor* editor)
{
    m_objectEditor = editor;
}

void TwObjectEditorDock::adjustUI(KelNGObject* object)
{
    m_object = object;
}
