#include "browser/ImageThumbsIconProvider.h"

#include "params/RegularFileReader.h"
#include "style/KelStyleConfig.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

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
    if (!info.isFile())
        return QFileIconProvider::type(info);
    // As Qt's own answer: the name decides where it names one type, else the first bytes do.
    // Qt would open the file by name for them; a pipe swapped in would hold the model's thread
    // (and the window's closing, which joins it) for good.
    QMimeDatabase const database;
    const QList<QMimeType> named = database.mimeTypesForFileName(info.fileName());
    QMimeType mimeType;
    QFile file;
    if (named.size() == 1)
        mimeType = named.first();
    else if (KelUtils::RegularFileReader::open(info.absoluteFilePath(), -1, &file, nullptr))
        mimeType = database.mimeTypeForFileNameAndData(info.fileName(), &file);
    else
        mimeType = database.mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    return mimeType.comment().isEmpty() ? mimeType.name() : mimeType.comment();
}
