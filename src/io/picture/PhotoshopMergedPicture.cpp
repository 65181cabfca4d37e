#include "io/picture/PhotoshopMergedPicture.h"

#include "io/picture/HeaderRefusal.h"
#include "io/picture/ImageLibrary.h"
#include "io/picture/PhotoshopFileCheck.h"
#include "io/RegularFileReader.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <vector>

namespace {

const QString photoshopKind = QStringLiteral("Photoshop file");

bool damaged(QString* reason, const QString& text)
{
    return HeaderRefusal::damaged(reason, photoshopKind, text);
}

bool unsupportedMerged(QString* reason, const QString& text)
{
    return HeaderRefusal::unsupported(reason, photoshopKind, text);
}

quint64 bigEndian(const QByteArray& bytes, qsizetype at, int size)
{
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | uchar(bytes.at(at + i));
    return value;
}

// Where the merged picture stands and how it is stored.
struct Layout {
    qint64 width = 0;
    qint64 height = 0;
    int channels = 0;
    int depth = 0;
    int mode = 0;
    bool large = false;
    bool transparency = false;
    int compression = 0;
    qint64 dataStart = 0;
    std::array<QRgb, 256> palette{};
};

// Reads a length field of `size` bytes at `at`; -1 when the file ends first.
qint64 lengthAt(QIODevice& file, qint64 at, int size)
{
    const QByteArray bytes = HeaderRefusal::bytesAt(file, at, size);
    return bytes.size() == size ? qint64(std::min<quint64>(bigEndian(bytes, 0, size), quint64(1) << 62)) : -1;
}

bool readLayout(QIODevice& file, Layout* layout, QString* reason)
{
    const qint64 fileSize = file.size();
    const QByteArray head = HeaderRefusal::bytesAt(file, 0, 26);
    if (head.size() < 26 || !head.startsWith("8BPS"))
        return damaged(reason, QStringLiteral("the header is cut short"));
    const int version = int(bigEndian(head, 4, 2));
    layout->large = version == 2;
    layout->channels = int(bigEndian(head, 12, 2));
    layout->height = qint64(bigEndian(head, 14, 4));
    layout->width = qint64(bigEndian(head, 18, 4));
    layout->depth = int(bigEndian(head, 22, 2));
    layout->mode = int(bigEndian(head, 24, 2));
    static const int modeChannels[] = {1, 1, 1, 3, 4};
    if ((version != 1 && version != 2) || layout->mode > 4 || layout->channels < modeChannels[layout->mode])
        return damaged(reason, QStringLiteral("its header is not that of a picture"));
    if (layout->depth == 32)
        return unsupportedMerged(reason, QStringLiteral("its merged picture has 32-bit channels"));
    if ((layout->mode == 0) != (layout->depth == 1) || (layout->depth != 1 && layout->depth != 8 && layout->depth != 16))
        return damaged(reason, QStringLiteral("its header gives %1 bits a channel in its colour mode").arg(layout->depth));
    QString text;
    if (!HeaderRefusal::withinCap(layout->width, layout->height, 4, &text))
        return damaged(reason, text);

    qint64 at = 26;
    const qint64 colourLength = lengthAt(file, at, 4);
    if (colourLength < 0 || colourLength > fileSize)
        return damaged(reason, HeaderRefusal::endsEarly());
    if (layout->mode == 2) {
        const QByteArray table = HeaderRefusal::bytesAt(file, at + 4, 768);
        if (colourLength != 768 || table.size() != 768)
            return damaged(reason, QStringLiteral("its colour table is cut short"));
        for (int i = 0; i < 256; ++i)
            layout->palette[size_t(i)] = qRgb(uchar(table.at(i)), uchar(table.at(256 + i)), uchar(table.at(512 + i)));
    }
    at += 4 + colourLength;
    const qint64 resourcesLength = lengthAt(file, at, 4);
    if (resourcesLength < 0 || resourcesLength > fileSize)
        return damaged(reason, HeaderRefusal::endsEarly());
    at += 4 + resourcesLength;
    const int lengthSize = layout->large ? 8 : 4;
    const qint64 layersLength = lengthAt(file, at, lengthSize);
    if (layersLength < 0 || layersLength > fileSize)
        return damaged(reason, HeaderRefusal::endsEarly());
    // A negative count of layers says the merged picture's first extra channel is its alpha.
    if (layersLength >= lengthSize + 2 && lengthAt(file, at + lengthSize, lengthSize) > 0) {
        const QByteArray count = HeaderRefusal::bytesAt(file, at + 2 * lengthSize, 2);
        layout->transparency = count.size() == 2 && qint16(bigEndian(count, 0, 2)) < 0;
    }
    at += lengthSize + layersLength;
    const qint64 compression = lengthAt(file, at, 2);
    if (compression < 0)
        return damaged(reason, QStringLiteral("it has no merged picture"));
    if (compression == 2 || compression == 3)
        return unsupportedMerged(reason, QStringLiteral("its layers and its merged picture are stored in ways the program "
                                                  "does not read (the merged picture is zip-compressed)"));
    if (compression > 1)
        return damaged(reason, QStringLiteral("its merged picture has an unknown compression"));
    layout->compression = int(compression);
    layout->dataStart = at + 2;
    if (layout->channels <= modeChannels[layout->mode])
        layout->transparency = false;
    return true;
}

// Unpacks one run-length row; false when it does not make exactly `out` bytes.
bool unpackRow(const uchar* in, qint64 inSize, uchar* out, qint64 outSize)
{
    qint64 i = 0;
    qint64 o = 0;
    while (o < outSize) {
        if (i >= inSize)
            return false;
        const int n = qint8(in[i++]);
        if (n >= 0) {
            const qint64 count = n + 1;
            if (i + count > inSize || o + count > outSize)
                return false;
            std::copy(in + i, in + i + count, out + o);
            i += count;
            o += count;
        } else if (n != -128) {
            const qint64 count = 1 - n;
            if (i >= inSize || o + count > outSize)
                return false;
            std::fill(out + o, out + o + count, in[i++]);
            o += count;
        }
    }
    return true;
}

// Puts one row of channel `channel` (as 8-bit samples) into the picture.
void placeRow(const Layout& layout, int channel, const uchar* samples, QRgb* line)
{
    const int colour = layout.mode == 3 ? 3 : (layout.mode == 4 ? 4 : 1);
    for (qint64 x = 0; x < layout.width; ++x) {
        // A bitmap's samples are its packed bits.
        const int v = layout.mode == 0 ? (samples[x / 8] >> (7 - x % 8)) & 1 : samples[x];
        QRgb& pixel = line[x];
        if (channel == colour) {
            pixel = qRgba(qRed(pixel), qGreen(pixel), qBlue(pixel), v);
        } else if (layout.mode == 0) {
            pixel = v ? qRgba(0, 0, 0, qAlpha(pixel)) : qRgba(255, 255, 255, qAlpha(pixel));
        } else if (layout.mode == 1) {
            pixel = qRgba(v, v, v, qAlpha(pixel));
        } else if (layout.mode == 2) {
            pixel = (layout.palette[size_t(v)] & 0xffffff) | (pixel & 0xff000000);
        } else if (channel < 3) {
            // RGB, or CMYK stored as the paper left uncovered: multiplied by its black below.
            const int shift = 16 - 8 * channel;
            pixel = (pixel & ~(QRgb(0xff) << shift)) | (QRgb(v) << shift);
        } else {
            auto inked = [v](int c) { return (c * v + 127) / 255; };
            pixel = qRgba(inked(qRed(pixel)), inked(qGreen(pixel)), inked(qBlue(pixel)), qAlpha(pixel));
        }
    }
}

// A transparent merged picture is stored blended over white, as Photoshop writes it, or straight,
// as ImageMagick does; blended, no pixel is darker than the white showing through it.
void unblendWhite(QImage& image)
{
    bool partial = false;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int a = qAlpha(line[x]);
            if (a == 255)
                continue;
            partial = true;
            const int white = 255 - a - 1;
            if (qRed(line[x]) < white || qGreen(line[x]) < white || qBlue(line[x]) < white)
                return;
        }
    }
    if (!partial)
        return;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int a = qAlpha(line[x]);
            if (a == 255)
                continue;
            auto straight = [a](int c) { return a == 0 ? 0 : std::clamp((2 * (c - 255 + a) * 255 + a) / (2 * a), 0, 255); };
            line[x] = qRgba(straight(qRed(line[x])), straight(qGreen(line[x])), straight(qBlue(line[x])), a);
        }
    }
}

} // namespace

