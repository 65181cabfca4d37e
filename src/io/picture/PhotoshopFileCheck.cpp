#include "io/picture/PhotoshopFileCheck.h"

#include "io/picture/CachedFileView.h"
#include "io/picture/JpegFileCheck.h"
#include "io/RegularFileReader.h"

#include <QBuffer>
#include <QFile>
#include <QSet>
#include <QSize>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

// Big-endian reads that remember the first failure instead of reporting each one.
class Reader
{
public:
    explicit Reader(QIODevice& file) : m_file(file) {}

    bool ok() const { return m_ok; }
    qint64 pos() const { return m_file.pos(); }
    qint64 size() const { return m_file.size(); }

    quint64 unsignedValue(int bytes)
    {
        unsigned char buffer[8] = {};
        if (!m_ok || bytes > 8 || m_file.read(reinterpret_cast<char*>(buffer), bytes) != bytes) {
            m_ok = false;
            return 0;
        }
        quint64 value = 0;
        for (int i = 0; i < bytes; ++i)
            value = (value << 8) | buffer[i];
        return value;
    }
    quint16 u16() { return static_cast<quint16>(unsignedValue(2)); }
    qint16 i16() { return static_cast<qint16>(unsignedValue(2)); }
    quint32 u32() { return static_cast<quint32>(unsignedValue(4)); }
    qint32 i32() { return static_cast<qint32>(unsignedValue(4)); }
    QByteArray bytes(int count)
    {
        const QByteArray data = m_ok ? m_file.read(count) : QByteArray();
        if (data.size() != count)
            m_ok = false;
        return data;
    }
    // Moves to an absolute position that must lie within the file.
    void seek(qint64 position)
    {
        if (!m_ok || position < 0 || position > m_file.size() || !m_file.seek(position))
            m_ok = false;
    }

private:
    QIODevice& m_file;
    bool m_ok = true;
};

bool failPhotoshop(QString* reason, const QString& text)
{
    if (reason)
        *reason = QStringLiteral("Damaged Photoshop file: ") + text;
    return false;
}

qint64 side(qint32 from, qint32 to)
{
    return std::llabs(qint64(to) - qint64(from));
}

// The image resources of the thumbnail, which the reader decodes when it opens the file.
constexpr int thumbnailIds[] = {1033, 1036};
// The header of a thumbnail resource before its JPEG stream.
constexpr qint64 thumbnailHeaderBytes = 28;
// Photoshop's thumbnails are at most 160 pixels on a side; a larger one than this in a smaller
// picture is forged.
constexpr qint64 thumbnailPixels = 256 * 256;
// The reader decodes a thumbnail through a buffer of this many bytes of rows (as many rows as
// fit, however few the thumbnail has), and holds the decoder's and its own copies of the
// thumbnail, at most this many bytes a pixel.
constexpr qint64 thumbnailBufferBytes = qint64(64) << 20;
constexpr qint64 thumbnailBytesPerPixel = 16;

