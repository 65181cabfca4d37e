#pragma once

// Files made to hurt a loader, for the tests and the fuzz seed writer: deeply nested documents,
// floods of small elements, storms of attributes, a picture whose header asks for far more pixels than its data
// holds, a large plain photo written without holding it in memory, a damaged PNG, a project of
// many stacked objects (with a link that closes a cycle), a project whose load makes nodes
// of its own, and a template whose parameters ask for more values than a file may give.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QtEndian>

#include <zlib.h>

#include <vector>

namespace HostileFiles {

// A graph document nested `levels` elements deep: "graph" and "nodes" alternating, as stored
// sub-graphs nest.
inline QByteArray deepGraphDocument(int levels)
{
    QByteArray text;
    text.reserve(levels * 16);
    for (int i = 0; i < levels; ++i)
        text += (i % 2 == 0) ? "<graph>" : "<nodes>";
    for (int i = levels - 1; i >= 0; --i)
        text += (i % 2 == 0) ? "</graph>" : "</nodes>";
    return text;
}

// The same under a graph whose first child has an undeclared prefix: a reader that processes
// namespaces stops there, before the depth.
inline QByteArray prefixedDeepGraphDocument(int levels)
{
    return "<graph><p:q/>" + deepGraphDocument(levels) + "</graph>";
}

// `elements` empty elements "<n/>" in a graph document: a few bytes each in the file, hundreds
// as a tree.
inline QByteArray elementFlood(qsizetype elements)
{
    return "<graph>" + QByteArray("<n/>").repeated(elements) + "</graph>";
}

// The document with `elements` empty elements "<n/>" added before the end of its outermost
// element, where no reader looks at them.
inline QByteArray flooded(QByteArray document, qsizetype elements)
{
    document.insert(document.lastIndexOf("</"), QByteArray("<n/>").repeated(elements));
    return document;
}

// The template file with an adjective of `attributes` attributes added to its first "template"
// element, each exposing a parameter of kind `type` whose count attribute `countName`
// ("num_vals" or "num_items") is `count`: a few bytes that ask the store for `count` values.
inline QByteArray withCountedParameters(QByteArray templateFile, int type, char const* countName, int count,
                                        int attributes = 1)
{
    QByteArray adjective = "<adjective>";
    for (int i = 0; i < attributes; ++i)
        adjective += "<attribute><parameter type=\"" + QByteArray::number(type) + "\" name=\"p"
                     + QByteArray::number(i) + "\" " + countName + "=\"" + QByteArray::number(count)
                     + "\"/></attribute>";
    adjective += "</adjective>";
    const qsizetype start = templateFile.indexOf("<template ");
    if (start < 0)
        return templateFile;
    const qsizetype end = templateFile.indexOf('>', start);
    if (templateFile.at(end - 1) == '/')
        templateFile.replace(end - 1, 2, ">" + adjective + "</template>");
    else
        templateFile.insert(end + 1, adjective);
    return templateFile;
}

// A graph element with `count` attributes, each named apart.
inline QByteArray attributeFlood(int count)
{
    QByteArray text = "<graph";
    for (int i = 0; i < count; ++i)
        text += " a" + QByteArray::number(i) + "=\"\"";
    return text + "/>";
}

// `elements` elements of `attributes` attributes each in a graph document: a reader compares
// every attribute of an element with the others, the square of their number.
inline QByteArray attributeStorm(int elements, int attributes)
{
    QByteArray element = "<n";
    for (int i = 0; i < attributes; ++i)
        element += " a" + QByteArray::number(i) + "=''";
    return "<graph>" + (element + "/>").repeated(elements) + "</graph>";
}

// A project whose first object holds an effect without a source of its own and a link to that
// effect's input, so that the load makes the effect's source and result; the next object's
// section stores the uids those get. The top-level link names that section's node.
inline QByteArray uidsTakenDuringALoad()
{
    const QByteArray source = "uuid=\"{015c44e2-0c3a-46fa-9e92-c472d43bc65b}\"";
    const QByteArray inversion = "uuid=\"{21051af5-3c09-487b-ab7b-e4a35fdff084}\"";
    return "<!DOCTYPE MarrowindGraphNode>\n<graph><nodes>\n"
           "<orgimage uid=\"1\" " + source + "/>\n"
           "<graph uid=\"2\"><nodes><orgimage uid=\"3\" " + source + "/><graph uid=\"4\"><nodes/></graph></nodes>"
           "<connections><connection node_uid1=\"3\" terminal1=\"rgb\" terminal2=\"rgbIn\" node_uid2=\"4\"/></connections></graph>\n"
           "<graph uid=\"5\"><nodes><operator.inversion uid=\"6\" " + inversion + "/></nodes></graph>\n"
           "</nodes><connections>\n"
           "<connection node_uid1=\"1\" terminal1=\"rgb\" terminal2=\"inRgb\" node_uid2=\"6\"/>\n"
           "</connections></graph>\n";
}

namespace Png {

inline void appendChunk(QByteArray& file, char const* type, QByteArray const& payload)
{
    char length[4];
    qToBigEndian<quint32>(quint32(payload.size()), length);
    file.append(length, 4);
    const QByteArray body = QByteArray(type, 4) + payload;
    file += body;
    char crc[4];
    qToBigEndian<quint32>(quint32(crc32(0, reinterpret_cast<Bytef const*>(body.constData()),
                                        uInt(body.size()))), crc);
    file.append(crc, 4);
}

// colourType 2: RGB, 6: RGBA; 8 bits a channel, not interlaced.
inline QByteArray header(quint32 width, quint32 height, char colourType)
{
    QByteArray file("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(width, ihdr.data());
    qToBigEndian<quint32>(height, ihdr.data() + 4);
    ihdr[8] = 8;
    ihdr[9] = colourType;
    appendChunk(file, "IHDR", ihdr);
    return file;
}

} // namespace Png

// An RGBA PNG whose header claims width x height but whose data holds only the first row:
// the smallest form of a decompression bomb, refused (or not) on its header alone.
inline QByteArray pngBomb(quint32 width, quint32 height)
{
    QByteArray file = Png::header(width, height, 6);
    const QByteArray row(1 + qsizetype(width) * 4, '\0');
    uLongf size = compressBound(uLong(row.size()));
    QByteArray packed(qsizetype(size), '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
              reinterpret_cast<Bytef const*>(row.constData()), uLong(row.size()), 9);
    packed.resize(qsizetype(size));
    Png::appendChunk(file, "IDAT", packed);
    Png::appendChunk(file, "IEND", QByteArray());
    return file;
}

// A complete RGB PNG of width x height in one grey, streamed to `path` row by row, so that
// a picture of hundreds of megapixels costs the writer no memory.
inline bool writeLargePng(QString const& path, quint32 width, quint32 height)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray file = Png::header(width, height, 2);
    z_stream stream{};
    if (deflateInit(&stream, 1) != Z_OK)
        return false;
    std::vector<unsigned char> row(1 + size_t(width) * 3, 0x80);
    row[0] = 0; // no filter
    std::vector<unsigned char> buffer(1 << 20);
    QByteArray idat;
    bool ok = true;
    for (quint32 y = 0; y < height && ok; ++y) {
        stream.next_in = row.data();
        stream.avail_in = uInt(row.size());
        const int flush = y + 1 == height ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = buffer.data();
            stream.avail_out = uInt(buffer.size());
            ok = deflate(&stream, flush) != Z_STREAM_ERROR;
            idat.append(reinterpret_cast<char const*>(buffer.data()),
                        qsizetype(buffer.size() - stream.avail_out));
        } while (ok && stream.avail_out == 0);
    }
    deflateEnd(&stream);
    Png::appendChunk(file, "IDAT", idat);
    Png::appendChunk(file, "IEND", QByteArray());
    return ok && out.write(file) == file.size();
}

