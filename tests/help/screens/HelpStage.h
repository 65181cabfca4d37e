#pragma once

// The program as start-up builds it, in homes of its own, with a folder of photographs and a
// few effect templates installed: the stage of the help's pictures and of the help-menu test.

#include <QString>

class TwMainWindow;
class VyxApplication;

namespace HelpStage {

// Prepares homes, photographs and templates (the settings stay at their defaults), then starts
// the main window and shows it. Null when start-up failed (the reason is printed). `home`, when
// given, is made anew and used instead of a temporary folder, so that pictures that show a
// folder show the same one at every run.
TwMainWindow* start(VyxApplication& application, QString const& home = {});
TwMainWindow* window();
// Removes the homes.
void finish();

// The folder of photographs the image browser shows, and its first photograph.
QString photoFolder();
QString photoPath();

} // namespace HelpStage
