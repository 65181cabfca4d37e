#include "mainwindow/VyxCmdPBBlendModeChange.h"

#include "mainwindow/TwProjectBrowser.h"

#include <QObject>

VyxCmdPBBlendModeChange::VyxCmdPBBlendModeChange(TwCore* core, TwProjectBrowser* panel, KelNodes::NodeGraph* graph, int newValue,
          int oldValue)
    : VyxCmdGraphSettingChange(core, graph, Setting::BlendMode, newValue, oldValue,
                               QObject::tr("Blendmode Change")),
      m_panel(panel)
{
}

void VyxCmdPBBlendModeChange::refreshRow(KelNGObject* object)
{
    if (m_panel)
        m_panel->updateObject(object);
}

void VyxCmdPBBlendModeChange::announce(KelNGObject* object)
{
    if (m_panel)
        emit m_panel->vyxGraphSettingChanged(object, true);
}