// A small RGBA PNG cut off in the middle of its pixel data: readers fail on it after the
// header (OpenImageIO 2.4's PNG reader leaks its error text on it).
inline QByteArray damagedPng()
{
    QByteArray file = Png::header(16, 16, 6);
    QByteArray rows;
    for (int y = 0; y < 16; ++y) {
        rows += '\0';
        for (int x = 0; x < 16; ++x)
            rows += QByteArray::fromRawData("\x10\x80\xf0\xff", 4);
    }
    uLongf size = compressBound(uLong(rows.size()));
    QByteArray packed(qsizetype(size), '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
              reinterpret_cast<Bytef const*>(rows.constData()), uLong(rows.size()), 0);
    packed.resize(qsizetype(size));
    Png::appendChunk(file, "IDAT", packed);
    Png::appendChunk(file, "IEND", QByteArray());
    return file.left(file.size() - packed.size() / 2);
}

// A FITS picture of 5 x 4 whose header names no pixel format the readers know (BITPIX 9).
inline QByteArray fitsWithoutPixelFormat()
{
    QByteArray header;
    for (char const* card : {"SIMPLE  =                    T", "BITPIX  =                    9",
                             "NAXIS   =                    2", "NAXIS1  =                    5",
                             "NAXIS2  =                    4", "END"})
        header += QByteArray(card).leftJustified(80, ' ');
    return header.leftJustified(2880, ' ') + QByteArray(2880, '\x40');
}

