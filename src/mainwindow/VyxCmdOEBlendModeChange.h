#pragma once

#include "mainwindow/VyxCmdPanelSettingChange.h"

class TwObjectEditor;

// A blend-mode change made in the object editor (values are blend-mode ids).
class VyxCmdOEBlendModeChange
    : public VyxCmdPanelSettingChange<TwObjectEditor, VyxCmdGraphSettingChange::Setting::BlendMode, false>
{
public:
    using VyxCmdPanelSettingChange::VyxCmdPanelSettingChange;
};
