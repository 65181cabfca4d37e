#include "io/picture/JpegFileCheck.h"

#include "io/picture/HeaderRefusal.h"

#include <QtEndian>

#include <cstring>

namespace {

const QString kind = QStringLiteral("JPEG file");

bool fail(QString* reason, const QString& text)
{
    return HeaderRefusal::damaged(reason, kind, text);
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

} // namespace

bool JpegFileCheck::check(QIODevice& file, QString* reason)
{
    ByteWalker walker(file);
    if (walker.take(2) != QByteArray("\xff\xd8", 2))
        return fail(reason, QStringLiteral("no start of picture"));
    bool framed = false;
    bool scanned = false;
    for (;;) {
        uchar byte = 0;
        if (!walker.toNextFF() || !walker.next(&byte))
            return fail(reason, scanned ? HeaderRefusal::endsEarly() : QStringLiteral("the header is cut short"));
        int marker = 0;
        do {
            if (!walker.next(&byte))
                return fail(reason, HeaderRefusal::endsEarly());
            marker = byte;
        } while (marker == 0xff);
        // Stuffed zeros and restart markers stand inside compressed data.
        if (marker == 0x00 || (marker >= 0xd0 && marker <= 0xd8) || marker == 0x01)
            continue;
        if (marker == 0xd9)
            break;
        const QByteArray lengthBytes = walker.take(2);
        if (lengthBytes.size() < 2)
            return fail(reason, HeaderRefusal::endsEarly());
        const int length = qFromBigEndian<quint16>(lengthBytes.constData());
        if (length < 2)
            return fail(reason, QStringLiteral("a segment of %1 bytes").arg(length));
        if (isFrame(marker)) {
            if (framed)
                return fail(reason, QStringLiteral("a second frame header"));
            framed = true;
            const QByteArray frame = walker.take(length - 2);
            if (frame.size() < 6)
                return fail(reason, QStringLiteral("the frame header is cut short"));
            const int precision = uchar(frame.at(0));
            const qint64 height = qFromBigEndian<quint16>(frame.constData() + 1);
            const qint64 width = qFromBigEndian<quint16>(frame.constData() + 3);
            const int components = uchar(frame.at(5));
            if ((marker & 3) == 3 || (marker >= 0xc5 && marker <= 0xc7) || marker >= 0xcd)
                return HeaderRefusal::unsupported(reason, kind, QStringLiteral("lossless or hierarchical coding (marker %1)")
                                                                   .arg(marker, 2, 16));
            if (precision != 8)
                return HeaderRefusal::unsupported(reason, kind, QStringLiteral("%1 bits a sample").arg(precision));
            if (components != 1 && components != 3 && components != 4)
                return fail(reason, QStringLiteral("%1 components").arg(components));
            if (frame.size() < 6 + components * 3)
                return fail(reason, QStringLiteral("the frame header is cut short"));
            for (int c = 0; c < components; ++c) {
                const int sampling = uchar(frame.at(6 + c * 3 + 1));
                if ((sampling >> 4) < 1 || (sampling >> 4) > 4 || (sampling & 15) < 1 || (sampling & 15) > 4)
                    return fail(reason, QStringLiteral("sampling factors %1").arg(sampling, 2, 16));
            }
            if (height == 0)
                return HeaderRefusal::unsupported(reason, kind, QStringLiteral("a height given after the pixels"));
            // A progressive picture's coefficients are held whole: two bytes a sample.
            const bool progressive = marker == 0xc2 || marker == 0xca;
            QString text;
            if (!HeaderRefusal::withinCap(width, height, components * (progressive ? 3 : 1), &text))
                return fail(reason, text);
            continue;
        }
        if (marker == 0xda) {
            if (!framed)
                return fail(reason, QStringLiteral("pixels before the frame header"));
            scanned = true;
        }
        if (!walker.skip(length - 2))
            return fail(reason, scanned ? HeaderRefusal::endsEarly() : QStringLiteral("a segment past the end of the file"));
    }
    if (!scanned)
        return fail(reason, QStringLiteral("no pixels"));
    return true;
}
