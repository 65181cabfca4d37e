#include "io/picture/JpegFileCheck.h"

#include "io/picture/HeaderRefusal.h"

#include <QList>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

const QString jpegKind = QStringLiteral("JPEG file");

bool failJpeg(QString* reason, const QString& text)
{
    return HeaderRefusal::damaged(reason, jpegKind, text);
}

// Reads the file forward in blocks, so that the compressed data of a large picture is walked
// without a read a byte.
class ByteWalker
{
public:
    explicit ByteWalker(QIODevice& file) : m_file(file) { m_file.seek(0); }

    qint64 pos() const { return m_base + m_at; }
    bool next(uchar* byte)
    {
        if (m_at >= m_block.size() && !refill())
            return false;
        *byte = uchar(m_block.at(m_at++));
        return true;
    }
    bool skip(qint64 count)
    {
        const qint64 target = pos() + count;
        if (target > m_file.size())
            return false;
        // Within the block held, the file is not moved in: a file of many small segments is
        // read once.
        if (target <= m_base + m_block.size()) {
            m_at = target - m_base;
            return true;
        }
        m_base = target;
        m_at = 0;
        m_block.clear();
        return m_file.seek(target);
    }
    QByteArray take(int count)
    {
        QByteArray bytes;
        uchar byte = 0;
        while (bytes.size() < count && next(&byte))
            bytes.append(char(byte));
        return bytes;
    }
    // Moves on to the next 0xff byte; false at the end of the file.
    bool toNextFF()
    {
        for (;;) {
            if (m_at >= m_block.size() && !refill())
                return false;
            const char* start = m_block.constData() + m_at;
            const void* found = std::memchr(start, 0xff, size_t(m_block.size() - m_at));
            if (found) {
                m_at += static_cast<const char*>(found) - start;
                return true;
            }
            m_at = m_block.size();
        }
    }

private:
    bool refill()
    {
        m_base += m_block.size();
        m_at = 0;
        m_block = m_file.read(1 << 16);
        return !m_block.isEmpty();
    }

    QIODevice& m_file;
    QByteArray m_block;
    qint64 m_base = 0;
    qint64 m_at = 0;
};

bool isFrame(int marker)
{
    return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
}

// The decoder goes over every block of a scan's components once a scan, whatever the scan holds:
// a file of a thousand scans of a few bytes each holds the window for tens of seconds. Encoders
// write a few: libjpeg's progressive scripts go over the picture's blocks about five times
// (a grey picture six), the scan optimisers a few more. Beyond this many it is no photo.
constexpr qint64 maxPasses = 32;

// The blocks of a frame's components, each sampled at (h, v) of the largest (hMax, vMax).
class FrameBlocks
{
public:
    struct Component {
        int id = 0;
        int h = 1;
        int v = 1;
    };

    FrameBlocks(qint64 width, qint64 height, const QList<Component>& components)
        : m_width(width), m_height(height), m_components(components)
    {
        for (const Component& c : components) {
            m_hMax = std::max(m_hMax, c.h);
            m_vMax = std::max(m_vMax, c.v);
        }
    }
    // Blocks of every component, as the decoder holds them.
    qint64 all() const { return interleaved(m_components); }
    // The bytes of the decoder's store of every block's coefficients, which it holds whole while
    // the scans come in more than one pass: each component's blocks, rounded up to its sampling,
    // of 64 coefficients of two bytes.
    qint64 coefficientBytes() const
    {
        qint64 bytes = 0;
        for (const Component& c : m_components) {
            const qint64 across = (m_width * c.h + 8 * m_hMax - 1) / (8 * m_hMax);
            const qint64 down = (m_height * c.v + 8 * m_vMax - 1) / (8 * m_vMax);
            bytes += (across + c.h - 1) / c.h * c.h * ((down + c.v - 1) / c.v * c.v) * 128;
        }
        return bytes;
    }
    int components() const { return int(m_components.size()); }
    // Blocks a scan of these component ids goes over.
    qint64 scan(const QList<int>& ids) const
    {
        QList<Component> in;
        for (int id : ids) {
            for (const Component& c : m_components) {
                if (c.id == id)
                    in.append(c);
            }
        }
        if (in.size() != 1)
            return in.isEmpty() ? all() : interleaved(in);
        const Component& c = in.first();
        const qint64 width = (m_width * c.h + m_hMax - 1) / m_hMax;
        const qint64 height = (m_height * c.v + m_vMax - 1) / m_vMax;
        return (width + 7) / 8 * ((height + 7) / 8);
    }

private:
    qint64 interleaved(const QList<Component>& components) const
    {
        const qint64 units = (m_width + 8 * m_hMax - 1) / (8 * m_hMax) * ((m_height + 8 * m_vMax - 1) / (8 * m_vMax));
        qint64 perUnit = 0;
        for (const Component& c : components)
            perUnit += c.h * c.v;
        return units * perUnit;
    }

    qint64 m_width;
    qint64 m_height;
    QList<Component> m_components;
    int m_hMax = 1;
    int m_vMax = 1;
};

} // namespace

bool JpegFileCheck::check(QIODevice& file, QString* reason)
{
    QSize sides;
    return check(file, reason, &sides);
}

bool JpegFileCheck::check(QIODevice& file, QString* reason, QSize* sides)
{
    qint64 heldOnOpen = 0;
    return check(file, reason, sides, &heldOnOpen);
}

