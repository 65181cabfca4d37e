#include "io/picture/WebpFileCheck.h"

#include "io/picture/CachedFileView.h"
#include "io/picture/HeaderRefusal.h"

#include <QtEndian>

#include <algorithm>

namespace {

const QString webpKind = QStringLiteral("WebP file");

bool failWebp(QString* reason, const QString& text)
{
    return HeaderRefusal::damaged(reason, webpKind, text);
}

qint64 u24(const QByteArray& bytes, int at)
{
    return qint64(uchar(bytes.at(at))) | qint64(uchar(bytes.at(at + 1))) << 8 | qint64(uchar(bytes.at(at + 2))) << 16;
}

// The sides of a lossy or lossless bitstream's picture from its first bytes; false when they
// are not there.
bool bitstreamSides(const QByteArray& type, const QByteArray& data, qint64* width, qint64* height)
{
    if (type == "VP8 ") {
        if (data.size() < 10 || data.mid(3, 3) != QByteArray("\x9d\x01\x2a", 3) || (uchar(data.at(0)) & 1) != 0)
            return false;
        *width = qFromLittleEndian<quint16>(data.constData() + 6) & 0x3fff;
        *height = qFromLittleEndian<quint16>(data.constData() + 8) & 0x3fff;
        return true;
    }
    if (data.size() < 5 || uchar(data.at(0)) != 0x2f)
        return false;
    const quint32 bits = qFromLittleEndian<quint32>(data.constData() + 1);
    if ((bits >> 29) != 0)
        return false;
    *width = (bits & 0x3fff) + 1;
    *height = ((bits >> 14) & 0x3fff) + 1;
    return true;
}

// Walks the chunks of the file up to its end; *sides gets the canvas of a sound file.
bool walkWebp(QIODevice& device, QString* reason, qint64* heldOnOpen, QSize* sides)
{
    *heldOnOpen = 0;
    CachedFileView file(device);
    const QByteArray head = HeaderRefusal::bytesAt(file, 0, 12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WEBP")
        return failWebp(reason, QStringLiteral("the header is cut short"));
    const qint64 end = 8 + qint64(qFromLittleEndian<quint32>(head.constData() + 4));
    if (end > file.size())
        return failWebp(reason, HeaderRefusal::endsEarly());
    qint64 width = 0;
    qint64 height = 0;
    bool canvas = false;
    bool picture = false;
    for (qint64 at = 12; at + 8 <= end;) {
        const QByteArray chunk = HeaderRefusal::bytesAt(file, at, 8);
        if (chunk.size() < 8)
            return failWebp(reason, HeaderRefusal::endsEarly());
        const QByteArray type = chunk.left(4);
        const qint64 size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        if (size > end - at - 8)
            return failWebp(reason, HeaderRefusal::endsEarly());
        const QByteArray data = HeaderRefusal::bytesAt(file, at + 8, std::min<qint64>(size, 24));
        if (type == "VP8X") {
            if (at != 12 || data.size() < 10)
                return failWebp(reason, QStringLiteral("an extended header of %1 bytes at byte %2").arg(size).arg(at));
            width = u24(data, 4) + 1;
            height = u24(data, 7) + 1;
            canvas = true;
        } else if (type == "VP8 " || type == "VP8L") {
            qint64 w = 0;
            qint64 h = 0;
            if (!bitstreamSides(type, data, &w, &h))
                return failWebp(reason, QStringLiteral("a picture without its header"));
            if (!canvas) {
                width = w;
                height = h;
            }
            picture = true;
        } else if (type == "ANMF") {
            if (!canvas || data.size() < 16)
                return failWebp(reason, QStringLiteral("a frame outside an animation"));
            const qint64 left = u24(data, 0) * 2;
            const qint64 top = u24(data, 3) * 2;
            const qint64 w = u24(data, 6) + 1;
            const qint64 h = u24(data, 9) + 1;
            if (left + w > width || top + h > height)
                return failWebp(reason, QStringLiteral("a frame of %1 x %2 pixels at %3, %4 on a canvas of %5 x %6")
                                        .arg(w).arg(h).arg(left).arg(top).arg(width).arg(height));
            picture = true;
        }
        // The canvas, a frame and the picture the reader keeps.
        QString text;
        if ((canvas || picture) && !HeaderRefusal::withinCap(width, height, 8, &text))
            return failWebp(reason, text);
        at += 8 + size + (size & 1);
    }
    if (!picture)
        return failWebp(reason, QStringLiteral("no picture"));
    // The file's bytes (what follows its last chunk is no part of a sound file) and its canvas
    // decoded, four bytes a pixel at most.
    *heldOnOpen = end + width * height * 4;
    if (sides)
        *sides = QSize(int(width), int(height));
    return true;
}

} // namespace

bool WebpFileCheck::check(QIODevice& device, QString* reason)
{
    qint64 heldOnOpen = 0;
    return check(device, reason, &heldOnOpen);
}

bool WebpFileCheck::check(QIODevice& device, QString* reason, qint64* heldOnOpen)
{
    return walkWebp(device, reason, heldOnOpen, nullptr);
}

QSize WebpFileCheck::canvas(QIODevice& device)
{
    qint64 heldOnOpen = 0;
    QSize sides;
    return walkWebp(device, nullptr, &heldOnOpen, &sides) ? sides : QSize();
}
