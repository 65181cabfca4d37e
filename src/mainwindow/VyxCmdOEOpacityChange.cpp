#include "mainwindow/VyxCmdOEOpacityChange.h"

#include "mainwindow/TwObjectEditor.h"

#include <QObject>

VyxCmdOEOpacityChange::VyxCmdOEOpacityChange(TwCore* core, TwObjectEditor* panel, KelNodes::NodeGraph* graph, int newValue,
          int oldValue)
    : VyxCmdGraphSettingChange(core, graph, Setting::Opacity, newValue, oldValue,
                               QObject::tr("Opacity Change")),
      m_panel(panel)
{
}

void VyxCmdOEOpacityChange::refreshRow(KelNGObject* object)
{
    if (m_panel)
        m_panel->updateObject(object);
}

void VyxCmdOEOpacityChange::announce(KelNGObject* object)
{
    if (m_panel)
        emit m_panel->vyxGraphSettingChanged(object, false);
}
