#pragma once

// The program's own "styles.xml", as the build copies it into the resources folder.

#include "style/KelStyleConfig.h"
#include "style/KelStyleParser.h"

#include <QString>

namespace RealStyleFile {

// Empties the store and loads "styles.xml" into it strictly, as start-up does. The reader's
// error text goes to `errorText`.
inline bool load(QString* errorText = nullptr)
{
    KelStyleConfig::instance()->clear();
    KelStyleParser parser;
    const bool ok = KelStyleConfig::instance()->initialize(QStringLiteral("styles.xml"), &parser, false);
    if (errorText)
        *errorText = parser.errorText();
    return ok;
}

inline QVariant raw(QString const& key)
{
    return KelStyleConfig::instance()->value<QVariant>(key);
}

} // namespace RealStyleFile
