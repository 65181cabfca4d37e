#include "io/picture/OpenExrFileCheck.h"

#include "io/picture/CachedFileView.h"
#include "io/picture/HeaderRefusal.h"

#include "io/RegularFileReader.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QtEndian>

#include <algorithm>
#include <iterator>

namespace {

const char exrSignature[4] = {'\x76', '\x2f', '\x31', '\x01'};
constexpr quint32 longNamesFlag = 0x400;
constexpr quint32 multiPartFlag = 0x1000;

void setExrReason(QString* reason, const QString& text)
{
    if (reason)
        *reason = QStringLiteral("Damaged OpenEXR file: %1").arg(text);
}

// A name ended by a zero byte, at most `limit` bytes long; empty when the zero comes first.
bool readName(QIODevice& file, int limit, QByteArray* name)
{
    name->clear();
    char c = 0;
    while (file.getChar(&c)) {
        if (c == '\0')
            return true;
        if (name->size() >= limit)
            return false;
        name->append(c);
    }
    return false;
}

bool readInt32(QIODevice& file, qint64* value)
{
    unsigned char bytes[4];
    if (file.read(reinterpret_cast<char*>(bytes), 4) != 4)
        return false;
    *value = qint32(quint32(bytes[0]) | quint32(bytes[1]) << 8 | quint32(bytes[2]) << 16
                    | quint32(bytes[3]) << 24);
    return true;
}

constexpr quint32 tiledFlag = 0x200;

// The bytes of a value of each type of a fixed size; 0 for types of any size.
qint64 fixedSize(const QByteArray& type)
{
    static const QHash<QByteArray, qint64> sizes = {
        {"box2i", 16}, {"box2f", 16}, {"compression", 1}, {"envmap", 1}, {"lineOrder", 1}, {"deepImageState", 1},
        {"float", 4}, {"int", 4}, {"double", 8}, {"rational", 8}, {"timecode", 8}, {"v2i", 8}, {"v2f", 8},
        {"v2d", 16}, {"v3i", 12}, {"v3f", 12}, {"v3d", 24}, {"m33f", 36}, {"m33d", 72}, {"m44f", 64}, {"m44d", 128},
        {"tiledesc", 9}, {"keycode", 28}, {"chromaticities", 32}};
    return sizes.value(type, 0);
}

// Rows of one chunk of a scan-line file, by compression.
int rowsPerChunk(int compression)
{
    switch (compression) {
    case 3: case 5:
        return 16;
    case 4: case 6: case 7: case 8:
        return 32;
    case 9:
        return 256;
    default:
        return 1;
    }
}

// Whether the table of chunk offsets that follows a single-part header, one entry a chunk of the
// data window, fits in the file: sides that claim more chunks than the file could list lie.
// The most bytes of pixels one byte of a compression's data stands for; 0 where no bound is known.
double maxExrInflation(int compression)
{
    switch (compression) {
    case 0:
        return 1;
    case 1:
        return 128; // a run of 127 repeats in two bytes
    case 2: case 3: case 5:
        return 1032; // deflate
    default:
        return 0;
    }
}

bool chunksHeld(QIODevice& file, qint64 version, qint64 tileWidth, qint64 tileHeight, const qint64 (&window)[4],
                int compression, double pixelBytes, QString* reason, qint64* heldOnOpen)
{
    const qint64 width = window[2] - window[0] + 1;
    const qint64 height = window[3] - window[1] + 1;
    if (width <= 0 || height <= 0)
        return true; // the reader refuses it itself
    const bool tiled = (version & tiledFlag) && tileWidth > 0 && tileHeight > 0;
    const qint64 chunks = tiled ? ((width + tileWidth - 1) / tileWidth) * ((height + tileHeight - 1) / tileHeight)
                                : (height + rowsPerChunk(compression) - 1) / rowsPerChunk(compression);
    if (chunks > (file.size() - file.pos()) / 8) {
        setExrReason(reason, QStringLiteral("%1 x %2 pixels in %3 chunks, more than the file lists")
                              .arg(width).arg(height).arg(chunks));
        return false;
    }
    // Pixels the compressed data could not hold are not in the file.
    const double held = double(file.size() - file.pos()) * maxExrInflation(compression) + 4096;
    if (maxExrInflation(compression) > 0 && double(width) * double(height) * pixelBytes > held) {
        setExrReason(reason, QStringLiteral("the file ends before its pixel data"));
        return false;
    }
    // The table of chunks, and a chunk's pixels both as stored and undone, which the library
    // makes room for as it opens the file (a chunk of 256 rows of a wide picture is no little).
    const double chunkPixels = tiled ? double(tileWidth) * double(tileHeight) : double(width) * rowsPerChunk(compression);
    *heldOnOpen += chunks * 8 + qint64(2 * chunkPixels * pixelBytes);
    return true;
}

} // namespace

