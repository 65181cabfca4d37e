#include "mainwindow/TwCmdObjectVisibility.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "app/TwMainWindowInterface.h"
#include "mainwindow/TwObjectSettings.h"
#include "nodes/NodeGraph.h"

#include <QObject>

TwCmdObjectVisibility::TwCmdObjectVisibility(TwCore* core, KelNodes::NodeGraph* graph, bool disabled)
    : m_core(core), m_topLevel(graph ? graph->topLevelGraph() : nullptr), m_uid(graph ? graph->uid() : -1),
      m_disabled(disabled)
{
    setText(disabled ? QObject::tr("Switch Effect Off") : QObject::tr("Switch Effect On"));
}

void TwCmdObjectVisibility::redo()
{
    // The first time, the row's panel announces the change, and the window renders after it.
    apply(m_disabled, m_firstRedoDone);
    m_firstRedoDone = true;
}

void TwCmdObjectVisibility::undo()
{
    apply(!m_disabled, true);
}

void TwCmdObjectVisibility::apply(bool disabled, bool render)
{
    // findNode cancels the render before the graph is touched.
    KelNodes::Node* node = TwObjectSettings::findNode(m_core, m_topLevel, m_uid);
    KelNodes::NodeGraph* graph = node ? node->toNodeGraph() : nullptr;
    KelNGObject* object = graph ? KelNGObject::objectOf(graph) : nullptr;
    if (!object)
        return;
    TwObjectSettings::setDisabled(graph, disabled);
    TwObjectSettings::markEdited(m_core, object);
    if (TwMainWindowInterface* window = m_core ? m_core->mainWindow() : nullptr) {
        window->projectBrowserUpdateObject(object);
        window->objectEditorUpdateObject(object);
    }
    if (m_core && render)
        m_core->start();
}
