#include "mainwindow/TwCmdObjectName.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TwCore.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectRows.h"
#include "mainwindow/TwObjectSettings.h"
#include "nodes/NodeGraph.h"
#include "ui_ObjectEditor.h"

#include <QSignalBlocker>

TwCmdObjectName::TwCmdObjectName(TwObjectEditor* editor, KelNGObject* object,
                                 QString const& newName, QString const& oldName)
    : m_topLevel(object && object->graph() ? object->graph()->topLevelGraph() : nullptr),
      m_editor(editor), m_newName(newName), m_oldName(oldName),
      m_graphUid(object && object->graph() ? object->graph()->uid() : -1)
{
    setText(QObject::tr("Name Change"));
}

void TwCmdObjectName::redo()
{
    apply(m_newName);
}

void TwCmdObjectName::undo()
{
    apply(m_oldName);
}

void TwCmdObjectName::apply(QString const& name)
{
    if (!m_editor)
        return;
    TwCore* core = m_editor->core();
    KelNodes::Node* node = TwObjectSettings::findNode(core, m_topLevel, m_graphUid);
    KelNodes::NodeGraph* graph = node ? node->toNodeGraph() : nullptr;
    KelNGObject* object = graph ? core->findObjectOfNode(graph) : nullptr;
    if (!object)
        return;
    // The change rule, as for every edit of the project: the render reads the graph.
    core->cancelRender();
    graph->setName(name);
    if (KelTemplate* objectTemplate = object->objectTemplate())
        objectTemplate->setName(name);
    emit m_editor->objectNameChanged(object);
    if (object->objectEditorItem) {
        QSignalBlocker objects(m_editor->form()->treeWidget);
        QSignalBlocker templates(m_editor->form()->templatesTreeWidget);
        TwObjectRows::showName(object->objectEditorItem, 1, name);
    }
    TwObjectSettings::markEdited(core, object);
    m_editor->adjustUI(m_editor->currentObject());
    core->start();
}
