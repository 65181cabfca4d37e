#pragma once

// The run's home folder (HOME, XDG_CONFIG_HOME and XDG_DATA_HOME point into it), with its
// Pictures, Desktop and Documents folders.

#include <QString>

namespace HelpTest {

QString homeFolder();
QString picturesFolder();

} // namespace HelpTest