QImage PhotoshopMergedPicture::read(QIODevice& file, QString* reason, const BeforeDecode& beforeDecode)
{
    Layout layout;
    if (!readLayout(file, &layout, reason))
        return QImage();
    const qint64 fileSize = file.size();
    const int colour = layout.mode == 3 ? 3 : (layout.mode == 4 ? 4 : 1);
    const int used = colour + (layout.transparency ? 1 : 0);
    const qint64 rowBytes = layout.depth == 1 ? (layout.width + 7) / 8 : layout.width * (layout.depth / 8);
    const qint64 rows = qint64(layout.channels) * layout.height;
    // Run-length rows: a table of every row's byte count, then the rows.
    const int countSize = layout.large ? 4 : 2;
    const qint64 packedAt = layout.dataStart + (layout.compression == 1 ? rows * countSize : 0);
    // The most a row may take packed: every byte a literal of its own, as some writers pack
    // runs too short to pay.
    const qint64 maxPacked = 2 * rowBytes + 1;
    if (packedAt > fileSize || (layout.compression == 0 && packedAt + used * layout.height * rowBytes > fileSize)) {
        damaged(reason, QStringLiteral("its merged picture is cut short"));
        return QImage();
    }
    if (beforeDecode)
        beforeDecode(layout.width * layout.height);
    QImage image(int(layout.width), int(layout.height), layout.transparency ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull()) {
        if (reason)
            *reason = ImageLibrary::errorText(ImageLibrary::NoMemory);
        return image;
    }
    image.fill(qRgba(0, 0, 0, 255));
    std::vector<uchar> packed(size_t(layout.compression == 1 ? maxPacked : 0));
    std::vector<uchar> row(static_cast<size_t>(rowBytes));
    std::vector<uchar> samples(size_t(layout.depth == 1 ? rowBytes : layout.width));
    qint64 at = packedAt;
    for (int channel = 0; channel < used; ++channel) {
        QByteArray counts;
        if (layout.compression == 1) {
            counts = HeaderRefusal::bytesAt(file, layout.dataStart + channel * layout.height * countSize,
                                            layout.height * countSize);
            if (counts.size() != layout.height * countSize) {
                damaged(reason, QStringLiteral("its merged picture is cut short"));
                return QImage();
            }
        }
        for (qint64 y = 0; y < layout.height; ++y) {
            bool sound = false;
            if (layout.compression == 1) {
                const qint64 count = qint64(bigEndian(counts, y * countSize, countSize));
                if (count <= maxPacked && at + count > fileSize) {
                    damaged(reason, QStringLiteral("its merged picture is cut short"));
                    return QImage();
                }
                sound = count <= maxPacked && file.seek(at)
                        && file.read(reinterpret_cast<char*>(packed.data()), count) == count
                        && unpackRow(packed.data(), count, row.data(), rowBytes);
                at += count;
            } else {
                sound = file.seek(packedAt + (channel * layout.height + y) * rowBytes)
                        && file.read(reinterpret_cast<char*>(row.data()), rowBytes) == rowBytes;
            }
            if (!sound) {
                damaged(reason, QStringLiteral("row %1 of its merged picture is damaged").arg(y + 1));
                return QImage();
            }
            if (layout.depth == 16) {
                for (qint64 x = 0; x < layout.width; ++x)
                    samples[size_t(x)] = uchar((qFromBigEndian<quint16>(row.data() + 2 * x) * 255 + 32767) / 65535);
            } else {
                std::copy(row.begin(), row.end(), samples.begin());
            }
            placeRow(layout, channel, samples.data(), reinterpret_cast<QRgb*>(image.scanLine(int(y))));
        }
    }
    if (layout.transparency)
        unblendWhite(image);
    return image;
}

bool PhotoshopMergedPicture::readInstead(const QString& path, QImage* image, QString* reason,
                                         const BeforeDecode& beforeDecode)
{
    *image = QImage();
    QFile file;
    if (!KelUtils::RegularFileReader::open(path, -1, &file, nullptr) || !PhotoshopFileCheck::isPhotoshopFile(file)
        || !PhotoshopFileCheck::check(file, nullptr))
        return false;
    QString why;
    *image = read(file, &why, beforeDecode);
    if (image->isNull() && reason)
        *reason = why;
    return true;
}

bool PhotoshopMergedPicture::readableInstead(const QString& path)
{
    QFile file;
    Layout layout;
    return KelUtils::RegularFileReader::open(path, -1, &file, nullptr) && PhotoshopFileCheck::isPhotoshopFile(file)
           && PhotoshopFileCheck::check(file, nullptr) && readLayout(file, &layout, nullptr);
}
