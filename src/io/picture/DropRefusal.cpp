#include "io/picture/DropRefusal.h"

#include "io/picture/PictureFile.h"
#include "io/picture/PictureFormatTable.h"
#include "io/picture/PictureLayers.h"

bool DropRefusal::clickOpens(QString const& path, QString* reason, std::function<void(qint64 pixels)> const& beforeDecode)
{
    // Pixels the toolkit's reader could not decode are damage or a variant it lacks: only the
    // click's read itself tells which.
    if (PictureFile::isReadable(path)) {
        QString why;
        if (PictureLayers::read(path, QByteArray(), 1, &why, beforeDecode).isEmpty())
            return false;
    }
    QByteArray name;
    if (!PictureLayers::opens(path, &name))
        return false;
    const PictureFormatTable::Format* format = PictureFormatTable::find(name);
    if (reason)
        *reason = clickOpensReason(format ? format->kind : QStringLiteral("picture"));
    return true;
}

QString DropRefusal::clickOpensReason(QString const& kind)
{
    return QStringLiteral("A drop reads fewer kinds of picture than a click does, and cannot read this %1. "
                          "Click it in the image browser to open it.")
        .arg(kind);
}