// The header of an OpenEXR file announcing a text attribute of about 2 GB that the file does
// not hold.
inline QByteArray exrWithHugeAttribute()
{
    QByteArray file("\x76\x2f\x31\x01\x02\x00\x00\x00", 8);
    file += QByteArray("comments\0string\0", 16);
    file += QByteArray("\x00\x00\x00\x7f", 4);
    file += "too short";
    return file;
}

// An OpenEXR file whose header asks for tiles of 16 x 11272208 pixels, or with `huge`, of
// 4294901776 x 4294967295.
inline QByteArray exrWithGiantTiles(QByteArray const& sound, bool huge = false)
{
    QByteArray file = sound;
    const qsizetype tiles = file.indexOf(QByteArray("tiles\0tiledesc\0", 15));
    if (tiles < 0)
        return QByteArray();
    const qsizetype value = tiles + 15 + 4;
    if (huge)
        file.replace(value, 8, QByteArray("\x10\x00\xff\xff\xff\xff\xff\xff", 8));
    else
        file.replace(value + 4, 4, QByteArray("\x10\x00\xac\x00", 4));
    return file;
}

// exrWithGiantTiles() with the size of `attribute` changed by `shift` bytes (0: grown to take in
// every attribute up to the tiles). A walk by the attributes' sizes then misses the tiles, which
// the library, reading a channel list to its end and a value of a fixed size as that size, sees.
inline QByteArray exrHidingGiantTiles(QByteArray const& sound, QByteArray const& attribute = "channels", int shift = -8)
{
    QByteArray file = exrWithGiantTiles(sound);
    const qsizetype name = file.indexOf(attribute + '\0');
    const qsizetype tiles = file.indexOf(QByteArray("tiles\0tiledesc\0", 15));
    if (name < 0 || tiles < 0)
        return QByteArray();
    const qsizetype size = file.indexOf('\0', name + attribute.size() + 1) + 1;
    const qint32 declared = qFromLittleEndian<qint32>(file.constData() + size);
    if (shift == 0)
        shift = int(tiles + 15 + 4 + 9 - (size + 4 + declared));
    qToLittleEndian<qint32>(declared + shift, file.data() + size);
    return file;
}

