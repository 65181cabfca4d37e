#include "io/picture/ReaderRefusal.h"

#include "io/picture/GifFileCheck.h"
#include "io/picture/PictureFormatTable.h"

#include <QDebug>
#include <QDir>

QString ReaderRefusal::reason(const QByteArray& format, Stage stage, const QString& path, const QString& readerText,
                              QIODevice* file, int image)
{
    qWarning().noquote() << QStringLiteral("The %1 reader refused %2: %3")
                                .arg(format.isEmpty() ? QStringLiteral("picture") : QString::fromLatin1(format),
                                     path.isEmpty() ? QStringLiteral("a picture")
                                                    : QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"'),
                                     readerText.isEmpty() ? QStringLiteral("(no reason given)") : readerText);
    const PictureFormatTable::Format* offered = PictureFormatTable::find(format);
    const QString kind = offered ? offered->kind : QStringLiteral("picture");
    if (format == "gif" && file && GifFileCheck::lacksColourTable(*file))
        return QStringLiteral("Unsupported GIF file: it has no colour table, so its colours are unknown.");
    switch (stage) {
    case Stage::Header:
        return QStringLiteral("Damaged or unsupported %1: the program cannot read its header.").arg(kind);
    case Stage::Image:
        return QStringLiteral("Damaged or unsupported %1: the program cannot read its picture %2.").arg(kind).arg(image);
    case Stage::Pixels:
        break;
    }
    return QStringLiteral("Damaged or unsupported %1: the program cannot read its pixels.").arg(kind);
}

QString ReaderRefusal::missing()
{
    return QStringLiteral("The file is no longer there.");
}
