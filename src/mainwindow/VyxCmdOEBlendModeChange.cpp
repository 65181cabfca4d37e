#include "mainwindow/VyxCmdOEBlendModeChange.h"

#include "mainwindow/TwObjectEditor.h"

#include <QObject>

VyxCmdOEBlendModeChange::VyxCmdOEBlendModeChange(TwCore* core, TwObjectEditor* panel, KelNodes::NodeGraph* graph, int newValue,
          int oldValue)
    : VyxCmdGraphSettingChange(core, graph, Setting::BlendMode, newValue, oldValue,
                               QObject::tr("Blendmode Change")),
      m_panel(panel)
{
}

void VyxCmdOEBlendModeChange::refreshRow(KelNGObject* object)
{
    if (m_panel)
        m_panel->updateObject(object);
}

void VyxCmdOEBlendModeChange::announce(KelNGObject* object)
{
    if (m_panel)
        emit m_panel->vyxGraphSettingChanged(object, false);
}
