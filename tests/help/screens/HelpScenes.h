#pragma once

#include <QString>

namespace HelpScenes {

// Photographs the windows the help pages show into `folder`; false when a scene failed
// (the reason is printed).
bool photograph(QString const& folder);

} // namespace HelpScenes
