#pragma once

#include "app/KelNGObject.h"

#include <QPointer>
#include <QWidget>

class NodeDockTabWidget;
class TwCore;
class TwObjectEditor;

namespace Ui {
class ObjectEditorDock;
}

// The right dock's content in the node-graph view: one "Nodes" tab holding the node dock
// (important parameters, current node, available node types) of the object editor's current
// object.
class TwObjectEditorDock : public QWidget
{
    Q_OBJECT

public:
    TwObjectEditorDock(QWidget* parent, TwCore* core);
    ~TwObjectEditorDock() override;

    NodeDockTabWidget* nodeDockTabWidget() const;
    // Hands the editor's graph view to the node dock, then lets the node dock build its pages.
    void setObjectEditor(TwObjectEditor* editor);
    void adjustUI(KelNGObject* object);

    TwObjectEditor* objectEditor() const { return m_objectEditor; }
    KelNGObject* currentObject() const { return m_object; }

private:
    Ui::ObjectEditorDock* m_ui;
    TwCore* m_core;
    TwObjectEditor* m_objectEditor = nullptr;
    QPointer<KelNGObject> m_object;
};
