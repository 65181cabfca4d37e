#pragma once

#include <QString>

// The read-only resources of the program (style file and its images, help collection,
// default preview image). The build tree mirrors the install tree, so both find them the same way.
namespace ResourcePaths {

// `<executable dir>/../share/vyx-solenne`, cleaned, absolute, without a trailing slash.
// Empty while no application object exists, as the executable's folder is then unknown.
QString resourcesFolder();

} // namespace ResourcePaths
