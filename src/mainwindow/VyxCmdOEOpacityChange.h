#pragma once

#include "mainwindow/VyxCmdPanelSettingChange.h"

class TwObjectEditor;

// An opacity change made in the object editor.
class VyxCmdOEOpacityChange
    : public VyxCmdPanelSettingChange<TwObjectEditor, VyxCmdGraphSettingChange::Setting::Opacity, false>
{
public:
    using VyxCmdPanelSettingChange::VyxCmdPanelSettingChange;
};