// Walks the image resources (`length` bytes from where `in` stands); false with *text when they
// run past their section or the thumbnail the reader decodes would cost more than the picture.
// *heldOnOpen gets what decoding the thumbnails holds.
bool checkResources(Reader& in, quint32 length, qint64 pictureWidth, qint64 pictureHeight, QString* text,
                    qint64* heldOnOpen)
{
    *heldOnOpen = 0;
    const qint64 end = in.pos() + length;
    while (in.ok() && in.pos() < end) {
        const QByteArray signature = in.bytes(4);
        const int id = in.u16();
        const int nameLength = int(in.unsignedValue(1));
        // The name, with its length byte, padded to an even size.
        in.bytes(nameLength + ((nameLength + 1) & 1));
        const quint32 dataLength = in.u32();
        const qint64 dataStart = in.pos();
        const qint64 dataEnd = dataStart + dataLength + (dataLength & 1);
        if (!in.ok() || dataEnd > end) {
            *text = QStringLiteral("image resources cut short");
            return false;
        }
        if (signature == "8BIM" && std::find(std::begin(thumbnailIds), std::end(thumbnailIds), id) != std::end(thumbnailIds)) {
            if (dataLength < thumbnailHeaderBytes) {
                *text = QStringLiteral("a thumbnail resource of %1 bytes").arg(dataLength);
                return false;
            }
            const quint32 format = in.u32();
            in.bytes(20); // sides, row bytes, sizes
            const int bits = in.u16();
            const int planes = in.u16();
            // The one kind the reader decodes: a JPEG stream.
            if (format == 1 && bits == 24 && planes == 1 && dataLength - thumbnailHeaderBytes < INT_MAX) {
                QBuffer stream;
                stream.setData(in.bytes(int(dataLength - thumbnailHeaderBytes)));
                stream.open(QIODevice::ReadOnly);
                QString why;
                QSize sides;
                if (!JpegFileCheck::check(stream, &why, &sides)) {
                    *text = QStringLiteral("its thumbnail: ") + why;
                    return false;
                }
                if (qint64(sides.width()) * sides.height() > std::max(pictureWidth * pictureHeight, thumbnailPixels)) {
                    *text = QStringLiteral("a thumbnail of %1 x %2 pixels in a picture of %3 x %4")
                                .arg(sides.width()).arg(sides.height()).arg(pictureWidth).arg(pictureHeight);
                    return false;
                }
                *heldOnOpen = std::max(*heldOnOpen, thumbnailBufferBytes)
                              + qint64(sides.width()) * sides.height() * thumbnailBytesPerPixel;
            }
        }
        in.seek(dataEnd);
    }
    if (!in.ok() || in.pos() != end) {
        *text = QStringLiteral("image resources cut short");
        return false;
    }
    return true;
}

} // namespace

bool PhotoshopFileCheck::isPhotoshopFile(const QString& path)
{
    QFile file;
    return KelUtils::RegularFileReader::open(path, -1, &file, nullptr) && isPhotoshopFile(file);
}

bool PhotoshopFileCheck::isPhotoshopFile(QIODevice& file)
{
    return file.seek(0) && file.read(4) == "8BPS";
}

bool PhotoshopFileCheck::check(const QString& path, QString* reason)
{
    QFile file;
    if (!KelUtils::RegularFileReader::open(path, -1, &file, nullptr))
        return failPhotoshop(reason, QStringLiteral("cannot be opened"));
    return check(file, reason);
}

bool PhotoshopFileCheck::check(QIODevice& device, QString* reason)
{
    qint64 heldOnOpen = 0;
    return check(device, reason, &heldOnOpen);
}

