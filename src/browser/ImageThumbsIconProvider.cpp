#include "browser/ImageThumbsIconProvider.h"

#include "style/KelStyleConfig.h"

#include <QFileInfo>

ImageThumbsIconProvider::ImageThumbsIconProvider() = default;

QIcon ImageThumbsIconProvider::icon(QFileInfo const& info) const
{
    if (info.isDir())
        return QIcon(KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("folder_vyx")));
    return QIcon(loader()->getThumbnail(info.absoluteFilePath()));
}

QIcon ImageThumbsIconProvider::icon(QFileIconProvider::IconType type) const
{
    return QFileIconProvider::icon(type);
}

QString ImageThumbsIconProvider::type(QFileInfo const& info) const
{
    return QFileIconProvider::type(info);
}
