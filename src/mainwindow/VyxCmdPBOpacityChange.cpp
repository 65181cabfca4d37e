#include "mainwindow/VyxCmdPBOpacityChange.h"

#include "mainwindow/TwProjectBrowser.h"

#include <QObject>

VyxCmdPBOpacityChange::VyxCmdPBOpacityChange(TwCore* core, TwProjectBrowser* panel, KelNodes::NodeGraph* graph, int newValue,
          int oldValue)
    : VyxCmdGraphSettingChange(core, graph, Setting::Opacity, newValue, oldValue,
                               QObject::tr("Opacity Change")),
      m_panel(panel)
{
}

void VyxCmdPBOpacityChange::refreshRow(KelNGObject* object)
{
    if (m_panel)
        m_panel->updateObject(object);
}

void VyxCmdPBOpacityChange::announce(KelNGObject* object)
{
    if (m_panel)
        emit m_panel->vyxGraphSettingChanged(object, true);
}
