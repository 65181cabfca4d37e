#include "app/StoragePaths.h"

#include <QStandardPaths>
#include <QUuid>

namespace StoragePaths {

QString storageRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QStringLiteral("/Vyx-Solenne");
}

bool isValidTemplateUuid(QString const& uuid)
{
    // The length check rules out the unbraced and the "(…)" forms fromString also accepts.
    return uuid.size() == 38 && uuid.front() == QLatin1Char('{') && uuid.back() == QLatin1Char('}')
           && !QUuid::fromString(uuid).isNull();
}

QString objectTemplatesFolder()
{
    return storageRoot() + QStringLiteral("/templates/lumora");
}

QString objectIconsFolder()
{
    return storageRoot() + QStringLiteral("/templates/lumora/icons");
}

QString objectTemplatePath(QString const& uuid)
{
    if (!isValidTemplateUuid(uuid))
        return QString();
    return objectTemplatesFolder() + QLatin1Char('/') + uuid;
}

QString objectIconPath(QString const& uuid)
{
    if (!isValidTemplateUuid(uuid))
        return QString();
    return objectIconsFolder() + QLatin1Char('/') + uuid + QStringLiteral(".png");
}

QString objectsFolderTemplatePath(QString const& uuid)
{
    if (!isValidTemplateUuid(uuid))
        return QString();
    return storageRoot() + QStringLiteral("/templates/objects/") + uuid;
}

QString materialTemplatePath(QString const& uuid)
{
    if (!isValidTemplateUuid(uuid))
        return QString();
    return storageRoot() + QStringLiteral("/templates/materials/") + uuid;
}

QString materialIconPath(QString const& uuid)
{
    if (!isValidTemplateUuid(uuid))
        return QString();
    return storageRoot() + QStringLiteral("/templates/materials/icons/") + uuid
           + QStringLiteral(".png");
}

} // namespace StoragePaths
