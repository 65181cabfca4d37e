#include "io/picture/TiffFileCheck.h"

#include "io/picture/CachedFileView.h"
#include "io/picture/HeaderRefusal.h"

#include <QHash>
#include <QSet>
#include <QtEndian>

#include <algorithm>
#include <vector>

namespace {

const QString tiffKind = QStringLiteral("TIFF file");

bool failTiff(QString* reason, const QString& text)
{
    return HeaderRefusal::damaged(reason, tiffKind, text);
}

// Pages of one file, at most: as many as the image library walks.
constexpr int maxPages = 65536;
// Compressions the library's TIFF reader decodes.
constexpr int knownCompressions[] = {1, 2, 3, 4, 5, 7, 8, 32773, 32946, 34925, 50000, 50001};

int typeBytes(int type)
{
    switch (type) {
    case 1: case 2: case 6: case 7:
        return 1;
    case 3: case 8:
        return 2;
    case 4: case 9: case 11: case 13:
        return 4;
    case 5: case 10: case 12: case 16: case 17: case 18:
        return 8;
    default:
        return 0;
    }
}

struct Entry {
    int type = 0;
    quint64 count = 0;
    QByteArray inlineValue;
    quint64 offset = 0;
};

class Directory
{
public:
    Directory(QIODevice& file, bool little, bool big) : m_file(file), m_little(little), m_big(big) {}

