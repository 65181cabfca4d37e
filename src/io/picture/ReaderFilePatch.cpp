#include "io/picture/ReaderFilePatch.h"

#include "io/picture/CachedFileView.h"
#include "io/picture/GifFileCheck.h"
#include "io/picture/HeaderRefusal.h"
#include "io/picture/ImageSignatures.h"

#include <QSize>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

// Numbers of a TIFF file in its byte order.
class TiffNumbers
{
public:
    explicit TiffNumbers(bool little) : m_little(little) {}

    quint64 read(const QByteArray& bytes, qint64 at, int size) const
    {
        quint64 value = 0;
        for (int i = 0; i < size; ++i)
            value = value << 8 | uchar(bytes.at(at + (m_little ? size - 1 - i : i)));
        return value;
    }
    QByteArray write(quint64 value, int size) const
    {
        QByteArray bytes(size, '\0');
        for (int i = 0; i < size; ++i)
            bytes[m_little ? i : size - 1 - i] = char(value >> (8 * i) & 0xff);
        return bytes;
    }

private:
    bool m_little;
};

enum PatchedTag { LengthTag = 257, RowsPerStripTag = 278, PlanarConfigTag = 284, TileWidthTag = 322 };
enum Type { Short = 3, Long = 4, Long8 = 16 };

int valueBytes(int type)
{
    return type == Short ? 2 : type == Long ? 4 : type == Long8 ? 8 : 0;
}

} // namespace

ReaderFilePatch ReaderFilePatch::of(QIODevice& device)
{
    ReaderFilePatch patch;
    CachedFileView file(device);
    const QByteArray head = HeaderRefusal::bytesAt(file, 0, ImageSignatures::headBytes);
    if (ImageSignatures::matches("gif", head) && head.size() >= 10) {
        const QSize screen(qFromLittleEndian<quint16>(head.constData() + 6), qFromLittleEndian<quint16>(head.constData() + 8));
        const QSize canvas = GifFileCheck::canvas(file).boundedTo(QSize(65535, 65535));
        if (canvas.isValid() && canvas != screen) {
            QByteArray sides(4, '\0');
            qToLittleEndian<quint16>(quint16(canvas.width()), sides.data());
            qToLittleEndian<quint16>(quint16(canvas.height()), sides.data() + 2);
            patch.m_replaced.append({6, sides});
        }
        return patch;
    }
    if (!ImageSignatures::matches("tiff", head) || head.size() < 16)
        return patch;
    const bool little = head.startsWith("II");
    const TiffNumbers numbers(little);
    const bool big = numbers.read(head, 2, 2) == 43;
    const int countBytes = big ? 8 : 2;
    const int entryBytes = big ? 20 : 12;
    const int nextBytes = big ? 8 : 4;
    const int inlineBytes = big ? 8 : 4;
    const qint64 firstAt = big ? 8 : 4;
    const quint64 first = numbers.read(head, firstAt, nextBytes);
    const QByteArray countField = HeaderRefusal::bytesAt(file, qint64(std::min<quint64>(first, quint64(file.size()))), countBytes);
    if (countField.size() < countBytes)
        return patch;
    const quint64 count = numbers.read(countField, 0, countBytes);
    if (count == 0 || count > quint64(file.size()) / entryBytes)
        return patch;
    const QByteArray entries = file.read(qint64(count) * entryBytes + nextBytes);
    if (entries.size() < qint64(count) * entryBytes + nextBytes)
        return patch;
    // The first value of each field this looks at, where it stands in the entry itself.
    quint64 height = 0;
    quint64 planar = 1;
    quint64 rows = 0;
    int rowsEntry = -1;
    bool tiled = false;
    for (quint64 i = 0; i < count; ++i) {
        const qint64 base = qint64(i) * entryBytes;
        const int tag = int(numbers.read(entries, base, 2));
        const int type = int(numbers.read(entries, base + 2, 2));
        const int size = valueBytes(type);
        const quint64 value = size > 0 ? numbers.read(entries, base + entryBytes - inlineBytes, size) : 0;
        if (tag == LengthTag)
            height = value;
        else if (tag == PlanarConfigTag)
            planar = value;
        else if (tag == TileWidthTag)
            tiled = true;
        else if (tag == RowsPerStripTag) {
            rows = value;
            rowsEntry = size > 0 && numbers.read(entries, base + 4, countBytes == 8 ? 8 : 4) == 1 ? int(i) : -2;
        }
    }
    if (planar != 2 || tiled || height == 0 || rowsEntry == -2 || (rowsEntry >= 0 && rows <= height))
        return patch;
    if (rowsEntry >= 0) {
        // The field's own value, in its own type, replaced.
        const qint64 base = qint64(rowsEntry) * entryBytes;
        const int size = valueBytes(int(numbers.read(entries, base + 2, 2)));
        patch.m_replaced.append({qint64(first) + countBytes + base + entryBytes - inlineBytes, numbers.write(height, size)});
        return patch;
    }
    // Without the field, the page's directory is shown again after the file's end with it, and the
    // header points there.
    const qint64 at = (file.size() + 1) / 2 * 2;
    if (!big && at + qint64(count + 1) * entryBytes + countBytes + nextBytes > 0xffffffffLL)
        return patch;
    QByteArray added = numbers.write(RowsPerStripTag, 2) + numbers.write(Long, 2) + numbers.write(1, big ? 8 : 4)
                       + numbers.write(height, 4) + QByteArray(inlineBytes - 4, '\0');
    QByteArray directory = QByteArray(at - file.size(), '\0') + numbers.write(count + 1, countBytes);
    bool placed = false;
    for (quint64 i = 0; i < count; ++i) {
        const QByteArray entry = entries.mid(qint64(i) * entryBytes, entryBytes);
        if (!placed && int(numbers.read(entry, 0, 2)) > RowsPerStripTag) {
            directory += added;
            placed = true;
        }
        directory += entry;
    }
    if (!placed)
        directory += added;
    directory += entries.right(nextBytes);
    patch.m_replaced.append({firstAt, numbers.write(quint64(at), nextBytes)});
    patch.m_replaced.append({file.size(), directory});
    return patch;
}

qint64 ReaderFilePatch::shownSize(qint64 fileSize) const
{
    qint64 size = fileSize;
    for (const Replaced& replaced : m_replaced)
        size = std::max(size, replaced.at + replaced.bytes.size());
    return size;
}

void ReaderFilePatch::apply(char* data, qint64 at, qint64 count) const
{
    for (const Replaced& replaced : m_replaced) {
        const qint64 from = std::max(at, replaced.at);
        const qint64 to = std::min(at + count, replaced.at + replaced.bytes.size());
        if (from < to)
            std::memcpy(data + (from - at), replaced.bytes.constData() + (from - replaced.at), size_t(to - from));
    }
}
