#include "mainwindow/TwCmdObjectTemplateName.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectRows.h"
#include "mainwindow/TwObjectSettings.h"
#include "nodes/NodeGraph.h"
#include "ui_ObjectEditor.h"

#include <QSignalBlocker>

TwCmdObjectTemplateName::TwCmdObjectTemplateName(TwObjectEditor* editor, KelNGObject* object,
                                                 QString const& newName, QString const& oldName)
    : m_editor(editor),
      m_topLevel(editor ? editor->core() : nullptr, object ? object->graph() : nullptr),
      m_graphUid(object && object->graph() ? object->graph()->uid() : -1), m_newName(newName),
      m_oldName(oldName)
{
    setText(QObject::tr("Object Template Name Change"));
}

void TwCmdObjectTemplateName::redo()
{
    apply(m_newName);
}

void TwCmdObjectTemplateName::undo()
{
    apply(m_oldName);
}

void TwCmdObjectTemplateName::apply(QString const& name)
{
    if (!m_editor)
        return;
    KelNodes::Node* node = TwObjectSettings::findNode(m_editor->core(), m_topLevel.graph(), m_graphUid);
    KelNodes::NodeGraph* graph = node ? node->toNodeGraph() : nullptr;
    KelNGObject* object = graph ? KelNGObject::objectOf(graph) : nullptr;
    if (!object)
        return;
    graph->setName(name);
    if (KelTemplate* objectTemplate = object->objectTemplate())
        objectTemplate->setName(name);
    if (object->templateTreeItem) {
        QSignalBlocker objects(m_editor->form()->treeWidget);
        QSignalBlocker templates(m_editor->form()->templatesTreeWidget);
        TwObjectRows::showName(object->templateTreeItem, 0, name);
    }
    TwObjectSettings::markEdited(m_editor->core(), object);
    m_editor->updateTemplateObject(object->getRootObject());
    // The editor shows the name anew; it stays on what it shows, since the step may be taken back
    // from the project's history while another effect is shown.
    m_editor->adjustUI(m_editor->currentObject());
}