bool PhotoshopFileCheck::check(QIODevice& device, QString* reason, qint64* heldOnOpen)
{
    *heldOnOpen = 0;
    CachedFileView file(device);
    if (!file.seek(0))
        return failPhotoshop(reason, QStringLiteral("cannot be read"));
    Reader in(file);

    if (in.bytes(4) != "8BPS")
        return failPhotoshop(reason, QStringLiteral("no signature"));
    const quint16 version = in.u16();
    in.bytes(6);
    const quint16 channels = in.u16();
    const quint32 height = in.u32();
    const quint32 width = in.u32();
    const quint16 depth = in.u16();
    const quint16 mode = in.u16();
    if (!in.ok())
        return failPhotoshop(reason, QStringLiteral("header cut short"));
    if (version != 1 && version != 2)
        return failPhotoshop(reason, QStringLiteral("unknown version"));
    const bool large = version == 2;
    const quint32 maxDocumentSide = large ? 300000 : 30000;
    if (channels < 1 || channels > 56 || width < 1 || height < 1 || width > maxDocumentSide
        || height > maxDocumentSide || (depth != 1 && depth != 8 && depth != 16 && depth != 32))
        return failPhotoshop(reason, QStringLiteral("bad header"));
    // Bitmap, greyscale, indexed, RGB and CMYK: the modes whose channel layout is fixed.
    static const int modeChannels[] = {1, 1, 1, 3, 4};
    if (mode > 4)
        return failPhotoshop(reason, QStringLiteral("unsupported colour mode %1").arg(mode));
    const int colourChannels = modeChannels[mode];

    const quint32 colourDataLength = in.u32();
    if (mode == 2 && colourDataLength != 768)
        return failPhotoshop(reason, QStringLiteral("bad colour table"));
    in.seek(in.pos() + colourDataLength);
    const quint32 resourcesLength = in.u32();
    if (!in.ok() || resourcesLength > quint64(in.size() - in.pos()))
        return failPhotoshop(reason, QStringLiteral("sections cut short"));
    QString text;
    qint64 thumbnailsHeld = 0;
    if (!checkResources(in, resourcesLength, width, height, &text, &thumbnailsHeld))
        return failPhotoshop(reason, text);
    const quint64 layerMaskLength = in.unsignedValue(large ? 8 : 4);
    const qint64 layerMaskStart = in.pos();
    if (!in.ok() || layerMaskLength > quint64(in.size() - layerMaskStart))
        return failPhotoshop(reason, QStringLiteral("sections cut short"));

    bool compositeTransparency = false;
    if (layerMaskLength > 0) {
        const quint64 layerInfoLength = in.unsignedValue(large ? 8 : 4);
        const qint64 layerInfoStart = in.pos();
        const qint64 layerInfoEnd = layerInfoStart + qint64(layerInfoLength);
        if (!in.ok() || layerInfoLength > quint64(layerMaskStart + qint64(layerMaskLength) - layerInfoStart))
            return failPhotoshop(reason, QStringLiteral("layer section cut short"));
        if (layerInfoLength > 0) {
            const qint16 count = in.i16();
            compositeTransparency = count < 0;
            const int layers = std::abs(int(count));
            if (layers > 0 && (mode == 0 || mode == 2))
                return failPhotoshop(reason, QStringLiteral("layers in a bitmap or indexed file"));
            quint64 channelData = 0;
            for (int layer = 0; layer < layers; ++layer) {
                const qint32 top = in.i32();
                const qint32 left = in.i32();
                const qint32 bottom = in.i32();
                const qint32 right = in.i32();
                const quint16 layerChannels = in.u16();
                if (!in.ok() || layerChannels > 56)
                    return failPhotoshop(reason, QStringLiteral("bad layer record %1").arg(layer));
                const bool hasPixels = side(left, right) > 0 && side(top, bottom) > 0;
                if (side(left, right) > maxSide || side(top, bottom) > maxSide)
                    return failPhotoshop(reason, QStringLiteral("layer %1 too large").arg(layer));
                QSet<int> ids;
                bool maskHasData = false;
                for (int c = 0; c < layerChannels; ++c) {
                    const int id = in.i16();
                    const quint64 length = in.unsignedValue(large ? 8 : 4);
                    if (id < -3 || id >= colourChannels || ids.contains(id))
                        return failPhotoshop(reason, QStringLiteral("bad channel in layer %1").arg(layer));
                    ids.insert(id);
                    maskHasData = maskHasData || (id == -2 && length > 2);
                    channelData += length;
                }
                for (int id = 0; hasPixels && id < colourChannels; ++id) {
                    if (!ids.contains(id))
                        return failPhotoshop(reason, QStringLiteral("layer %1 lacks a colour channel").arg(layer));
                }
                if (in.bytes(4) != "8BIM")
                    return failPhotoshop(reason, QStringLiteral("bad layer record %1").arg(layer));
                in.bytes(8); // blend mode, opacity, clipping, flags, filler
                const quint32 extraLength = in.u32();
                const qint64 extraEnd = in.pos() + extraLength;
                const quint32 maskLength = in.u32();
                if (!in.ok() || extraEnd > layerInfoEnd || maskLength > extraLength)
                    return failPhotoshop(reason, QStringLiteral("bad layer record %1").arg(layer));
                if (maskHasData) {
                    if (maskLength < 18)
                        return failPhotoshop(reason, QStringLiteral("bad mask in layer %1").arg(layer));
                    const qint32 maskTop = in.i32();
                    const qint32 maskLeft = in.i32();
                    const qint32 maskBottom = in.i32();
                    const qint32 maskRight = in.i32();
                    if (side(maskLeft, maskRight) > maxSide || side(maskTop, maskBottom) > maxSide)
                        return failPhotoshop(reason, QStringLiteral("mask of layer %1 too large").arg(layer));
                }
                in.seek(extraEnd);
                if (!in.ok())
                    return failPhotoshop(reason, QStringLiteral("layer records cut short"));
            }
            if (channelData > quint64(layerInfoEnd - in.pos()))
                return failPhotoshop(reason, QStringLiteral("layer pixels cut short"));
        }
    }
    if (channels < colourChannels + (compositeTransparency ? 1 : 0))
        return failPhotoshop(reason, QStringLiteral("too few channels"));
    *heldOnOpen = thumbnailsHeld;
    return true;
}
