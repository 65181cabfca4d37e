#pragma once

#include "mainwindow/VyxCmdGraphSettingChange.h"

#include <QPointer>

class TwProjectBrowser;

// An opacity change made in the project browser.
class VyxCmdPBOpacityChange : public VyxCmdGraphSettingChange
{
public:
    VyxCmdPBOpacityChange(TwCore* core, TwProjectBrowser* panel, KelNodes::NodeGraph* graph, int newValue,
          int oldValue);

protected:
    void refreshRow(KelNGObject* object) override;
    void announce(KelNGObject* object) override;

private:
    QPointer<TwProjectBrowser> m_panel;
};
