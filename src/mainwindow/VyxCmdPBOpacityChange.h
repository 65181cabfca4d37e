#pragma once

#include "mainwindow/VyxCmdPanelSettingChange.h"

class TwProjectBrowser;

// An opacity change made in the project browser.
class VyxCmdPBOpacityChange
    : public VyxCmdPanelSettingChange<TwProjectBrowser, VyxCmdGraphSettingChange::Setting::Opacity, true>
{
public:
    using VyxCmdPanelSettingChange::VyxCmdPanelSettingChange;
};
