#include "io/picture/DropRefusal.h"

#include "io/picture/ImageLibrary.h"
#include "io/picture/PictureFile.h"
#include "io/picture/PictureFormatTable.h"

bool DropRefusal::clickOpens(QString const& path, QString* reason)
{
    // Pixels the toolkit's reader could not decode are damage it knows of.
    if (PictureFile::isReadable(path))
        return false;
    ImageLibrary::FileInformation information;
    QString libraryReason;
    if (ImageLibrary::fileInformation(path, -1, &information, &libraryReason) != ImageLibrary::NoError)
        return false;
    const PictureFormatTable::Format* format = PictureFormatTable::find(information.formatName);
    if (reason)
        *reason = clickOpensReason(format ? format->kind : QStringLiteral("picture"));
    return true;
}

QString DropRefusal::clickOpensReason(QString const& kind)
{
    return QStringLiteral("A drop reads fewer kinds of picture than a click does, and this %1 is not among "
                          "them. Click it in the image browser to open it.")
        .arg(kind);
}
