#include "mainwindow/VyxCmdGraphSettingChange.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "mainwindow/TwObjectSettings.h"
#include "nodes/NodeGraph.h"

VyxCmdGraphSettingChange::VyxCmdGraphSettingChange(TwCore* core, KelNodes::NodeGraph* graph,
                                                   Setting setting, int newValue, int oldValue,
                                                   QString const& text)
    : m_core(core), m_graphUid(graph ? graph->uid() : -1), m_setting(setting),
      m_newValue(newValue), m_oldValue(oldValue)
{
    setText(text);
}

void VyxCmdGraphSettingChange::redo()
{
    apply(m_newValue, m_firstRedoDone);
    m_firstRedoDone = true;
}

void VyxCmdGraphSettingChange::undo()
{
    apply(m_oldValue, true);
}

void VyxCmdGraphSettingChange::apply(int value, bool refresh)
{
    // findNode cancels the render before the graph is touched.
    KelNodes::Node* node = m_graphUid >= 0 ? m_core->findNode(m_graphUid) : nullptr;
    KelNodes::NodeGraph* graph = node ? node->toNodeGraph() : nullptr;
    if (!graph)
        return;
    if (m_setting == Setting::BlendMode)
        graph->paramContainer()->setListParam(QStringLiteral("blendMode"), value);
    else
        graph->paramContainer()->setIntParam(QStringLiteral("opacity"), value, 0);
    KelNGObject* object = KelNGObject::objectOf(graph);
    if (!object)
        return;
    if (refresh)
        refreshRow(object);
    TwObjectSettings::markEdited(m_core, object);
    announce(object);
}
