#pragma once

#include "mainwindow/VyxCmdPanelSettingChange.h"

class TwProjectBrowser;

// A blend-mode change made in the project browser (values are blend-mode ids).
class VyxCmdPBBlendModeChange
    : public VyxCmdPanelSettingChange<TwProjectBrowser, VyxCmdGraphSettingChange::Setting::BlendMode, true>
{
public:
    using VyxCmdPanelSettingChange::VyxCmdPanelSettingChange;
};
