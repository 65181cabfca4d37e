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

enum PatchedTag {
    LengthTag = 257,
    BitsPerSampleTag = 258,
    CompressionTag = 259,
    PhotometricTag = 262,
    StripOffsetsTag = 273,
    SamplesPerPixelTag = 277,
    RowsPerStripTag = 278,
    StripByteCountsTag = 279,
    PlanarConfigTag = 284,
    ColorMapTag = 320,
    TileWidthTag = 322,
    ExtraSamplesTag = 338,
    SampleFormatTag = 339
};
enum Type { Short = 3, Long = 4, Long8 = 16 };

int valueBytes(int type)
{
    return type == Short ? 2 : type == Long ? 4 : type == Long8 ? 8 : 0;
}

// One field of a TIFF directory as it stands in the file.
struct TiffField {
    int tag = 0;
    int type = 0;
    quint64 count = 0;
    QByteArray entry; // the whole entry, as written
};

// The first page's directory of a TIFF, and how to read the values of its fields.
class TiffDirectory
{
public:
    TiffDirectory(QIODevice& file, const QByteArray& head)
        : m_file(file), m_numbers(head.startsWith("II")), m_big(m_numbers.read(head, 2, 2) == 43)
    {
        m_firstAt = m_big ? 8 : 4;
        const quint64 first = m_numbers.read(head, m_firstAt, nextBytes());
        const QByteArray countField = HeaderRefusal::bytesAt(file, qint64(std::min<quint64>(first, quint64(file.size()))), countBytes());
        if (countField.size() < countBytes())
            return;
        const quint64 count = m_numbers.read(countField, 0, countBytes());
        if (count == 0 || count > quint64(file.size()) / entryBytes())
            return;
        const QByteArray entries = file.read(qint64(count) * entryBytes());
        if (entries.size() < qint64(count) * entryBytes())
            return;
        for (quint64 i = 0; i < count; ++i) {
            TiffField field;
            field.entry = entries.mid(qint64(i) * entryBytes(), entryBytes());
            field.tag = int(m_numbers.read(field.entry, 0, 2));
            field.type = int(m_numbers.read(field.entry, 2, 2));
            field.count = m_numbers.read(field.entry, 4, m_big ? 8 : 4);
            m_fields.append(field);
        }
    }

    bool isEmpty() const { return m_fields.isEmpty(); }
    bool big() const { return m_big; }
    const TiffNumbers& numbers() const { return m_numbers; }
    qint64 firstAt() const { return m_firstAt; }
    int countBytes() const { return m_big ? 8 : 2; }
    int entryBytes() const { return m_big ? 20 : 12; }
    int nextBytes() const { return m_big ? 8 : 4; }
    const QList<TiffField>& fields() const { return m_fields; }

    const TiffField* find(int tag) const
    {
        for (const TiffField& field : m_fields) {
            if (field.tag == tag)
                return &field;
        }
        return nullptr;
    }
    // The values of a field of whole numbers (at most `limit` of them); empty when it is absent,
    // of another type or lies outside the file.
    QList<quint64> values(int tag, quint64 limit = 1 << 20) const
    {
        const TiffField* field = find(tag);
        const int size = field ? valueBytes(field->type) : 0;
        if (size == 0 || field->count == 0 || field->count > limit)
            return {};
        const qint64 bytes = qint64(field->count) * size;
        const int inlineBytes = m_big ? 8 : 4;
        const QByteArray data = bytes <= inlineBytes
                                    ? field->entry.mid(entryBytes() - inlineBytes, int(bytes))
                                    : HeaderRefusal::bytesAt(m_file, qint64(m_numbers.read(field->entry, entryBytes() - inlineBytes, inlineBytes)), bytes);
        if (data.size() < bytes)
            return {};
        QList<quint64> out;
        for (qint64 at = 0; at < bytes; at += size)
            out.append(m_numbers.read(data, at, size));
        return out;
    }
    // An entry of whole numbers, its values inline or, past what an entry holds, at `at` (where
    // *spilled gets them).
    QByteArray entry(int tag, int type, const QList<quint64>& values, qint64 at, QByteArray* spilled) const
    {
        const int size = valueBytes(type);
        const int inlineBytes = m_big ? 8 : 4;
        QByteArray data;
        for (const quint64 value : values)
            data += m_numbers.write(value, size);
        QByteArray bytes = m_numbers.write(quint64(tag), 2) + m_numbers.write(quint64(type), 2)
                           + m_numbers.write(quint64(values.size()), m_big ? 8 : 4);
        if (data.size() <= inlineBytes)
            return bytes + data + QByteArray(inlineBytes - data.size(), '\0');
        *spilled = data;
        return bytes + m_numbers.write(quint64(at), inlineBytes);
    }

private:
    QIODevice& m_file;
    TiffNumbers m_numbers;
    bool m_big = false;
    qint64 m_firstAt = 4;
    QList<TiffField> m_fields;
};

// Compressions whose strips the library's reader decodes row after row.
bool decodedByRows(quint64 compression)
{
    return compression == 1 || compression == 5 || compression == 8 || compression == 32946 || compression == 32773;
}

} // namespace

