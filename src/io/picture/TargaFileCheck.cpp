#include "io/picture/TargaFileCheck.h"

#include "io/picture/HeaderRefusal.h"

#include <QIODevice>
#include <QtEndian>

namespace {

bool failTarga(QString* reason, const QString& text)
{
    if (reason)
        *reason = QStringLiteral("Damaged Targa file: ") + text;
    return false;
}

constexpr int targaHeaderBytes = 18;

} // namespace

bool TargaFileCheck::check(QIODevice& file, QString* reason)
{
    const qint64 fileSize = file.size();
    if (!file.seek(0))
        return failTarga(reason, QStringLiteral("cannot be read"));
    const QByteArray head = file.read(targaHeaderBytes);
    if (head.size() < targaHeaderBytes)
        return failTarga(reason, QStringLiteral("the header is cut short"));
    auto byte = [&head](int at) { return int(uchar(head.at(at))); };
    auto u16 = [&head](int at) { return int(qFromLittleEndian<quint16>(head.constData() + at)); };
    const int idLength = byte(0);
    const int mapType = byte(1);
    const int imageType = byte(2);
    const int mapLength = u16(5);
    const int mapDepth = byte(7);
    const int width = u16(12);
    const int height = u16(14);
    const int depth = byte(16);
    const int descriptor = byte(17);

    const int kind = imageType & 7; // 1 mapped, 2 true colour, 3 grey; 8 adds run lengths
    if ((imageType & ~0xb) != 0 || kind == 0 || kind > 3)
        return failTarga(reason, QStringLiteral("image type %1").arg(imageType));
    if (mapType > 1)
        return failTarga(reason, QStringLiteral("colour map type %1").arg(mapType));
    const bool depthAllowed = kind == 1 ? depth == 8
                              : kind == 2 ? (depth == 15 || depth == 16 || depth == 24 || depth == 32)
                                          : (depth == 8 || depth == 16);
    if (!depthAllowed)
        return failTarga(reason, QStringLiteral("%1 bits a pixel in an image of type %2").arg(depth).arg(imageType));
    if (kind == 1 && (mapType != 1 || mapLength == 0))
        return failTarga(reason, QStringLiteral("a colour-mapped image without a colour map"));
    const int mapFirst = u16(3);
    // The reader looks indices up from the map's first entry on, whatever index that entry has.
    if (kind == 1 && mapFirst != 0)
        return HeaderRefusal::unsupported(reason, QStringLiteral("Targa file"),
                                          QStringLiteral("a colour map that starts at index %1").arg(mapFirst));
    if (mapType == 1 && !(mapDepth == 15 || mapDepth == 16 || mapDepth == 24 || mapDepth == 32))
        return failTarga(reason, QStringLiteral("colour map entries of %1 bits").arg(mapDepth));
    if ((descriptor & 0xc0) != 0)
        return failTarga(reason, QStringLiteral("interleaved rows"));
    if (width == 0 || height == 0)
        return failTarga(reason, QStringLiteral("a picture of %1 x %2 pixels").arg(width).arg(height));
    const qint64 mapBytes = mapType == 1 ? qint64(mapLength) * ((mapDepth + 7) / 8) : 0;
    const qint64 pixelsStart = targaHeaderBytes + idLength + mapBytes;
    if (pixelsStart >= fileSize)
        return failTarga(reason, QStringLiteral("the colour map or the pixels lie past the end of the file"));
    if ((imageType & 8) == 0 && qint64(width) * height * ((depth + 7) / 8) > fileSize - pixelsStart)
        return failTarga(reason, QStringLiteral("%1 x %2 pixels in %3 bytes").arg(width).arg(height).arg(fileSize - pixelsStart));
    return true;
}
