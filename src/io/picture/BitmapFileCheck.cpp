#include "io/picture/BitmapFileCheck.h"

#include "io/picture/ColourMasks.h"
#include "io/picture/HeaderRefusal.h"

#include "io/picture/ImageSignatures.h"
#include "io/RegularFileReader.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <array>

namespace {

using ColourMasks::isRun;

bool failBitmap(QString* reason, const QString& text)
{
    return HeaderRefusal::damaged(reason, QStringLiteral("Windows bitmap"), text);
}

bool unsupportedBitmap(QString* reason, const QString& text)
{
    return HeaderRefusal::unsupported(reason, QStringLiteral("Windows bitmap"), text);
}

quint16 bitmapU16(const QByteArray& bytes, int at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 bitmapU32(const QByteArray& bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

constexpr int fileHeaderBytes = 14;
// The info headers the format defines: OS/2 1.x, Windows 3, the two undocumented ones that add
// masks, and Windows 4 and 5. (OS/2 2.x headers mean other compressions by the same numbers.)
constexpr std::array<quint32, 6> infoHeaderSizes = {12, 40, 52, 56, 108, 124};

} // namespace

bool BitmapFileCheck::isBitmapFile(QIODevice& file)
{
    return file.seek(0) && ImageSignatures::matches("bmp", file.read(ImageSignatures::headBytes));
}

bool BitmapFileCheck::check(const QString& path, QString* reason)
{
    QFile file;
    if (!KelUtils::RegularFileReader::open(path, -1, &file, nullptr))
        return failBitmap(reason, QStringLiteral("cannot be opened"));
    return check(file, reason);
}

bool BitmapFileCheck::check(QIODevice& file, QString* reason)
{
    qint64 heldOnOpen = 0;
    return check(file, reason, &heldOnOpen);
}

bool BitmapFileCheck::check(QIODevice& file, QString* reason, qint64* heldOnOpen)
{
    *heldOnOpen = 0;
    const qint64 fileSize = file.size();
    if (!file.seek(0))
        return failBitmap(reason, QStringLiteral("cannot be read"));
    const QByteArray head = file.read(fileHeaderBytes + 124);
    if (head.size() < fileHeaderBytes + 4)
        return failBitmap(reason, QStringLiteral("the header is cut short"));
    const quint32 infoBytes = bitmapU32(head, fileHeaderBytes);
    if (infoBytes == 16 || infoBytes == 64)
        return unsupportedBitmap(reason, QStringLiteral("an OS/2 2.x header"));
    if (std::find(infoHeaderSizes.begin(), infoHeaderSizes.end(), infoBytes) == infoHeaderSizes.end())
        return failBitmap(reason, QStringLiteral("no info header of %1 bytes").arg(infoBytes));
    if (head.size() < fileHeaderBytes + int(infoBytes))
        return failBitmap(reason, QStringLiteral("the header is cut short"));
    const int info = fileHeaderBytes;
    const bool os2 = infoBytes == 12;
    const qint64 width = os2 ? qint64(bitmapU16(head, info + 4)) : qint64(qint32(bitmapU32(head, info + 4)));
    const qint64 rawHeight = os2 ? qint64(bitmapU16(head, info + 6)) : qint64(qint32(bitmapU32(head, info + 8)));
    const quint16 planes = os2 ? bitmapU16(head, info + 8) : bitmapU16(head, info + 12);
    const quint16 bits = os2 ? bitmapU16(head, info + 10) : bitmapU16(head, info + 14);
    const quint32 compression = os2 ? 0 : bitmapU32(head, info + 16);
    const quint32 paletteCount = os2 ? 0 : bitmapU32(head, info + 32);
    const qint64 height = rawHeight < 0 ? -rawHeight : rawHeight;
    const bool topDown = rawHeight < 0;

    if (width <= 0 || height <= 0)
        return failBitmap(reason, QStringLiteral("a picture of %1 x %2 pixels").arg(width).arg(rawHeight));
    if (planes != 1)
        return failBitmap(reason, QStringLiteral("%1 planes").arg(planes));
    const bool knownDepth = os2 ? (bits == 1 || bits == 4 || bits == 8 || bits == 24)
                                : (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32);
    if (!knownDepth)
        return failBitmap(reason, QStringLiteral("%1 bits a pixel").arg(bits));
    // A picture of sides a bitmap may have, above the cap, is refused as that whatever else its
    // file lacks (sides no picture has are damage, below).
    QString text;
    const qint64 cap = RasterPictureReader::maxPixels;
    if (width <= cap && height <= cap && !HeaderRefusal::withinCap(width, height, 4, &text))
        return failBitmap(reason, text);

    // Which compression each depth allows; run lengths only bottom-up.
    bool allowed = false;
    switch (compression) {
    case Rgb:
        allowed = true;
        break;
    case Rle8:
        allowed = bits == 8 && !topDown;
        break;
    case Rle4:
        allowed = bits == 4 && !topDown;
        break;
    case BitFields:
        allowed = bits == 16 || bits == 32;
        break;
    case Jpeg:
    case Png:
        // Embedded pictures are for printers.
        return unsupportedBitmap(reason, QStringLiteral("an embedded %1 picture").arg(compression == Jpeg ? "JPEG" : "PNG"));
    case AlphaBitFields:
        return unsupportedBitmap(reason, QStringLiteral("alpha bit fields (compression 6)"));
    default:
        break;
    }
    if (!allowed)
        return failBitmap(reason, QStringLiteral("compression %1 with %2 bits a pixel%3")
                                .arg(compression).arg(bits).arg(topDown ? QStringLiteral(" stored top-down") : QString()));

    qint64 tableStart = fileHeaderBytes + qint64(infoBytes);
    if (compression == BitFields) {
        // A Windows 3 header is followed by the three masks; the later headers hold them.
        if (infoBytes == 40)
            tableStart += 12;
        QByteArray masks = infoBytes == 40 ? (file.seek(info + 40) ? file.read(12) : QByteArray())
                                           : head.mid(info + 40, 12);
        if (masks.size() < 12)
            return failBitmap(reason, QStringLiteral("the colour masks are cut short"));
        const quint32 red = bitmapU32(masks, 0);
        const quint32 green = bitmapU32(masks, 4);
        const quint32 blue = bitmapU32(masks, 8);
        const quint32 within = bits == 32 ? 0xffffffffu : 0xffffu;
        if (!isRun(red) || !isRun(green) || !isRun(blue) || ((red | green | blue) & ~within) != 0
            || (red & green) != 0 || (red & blue) != 0 || (green & blue) != 0)
            return failBitmap(reason, QStringLiteral("colour masks %1, %2, %3 for %4 bits a pixel")
                                    .arg(red, 0, 16).arg(green, 0, 16).arg(blue, 0, 16).arg(bits));
    }

    const qint64 maxColours = bits <= 8 ? (qint64(1) << bits) : 256;
    if (paletteCount > maxColours)
        return failBitmap(reason, QStringLiteral("a palette of %1 colours for %2 bits a pixel").arg(paletteCount).arg(bits));
    const qint64 colours = bits <= 8 ? (paletteCount ? paletteCount : maxColours) : paletteCount;
    const qint64 tableEnd = tableStart + colours * (os2 ? 3 : 4);
    const qint64 pixelsStart = bitmapU32(head, 10);
    if (tableEnd > fileSize || tableEnd > pixelsStart)
        return failBitmap(reason, QStringLiteral("the palette of %1 colours does not fit before the pixels").arg(colours));
    if (pixelsStart >= fileSize)
        return failBitmap(reason, QStringLiteral("the pixels start at %1, past the end of the file").arg(pixelsStart));
    if (compression == Rgb || compression == BitFields) {
        const qint64 rowBytes = (width * bits + 31) / 32 * 4;
        if (height > (fileSize - pixelsStart) / rowBytes)
            return failBitmap(reason, QStringLiteral("%1 rows of %2 bytes in %3 bytes of pixels")
                                    .arg(height).arg(rowBytes).arg(fileSize - pixelsStart));
    } else {
        // Run lengths are undone whole when the file is opened, a byte a pixel.
        *heldOnOpen = width * height;
    }
    return true;
}

bool BitmapFileCheck::hasAlpha(QIODevice& file)
{
    const QByteArray head = HeaderRefusal::bytesAt(file, 0, fileHeaderBytes + 56);
    if (head.size() < fileHeaderBytes + 56)
        return false;
    const quint32 infoBytes = bitmapU32(head, fileHeaderBytes);
    // Only colour masks with an alpha mask beside them name alpha; the fourth byte of other
    // 32-bit pixels is unused.
    return infoBytes >= 56 && bitmapU16(head, fileHeaderBytes + 14) == 32 && bitmapU32(head, fileHeaderBytes + 16) == BitFields
           && bitmapU32(head, fileHeaderBytes + 52) != 0;
}
