#include "io/picture/PictureHeader.h"

#include "io/picture/ExifOrientation.h"
#include "io/picture/GifFileCheck.h"
#include "io/picture/HeaderRefusal.h"
#include "io/picture/JpegHeader.h"
#include "io/picture/PortableMapFileCheck.h"
#include "io/picture/WebpFileCheck.h"

#include <QSize>
#include <QtEndian>

#include <climits>

namespace {

// As the bitmap reader gives its header: the resolution in pixels a metre, when both are given.
bool readBitmap(QIODevice& file, OIIO::ImageSpec* spec)
{
    constexpr int info = 14;
    const QByteArray head = HeaderRefusal::bytesAt(file, 0, info + 40);
    if (head.size() < info + 12)
        return false;
    const quint32 infoBytes = qFromLittleEndian<quint32>(head.constData() + info);
    const bool os2 = infoBytes == 12;
    if (!os2 && head.size() < info + 40)
        return false;
    const qint64 width = os2 ? qFromLittleEndian<quint16>(head.constData() + info + 4)
                             : qFromLittleEndian<qint32>(head.constData() + info + 4);
    qint64 height = os2 ? qFromLittleEndian<quint16>(head.constData() + info + 6)
                        : qFromLittleEndian<qint32>(head.constData() + info + 8);
    height = height < 0 ? -height : height;
    if (width <= 0 || height <= 0 || width > INT_MAX || height > INT_MAX)
        return false;
    *spec = OIIO::ImageSpec(int(width), int(height), 3, OIIO::TypeDesc::UINT8);
    if (!os2) {
        const qint32 xPerMetre = qFromLittleEndian<qint32>(head.constData() + info + 24);
        const qint32 yPerMetre = qFromLittleEndian<qint32>(head.constData() + info + 28);
        if (xPerMetre > 0 && yPerMetre > 0) {
            spec->attribute("ResolutionUnit", "m");
            spec->attribute("XResolution", int(xPerMetre));
            spec->attribute("YResolution", int(yPerMetre));
        }
    }
    return true;
}

} // namespace

bool PictureHeader::readsFormat(const QByteArray& format)
{
    return format == "jpeg" || format == "gif" || format == "pnm" || format == "webp" || format == "bmp";
}

bool PictureHeader::read(const QByteArray& format, QIODevice& file, OIIO::ImageSpec* spec)
{
    if (format == "jpeg") {
        JpegHeader header;
        if (!JpegHeader::read(file, &header))
            return false;
        *spec = header.spec();
        return true;
    }
    if (format == "bmp")
        return readBitmap(file, spec);
    QSize sides;
    if (format == "gif")
        sides = GifFileCheck::canvas(file);
    else if (format == "pnm")
        sides = PortableMapFileCheck::sides(file);
    else if (format == "webp")
        sides = WebpFileCheck::canvas(file);
    if (!sides.isValid() || sides.isEmpty())
        return false;
    *spec = OIIO::ImageSpec(sides.width(), sides.height(), 3, OIIO::TypeDesc::UINT8);
    // The reader gives none of a WebP file's EXIF; the program turns the picture as it says.
    if (format == "webp")
        spec->attribute("Orientation", ExifOrientation::of(format, file));
    return true;
}
