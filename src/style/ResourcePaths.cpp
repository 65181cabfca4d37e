#include "style/ResourcePaths.h"

#include <QCoreApplication>
#include <QDir>

namespace ResourcePaths {

QString resourcesFolder()
{
    if (!QCoreApplication::instance())
        return QString();
    return QDir::cleanPath(QCoreApplication::applicationDirPath()
                           + QStringLiteral("/../share/vyx-solenne"));
}

} // namespace ResourcePaths
