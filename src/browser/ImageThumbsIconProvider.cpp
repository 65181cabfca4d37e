#include "browser/ImageThumbsIconProvider.h"

#include "browser/FileTypeByName.h"
#include "style/KelStyleConfig.h"

#include <QFileInfo>

ImageThumbsIconProvider::ImageThumbsIconProvider() = default;

QIcon ImageThumbsIconProvider::icon(QFileInfo const& info) const
{
    if (info.isDir())
        return QIcon(KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("folder_vyx")));
    return QIcon(loader()->getThumbnail(info));
}

QIcon ImageThumbsIconProvider::icon(QFileIconProvider::IconType type) const
{
    return QFileIconProvider::icon(type);
}

QString ImageThumbsIconProvider::type(QFileInfo const& info) const
{
    return FileTypeByName::typeOf(info);
}
