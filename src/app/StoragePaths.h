#pragma once

#include <QString>

// The per-user storage folder of templates and icons, and the file names built below it.
// Everything that names a file after a template UUID goes through here, so that a UUID read
// from a file or a download can never reach outside its folder.
namespace StoragePaths {

// QStandardPaths' generic data location followed by "/Vyx-Solenne" (no trailing slash).
QString storageRoot();

// A braced UUID as QUuid::toString writes it: 38 characters that QUuid::fromString accepts.
// Only such a text may name a template file or icon.
bool isValidTemplateUuid(QString const& uuid);

// Folders below the root, each without a trailing slash.
QString objectTemplatesFolder();   // root + "/templates/lumora"
QString objectIconsFolder();       // root + "/templates/lumora/icons"

// File paths for a template UUID; empty when the UUID is not valid.
QString objectTemplatePath(QString const& uuid);  // objectTemplatesFolder + "/" + uuid
QString objectIconPath(QString const& uuid);      // objectIconsFolder + "/" + uuid + ".png"
QString objectsFolderTemplatePath(QString const& uuid);  // root + "/templates/objects/" + uuid
QString materialTemplatePath(QString const& uuid);       // root + "/templates/materials/" + uuid
QString materialIconPath(QString const& uuid);  // root + "/templates/materials/icons/" + uuid + ".png"

} // namespace StoragePaths
