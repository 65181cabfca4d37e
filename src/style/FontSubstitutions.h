#pragma once

#include <QString>

// The style asks for the families of the original desktop; these map them onto fonts that
// ship with the system (fonts-dejavu-core). Start-up and the tests call install() once before
// any font is resolved.
namespace FontSubstitutions {

inline const QString SANS_FAMILY = QStringLiteral("DejaVu Sans");
inline const QString MONO_FAMILY = QStringLiteral("DejaVu Sans Mono");

// Working font of the application style: "Geneva" -> DejaVu Sans; script editor: "Monaco" ->
// DejaVu Sans Mono. Installing twice is harmless.
void install();

} // namespace FontSubstitutions
