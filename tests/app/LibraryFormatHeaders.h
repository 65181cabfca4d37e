#pragma once

// Picture files of the formats whose readers are libraries of their own (PNG, JPEG, TIFF, GIF,
// WebP), written by code over the fields of their headers; the files of the formats the program
// no longer offers that once crashed or exhausted it; and sound pictures under every other
// format's name.

#include "HostileFiles.h"
#include "MultiImagePictures.h"
#include "OwnReaderHeaders.h"
#include "SoundPictures.h"

#include <QTemporaryDir>

#include <OpenImageIO/imageio.h>

namespace PictureHeaders {

inline QByteArray deflated(QByteArray const& bytes)
{
    uLongf size = compressBound(uLong(bytes.size()));
    QByteArray packed(qsizetype(size), '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<Bytef const*>(bytes.constData()),
              uLong(bytes.size()), 9);
    packed.resize(qsizetype(size));
    return packed;
}

struct PngFields {
    quint32 width = 4;
    quint32 height = 3;
    int depth = 8;
    int colourType = 2;
    int interlace = 0;
    bool palette = false;
    qint64 dataRows = -1; // rows of pixel data written (-1: all, up to 64)
    int cut = 0;
    bool end = true;
};

inline QByteArray png(PngFields const& f)
{
    QByteArray file("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(f.width, ihdr.data());
    qToBigEndian<quint32>(f.height, ihdr.data() + 4);
    ihdr[8] = char(f.depth);
    ihdr[9] = char(f.colourType);
    ihdr[12] = char(f.interlace);
    HostileFiles::Png::appendChunk(file, "IHDR", ihdr);
    if (f.palette)
        HostileFiles::Png::appendChunk(file, "PLTE", patternBytes(3 * 16));
    const int channels = f.colourType == 2 ? 3 : f.colourType == 4 ? 2 : f.colourType == 6 ? 4 : 1;
    const qint64 rowBytes = (qint64(std::min<quint32>(f.width, 64)) * channels * std::max(f.depth, 1) + 7) / 8;
    const qint64 rows = f.dataRows >= 0 ? f.dataRows : std::min<quint32>(f.height, 64);
    QByteArray raw;
    for (qint64 y = 0; y < rows; ++y)
        raw += QByteArray(1, '\0') + patternBytes(rowBytes, int(y));
    HostileFiles::Png::appendChunk(file, "IDAT", deflated(raw));
    if (f.end)
        HostileFiles::Png::appendChunk(file, "IEND", QByteArray());
    file.chop(f.cut);
    return file;
}

inline bool pngAllows(int colourType, int depth)
{
    switch (colourType) {
    case 0:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

inline QList<Case> pngs()
{
    QList<Case> cases;
    for (int colourType : {0, 1, 2, 3, 4, 5, 6, 7}) {
        for (int depth : {0, 1, 2, 3, 4, 8, 16, 32}) {
            for (int interlace : {0, 1, 2}) {
                PngFields f;
                f.colourType = colourType;
                f.depth = depth;
                f.interlace = interlace;
                f.palette = colourType == 3;
                const bool allowed = pngAllows(colourType, depth) && interlace < 2;
                // Interlaced rows are written as if they were not: the reader may refuse them.
                cases.append({QStringLiteral("png-c%1-d%2-i%3.png").arg(colourType).arg(depth).arg(interlace), png(f),
                              !allowed ? Case::Refused : interlace ? Case::Either : Case::Shown});
            }
        }
    }
    auto with = [](auto change) {
        PngFields f;
        change(f);
        return f;
    };
    const QList<std::tuple<const char*, PngFields, Case::Verdict>> limits = {
        {"width-0", with([](PngFields& f) { f.width = 0; }), Case::Refused},
        {"height-0", with([](PngFields& f) { f.height = 0; }), Case::Refused},
        {"sides-cap-no-data", with([](PngFields& f) { f.width = 11585; f.height = 11585; f.dataRows = 1; }), Case::Refused},
        {"sides-past-cap", with([](PngFields& f) { f.width = 11586; f.height = 11586; }), Case::Refused},
        {"width-max", with([](PngFields& f) { f.width = 0x7fffffff; f.height = 1; }), Case::Refused},
        {"width-past-max", with([](PngFields& f) { f.width = 0x80000000u; }), Case::Refused},
        {"sides-all-ones", with([](PngFields& f) { f.width = 0xffffffffu; f.height = 0xffffffffu; }), Case::Refused},
        {"rgba16-cap-no-data", with([](PngFields& f) { f.colourType = 6; f.depth = 16; f.width = 11585; f.height = 11585; f.dataRows = 0; }), Case::Refused},
        {"rows-missing", with([](PngFields& f) { f.dataRows = 1; }), Case::Either},
        {"no-end", with([](PngFields& f) { f.end = false; }), Case::Refused},
        {"cut-in-data", with([](PngFields& f) { f.end = false; f.cut = 6; }), Case::Refused},
        {"palette-missing", with([](PngFields& f) { f.colourType = 3; }), Case::Refused},
        {"tall-thin", with([](PngFields& f) { f.width = 1; f.height = 50000; }), Case::Either},
    };
    for (auto const& [name, fields, verdict] : limits)
        cases.append({QStringLiteral("png-%1.png").arg(QLatin1String(name)), png(fields), verdict});
    // A chunk whose length runs past the file.
    QByteArray lying = png(PngFields());
    qToBigEndian<quint32>(0x7ffffff0u, lying.data() + 33);
    cases.append({QStringLiteral("png-chunk-past-end.png"), lying, Case::Refused});
    return cases;
}

// A JPEG's frame header patched: the file Qt writes of a small picture, with the frame marker,
// precision, sides, component count and first sampling factors replaced.
struct JpegFields {
    int marker = 0xc0;
    int precision = 8;
    int height = 17;
    int width = 23;
    int components = 3;
    int sampling = 0x22;
    int cut = 0;
};

inline QByteArray jpeg(JpegFields const& f, QByteArray const& sound)
{
    QByteArray file = sound;
    const qsizetype frame = file.indexOf("\xff\xc0");
    if (frame < 0)
        return QByteArray();
    file[frame + 1] = char(f.marker);
    file[frame + 4] = char(f.precision);
    qToBigEndian<quint16>(quint16(f.height), file.data() + frame + 5);
    qToBigEndian<quint16>(quint16(f.width), file.data() + frame + 7);
    file[frame + 9] = char(f.components);
    file[frame + 11] = char(f.sampling);
    file.chop(f.cut);
    return file;
}

inline QList<Case> jpegs()
{
    QList<Case> cases;
    const QByteArray sound = HostilePictures::written(HostilePictures::pattern(), "jpeg");
    for (int marker : {0xc0, 0xc1, 0xc2, 0xc3, 0xc5, 0xc9, 0xcb, 0xcf}) {
        for (int precision : {0, 8, 12, 16}) {
            JpegFields f;
            f.marker = marker;
            f.precision = precision;
            const bool shown = (marker == 0xc0 || marker == 0xc1) && precision == 8;
            cases.append({QStringLiteral("jpeg-m%1-p%2.jpg").arg(marker, 2, 16).arg(precision), jpeg(f, sound),
                          shown ? Case::Shown : Case::Either});
            cases.last().shownEverywhere = false;
        }
    }
    for (int components : {0, 1, 2, 4, 5, 255}) {
        JpegFields f;
        f.components = components;
        cases.append({QStringLiteral("jpeg-components-%1.jpg").arg(components), jpeg(f, sound), Case::Either});
    }
    for (int sampling : {0x00, 0x10, 0x01, 0x44, 0x55, 0xff}) {
        JpegFields f;
        f.sampling = sampling;
        cases.append({QStringLiteral("jpeg-sampling-%1.jpg").arg(sampling, 2, 16), jpeg(f, sound),
                      sampling == 0x44 ? Case::Either : Case::Refused});
    }
    auto with = [](auto change) {
        JpegFields f;
        change(f);
        return f;
    };
    const QList<std::tuple<const char*, JpegFields, Case::Verdict>> limits = {
        {"height-0", with([](JpegFields& f) { f.height = 0; }), Case::Refused},
        {"width-0", with([](JpegFields& f) { f.width = 0; }), Case::Refused},
        {"sides-max", with([](JpegFields& f) { f.width = 65535; f.height = 65535; }), Case::Refused},
        {"progressive-sides-max", with([](JpegFields& f) { f.marker = 0xc2; f.width = 65535; f.height = 65535; }), Case::Refused},
        {"sides-large-few-data", with([](JpegFields& f) { f.width = 8000; f.height = 8000; }), Case::Either},
        {"cut-in-scan", with([](JpegFields& f) { f.cut = 40; }), Case::Refused},
        {"cut-end-marker", with([](JpegFields& f) { f.cut = 2; }), Case::Refused},
    };
    for (auto const& [name, fields, verdict] : limits)
        cases.append({QStringLiteral("jpeg-%1.jpg").arg(QLatin1String(name)), jpeg(fields, sound), verdict});
    cases.append({QStringLiteral("jpeg-header-only.jpg"), sound.left(sound.indexOf("\xff\xda")), Case::Refused});
    return cases;
}

struct TiffFields {
    quint32 width = 4;
    quint32 height = 3;
    int bits = 8;
    int samples = 3;
    int compression = 1;
    int photometric = 2;
    int planar = 1;
    quint32 rowsPerStrip = 1;
    quint32 tileSide = 0; // tiles of this side instead of strips
    qint64 pieceBytesShift = 0; // added to every strip's or tile's byte count
    qint64 offsetShift = 0;
    int pieces = -1; // strips or tiles listed (-1: as many as the sides need)
    bool loop = false; // the directory names itself as the next
    bool colourMap = false;
};

// A little-endian classic TIFF: the directory right after the header, the arrays after it, then
// the pixels (patterned bytes, as many as the fields ask for uncompressed pixels, up to 64 kB).
inline QByteArray tiff(TiffFields const& f)
{
    const bool tiled = f.tileSide > 0;
    const qint64 planes = f.planar == 2 ? f.samples : 1;
    const qint64 planeSamples = f.planar == 2 ? 1 : f.samples;
    const qint64 across = tiled ? (qint64(f.width) + f.tileSide - 1) / f.tileSide : 1;
    const qint64 down = tiled ? (qint64(f.height) + f.tileSide - 1) / f.tileSide
                              : (qint64(f.height) + std::max<quint32>(f.rowsPerStrip, 1) - 1) / std::max<quint32>(f.rowsPerStrip, 1);
    const qint64 needed = std::min<qint64>(across * down * planes, 4096);
    const qint64 pieces = f.pieces >= 0 ? f.pieces : needed;
    const qint64 pieceBytes = tiled ? (qint64(f.tileSide) * planeSamples * std::max(f.bits, 1) + 7) / 8 * f.tileSide
                                    : (qint64(f.width) * planeSamples * std::max(f.bits, 1) + 7) / 8 * std::min(f.rowsPerStrip, f.height);
    struct Field {
        quint16 tag;
        quint16 type;
        quint32 count;
        quint32 value;
    };
    QList<Field> fields = {
        {256, 4, 1, f.width}, {257, 4, 1, f.height}, {258, 3, 1, quint32(f.bits)}, {259, 3, 1, quint32(f.compression)},
        {262, 3, 1, quint32(f.photometric)}, {277, 3, 1, quint32(f.samples)}, {284, 3, 1, quint32(f.planar)},
    };
    if (tiled) {
        fields += {{322, 4, 1, f.tileSide}, {323, 4, 1, f.tileSide}};
    } else {
        fields += {{278, 4, 1, f.rowsPerStrip}};
    }
    const int entries = int(fields.size()) + 2 + (f.colourMap ? 1 : 0);
    const quint32 arrays = 8 + 2 + entries * 12 + 4;
    // One strip or tile is listed in the directory itself.
    const quint32 arrayBytes = pieces > 1 ? quint32(pieces) * 4 : 0;
    const quint32 countsAt = arrays + arrayBytes;
    const quint32 mapAt = countsAt + arrayBytes;
    const quint32 mapValues = f.colourMap ? 3u << std::min(f.bits, 16) : 0;
    const quint32 pixelsAt = mapAt + mapValues * 2;
    fields += {{quint16(tiled ? 324 : 273), 4, quint32(pieces), pieces == 1 ? quint32(pixelsAt + f.offsetShift) : arrays},
               {quint16(tiled ? 325 : 279), 4, quint32(pieces), pieces == 1 ? quint32(pieceBytes + f.pieceBytesShift) : countsAt}};
    if (f.colourMap)
        fields += {{320, 3, mapValues, mapAt}};
    std::sort(fields.begin(), fields.end(), [](Field const& a, Field const& b) { return a.tag < b.tag; });
    QByteArray file("II*\0", 4);
    put32(file, 8);
    put16(file, quint16(fields.size()));
    for (Field const& field : fields) {
        put16(file, field.tag);
        put16(file, field.type);
        put32(file, field.count);
        if (field.type == 3 && field.count == 1) {
            put16(file, quint16(field.value));
            put16(file, 0);
        } else {
            put32(file, field.value);
        }
    }
    put32(file, f.loop ? 8 : 0);
    const qint64 stored = std::min<qint64>(pieceBytes, 65536 / std::max<qint64>(pieces, 1));
    if (pieces > 1) {
        for (qint64 i = 0; i < pieces; ++i)
            put32(file, quint32(pixelsAt + i * stored + f.offsetShift));
        for (qint64 i = 0; i < pieces; ++i)
            put32(file, quint32(pieceBytes + f.pieceBytesShift));
    }
    for (quint32 i = 0; i < mapValues; ++i)
        put16(file, quint16(i * 977));
    return file + patternBytes(stored * std::max<qint64>(pieces, 1));
}

inline QList<Case> tiffs()
{
    QList<Case> cases;
    for (int photometric : {0, 1, 2, 3, 5, 6, 9}) {
        for (int samples : {0, 1, 3, 4, 2000}) {
            for (int bits : {0, 1, 8, 16, 33, 64}) {
                TiffFields f;
                f.photometric = photometric;
                f.samples = samples;
                f.bits = bits;
                f.colourMap = photometric == 3;
                const bool shown = samples > 0 && samples < 2000 && (bits == 8 || bits == 16)
                                   && ((photometric <= 1) || (photometric == 2 && samples >= 3) || (photometric == 3 && samples == 1));
                cases.append({QStringLiteral("tiff-p%1-s%2-b%3.tif").arg(photometric).arg(samples).arg(bits), tiff(f),
                              shown ? Case::Shown : Case::Either});
                cases.last().shownEverywhere = false;
            }
        }
    }
    for (int compression : {0, 1, 2, 5, 7, 8, 99, 32773, 32946, 34712, 65535}) {
        TiffFields f;
        f.compression = compression;
        // Deflated strips that hold no stream were read as zeros.
        const bool noStream = compression == 8 || compression == 32946;
        cases.append({QStringLiteral("tiff-compression-%1.tif").arg(compression), tiff(f), noStream ? Case::Refused : Case::Either});
    }
    auto with = [](auto change) {
        TiffFields f;
        change(f);
        return f;
    };
    const QList<std::tuple<const char*, TiffFields, Case::Verdict>> limits = {
        {"width-0", with([](TiffFields& f) { f.width = 0; }), Case::Refused},
        {"sides-max", with([](TiffFields& f) { f.width = 0xffffffffu; f.height = 0xffffffffu; }), Case::Refused},
        {"sides-past-cap", with([](TiffFields& f) { f.width = 65535; f.height = 65535; f.rowsPerStrip = 65535; f.pieces = 1; }), Case::Refused},
        {"one-strip-at-cap", with([](TiffFields& f) { f.width = 11585; f.height = 11585; f.rowsPerStrip = 11585; f.pieces = 1; }), Case::Refused},
        {"rows-per-strip-0", with([](TiffFields& f) { f.rowsPerStrip = 0; f.pieces = 1; }), Case::Either},
        {"rows-per-strip-max", with([](TiffFields& f) { f.rowsPerStrip = 0xffffffffu; f.pieces = 1; }), Case::Shown},
        {"strips-missing", with([](TiffFields& f) { f.pieces = 2; }), Case::Refused},
        {"strip-short", with([](TiffFields& f) { f.pieceBytesShift = -1; }), Case::Refused},
        {"strip-past-end", with([](TiffFields& f) { f.offsetShift = 100000; }), Case::Refused},
        {"strip-count-huge", with([](TiffFields& f) { f.pieceBytesShift = 0x7fffffff; }), Case::Refused},
        {"planar-2", with([](TiffFields& f) { f.planar = 2; }), Case::Shown},
        {"planar-3", with([](TiffFields& f) { f.planar = 3; }), Case::Refused},
        // Strips of more rows than the picture hold its rows: the format allows it.
        {"planar-2-rows-per-strip-huge", with([](TiffFields& f) { f.planar = 2; f.rowsPerStrip = 385875969; f.pieces = 3; }), Case::Shown},
        {"tiles-16", with([](TiffFields& f) { f.tileSide = 16; }), Case::Shown},
        {"tiles-15", with([](TiffFields& f) { f.tileSide = 15; }), Case::Refused},
        {"tiles-huge", with([](TiffFields& f) { f.tileSide = 65536; f.pieces = 1; }), Case::Refused},
        {"tiles-past-cap", with([](TiffFields& f) { f.tileSide = 16; f.width = 40000; f.height = 40000; f.pieces = 1; }), Case::Refused},
        {"directory-loop", with([](TiffFields& f) { f.loop = true; }), Case::Refused},
        {"palette-without-map", with([](TiffFields& f) { f.photometric = 3; f.samples = 1; }), Case::Refused},
    };
    for (auto const& [name, fields, verdict] : limits) {
        cases.append({QStringLiteral("tiff-%1.tif").arg(QLatin1String(name)), tiff(fields), verdict});
        // Qt's TIFF reader (thumbnails, drops) takes no tiles or planes of these written by hand.
        cases.last().shownEverywhere = false;
    }
    return cases;
}

// A GIF of one frame over a screen of the given sides; the frame `frame` (its sides at most
// 64 x 64 in data), with codes of `codeSize` bits and `cut` bytes cut from the end.
inline QByteArray gifOf(QSize screen, QRect frame, int codeSize = 8, int cut = 0, bool trailer = true)
{
    QImage picture = HostilePictures::pattern(QSize(std::clamp(frame.width(), 1, 64), std::clamp(frame.height(), 1, 64)));
    QByteArray file = HostilePictures::gif(picture, frame.size());
    // Patch the screen and the frame's place.
    qToLittleEndian<quint16>(quint16(screen.width()), file.data() + 6);
    qToLittleEndian<quint16>(quint16(screen.height()), file.data() + 8);
    const int descriptor = 13 + 768;
    qToLittleEndian<quint16>(quint16(frame.x()), file.data() + descriptor + 1);
    qToLittleEndian<quint16>(quint16(frame.y()), file.data() + descriptor + 3);
    file[descriptor + 10] = char(codeSize);
    if (!trailer)
        file.chop(1);
    file.chop(cut);
    return file;
}

inline QList<Case> gifs()
{
    QList<Case> cases;
    const QList<std::tuple<const char*, QByteArray, Case::Verdict>> list = {
        {"sound", gifOf(QSize(23, 17), QRect(0, 0, 23, 17)), Case::Shown},
        {"no-trailer", gifOf(QSize(23, 17), QRect(0, 0, 23, 17), 8, 0, false), Case::Either},
        {"small-frame-on-large-screen", gifOf(QSize(2000, 2000), QRect(10, 10, 23, 17)), Case::Shown},
        {"screen-23170", gifOf(QSize(23170, 23170), QRect(0, 0, 1, 1)), Case::Refused},
        {"screen-max", gifOf(QSize(65535, 65535), QRect(0, 0, 1, 1)), Case::Refused},
        {"screen-0", gifOf(QSize(0, 0), QRect(0, 0, 1, 1)), Case::Refused},
        // Writers place frames past the screen (ImageMagick's -page): the screen holds the first.
        {"frame-outside", gifOf(QSize(23, 17), QRect(20, 10, 23, 17)), Case::Shown},
        {"frame-0", gifOf(QSize(23, 17), QRect(0, 0, 0, 0)), Case::Refused},
        {"frame-claims-more", gifOf(QSize(8000, 8000), QRect(0, 0, 8000, 8000)), Case::Refused},
        {"code-size-0", gifOf(QSize(23, 17), QRect(0, 0, 23, 17), 0), Case::Refused},
        {"code-size-12", gifOf(QSize(23, 17), QRect(0, 0, 23, 17), 12), Case::Refused},
        {"code-size-2", gifOf(QSize(23, 17), QRect(0, 0, 23, 17), 2), Case::Either},
        {"cut-in-data", gifOf(QSize(23, 17), QRect(0, 0, 23, 17), 8, 40), Case::Refused},
        {"cut-in-table", gifOf(QSize(23, 17), QRect(0, 0, 23, 17)).left(300), Case::Refused},
        {"header-only", QByteArray("GIF89a\x10\x00\x10\x00\x00\x00\x00", 13), Case::Refused},
    };
    for (auto const& [name, bytes, verdict] : list) {
        cases.append({QStringLiteral("gif-%1.gif").arg(QLatin1String(name)), bytes, verdict});
        // The same under a Targa name, which sends a thumbnail to the image library.
        cases.append({QStringLiteral("gif-%1.tga").arg(QLatin1String(name)), bytes, verdict == Case::Refused ? Case::Refused : Case::Either});
        cases.last().shownEverywhere = false;
    }
    return cases;
}

// A WebP file of a lossless picture's sides, in a simple file or under an extended header of
// the canvas given, with the RIFF size and the picture chunk's size shifted by `lie`.
inline QByteArray webpOf(QSize picture, QSize canvas = QSize(), qint64 lie = 0)
{
    QByteArray bitstream;
    bitstream.append(char(0x2f));
    put32(bitstream, quint32(picture.width() - 1) | quint32(picture.height() - 1) << 14);
    bitstream += patternBytes(16);
    QByteArray chunks;
    if (canvas.isValid()) {
        chunks += "VP8X";
        put32(chunks, 10);
        put32(chunks, 0);
        const quint32 w = quint32(canvas.width() - 1);
        const quint32 h = quint32(canvas.height() - 1);
        chunks.append(char(w & 255));
        chunks.append(char(w >> 8 & 255));
        chunks.append(char(w >> 16 & 255));
        chunks.append(char(h & 255));
        chunks.append(char(h >> 8 & 255));
        chunks.append(char(h >> 16 & 255));
    }
    chunks += "VP8L";
    put32(chunks, quint32(bitstream.size() + lie));
    chunks += bitstream;
    QByteArray file = "RIFF";
    put32(file, quint32(4 + chunks.size() + lie));
    return file + "WEBP" + chunks;
}

inline QList<Case> webps()
{
    QList<Case> cases;
    const QList<std::tuple<const char*, QByteArray, Case::Verdict>> list = {
        {"lossless-data-damaged", webpOf(QSize(4, 3)), Case::Either},
        {"sides-max", webpOf(QSize(16384, 16384)), Case::Refused},
        {"canvas-max", webpOf(QSize(4, 3), QSize(16777216, 16777216)), Case::Refused},
        {"canvas-past-cap", webpOf(QSize(4, 3), QSize(16384, 16384)), Case::Refused},
        {"chunk-past-end", webpOf(QSize(4, 3), QSize(), 1000), Case::Refused},
        {"riff-past-end", webpOf(QSize(4, 3), QSize(), 0).replace(4, 4, QByteArray("\xff\xff\xff\x7f", 4)), Case::Refused},
        {"header-only", QByteArray("RIFF\x04\x00\x00\x00WEBP", 12), Case::Refused},
        {"sound", HostilePictures::written(HostilePictures::pattern(), "webp"), Case::Shown},
    };
    for (auto const& [name, bytes, verdict] : list)
        cases.append({QStringLiteral("webp-%1.webp").arg(QLatin1String(name)), bytes, verdict});
    return cases;
}

// A sound OpenEXR file of 4 x 3 half-float RGBA pixels, in scan lines or tiles of 16, as the
// image library writes it.
inline QByteArray openExr(bool tiled)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("sound.exr")).toStdString();
    auto output = OIIO::ImageOutput::create("openexr");
    OIIO::ImageSpec spec(4, 3, 4, OIIO::TypeDesc::HALF);
    spec.tile_width = spec.tile_height = tiled ? 16 : 0;
    spec.attribute("compression", "none");
    std::vector<float> pixels(4 * 3 * 4, 0.5f);
    if (!output || !output->open(path, spec) || !output->write_image(OIIO::TypeDesc::FLOAT, pixels.data()) || !output->close())
        return QByteArray();
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// `sound` with its data window's right and bottom edges moved to `right`, `bottom`.
inline QByteArray exrWindow(QByteArray file, qint32 right, qint32 bottom)
{
    const qsizetype box = file.indexOf(QByteArray("dataWindow\0box2i\0", 17));
    if (box < 0)
        return QByteArray();
    qToLittleEndian<qint32>(right, file.data() + box + 17 + 4 + 8);
    qToLittleEndian<qint32>(bottom, file.data() + box + 17 + 4 + 12);
    return file;
}

inline QList<Case> exrs()
{
    QList<Case> cases;
    for (bool tiled : {false, true}) {
        const QByteArray sound = openExr(tiled);
        const QString kind = tiled ? QStringLiteral("tiled") : QStringLiteral("lines");
        const QList<std::tuple<QString, QByteArray, Case::Verdict>> list = {
            {QStringLiteral("sound"), sound, Case::Shown},
            {QStringLiteral("window-at-cap"), exrWindow(sound, 11584, 11584), Case::Refused},
            {QStringLiteral("window-past-cap"), exrWindow(sound, 20000, 20000), Case::Refused},
            {QStringLiteral("window-inverted"), exrWindow(sound, -5, 2), Case::Either},
            {QStringLiteral("window-max"), exrWindow(sound, 0x7fffffff, 0x7fffffff), Case::Refused},
            {QStringLiteral("window-one-long-row"), exrWindow(sound, 50331651, 0), Case::Refused},
            {QStringLiteral("cut-in-pixels"), sound.left(sound.size() - 10), Case::Either},
            {QStringLiteral("cut-in-table"), sound.left(sound.indexOf(QByteArray("\0\0", 2), sound.indexOf("tiledesc") + 1) + 4), Case::Either},
            {QStringLiteral("attribute-past-end"), HostileFiles::exrWithHugeAttribute(), Case::Refused},
        };
        for (auto const& [name, bytes, verdict] : list) {
            cases.append({QStringLiteral("exr-%1-%2.exr").arg(kind, name), bytes, verdict});
            cases.last().shownEverywhere = false;
        }
        if (tiled) {
            cases.append({QStringLiteral("exr-giant-tiles.exr"), HostileFiles::exrWithGiantTiles(sound), Case::Refused});
            cases.append({QStringLiteral("exr-hidden-giant-tiles.exr"), HostileFiles::exrHidingGiantTiles(sound), Case::Refused});
        }
    }
    return cases;
}

// A layered Photoshop file with its header's channels, sides, depth and colour mode replaced.
struct PhotoshopFields {
    int channels = 3;
    quint32 height = 6;
    quint32 width = 8;
    int depth = 8;
    int mode = 3;
    int cut = 0;
};

inline QByteArray photoshop(PhotoshopFields const& f)
{
    QByteArray file = MultiImagePictures::photoshopLayered(QSize(8, 6), QRect(1, 1, 4, 3));
    qToBigEndian<quint16>(quint16(f.channels), file.data() + 12);
    qToBigEndian<quint32>(f.height, file.data() + 14);
    qToBigEndian<quint32>(f.width, file.data() + 18);
    qToBigEndian<quint16>(quint16(f.depth), file.data() + 22);
    qToBigEndian<quint16>(quint16(f.mode), file.data() + 24);
    file.chop(f.cut);
    return file;
}

inline QList<Case> photoshops()
{
    QList<Case> cases;
    auto with = [](auto change) {
        PhotoshopFields f;
        change(f);
        return f;
    };
    QList<std::tuple<QString, PhotoshopFields, Case::Verdict>> list = {
        {QStringLiteral("sound"), PhotoshopFields(), Case::Shown},
        {QStringLiteral("sides-0"), with([](PhotoshopFields& f) { f.width = 0; }), Case::Refused},
        {QStringLiteral("sides-past-limit"), with([](PhotoshopFields& f) { f.width = 300001; f.height = 300001; }), Case::Refused},
        {QStringLiteral("sides-max"), with([](PhotoshopFields& f) { f.width = 0xffffffffu; f.height = 0xffffffffu; }), Case::Refused},
        {QStringLiteral("sides-past-cap"), with([](PhotoshopFields& f) { f.width = 30000; f.height = 30000; }), Case::Either},
    };
    for (int channels : {0, 1, 2, 4, 56, 57, 65535})
        list.append({QStringLiteral("channels-%1").arg(channels), with([channels](PhotoshopFields& f) { f.channels = channels; }), Case::Either});
    for (int depth : {0, 1, 7, 16, 32, 64})
        list.append({QStringLiteral("depth-%1").arg(depth), with([depth](PhotoshopFields& f) { f.depth = depth; }), Case::Either});
    for (int mode : {0, 1, 2, 4, 7, 8, 9, 10, 255})
        list.append({QStringLiteral("mode-%1").arg(mode), with([mode](PhotoshopFields& f) { f.mode = mode; }), Case::Either});
    for (int cut : {1, 10, 100, 1000})
        list.append({QStringLiteral("cut-%1").arg(cut), with([cut](PhotoshopFields& f) { f.cut = cut; }), Case::Either});
    for (auto const& [name, fields, verdict] : list) {
        cases.append({QStringLiteral("psd-%1.psd").arg(name), photoshop(fields), verdict});
        cases.last().shownEverywhere = false;
    }
    return cases;
}

// A JPEG 2000 codestream of 97 bytes claiming `side` x `side` pixels in code-blocks of 4 x 4.
inline QByteArray jpeg2000(quint32 side)
{
    QByteArray file("\xff\x4f\xff\x51", 4);
    put16be(file, 41); // SIZ: 38 + 3 a component
    put16be(file, 0);
    put32be(file, side);
    put32be(file, side);
    put32be(file, 0);
    put32be(file, 0);
    put32be(file, side);
    put32be(file, side);
    put32be(file, 0);
    put32be(file, 0);
    put16be(file, 1);
    file.append(char(7));
    file.append(char(1));
    file.append(char(1));
    file += QByteArray("\xff\x52", 2); // COD
    put16be(file, 12);
    file.append(char(0));
    file.append(char(0));
    put16be(file, 1);
    file.append(char(0));
    file.append(char(5)); // decomposition levels
    file.append(char(0)); // code-blocks of 4 x 4
    file.append(char(0));
    file.append(char(0));
    file.append(char(0));
    file += QByteArray("\xff\x5c\x00\x13", 4); // QCD: no quantisation, one exponent a sub-band
    file += QByteArray(17, '\x40');
    file += QByteArray("\xff\x90\x00\x0a\x00\x00\x00\x00\x00\x00\x00\x01", 12); // SOT
    file += QByteArray("\xff\x93", 2);
    file += QByteArray(4, '\0');
    file += QByteArray("\xff\xd9", 2);
    return file;
}

// The files of items that once crashed the program or took gigabytes, of formats it no longer
// offers, under their own names and a Targa name: refused, quickly.
inline QList<Case> formerReaders()
{
    QList<Case> cases;
    // Depths the Cineon reader aborted the program on, over enough pixel data to be read.
    for (int bits : {1, 3, 5, 7, 9, 11, 13, 15, 17, 23, 31}) {
        for (int packing : {0, 5}) {
            CineonFields f;
            f.bits = bits;
            f.packing = packing;
            f.channels = 1;
            f.pixelBytes = 2000;
            const QString name = QStringLiteral("former-cineon-%1-bits-packing-%2").arg(bits).arg(packing);
            cases.append({name + QStringLiteral(".cin"), cineon(f), Case::Unread});
            cases.append({name + QStringLiteral(".tga"), cineon(f), Case::Unread});
        }
    }
    for (quint32 side : {11585u, 46340u}) {
        cases.append({QStringLiteral("former-jpeg2000-%1.jp2").arg(side), jpeg2000(side), Case::Unread});
        cases.append({QStringLiteral("former-jpeg2000-%1.tga").arg(side), jpeg2000(side), Case::Unread});
    }
    // Surfaces and depth maps, among them those cut short or holding no pixels at all.
    const QList<Case> others = ddss() + zfiles();
    for (Case c : others) {
        c.verdict = Case::Unread;
        c.shownEverywhere = false;
        cases.append(c);
    }
    for (Case& c : cases)
        c.shownEverywhere = false;
    return cases;
}

// Sound pictures of each format under every other format's suffix: read by their content, or
// refused with a reason.
inline QList<Case> underOtherNames()
{
    static const QStringList suffixes = {"png", "jpg", "tif", "gif", "bmp", "tga", "psd", "exr", "hdr", "pnm", "webp"};
    QList<Case> cases;
    const QStringList picked = {"bmp-v5-alpha-mask.bmp", "tga-t10-b32.tga", "pnm-P6.pnm", "hdr-runs.hdr", "png-argb.png",
                                "tiff-rgb.tif", "webp-argb.webp", "jpeg-rgb.jpg", "gif.gif"};
    for (SoundPictures::Picture const& picture : SoundPictures::all()) {
        if (!picked.contains(picture.name))
            continue;
        for (QString const& suffix : suffixes) {
            const QString name = picture.name.section(QLatin1Char('.'), 0, 0) + QStringLiteral("-as.") + suffix;
            cases.append({name, picture.bytes, Case::Either});
            cases.last().shownEverywhere = false;
        }
    }
    return cases;
}

} // namespace PictureHeaders