bool OpenExrFileCheck::isOpenExrFile(const QString& path)
{
    QFile file;
    return KelUtils::RegularFileReader::open(path, -1, &file, nullptr) && isOpenExrFile(file);
}

bool OpenExrFileCheck::isOpenExrFile(QIODevice& file)
{
    return file.seek(0) && file.read(4) == QByteArray(exrSignature, 4);
}

bool OpenExrFileCheck::check(const QString& path, QString* reason)
{
    QFile file;
    if (!KelUtils::RegularFileReader::open(path, -1, &file, nullptr)) {
        setExrReason(reason, QStringLiteral("no signature"));
        return false;
    }
    return check(file, reason);
}

bool OpenExrFileCheck::check(QIODevice& device, QString* reason)
{
    qint64 heldOnOpen = 0;
    return check(device, reason, &heldOnOpen);
}

bool OpenExrFileCheck::check(QIODevice& device, QString* reason, qint64* heldOnOpen)
{
    *heldOnOpen = 0;
    CachedFileView file(device);
    if (!file.seek(0) || file.read(4) != QByteArray(exrSignature, 4)) {
        setExrReason(reason, QStringLiteral("no signature"));
        return false;
    }
    qint64 version = 0;
    if (!readInt32(file, &version)) {
        setExrReason(reason, QStringLiteral("no version"));
        return false;
    }
    const int nameLimit = (version & longNamesFlag) ? 255 : 31;
    const bool multiPart = version & multiPartFlag;
    QByteArray name;
    QByteArray type;
    qint64 tileWidth = 0;
    qint64 tileHeight = 0;
    qint64 window[4] = {};
    int compression = 0;
    double pixelBytes = 0;
    QSet<QByteArray> names;
    for (;;) {
        if (!readName(file, nameLimit, &name)) {
            setExrReason(reason, QStringLiteral("attribute name cut off or too long"));
            return false;
        }
        if (name.isEmpty()) {
            // The end of a header; a multi-part file ends its list of headers with an empty one.
            if (!multiPart)
                return chunksHeld(file, version, tileWidth, tileHeight, window, compression, pixelBytes, reason,
                                  heldOnOpen);
            char next = 0;
            if (!file.peek(&next, 1)) {
                setExrReason(reason, QStringLiteral("headers cut off"));
                return false;
            }
            if (next == '\0')
                return true;
            names.clear();
            continue;
        }
        // Which of two the library keeps is its own affair: an attribute stands once.
        if (names.contains(name)) {
            setExrReason(reason, QStringLiteral("attribute \"%1\" given twice").arg(QString::fromLatin1(name)));
            return false;
        }
        names.insert(name);
        qint64 size = 0;
        if (!readName(file, nameLimit, &type) || type.isEmpty() || !readInt32(file, &size)) {
            setExrReason(reason, QStringLiteral("attribute \"%1\" cut off").arg(QString::fromLatin1(name)));
            return false;
        }
        if (size < 0 || size > file.size() - file.pos()) {
            setExrReason(reason, QStringLiteral("attribute \"%1\" of %2 bytes is larger than the file")
                                  .arg(QString::fromLatin1(name))
                                  .arg(size));
            return false;
        }
        // The library reads a value of a fixed size as that size, whatever size it is given.
        const qint64 natural = fixedSize(type);
        if (natural > 0 && size != natural) {
            setExrReason(reason, QStringLiteral("attribute \"%1\" of %2 bytes for a value of %3")
                                  .arg(QString::fromLatin1(name)).arg(size).arg(natural));
            return false;
        }
        if (type == "preview") {
            // Its pixels are made before they are read.
            qint64 width = 0;
            qint64 height = 0;
            readInt32(file, &width);
            readInt32(file, &height);
            width &= 0xffffffff;
            height &= 0xffffffff;
            if (size < 8 || width * height * 4 != size - 8) {
                setExrReason(reason, QStringLiteral("a preview of %1 x %2 pixels in %3 bytes").arg(width).arg(height).arg(size));
                return false;
            }
            size -= 8;
            *heldOnOpen += size;
        }
        if (name == "tiles" && type == "tiledesc" && size >= 8) {
            qint64 width = 0;
            qint64 height = 0;
            readInt32(file, &width);
            readInt32(file, &height);
            size -= 8;
            width &= 0xffffffff;
            height &= 0xffffffff;
            tileWidth = width;
            tileHeight = height;
            // Each side checked first: the product of two forged sides overflows.
            const qint64 limit = OpenExrFileCheck::maxTilePixels;
            if (width == 0 || height == 0 || width > limit || height > limit || width * height > limit) {
                setExrReason(reason, QStringLiteral("tiles of %1 x %2 pixels").arg(width).arg(height));
                return false;
            }
        }
        if ((name == "dataWindow" || name == "displayWindow") && type == "box2i" && size == 16) {
            qint64 box[4] = {};
            for (qint64& value : box)
                readInt32(file, &value);
            size -= 16;
            if (name == "dataWindow")
                std::copy(std::begin(box), std::end(box), std::begin(window));
            // The reader holds a table of every chunk of the window's rows when it opens the file.
            QString text;
            if (name == "dataWindow" && !HeaderRefusal::withinCap(box[2] - box[0] + 1, box[3] - box[1] + 1, 4, &text)) {
                if (text.startsWith(HeaderRefusal::tooLargePrefix())) {
                    if (reason)
                        *reason = text;
                    return false;
                }
                setExrReason(reason, QStringLiteral("a data window of ") + text);
                return false;
            }
        }
        // The library reads a channel list up to its end, whatever size it is given: a list
        // whose end is not where its size says would put the next attribute elsewhere for it.
        if (type == "chlist") {
            const QByteArray list = file.read(size);
            qint64 at = 0;
            bool ended = false;
            for (;;) {
                const qint64 end = list.indexOf('\0', at);
                if (end < 0 || end - at > nameLimit)
                    break;
                if (end == at) {
                    at = end + 1;
                    ended = true;
                    break;
                }
                if (end + 1 + 16 <= list.size()) {
                    const qint32 pixelType = qFromLittleEndian<qint32>(list.constData() + end + 1);
                    const qint64 xSampling = std::max(1, qFromLittleEndian<qint32>(list.constData() + end + 1 + 8));
                    const qint64 ySampling = std::max(1, qFromLittleEndian<qint32>(list.constData() + end + 1 + 12));
                    pixelBytes += (pixelType == 1 ? 2.0 : 4.0) / double(xSampling * ySampling);
                }
                at = end + 1 + 16;
            }
            if (!ended || at != size) {
                setExrReason(reason, QStringLiteral("a channel list of %1 bytes that ends at byte %2").arg(size).arg(at));
                return false;
            }
            continue;
        }
        if (name == "compression" && type == "compression" && size == 1) {
            char value = 0;
            file.getChar(&value);
            compression = uchar(value);
            size -= 1;
        }
        file.seek(file.pos() + size);
    }
}
