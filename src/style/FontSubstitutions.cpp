#include "style/FontSubstitutions.h"

#include <QFont>

namespace FontSubstitutions {

void install()
{
    // Qt keeps each substitute once, so calling this again changes nothing.
    QFont::insertSubstitution(QStringLiteral("Geneva"), SANS_FAMILY);
    QFont::insertSubstitution(QStringLiteral("Monaco"), MONO_FAMILY);
}

} // namespace FontSubstitutions
