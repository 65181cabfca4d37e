#include "io/picture/BitmapRunLengths.h"

#include "io/picture/BitmapFileCheck.h"
#include "io/picture/HeaderRefusal.h"

#include <QIODevice>
#include <QtEndian>

namespace {

constexpr int runLengthFileHeaderBytes = 14;

// The file's bytes from an offset on, read a block at a time: a seek or a read a code would cost
// a call each over millions of codes.
class BlockReader
{
public:
    BlockReader(QIODevice& file, qint64 start) : m_file(file), m_offset(start) { m_ok = file.seek(start); }

    qint64 offset() const { return m_offset; }

    // The next byte, or -1 at the end of the file.
    int next()
    {
        if (m_at == m_block.size()) {
            m_block = m_ok ? m_file.read(blockBytes) : QByteArray();
            m_at = 0;
            if (m_block.isEmpty())
                return -1;
        }
        ++m_offset;
        return int(uchar(m_block.at(m_at++)));
    }

    bool skip(qint64 count)
    {
        for (qint64 i = 0; i < count; ++i) {
            if (next() < 0)
                return false;
        }
        return true;
    }

private:
    static constexpr qint64 blockBytes = 64 * 1024;
    QIODevice& m_file;
    QByteArray m_block;
    qsizetype m_at = 0;
    qint64 m_offset = 0;
    bool m_ok = false;
};

} // namespace

qint64 BitmapRunLengths::lastRowEnd(QIODevice& file)
{
    if (!BitmapFileCheck::isBitmapFile(file))
        return -1;
    const QByteArray head = HeaderRefusal::bytesAt(file, 0, runLengthFileHeaderBytes + 40);
    if (head.size() < runLengthFileHeaderBytes + 40)
        return -1;
    const char* info = head.constData() + runLengthFileHeaderBytes;
    const quint32 infoBytes = qFromLittleEndian<quint32>(info);
    const qint32 height = qFromLittleEndian<qint32>(info + 8);
    const quint16 bits = qFromLittleEndian<quint16>(info + 14);
    const quint32 compression = qFromLittleEndian<quint32>(info + 16);
    const bool rle8 = compression == BitmapFileCheck::Rle8 && bits == 8;
    const bool rle4 = compression == BitmapFileCheck::Rle4 && bits == 4;
    // OS/2 2.x headers (16 and 64 bytes) give these numbers other compressions.
    if (infoBytes < 40 || infoBytes == 64 || height <= 0 || !(rle8 || rle4))
        return -1;

    BlockReader codes(file, qFromLittleEndian<quint32>(head.constData() + 10));
    qint64 row = 0;
    for (;;) {
        const qint64 at = codes.offset();
        const int count = codes.next();
        const int value = codes.next();
        if (value < 0)
            return -1;
        if (count > 0)
            continue; // a run of one index
        switch (value) {
        case 0: // end of line
            if (++row == height)
                return at;
            break;
        case 1: // end of bitmap, before the last row ended
            return -1;
        case 2: { // a move right and down
            codes.next();
            const int down = codes.next();
            if (down < 0)
                return -1;
            row += down;
            if (row >= height)
                return -1;
            break;
        }
        default: { // `value` indices as they are, padded to a whole word
            const qint64 bytes = rle8 ? value : (value + 1) / 2;
            if (!codes.skip((bytes + 1) / 2 * 2))
                return -1;
            break;
        }
        }
    }
}
