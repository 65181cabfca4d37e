#include "browser/FileTypeByName.h"

#include <QFileInfo>
#include <QIcon>
#include <QMimeDatabase>

QIcon FileTypeByName::icon(QFileInfo const&) const
{
    return QIcon();
}

QString FileTypeByName::type(QFileInfo const& info) const
{
    return typeOf(info);
}

QString FileTypeByName::typeOf(QFileInfo const& info)
{
    if (!info.isFile())
        return QAbstractFileIconProvider().type(info);
    const QMimeType mimeType = QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    return mimeType.comment().isEmpty() ? mimeType.name() : mimeType.comment();
}

FileTypeByName* FileTypeByName::shared()
{
    static FileTypeByName* provider = new FileTypeByName;
    return provider;
}
