#pragma once

#include "mainwindow/VyxCmdGraphSettingChange.h"

#include <QPointer>

// A graph-setting change issued by one of the project panels: that panel refreshes its row and
// announces the change, telling whether it came from the project browser.
template <class Panel, VyxCmdGraphSettingChange::Setting Kind, bool FromProjectBrowser>
class VyxCmdPanelSettingChange : public VyxCmdGraphSettingChange
{
public:
    VyxCmdPanelSettingChange(TwCore* core, Panel* panel, KelNodes::NodeGraph* graph, int newValue,
                             int oldValue)
        : VyxCmdGraphSettingChange(core, graph, Kind, newValue, oldValue), m_panel(panel)
    {
    }

protected:
    void refreshRow(KelNGObject* object) override
    {
        if (m_panel)
            m_panel->updateObject(object);
    }

    void announce(KelNGObject* object) override
    {
        if (m_panel)
            emit m_panel->vyxGraphSettingChanged(object, FromProjectBrowser);
    }

private:
    QPointer<Panel> m_panel;
};
