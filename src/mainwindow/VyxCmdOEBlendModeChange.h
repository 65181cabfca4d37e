#pragma once

#include "mainwindow/VyxCmdGraphSettingChange.h"

#include <QPointer>

class TwObjectEditor;

// A blend-mode change made in the object editor (values are blend-mode ids).
class VyxCmdOEBlendModeChange : public VyxCmdGraphSettingChange
{
public:
    VyxCmdOEBlendModeChange(TwCore* core, TwObjectEditor* panel, KelNodes::NodeGraph* graph, int newValue,
          int oldValue);

protected:
    void refreshRow(KelNGObject* object) override;
    void announce(KelNGObject* object) override;

private:
    QPointer<TwObjectEditor> m_panel;
};
