#include "io/picture/GifFileCheck.h"

#include "io/picture/HeaderRefusal.h"

#include <QtEndian>

namespace {

const QString kind = QStringLiteral("GIF file");

bool fail(QString* reason, const QString& text)
{
    return HeaderRefusal::damaged(reason, kind, text);
}

// A code of 12 bits stands for at most 4096 pixels.
constexpr qint64 maxPixelsPerByte = 4096 * 8 / 12 + 1;
// Frames of one file, at most: as many as the image library walks.
constexpr int maxFrames = 65536;

} // namespace

bool GifFileCheck::check(QIODevice& file, QString* reason)
{
    const QByteArray head = HeaderRefusal::bytesAt(file, 0, 13);
    if (head.size() < 13 || !(head.startsWith("GIF87a") || head.startsWith("GIF89a")))
        return fail(reason, QStringLiteral("the header is cut short"));
    const qint64 screenWidth = qFromLittleEndian<quint16>(head.constData() + 6);
    const qint64 screenHeight = qFromLittleEndian<quint16>(head.constData() + 8);
    const int flags = uchar(head.at(10));
    QString text;
    // The canvas, the one before it and a frame's indices.
    if (!HeaderRefusal::withinCap(screenWidth, screenHeight, 9, &text))
        return fail(reason, text.startsWith(HeaderRefusal::tooLargePrefix()) ? text : QStringLiteral("a screen of ") + text);
    qint64 at = 13 + ((flags & 0x80) ? 3 * (qint64(2) << (flags & 7)) : 0);
    const qint64 fileSize = file.size();
    // Skips data sub-blocks from `at` to their terminator; their bytes, or -1 when the file ends first.
    auto skipBlocks = [&]() -> qint64 {
        qint64 total = 0;
        for (;;) {
            const QByteArray size = HeaderRefusal::bytesAt(file, at, 1);
            if (size.isEmpty())
                return -1;
            const int length = uchar(size.at(0));
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
        const QByteArray introducer = HeaderRefusal::bytesAt(file, at, 1);
        // A file that ends after a whole block lacks only its trailer.
        if (introducer.isEmpty() || introducer.at(0) == 0x3b)
            break;
        if (introducer.at(0) == 0x21) {
            at += 2;
            if (at > fileSize || skipBlocks() < 0)
                return fail(reason, HeaderRefusal::endsEarly());
            continue;
        }
        if (introducer.at(0) != 0x2c)
            return fail(reason, QStringLiteral("a block of kind %1 at byte %2").arg(int(uchar(introducer.at(0)))).arg(at));
        const QByteArray frame = HeaderRefusal::bytesAt(file, at + 1, 9);
        if (frame.size() < 9)
            return fail(reason, HeaderRefusal::endsEarly());
        auto u16 = [&frame](int offset) { return qint64(qFromLittleEndian<quint16>(frame.constData() + offset)); };
        const qint64 left = u16(0);
        const qint64 top = u16(2);
        const qint64 width = u16(4);
        const qint64 height = u16(6);
        const int frameFlags = uchar(frame.at(8));
        if (width == 0 || height == 0 || left + width > screenWidth || top + height > screenHeight)
            return fail(reason, QStringLiteral("a frame of %1 x %2 pixels at %3, %4 on a screen of %5 x %6")
                                    .arg(width).arg(height).arg(left).arg(top).arg(screenWidth).arg(screenHeight));
        if (++frames > maxFrames)
            return fail(reason, QStringLiteral("more than %1 frames").arg(maxFrames));
        at += 10 + ((frameFlags & 0x80) ? 3 * (qint64(2) << (frameFlags & 7)) : 0);
        const QByteArray code = HeaderRefusal::bytesAt(file, at, 1);
        if (code.isEmpty())
            return fail(reason, HeaderRefusal::endsEarly());
        const int codeSize = uchar(code.at(0));
        if (codeSize < 1 || codeSize > 11)
            return fail(reason, QStringLiteral("codes of %1 bits").arg(codeSize));
        ++at;
        const qint64 data = skipBlocks();
        if (data < 0 || data * maxPixelsPerByte < width * height)
            return fail(reason, HeaderRefusal::endsEarly());
    }
    if (frames == 0)
        return fail(reason, QStringLiteral("no frame"));
    return true;
}