ReaderFilePatch ReaderFilePatch::planeOf(QIODevice& device, int plane)
{
    ReaderFilePatch patch;
    CachedFileView file(device);
    const QByteArray head = HeaderRefusal::bytesAt(file, 0, ImageSignatures::headBytes);
    if (!ImageSignatures::matches("tiff", head) || head.size() < 16)
        return patch;
    const TiffDirectory directory(file, head);
    if (directory.isEmpty() || directory.find(TileWidthTag))
        return patch;
    const QList<quint64> height = directory.values(LengthTag, 1);
    const QList<quint64> planar = directory.values(PlanarConfigTag, 1);
    const QList<quint64> samples = directory.values(SamplesPerPixelTag, 1);
    const QList<quint64> photometric = directory.values(PhotometricTag, 1);
    const QList<quint64> compression = directory.values(CompressionTag, 1);
    if (height.isEmpty() || height.first() == 0 || planar != QList<quint64>{2} || samples.isEmpty()
        || samples.first() < 3 || quint64(plane) >= samples.first() || photometric != QList<quint64>{2}
        || compression.isEmpty() || !decodedByRows(compression.first()))
        return patch;
    const quint64 count = samples.first();
    // One depth and one kind of sample for every plane.
    const QList<quint64> bits = directory.values(BitsPerSampleTag, count);
    const QList<quint64> formats = directory.values(SampleFormatTag, count);
    if (bits.isEmpty() || std::count(bits.begin(), bits.end(), bits.first()) != bits.size()
        || (directory.find(SampleFormatTag) && (formats.isEmpty() || std::count(formats.begin(), formats.end(), formats.first()) != formats.size())))
        return patch;
    const quint64 rows = std::min(directory.values(RowsPerStripTag, 1).value(0, height.first()), height.first());
    const quint64 perPlane = (height.first() + std::max<quint64>(rows, 1) - 1) / std::max<quint64>(rows, 1);
    const QList<quint64> offsets = directory.values(StripOffsetsTag);
    const QList<quint64> counts = directory.values(StripByteCountsTag);
    if (rows == 0 || quint64(offsets.size()) < perPlane * count || counts.size() != offsets.size())
        return patch;
    const qsizetype first = qsizetype(perPlane * quint64(plane));
    const QList<quint64> planeOffsets = offsets.mid(first, qsizetype(perPlane));
    const QList<quint64> planeCounts = counts.mid(first, qsizetype(perPlane));

    // After the file's end: the plane's strip lists where an entry cannot hold them, then the
    // directory; the header points there.
    const TiffNumbers& numbers = directory.numbers();
    const int arrayType = directory.big() ? Long8 : Long;
    const qint64 start = (file.size() + 1) / 2 * 2;
    QByteArray spilledOffsets;
    QByteArray spilledCounts;
    const QByteArray offsetsEntry = directory.entry(StripOffsetsTag, arrayType, planeOffsets, start, &spilledOffsets);
    const QByteArray countsEntry =
        directory.entry(StripByteCountsTag, arrayType, planeCounts, start + spilledOffsets.size(), &spilledCounts);
    const qint64 directoryAt = start + (spilledOffsets.size() + spilledCounts.size() + 1) / 2 * 2;
    QList<QByteArray> entries;
    QByteArray unused;
    auto single = [&](int tag, int type, quint64 value) { return directory.entry(tag, type, {value}, 0, &unused); };
    bool rowsPlaced = false;
    for (const TiffField& field : directory.fields()) {
        if (!rowsPlaced && field.tag >= RowsPerStripTag) {
            entries.append(single(RowsPerStripTag, Long, rows));
            rowsPlaced = true;
        }
        switch (field.tag) {
        case BitsPerSampleTag:
            entries.append(single(BitsPerSampleTag, Short, bits.first()));
            break;
        case PhotometricTag:
            entries.append(single(PhotometricTag, Short, 1));
            break;
        case StripOffsetsTag:
            entries.append(offsetsEntry);
            break;
        case SamplesPerPixelTag:
            entries.append(single(SamplesPerPixelTag, Short, 1));
            break;
        case StripByteCountsTag:
            entries.append(countsEntry);
            break;
        case PlanarConfigTag:
            entries.append(single(PlanarConfigTag, Short, 1));
            break;
        case SampleFormatTag:
            entries.append(single(SampleFormatTag, Short, formats.first()));
            break;
        case RowsPerStripTag:
        case ColorMapTag:
        case ExtraSamplesTag:
            break;
        default:
            entries.append(field.entry);
            break;
        }
    }
    if (!rowsPlaced)
        entries.append(single(RowsPerStripTag, Long, rows));
    QByteArray added = QByteArray(start - file.size(), '\0') + spilledOffsets + spilledCounts;
    added += QByteArray(directoryAt - start - spilledOffsets.size() - spilledCounts.size(), '\0');
    added += numbers.write(quint64(entries.size()), directory.countBytes());
    for (const QByteArray& entry : entries)
        added += entry;
    added += QByteArray(directory.nextBytes(), '\0');
    if (!directory.big() && file.size() + added.size() > 0xffffffffLL)
        return patch;
    patch.m_replaced.append({directory.firstAt(), numbers.write(quint64(directoryAt), directory.nextBytes())});
    patch.m_replaced.append({file.size(), added});
    return patch;
}

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
