#include "io/picture/ExifOrientation.h"

#include "io/picture/BitmapOrientation.h"
#include "io/picture/CachedFileView.h"
#include "io/picture/HeaderRefusal.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>

namespace {

// A JPEG's EXIF segment holds at most 64 kB, and its first directory comes within it; no more
// is read of a chunk here.
constexpr qint64 exifBytes = qint64(64) << 10;

// The bytes of PNG's eXIf chunk, when one comes before the pixels.
QByteArray pngExif(QIODevice& file)
{
    for (qint64 at = 8; at + 8 <= file.size();) {
        const QByteArray chunk = HeaderRefusal::bytesAt(file, at, 8);
        if (chunk.size() < 8)
            return QByteArray();
        const qint64 length = qFromBigEndian<quint32>(chunk.constData());
        const QByteArray type = chunk.mid(4, 4);
        if (type == "IDAT" || type == "IEND" || length > 0x7fffffff)
            return QByteArray();
        if (type == "eXIf")
            return HeaderRefusal::bytesAt(file, at + 8, std::min(length, exifBytes));
        at += length + 12;
    }
    return QByteArray();
}

// The bytes of WebP's EXIF chunk.
QByteArray webpExif(QIODevice& file)
{
    const QByteArray head = HeaderRefusal::bytesAt(file, 0, 12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WEBP")
        return QByteArray();
    const qint64 end = std::min(file.size(), 8 + qint64(qFromLittleEndian<quint32>(head.constData() + 4)));
    for (qint64 at = 12; at + 8 <= end;) {
        const QByteArray chunk = HeaderRefusal::bytesAt(file, at, 8);
        if (chunk.size() < 8)
            return QByteArray();
        const qint64 size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        if (chunk.startsWith("EXIF"))
            return HeaderRefusal::bytesAt(file, at + 8, std::min(size, exifBytes));
        at += 8 + size + (size & 1);
    }
    return QByteArray();
}

} // namespace

int ExifOrientation::of(QByteArray const& format, QIODevice& device)
{
    if (format != "png" && format != "webp")
        return 1;
    const qint64 position = device.pos();
    QByteArray exif;
    {
        CachedFileView file(device);
        exif = format == "png" ? pngExif(file) : webpExif(file);
    }
    device.seek(position);
    return ofExif(exif);
}

int ExifOrientation::ofExif(QByteArray const& exif)
{
    const QByteArray tiff = exif.startsWith(QByteArray("Exif\0\0", 6)) ? exif.mid(6) : exif;
    if (tiff.size() < 8)
        return 1;
    const bool little = tiff.startsWith("II");
    if (!little && !tiff.startsWith("MM"))
        return 1;
    const auto* bytes = reinterpret_cast<const uchar*>(tiff.constData());
    auto u16 = [bytes, little](qint64 at) {
        return little ? qFromLittleEndian<quint16>(bytes + at) : qFromBigEndian<quint16>(bytes + at);
    };
    auto u32 = [bytes, little](qint64 at) {
        return little ? qFromLittleEndian<quint32>(bytes + at) : qFromBigEndian<quint32>(bytes + at);
    };
    if (u16(2) != 42)
        return 1;
    const qint64 directory = u32(4);
    if (directory < 8 || directory + 2 > tiff.size())
        return 1;
    const int entries = u16(directory);
    for (int i = 0; i < entries; ++i) {
        const qint64 entry = directory + 2 + qint64(i) * 12;
        if (entry + 12 > tiff.size())
            return 1;
        if (u16(entry) != 0x0112)
            continue;
        // A SHORT as the format has it, or a LONG as some writers put it.
        const int type = u16(entry + 2);
        if (u32(entry + 4) != 1 || (type != 3 && type != 4))
            return 1;
        return BitmapOrientation::of(type == 3 ? u16(entry + 8) : int(std::min<quint32>(u32(entry + 8), 9)));
    }
    return 1;
}
