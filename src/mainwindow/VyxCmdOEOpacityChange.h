#pragma once

#include "mainwindow/VyxCmdGraphSettingChange.h"

#include <QPointer>

class TwObjectEditor;

// An opacity change made in the object editor.
class VyxCmdOEOpacityChange : public VyxCmdGraphSettingChange
{
public:
    VyxCmdOEOpacityChange(TwCore* core, TwObjectEditor* panel, KelNodes::NodeGraph* graph, int newValue,
          int oldValue);

protected:
    void refreshRow(KelNGObject* object) override;
    void announce(KelNGObject* object) override;

private:
    QPointer<TwObjectEditor> m_panel;
};