bool JpegFileCheck::check(QIODevice& file, QString* reason, QSize* sides, qint64* heldOnOpen)
{
    *heldOnOpen = 0;
    ByteWalker walker(file);
    if (walker.take(2) != QByteArray("\xff\xd8", 2))
        return failJpeg(reason, QStringLiteral("no start of picture"));
    bool framed = false;
    bool scanned = false;
    std::optional<FrameBlocks> blocks;
    bool progressive = false;
    // The decoder takes in the whole file when it starts, into its store of coefficients, when
    // the picture comes in more than one scan: progressive, or its first scan lacking components.
    bool wholeStore = false;
    qint64 scans = 0;
    qint64 scanBlocks = 0;
    for (;;) {
        uchar byte = 0;
        if (!walker.toNextFF() || !walker.next(&byte))
            return failJpeg(reason, scanned ? HeaderRefusal::endsEarly() : QStringLiteral("the header is cut short"));
        int marker = 0;
        do {
            if (!walker.next(&byte))
                return failJpeg(reason, HeaderRefusal::endsEarly());
            marker = byte;
        } while (marker == 0xff);
        // Stuffed zeros and restart markers stand inside compressed data.
        if (marker == 0x00 || (marker >= 0xd0 && marker <= 0xd8) || marker == 0x01)
            continue;
        if (marker == 0xd9)
            break;
        const QByteArray lengthBytes = walker.take(2);
        if (lengthBytes.size() < 2)
            return failJpeg(reason, HeaderRefusal::endsEarly());
        const int length = qFromBigEndian<quint16>(lengthBytes.constData());
        if (length < 2)
            return failJpeg(reason, QStringLiteral("a segment of %1 bytes").arg(length));
        if (isFrame(marker)) {
            if (framed)
                return failJpeg(reason, QStringLiteral("a second frame header"));
            framed = true;
            const QByteArray frame = walker.take(length - 2);
            if (frame.size() < 6)
                return failJpeg(reason, QStringLiteral("the frame header is cut short"));
            const int precision = uchar(frame.at(0));
            const qint64 height = qFromBigEndian<quint16>(frame.constData() + 1);
            const qint64 width = qFromBigEndian<quint16>(frame.constData() + 3);
            const int components = uchar(frame.at(5));
            if ((marker & 3) == 3 || (marker >= 0xc5 && marker <= 0xc7) || marker >= 0xcd)
                return HeaderRefusal::unsupported(reason, jpegKind, QStringLiteral("lossless or hierarchical coding (marker %1)")
                                                                   .arg(marker, 2, 16));
            if (precision != 8)
                return HeaderRefusal::unsupported(reason, jpegKind, QStringLiteral("%1 bits a sample").arg(precision));
            if (components != 1 && components != 3 && components != 4)
                return failJpeg(reason, QStringLiteral("%1 components").arg(components));
            if (frame.size() < 6 + components * 3)
                return failJpeg(reason, QStringLiteral("the frame header is cut short"));
            QList<FrameBlocks::Component> sampled;
            for (int c = 0; c < components; ++c) {
                const int sampling = uchar(frame.at(6 + c * 3 + 1));
                if ((sampling >> 4) < 1 || (sampling >> 4) > 4 || (sampling & 15) < 1 || (sampling & 15) > 4)
                    return failJpeg(reason, QStringLiteral("sampling factors %1").arg(sampling, 2, 16));
                sampled.append({uchar(frame.at(6 + c * 3)), sampling >> 4, sampling & 15});
            }
            if (height == 0)
                return HeaderRefusal::unsupported(reason, jpegKind, QStringLiteral("a height given after the pixels"));
            progressive = marker == 0xc2 || marker == 0xca;
            // A picture of several passes has its coefficients held whole (see heldOnOpen): two
            // bytes each, each component at its own sampling, at most some 8 bytes a pixel beside
            // the picture given, which the reader's limit for the pixels claimed holds at the cap.
            QString text;
            if (!HeaderRefusal::withinCap(width, height, components, &text))
                return failJpeg(reason, text);
            blocks.emplace(width, height, sampled);
            *sides = QSize(int(width), int(height));
            continue;
        }
        if (marker == 0xda) {
            if (!framed)
                return failJpeg(reason, QStringLiteral("pixels before the frame header"));
            scanned = true;
            const QByteArray header = walker.take(length - 2);
            if (header.size() < length - 2)
                return failJpeg(reason, HeaderRefusal::endsEarly());
            if (header.isEmpty() || header.size() < 1 + 2 * uchar(header.at(0)))
                return failJpeg(reason, QStringLiteral("a scan header of %1 bytes").arg(length));
            QList<int> ids;
            for (int c = 0; c < uchar(header.at(0)); ++c)
                ids.append(uchar(header.at(1 + 2 * c)));
            if (scans == 0)
                wholeStore = progressive || ids.size() < blocks->components();
            ++scans;
            scanBlocks += blocks->scan(ids);
            if (scanBlocks > maxPasses * blocks->all())
                return HeaderRefusal::unsupported(reason, jpegKind, QStringLiteral("more than %1 passes over its pixels in its first %2 scans")
                                                                   .arg(maxPasses).arg(scans));
            continue;
        }
        if (!walker.skip(length - 2))
            return failJpeg(reason, scanned ? HeaderRefusal::endsEarly() : QStringLiteral("a segment past the end of the file"));
    }
    if (!scanned)
        return failJpeg(reason, QStringLiteral("no pixels"));
    if (wholeStore)
        *heldOnOpen = blocks->coefficientBytes();
    return true;
}