// A project of `objects` effect objects chained as the application chains them, each of
// `nodesPerObject` nodes (at least 3): its source, `nodesPerObject` - 2 inversions in a row and
// its result, stored as a saved project stores them (every link at the top). The objects are
// named "Object 1", "Object 2", ... Node names are left out (the node type names them). With
// `closeCycle` a last link feeds the first object from the last one.
inline QByteArray stackedProject(int objects, int nodesPerObject, bool closeCycle = false)
{
    const int inversions = nodesPerObject - 2;
    // Names are stored as Base64 of UTF-16 with a byte-order mark.
    auto encoded = [](QString const& text) {
        QByteArray utf16("\xff\xfe", 2);
        for (QChar c : text) {
            utf16.append(char(c.unicode() & 0xff));
            utf16.append(char(c.unicode() >> 8));
        }
        return utf16.toBase64();
    };
    QByteArray nodes;
    QByteArray links;
    auto link = [&links](int uid1, char const* terminal1, char const* terminal2, int uid2) {
        links += "<connection node_uid1=\"" + QByteArray::number(uid1) + "\" terminal1=\"" + terminal1
            + "\" terminal2=\"" + terminal2 + "\" node_uid2=\"" + QByteArray::number(uid2) + "\"/>\n";
    };
    const QByteArray source = "uuid=\"{015c44e2-0c3a-46fa-9e92-c472d43bc65b}\"";
    const QByteArray result = "uuid=\"{01be3c9a-497b-4146-9198-810f0e4e0d0e}\"";
    const QByteArray inversion = "uuid=\"{21051af5-3c09-487b-ab7b-e4a35fdff084}\"";
    nodes += "<orgimage uid=\"1\" " + source + "/>\n";
    int uid = 3;
    int previous = 1;
    QByteArray inner;
    for (int i = 0; i < objects; ++i) {
        const int graph = uid++;
        const int in = uid++;
        const int out = uid++;
        nodes += "<graph uid=\"" + QByteArray::number(graph) + "\" name=\""
            + encoded(QStringLiteral("Object %1").arg(i + 1)) + "\"><nodes>\n";
        nodes += "<orgimage uid=\"" + QByteArray::number(in) + "\" " + source + "/>\n";
        int feeding = in;
        char const* feedingTerminal = "rgb";
        for (int k = 0; k < inversions; ++k) {
            const int node = uid++;
            nodes += "<operator.inversion uid=\"" + QByteArray::number(node) + "\" " + inversion + "/>\n";
            inner += "<connection node_uid1=\"" + QByteArray::number(feeding) + "\" terminal1=\""
                + feedingTerminal + "\" terminal2=\"inRgb\" node_uid2=\"" + QByteArray::number(node) + "\"/>\n";
            feeding = node;
            feedingTerminal = "outRgb";
        }
        nodes += "<filtimage uid=\"" + QByteArray::number(out) + "\" " + result + "/>\n</nodes></graph>\n";
        inner += "<connection node_uid1=\"" + QByteArray::number(out) + "\" terminal1=\"rgb\" terminal2=\""
            + feedingTerminal + "\" node_uid2=\"" + QByteArray::number(feeding) + "\"/>\n";
        inner += "<connection node_uid1=\"" + QByteArray::number(in) + "\" terminal1=\"alpha\" terminal2=\"alpha\" node_uid2=\""
            + QByteArray::number(out) + "\"/>\n";
        link(previous, previous == 1 ? "rgb" : "rgbOut", "rgbIn", graph);
        link(previous, previous == 1 ? "alpha" : "alphaOut", "alphaIn", graph);
        previous = graph;
    }
    nodes += "<filtimage uid=\"2\" " + result + "/>\n";
    if (objects > 0) {
        link(2, "rgb", "rgbOut", previous);
        link(2, "alpha", "alphaOut", previous);
    } else {
        link(1, "rgb", "rgb", 2);
        link(1, "alpha", "alpha", 2);
    }
    if (closeCycle && objects > 0)
        link(previous, "rgbOut", "rgbIn", 3);
    return "<!DOCTYPE MarrowindGraphNode>\n<graph>\n<nodes>\n" + nodes + "</nodes>\n<connections>\n" + links
        + inner + "</connections>\n</graph>\n";
}

} // namespace HostileFiles
