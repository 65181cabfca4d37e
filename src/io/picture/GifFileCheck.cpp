#include "io/picture/GifFileCheck.h"

#include "io/picture/CachedFileView.h"
#include "io/picture/HeaderRefusal.h"

#include <QtEndian>

#include <algorithm>

namespace {

const QString gifKind = QStringLiteral("GIF file");

bool failGif(QString* reason, const QString& text)
{
    return HeaderRefusal::damaged(reason, gifKind, text);
}

// A code of 12 bits stands for at most 4096 pixels.
constexpr qint64 maxPixelsPerByte = 4096 * 8 / 12 + 1;
// Frames of one file, at most: as many as the image library walks.
constexpr int maxGifFrames = 65536;

// Walks the blocks of the file on `view` up to its trailer, or its first frame only; *canvas
// gets the screen enlarged to hold the first frame, *coloured (when given) whether a colour table
// gives the first frame its colours.
bool walkGif(QIODevice& view, QString* reason, bool firstFrameOnly, QSize* canvas, bool* coloured = nullptr)
{
    const QByteArray head = HeaderRefusal::bytesAt(view, 0, 13);
    if (head.size() < 13 || !(head.startsWith("GIF87a") || head.startsWith("GIF89a")))
        return failGif(reason, QStringLiteral("the header is cut short"));
    const qint64 screenWidth = qFromLittleEndian<quint16>(head.constData() + 6);
    const qint64 screenHeight = qFromLittleEndian<quint16>(head.constData() + 8);
    const int flags = uchar(head.at(10));
    QString text;
    // The canvas, the one before it and a frame's indices.
    if (!HeaderRefusal::withinCap(screenWidth, screenHeight, 9, &text))
        return failGif(reason, text.startsWith(HeaderRefusal::tooLargePrefix()) ? text : QStringLiteral("a screen of ") + text);
    qint64 at = 13 + ((flags & 0x80) ? 3 * (qint64(2) << (flags & 7)) : 0);
    const qint64 fileSize = view.size();
    // Skips data sub-blocks from `at` to their terminator; their bytes, or -1 when the file ends first.
    auto skipBlocks = [&]() -> qint64 {
        qint64 total = 0;
        for (;;) {
            char size = 0;
            if (!view.seek(at) || !view.getChar(&size))
                return -1;
            const int length = uchar(size);
            ++at;
            if (length == 0)
                return total;
            if (at + length > fileSize)
                return -1;
            at += length;
            total += length;
        }
    };
    int frames = 0;
    for (;;) {
        char introducer = 0;
        // A file that ends after a whole block lacks only its trailer.
        if (!view.seek(at) || !view.getChar(&introducer) || introducer == 0x3b)
            break;
        if (introducer == 0x21) {
            at += 2;
            if (at > fileSize || skipBlocks() < 0)
                return failGif(reason, HeaderRefusal::endsEarly());
            continue;
        }
        if (introducer != 0x2c)
            return failGif(reason, QStringLiteral("a block of kind %1 at byte %2").arg(int(uchar(introducer))).arg(at));
        const QByteArray frame = HeaderRefusal::bytesAt(view, at + 1, 9);
        if (frame.size() < 9)
            return failGif(reason, HeaderRefusal::endsEarly());
        auto u16 = [&frame](int offset) { return qint64(qFromLittleEndian<quint16>(frame.constData() + offset)); };
        const qint64 left = u16(0);
        const qint64 top = u16(2);
        const qint64 width = u16(4);
        const qint64 height = u16(6);
        const int frameFlags = uchar(frame.at(8));
        if (width == 0 || height == 0)
            return failGif(reason, QStringLiteral("a frame of %1 x %2 pixels").arg(width).arg(height));
        // Writers place frames past the screen (ImageMagick's -page) and make the first larger than
        // it; browsers enlarge the screen to hold the first frame, and the reader, shown that
        // screen, clips every frame to it.
        if (frames == 0) {
            if (coloured)
                *coloured = (flags & 0x80) || (frameFlags & 0x80);
            *canvas = QSize(int(std::max(screenWidth, left + width)), int(std::max(screenHeight, top + height)));
            if (!HeaderRefusal::withinCap(canvas->width(), canvas->height(), 9, &text))
                return failGif(reason, text);
        }
        if (++frames > maxGifFrames)
            return failGif(reason, QStringLiteral("more than %1 frames").arg(maxGifFrames));
        at += 10 + ((frameFlags & 0x80) ? 3 * (qint64(2) << (frameFlags & 7)) : 0);
        const QByteArray code = HeaderRefusal::bytesAt(view, at, 1);
        if (code.isEmpty())
            return failGif(reason, HeaderRefusal::endsEarly());
        const int codeSize = uchar(code.at(0));
        if (codeSize < 1 || codeSize > 11)
            return failGif(reason, QStringLiteral("codes of %1 bits").arg(codeSize));
        ++at;
        const qint64 data = skipBlocks();
        if (data < 0 || data * maxPixelsPerByte < width * height)
            return failGif(reason, HeaderRefusal::endsEarly());
        if (firstFrameOnly)
            break;
    }
    if (frames == 0)
        return failGif(reason, QStringLiteral("no frame"));
    return true;
}

} // namespace

bool GifFileCheck::check(QIODevice& file, QString* reason)
{
    qint64 heldOnOpen = 0;
    return check(file, reason, &heldOnOpen);
}

bool GifFileCheck::check(QIODevice& file, QString* reason, qint64* heldOnOpen)
{
    *heldOnOpen = 0;
    CachedFileView view(file);
    QSize canvas;
    if (!walkGif(view, reason, false, &canvas))
        return false;
    // The canvas the first frame is decoded onto, four bytes a pixel.
    *heldOnOpen = qint64(canvas.width()) * canvas.height() * 4;
    return true;
}

bool GifFileCheck::lacksColourTable(QIODevice& file)
{
    CachedFileView view(file);
    QSize canvas;
    bool coloured = true;
    return walkGif(view, nullptr, true, &canvas, &coloured) && !coloured;
}

QSize GifFileCheck::canvas(QIODevice& file)
{
    CachedFileView view(file);
    QSize canvas;
    return walkGif(view, nullptr, true, &canvas) ? canvas : QSize();
}