    quint64 number(const QByteArray& bytes, int at, int size) const
    {
        quint64 value = 0;
        for (int i = 0; i < size; ++i) {
            const quint64 byte = uchar(bytes.at(at + (m_little ? size - 1 - i : i)));
            value = value << 8 | byte;
        }
        return value;
    }
    // Reads the directory at `at`; the next one's offset, or -1 with *text set.
    qint64 read(quint64 at, QString* text)
    {
        m_entries.clear();
        const int countBytes = m_big ? 8 : 2;
        const int entryBytes = m_big ? 20 : 12;
        const QByteArray countField = HeaderRefusal::bytesAt(m_file, qint64(at), countBytes);
        if (countField.size() < countBytes) {
            *text = QStringLiteral("a directory past the end of the file");
            return -1;
        }
        const quint64 count = number(countField, 0, countBytes);
        if (count == 0 || count > quint64(m_file.size()) / entryBytes) {
            *text = QStringLiteral("a directory of %1 fields").arg(count);
            return -1;
        }
        const int nextBytes = m_big ? 8 : 4;
        const QByteArray entries = m_file.read(qint64(count) * entryBytes + nextBytes);
        if (entries.size() < qint64(count) * entryBytes + nextBytes) {
            *text = QStringLiteral("a directory past the end of the file");
            return -1;
        }
        const int valueBytes = m_big ? 8 : 4;
        for (quint64 i = 0; i < count; ++i) {
            const int base = int(i) * entryBytes;
            Entry entry;
            const int tag = int(number(entries, base, 2));
            entry.type = int(number(entries, base + 2, 2));
            entry.count = number(entries, base + 4, m_big ? 8 : 4);
            entry.inlineValue = entries.mid(base + entryBytes - valueBytes, valueBytes);
            entry.offset = number(entries, base + entryBytes - valueBytes, valueBytes);
            // Which of two the reader takes is its own affair: a field stands once.
            if (m_entries.contains(tag)) {
                *text = QStringLiteral("field %1 given twice").arg(tag);
                return -1;
            }
            m_entries.insert(tag, entry);
        }
        return qint64(number(entries, int(count) * entryBytes, nextBytes));
    }
    bool has(int tag) const { return m_entries.contains(tag); }
    // The field's values as numbers; false with *text when they lie outside the file.
    bool values(int tag, std::vector<quint64>* out, QString* text) const
    {
        out->clear();
        const Entry entry = m_entries.value(tag);
        const int size = typeBytes(entry.type);
        if (size == 0 || size > 8 || (entry.type != 1 && entry.type != 3 && entry.type != 4 && entry.type != 16)) {
            *text = QStringLiteral("field %1 of type %2").arg(tag).arg(entry.type);
            return false;
        }
        if (entry.count == 0 || entry.count > quint64(m_file.size()) / size) {
            *text = QStringLiteral("field %1 of %2 values").arg(tag).arg(entry.count);
            return false;
        }
        const qint64 bytes = qint64(entry.count) * size;
        const QByteArray data = bytes <= entry.inlineValue.size() ? entry.inlineValue
                                                                  : HeaderRefusal::bytesAt(m_file, qint64(entry.offset), bytes);
        if (data.size() < bytes) {
            *text = QStringLiteral("field %1 past the end of the file").arg(tag);
            return false;
        }
        out->reserve(size_t(entry.count));
        for (qint64 i = 0; i < qint64(entry.count); ++i)
            out->push_back(number(data, int(i * size), size));
        return true;
    }
    // The field's first value, or `fallback` when the page lacks it.
    bool value(int tag, quint64 fallback, quint64* out, QString* text) const
    {
        if (!has(tag)) {
            *out = fallback;
            return true;
        }
        std::vector<quint64> all;
        if (!values(tag, &all, text))
            return false;
        *out = all.front();
        return true;
    }

private:
    QIODevice& m_file;
    bool m_little;
    bool m_big;
    QHash<int, Entry> m_entries;
};

enum Tag {
    Width = 256, Length = 257, BitsPerSample = 258, Compression = 259, Photometric = 262,
    StripOffsets = 273, SamplesPerPixel = 277, RowsPerStrip = 278, StripByteCounts = 279,
    PlanarConfig = 284, ColorMap = 320, TileWidth = 322, TileLength = 323, TileOffsets = 324,
    TileByteCounts = 325,
};

// The checks of one page; false with *text.
bool checkPage(QIODevice& file, const Directory& page, qint64 fileSize, QString* text, bool* unsupported)
{
    quint64 width = 0, height = 0, samples = 0, compression = 0, photometric = 0, planar = 0;
    if (!page.has(Width) || !page.has(Length)) {
        *text = QStringLiteral("a page without its sides");
        return false;
    }
    if (!page.value(Width, 0, &width, text) || !page.value(Length, 0, &height, text)
        || !page.value(SamplesPerPixel, 1, &samples, text) || !page.value(Compression, 1, &compression, text)
        || !page.value(Photometric, 1, &photometric, text) || !page.value(PlanarConfig, 1, &planar, text))
        return false;
    std::vector<quint64> depths = {1};
    if (page.has(BitsPerSample) && !page.values(BitsPerSample, &depths, text))
        return false;
    const quint64 depth = depths.front();
    for (quint64 d : depths) {
        if (d == 0 || (d > 32 && d != 64) || d != depth) {
            *text = QStringLiteral("a depth of %1 bits a sample").arg(d);
            return false;
        }
    }
    if (samples == 0 || samples > 1024) {
        *text = QStringLiteral("%1 samples a pixel").arg(samples);
        return false;
    }
    if (planar != 1 && planar != 2) {
        *text = QStringLiteral("planar configuration %1").arg(planar);
        return false;
    }
    if (std::find(std::begin(knownCompressions), std::end(knownCompressions), compression) == std::end(knownCompressions)) {
        *unsupported = true;
        *text = QStringLiteral("compression %1").arg(compression);
        return false;
    }
    const quint64 colourSamples = photometric == 2 || photometric == 6 || photometric == 8 ? 3 : photometric == 5 ? 4 : 1;
    if (photometric > 8 && photometric != 32844 && photometric != 32845) {
        *unsupported = true;
        *text = QStringLiteral("colour model %1").arg(photometric);
        return false;
    }
    if (samples < colourSamples || (photometric == 3 && (depth > 16 || !page.has(ColorMap)))) {
        *text = QStringLiteral("colour model %1 with %2 samples of %3 bits").arg(photometric).arg(samples).arg(depth);
        return false;
    }
    if (photometric == 3) {
        std::vector<quint64> map;
        if (!page.values(ColorMap, &map, text))
            return false;
        if (map.size() < 3 * (size_t(1) << depth)) {
            *text = QStringLiteral("a colour map of %1 values for %2 bits a sample").arg(map.size()).arg(depth);
            return false;
        }
    }
    const qint64 sampleBytes = (qint64(depth) + 7) / 8;
    if (!HeaderRefusal::withinCap(qint64(width), qint64(height), qint64(samples) * sampleBytes, text))
        return false;
    const qint64 planes = planar == 2 ? qint64(samples) : 1;
    const qint64 planeSamples = planar == 2 ? 1 : qint64(samples);
    const bool tiled = page.has(TileWidth) || page.has(TileLength);
    qint64 pieces = 0;
    qint64 pieceBytes = 0; // uncompressed, each
    qint64 lastPieceBytes = 0;
    if (tiled) {
        quint64 tileWidth = 0, tileLength = 0;
        if (!page.value(TileWidth, 0, &tileWidth, text) || !page.value(TileLength, 0, &tileLength, text))
            return false;
        if (tileWidth == 0 || tileLength == 0 || tileWidth % 16 || tileLength % 16 || tileWidth > 65536
            || tileLength > 65536 || qint64(tileWidth * tileLength) * planeSamples * sampleBytes > (qint64(256) << 20)) {
            *text = QStringLiteral("tiles of %1 x %2 pixels").arg(tileWidth).arg(tileLength);
            return false;
        }
        pieces = qint64((width + tileWidth - 1) / tileWidth) * qint64((height + tileLength - 1) / tileLength) * planes;
        pieceBytes = (qint64(tileWidth) * planeSamples * qint64(depth) + 7) / 8 * qint64(tileLength);
        lastPieceBytes = pieceBytes;
    } else {
        quint64 rows = 0;
        if (!page.value(RowsPerStrip, height, &rows, text))
            return false;
        // A strip holds at most the picture's rows, whatever the field says (its default is
        // 2^32 - 1): the reader holds a strip of each plane, within the picture's own bytes. (It
        // sizes that buffer by the field, so it is shown the rows; see ReaderFilePatch.)
        rows = std::clamp<quint64>(rows, 1, height);
        const qint64 rowBytes = (qint64(width) * planeSamples * qint64(depth) + 7) / 8;
        const qint64 perPlane = qint64((height + rows - 1) / rows);
        pieces = perPlane * planes;
        pieceBytes = rowBytes * qint64(rows);
        lastPieceBytes = rowBytes * (qint64(height) - (perPlane - 1) * qint64(rows));
    }
    const int offsetsTag = tiled ? TileOffsets : StripOffsets;
    const int countsTag = tiled ? TileByteCounts : StripByteCounts;
    std::vector<quint64> offsets;
    std::vector<quint64> counts;
    if (!page.has(offsetsTag)) {
        *text = QStringLiteral("a page without its pixels");
        return false;
    }
    if (!page.values(offsetsTag, &offsets, text) || (page.has(countsTag) && !page.values(countsTag, &counts, text)))
        return false;
    if (qint64(offsets.size()) < pieces || (!counts.empty() && counts.size() < offsets.size())) {
        *text = QStringLiteral("%1 of the %2 %3 its sides need").arg(offsets.size()).arg(pieces)
                    .arg(tiled ? QStringLiteral("tiles") : QStringLiteral("strips"));
        return false;
    }
    // Where each deflated piece begins, with its number: looked at in file order, so that the
    // file is read forward once however the pieces are listed.
    std::vector<std::pair<quint64, qint64>> streams;
    const bool deflated = compression == 8 || compression == 32946;
    for (qint64 i = 0; i < pieces; ++i) {
        const bool last = !tiled && (i + 1) % (pieces / planes) == 0;
        const qint64 needed = compression == 1 ? (last ? lastPieceBytes : pieceBytes) : 1;
        const qint64 stored = counts.empty() ? needed : qint64(std::min<quint64>(counts[size_t(i)], quint64(fileSize)));
        if (stored < needed || offsets[size_t(i)] > quint64(fileSize) || qint64(offsets[size_t(i)]) + stored > fileSize) {
            *text = HeaderRefusal::endsEarly();
            return false;
        }
        if (deflated)
            streams.emplace_back(offsets[size_t(i)], i);
    }
    std::sort(streams.begin(), streams.end());
    streams.erase(std::unique(streams.begin(), streams.end(),
                              [](const auto& a, const auto& b) { return a.first == b.first; }),
                  streams.end());
    // The reader decodes deflated strips itself and leaves zeros where a stream is no stream.
    for (const auto& [offset, i] : streams) {
        const QByteArray head = HeaderRefusal::bytesAt(file, qint64(offset), 2);
        if (head.size() < 2 || (uchar(head.at(0)) & 0x0f) != 8 || (uchar(head.at(0)) * 256 + uchar(head.at(1))) % 31 != 0) {
            *text = QStringLiteral("%1 %2 holds no compressed data").arg(tiled ? QStringLiteral("tile") : QStringLiteral("strip")).arg(i + 1);
            return false;
        }
    }
    return true;
}

} // namespace

