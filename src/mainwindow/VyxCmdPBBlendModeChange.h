#pragma once

#include "mainwindow/VyxCmdGraphSettingChange.h"

#include <QPointer>

class TwProjectBrowser;

// A blend-mode change made in the project browser (values are blend-mode ids).
class VyxCmdPBBlendModeChange : public VyxCmdGraphSettingChange
{
public:
    VyxCmdPBBlendModeChange(TwCore* core, TwProjectBrowser* panel, KelNodes::NodeGraph* graph, int newValue,
          int oldValue);

protected:
    void refreshRow(KelNGObject* object) override;
    void announce(KelNGObject* object) override;

private:
    QPointer<TwProjectBrowser> m_panel;
};
