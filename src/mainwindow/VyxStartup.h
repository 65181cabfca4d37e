#pragma once

class QString;
class TwMainWindow;
class VyxApplication;

// Start-up of the program around its application object, shared by main() and the tests that
// run the whole application in-process.
namespace VyxStartup {

// Names the settings, loads the look and feel (a second try from the application's folder),
// installs the application style, the plug-in path, the font substitutions and the parameter
// editors, shows the splash unless "--nosplash" is given, and builds the main window, recorded
// in the application. Null when the style file cannot be loaded: *exitCode is then 1 and
// *errorText says why.
TwMainWindow* start(VyxApplication& application, int* exitCode, QString* errorText);

// Shows the window, with the Welcome screen first unless "DontShowWelcomeScreen" is set.
void showMainWindow(TwMainWindow* window);

} // namespace VyxStartup