bool TiffFileCheck::planesApart(QIODevice& device)
{
    CachedFileView file(device);
    const QByteArray head = HeaderRefusal::bytesAt(file, 0, 16);
    const bool little = head.startsWith("II");
    if (head.size() < 16 || (!little && !head.startsWith("MM")))
        return false;
    const Directory probe(file, little, false);
    const bool big = probe.number(head, 2, 2) == 43;
    Directory first(file, little, big);
    QString text;
    quint64 planar = 1;
    quint64 samples = 1;
    return first.read(big ? probe.number(head, 8, 8) : probe.number(head, 4, 4), &text) >= 0
           && first.value(PlanarConfig, 1, &planar, &text) && first.value(SamplesPerPixel, 1, &samples, &text)
           && planar == 2 && samples > 1;
}

bool TiffFileCheck::check(QIODevice& device, QString* reason)
{
    CachedFileView file(device);
    const QByteArray head = HeaderRefusal::bytesAt(file, 0, 16);
    if (head.size() < 8)
        return failTiff(reason, QStringLiteral("the header is cut short"));
    const bool little = head.startsWith("II");
    if (!little && !head.startsWith("MM"))
        return failTiff(reason, QStringLiteral("no byte order"));
    Directory probe(file, little, false);
    const quint64 version = probe.number(head, 2, 2);
    const bool big = version == 43;
    if (version != 42 && !big)
        return failTiff(reason, QStringLiteral("version %1").arg(version));
    if (big && (head.size() < 16 || probe.number(head, 4, 2) != 8))
        return failTiff(reason, QStringLiteral("the header is cut short"));
    const quint64 first = big ? probe.number(head, 8, 8) : probe.number(head, 4, 4);
    if (first == 0)
        return failTiff(reason, QStringLiteral("no page"));
    // The first page is the one read: it is judged whole.
    Directory page(file, little, big);
    QString text;
    const qint64 following = page.read(first, &text);
    if (following < 0)
        return failTiff(reason, text);
    bool unsupported = false;
    if (!checkPage(file, page, file.size(), &text, &unsupported))
        return unsupported ? HeaderRefusal::unsupported(reason, tiffKind, text) : failTiff(reason, text);
    // Of the pages after it, only the chain of directories: one that goes round is damage.
    QSet<quint64> seen = {first};
    const int countBytes = big ? 8 : 2;
    const int entryBytes = big ? 20 : 12;
    const int nextBytes = big ? 8 : 4;
    for (quint64 next = quint64(following); next != 0;) {
        if (seen.size() >= maxPages || seen.contains(next))
            return failTiff(reason, QStringLiteral("directories that go round or on without end"));
        seen.insert(next);
        const QString past = QStringLiteral("page %1: a directory past the end of the file").arg(seen.size());
        if (next >= quint64(file.size()))
            return failTiff(reason, past);
        const QByteArray countField = HeaderRefusal::bytesAt(file, qint64(next), countBytes);
        const quint64 count = countField.size() == countBytes ? page.number(countField, 0, countBytes) : quint64(file.size());
        if (count >= quint64(file.size()) / entryBytes)
            return failTiff(reason, past);
        const QByteArray nextField = HeaderRefusal::bytesAt(file, qint64(next + countBytes + count * entryBytes), nextBytes);
        if (nextField.size() < nextBytes)
            return failTiff(reason, past);
        next = page.number(nextField, 0, nextBytes);
    }
    return true;
}
