#include "io/picture/WebpFrameCover.h"

#include "io/picture/CachedFileView.h"

#include <QByteArray>
#include <QIODevice>
#include <QtEndian>

#include <algorithm>

namespace {

// More frames than the image library ever lists images of one file.
constexpr int maxCoverFrames = 65536;

quint32 little24(const char* bytes)
{
    return quint32(quint8(bytes[0])) | quint32(quint8(bytes[1])) << 8 | quint32(quint8(bytes[2])) << 16;
}

bool readAt(QIODevice& file, qint64 at, qint64 count, QByteArray* bytes)
{
    if (!file.seek(at))
        return false;
    *bytes = file.read(count);
    return bytes->size() == count;
}

// Whether the frame whose chunks start at `at` carries alpha, as the reader's demultiplexer
// judges it from the frame's first chunk: an alpha chunk, or a lossless bitstream whose header
// says so. What cannot be told counts as alpha.
bool hasAlpha(QIODevice& file, qint64 at, qint64 end)
{
    QByteArray header;
    if (at + 8 > end || !readAt(file, at, 8, &header))
        return true;
    const QByteArray tag = header.left(4);
    if (tag == "VP8 ")
        return false;
    QByteArray bits;
    if (tag != "VP8L" || qFromLittleEndian<quint32>(header.constData() + 4) < 5 || !readAt(file, at + 8, 5, &bits)
        || quint8(bits[0]) != 0x2f)
        return true;
    return (qFromLittleEndian<quint32>(bits.constData() + 1) >> 28 & 1) != 0;
}

} // namespace

WebpFrameCover WebpFrameCover::read(QIODevice& device)
{
    CachedFileView file(device);
    WebpFrameCover cover;
    QByteArray header;
    if (!readAt(file, 0, 12, &header) || !header.startsWith("RIFF") || header.mid(8, 4) != "WEBP")
        return cover;
    const qint64 end = std::min<qint64>(file.size(), 8 + qint64(qFromLittleEndian<quint32>(header.constData() + 4)));
    qint64 at = 12;
    while (at + 8 <= end && int(cover.m_frames.size()) < maxCoverFrames && readAt(file, at, 8, &header)) {
        const QByteArray tag = header.left(4);
        const qint64 size = qFromLittleEndian<quint32>(header.constData() + 4);
        const qint64 payload = at + 8;
        QByteArray fields;
        if (tag == "VP8X" && readAt(file, payload, 1, &fields)) {
            cover.m_animation = (quint8(fields[0]) & 0x02) != 0;
        } else if (tag == "ANMF" && size >= 16 && readAt(file, payload, 16, &fields)) {
            Frame frame;
            frame.rect = QRect(int(little24(fields.constData()) * 2), int(little24(fields.constData() + 3) * 2),
                               int(little24(fields.constData() + 6) + 1), int(little24(fields.constData() + 9) + 1));
            frame.overlays = hasAlpha(file, payload + 16, std::min(end, payload + size));
            cover.m_frames.push_back(frame);
        }
        at = payload + size + (size & 1);
    }
    if (!cover.m_animation)
        cover.m_frames.clear();
    return cover;
}

QRegion WebpFrameCover::covered(QRect const& canvas, int index) const
{
    if (!m_animation)
        return QRegion(canvas);
    int first = 0;
    QRegion region;
    if (canvas == m_memoCanvas && m_memoIndex >= 0 && m_memoIndex <= index) {
        first = m_memoIndex + 1;
        region = m_memo;
    }
    const int last = std::min(index, int(m_frames.size()) - 1);
    for (int i = first; i <= last; ++i) {
        // The first frame replaces the uncleared canvas; a later one with alpha blends into it.
        if (i > 0 && m_frames[size_t(i)].overlays)
            continue;
        region += m_frames[size_t(i)].rect.intersected(canvas);
        if (region.rectCount() == 1 && region.boundingRect() == canvas)
            break;
    }
    m_memoCanvas = canvas;
    m_memoIndex = index;
    m_memo = region;
    return region;
}
