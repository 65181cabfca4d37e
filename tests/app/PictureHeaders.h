#pragma once

// Picture files written by code over the fields of their headers, for the tests and the fuzz
// seed writer: every pairing of a field's values the format defines, and each size, count and
// offset at and past its limit.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QtEndian>

#include <algorithm>
#include <climits>

namespace PictureHeaders {

struct Case {
    QString name; // also the file's name, with its suffix
    QByteArray bytes;
    enum Verdict {
        Shown,   // the format allows every field: the picture must be read
        Refused, // a field breaks the format's rules: refused before any reader sees it
        Either,  // sound headers over damaged pixels: read or refused by the reader
    };
    Verdict verdict = Either;
    // Whether the program's own readers (thumbnails, drops) must show it too when it is to be
    // shown: Qt's bitmap reader gives a top-down picture a negative height, which they refuse.
    bool shownEverywhere = true;
};

struct BitmapFields {
    quint32 infoBytes = 40;
    qint64 width = 4;
    qint64 height = 3;
    int planes = 1;
    int bits = 24;
    quint32 compression = 0;
    // -1: as many colours as the depth has (none above 8 bits).
    qint64 paletteCount = -1;
    // Added to the offset of the pixels.
    qint64 offsetShift = 0;
    // Replaces the offset of the pixels when set.
    qint64 offset = -1;
    // Bytes cut from the file's end (after the pixels are written).
    int cut = 0;
};

inline void put16(QByteArray& bytes, quint16 value)
{
    char b[2];
    qToLittleEndian(value, b);
    bytes.append(b, 2);
}

inline void put32(QByteArray& bytes, quint32 value)
{
    char b[4];
    qToLittleEndian(value, b);
    bytes.append(b, 4);
}

// A Windows bitmap of the fields: palette, masks and pixel data as the fields ask (run-length
// pixels whenever the compression says so, whatever the depth).
inline QByteArray bitmap(BitmapFields const& f)
{
    const bool os2 = f.infoBytes == 12;
    const bool masksAfter = f.compression == 3 && f.infoBytes == 40;
    const qint64 colours = f.paletteCount >= 0 ? f.paletteCount : (f.bits <= 8 && f.bits > 0 ? (qint64(1) << f.bits) : 0);
    QByteArray info;
    put32(info, f.infoBytes);
    if (os2) {
        put16(info, quint16(f.width));
        put16(info, quint16(f.height));
        put16(info, quint16(f.planes));
        put16(info, quint16(f.bits));
    } else {
        put32(info, quint32(qint32(f.width)));
        put32(info, quint32(qint32(f.height)));
        put16(info, quint16(f.planes));
        put16(info, quint16(f.bits));
        put32(info, f.compression);
        put32(info, 0); // image size: may be zero
        put32(info, 2835);
        put32(info, 2835);
        put32(info, quint32(f.paletteCount >= 0 ? f.paletteCount : 0));
        put32(info, 0);
    }
    const quint32 red = f.bits == 16 ? 0xf800 : 0xff0000;
    const quint32 green = f.bits == 16 ? 0x07e0 : 0xff00;
    const quint32 blue = f.bits == 16 ? 0x001f : 0xff;
    if (f.infoBytes > 40) {
        put32(info, red);
        put32(info, green);
        put32(info, blue);
        put32(info, f.bits == 32 ? 0xff000000u : 0);
    }
    if (f.infoBytes >= 108) {
        put32(info, 0x73524742); // sRGB
        info.append(QByteArray(48, '\0'));
    }
    if (f.infoBytes >= 124)
        info.append(QByteArray(16, '\0'));
    if (f.infoBytes <= 256)
        info = info.leftJustified(int(f.infoBytes), '\0', true);
    if (masksAfter) {
        put32(info, red);
        put32(info, green);
        put32(info, blue);
    }
    QByteArray palette;
    for (qint64 i = 0; i < std::min<qint64>(colours, 256); ++i) {
        palette.append(char(i * 40));
        palette.append(char(255 - i));
        palette.append(char(i * 7));
        if (!os2)
            palette.append('\0');
    }
    QByteArray pixels;
    const qint64 height = f.height < 0 ? -f.height : f.height;
    const qint64 rows = std::min<qint64>(height, 64);
    const qint64 width = std::min<qint64>(std::max<qint64>(f.width, 0), 64);
    if (f.compression == 1 || f.compression == 2) {
        for (qint64 y = 0; y < rows; ++y) {
            pixels.append(char(width));
            pixels.append(f.compression == 1 ? char(1) : char(0x12));
            if (y + 1 < rows)
                pixels.append(QByteArray(2, '\0')); // end of line
        }
        pixels.append('\0');
        pixels.append('\1'); // end of picture
    } else {
        const qint64 rowBytes = (width * std::max(f.bits, 1) + 31) / 32 * 4;
        for (qint64 i = 0; i < rowBytes * rows; ++i)
            pixels.append(char(i * 29 + 3));
    }
    const qint64 start = 14 + info.size() + palette.size();
    const qint64 offset = f.offset >= 0 ? f.offset : start + f.offsetShift;
    QByteArray file = "BM";
    put32(file, quint32(start + pixels.size()));
    put32(file, 0);
    put32(file, quint32(offset));
    file += info + palette + pixels;
    file.chop(f.cut);
    return file;
}

inline bool bitmapAllows(quint32 compression, int bits, bool os2)
{
    if (os2)
        return bits == 1 || bits == 4 || bits == 8 || bits == 24;
    const bool depth = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    return depth
        && (compression == 0 || (compression == 1 && bits == 8) || (compression == 2 && bits == 4)
            || (compression == 3 && (bits == 16 || bits == 32)));
}

// Every compression with every depth under every header size, and each size, count and offset
// at and past its limit.
inline QList<Case> bitmaps()
{
    QList<Case> cases;
    auto add = [&cases](QString const& name, BitmapFields const& fields, Case::Verdict verdict) {
        cases.append({name + QStringLiteral(".bmp"), bitmap(fields), verdict});
    };
    for (quint32 infoBytes : {12u, 40u, 108u, 124u}) {
        for (quint32 compression : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u}) {
            if (infoBytes == 12 && compression != 0)
                continue;
            for (int bits : {0, 1, 2, 4, 8, 15, 16, 24, 32, 48, 64}) {
                BitmapFields f;
                f.infoBytes = infoBytes;
                f.compression = compression;
                f.bits = bits;
                add(QStringLiteral("bmp-h%1-c%2-b%3").arg(infoBytes).arg(compression).arg(bits), f,
                    bitmapAllows(compression, bits, infoBytes == 12) ? Case::Shown : Case::Refused);
            }
        }
    }
    struct Limit {
        const char* name;
        BitmapFields fields;
        Case::Verdict verdict;
    };
    auto with = [](auto change) {
        BitmapFields f;
        change(f);
        return f;
    };
    const QList<Limit> limits = {
        {"width-0", with([](BitmapFields& f) { f.width = 0; }), Case::Refused},
        {"width-negative", with([](BitmapFields& f) { f.width = -4; }), Case::Refused},
        {"width-max", with([](BitmapFields& f) { f.width = INT_MAX; }), Case::Refused},
        {"height-0", with([](BitmapFields& f) { f.height = 0; }), Case::Refused},
        {"height-top-down", with([](BitmapFields& f) { f.height = -3; }), Case::Shown},
        {"height-min", with([](BitmapFields& f) { f.height = INT_MIN; }), Case::Refused},
        {"height-max", with([](BitmapFields& f) { f.height = INT_MAX; }), Case::Refused},
        {"rle8-top-down", with([](BitmapFields& f) { f.height = -3; f.bits = 8; f.compression = 1; }), Case::Refused},
        {"rle4-top-down", with([](BitmapFields& f) { f.height = -3; f.bits = 4; f.compression = 2; }), Case::Refused},
        {"rle8-wide", with([](BitmapFields& f) { f.width = 60000; f.bits = 8; f.compression = 1; }), Case::Either},
        {"planes-0", with([](BitmapFields& f) { f.planes = 0; }), Case::Refused},
        {"planes-2", with([](BitmapFields& f) { f.planes = 2; }), Case::Refused},
        {"info-16", with([](BitmapFields& f) { f.infoBytes = 16; }), Case::Refused},
        {"info-64", with([](BitmapFields& f) { f.infoBytes = 64; }), Case::Refused},
        {"info-huge", with([](BitmapFields& f) { f.infoBytes = 0x7fffffff; }), Case::Refused},
        {"palette-full", with([](BitmapFields& f) { f.bits = 8; f.paletteCount = 256; }), Case::Shown},
        {"palette-small", with([](BitmapFields& f) { f.bits = 8; f.paletteCount = 2; }), Case::Shown},
        {"palette-past-depth", with([](BitmapFields& f) { f.bits = 4; f.paletteCount = 17; }), Case::Refused},
        {"palette-huge", with([](BitmapFields& f) { f.bits = 8; f.paletteCount = 0xffffffff; }), Case::Refused},
        {"palette-24-bits", with([](BitmapFields& f) { f.paletteCount = 4; }), Case::Shown},
        {"palette-past-file", with([](BitmapFields& f) { f.bits = 8; f.cut = 524; }), Case::Refused},
        {"offset-in-palette", with([](BitmapFields& f) { f.bits = 8; f.offsetShift = -1; }), Case::Refused},
        {"offset-in-header", with([](BitmapFields& f) { f.offset = 20; }), Case::Refused},
        {"offset-0", with([](BitmapFields& f) { f.offset = 0; }), Case::Refused},
        {"offset-later", with([](BitmapFields& f) { f.offsetShift = 4; }), Case::Refused},
        {"offset-at-end", with([](BitmapFields& f) { f.offset = 54 + 36; }), Case::Refused},
        {"offset-past-end", with([](BitmapFields& f) { f.offset = 54 + 37; }), Case::Refused},
        {"offset-max", with([](BitmapFields& f) { f.offset = 0xffffffff; }), Case::Refused},
        {"rows-cut", with([](BitmapFields& f) { f.cut = 1; }), Case::Refused},
        {"rle8-cut", with([](BitmapFields& f) { f.bits = 8; f.compression = 1; f.cut = 5; }), Case::Either},
        {"header-cut", with([](BitmapFields& f) { f.cut = 36 + 20; }), Case::Refused},
        {"masks-cut", with([](BitmapFields& f) { f.bits = 32; f.compression = 3; f.cut = 12 + 48; }), Case::Refused},
    };
    for (Limit const& limit : limits) {
        add(QStringLiteral("bmp-") + QLatin1String(limit.name), limit.fields, limit.verdict);
        cases.last().shownEverywhere = limit.fields.height > 0;
    }
    // The 62 bytes of the first crash: 32 bits a pixel, run lengths of 8-bit pictures.
    BitmapFields crash;
    crash.width = 1;
    crash.height = 1;
    crash.bits = 32;
    crash.compression = 1;
    add(QStringLiteral("bmp-rle8-32-bits"), crash, Case::Refused);
    return cases;
}


inline void put16be(QByteArray& bytes, quint16 value)
{
    char b[2];
    qToBigEndian(value, b);
    bytes.append(b, 2);
}

inline void put32be(QByteArray& bytes, quint32 value)
{
    char b[4];
    qToBigEndian(value, b);
    bytes.append(b, 4);
}

inline QByteArray patternBytes(qint64 count, int seed = 0)
{
    QByteArray bytes;
    for (qint64 i = 0; i < count; ++i)
        bytes.append(char(i * 37 + seed * 11 + 5));
    return bytes;
}

struct TargaFields {
    int idLength = 0;
    int colourMapType = 0;
    int imageType = 2;
    int mapFirst = 0;
    int mapLength = 0;
    int mapDepth = 24;
    int width = 4;
    int height = 3;
    int depth = 24;
    int descriptor = 0;
    // Bytes of pixel data written (-1: as many as the picture needs uncompressed).
    qint64 pixelBytes = -1;
};

// A Targa picture of the fields; run-length pixels are packets of raw runs.
inline QByteArray targa(TargaFields const& f)
{
    QByteArray file;
    file.append(char(f.idLength));
    file.append(char(f.colourMapType));
    file.append(char(f.imageType));
    put16(file, quint16(f.mapFirst));
    put16(file, quint16(f.mapLength));
    file.append(char(f.mapDepth));
    put16(file, 0);
    put16(file, 0);
    put16(file, quint16(f.width));
    put16(file, quint16(f.height));
    file.append(char(f.depth));
    file.append(char(f.descriptor));
    file += patternBytes(f.idLength, 1);
    if (f.colourMapType == 1)
        file += patternBytes(qint64(f.mapLength) * ((f.mapDepth + 7) / 8), 2);
    const qint64 pixelSize = std::max(1, (f.depth + 7) / 8);
    const qint64 pixels = qint64(std::min(f.width, 64)) * std::min(f.height, 64);
    if (f.pixelBytes >= 0) {
        file += patternBytes(f.pixelBytes, 3);
    } else if (f.imageType >= 9) {
        for (qint64 done = 0; done < pixels; done += 4) {
            const qint64 run = std::min<qint64>(4, pixels - done);
            file.append(char(run - 1)); // a raw packet
            file += patternBytes(run * pixelSize, int(done));
        }
    } else {
        file += patternBytes(pixels * pixelSize, 3);
    }
    return file;
}

inline QList<Case> targas()
{
    QList<Case> cases;
    for (int imageType : {0, 1, 2, 3, 9, 10, 11, 32, 33}) {
        for (int depth : {0, 1, 8, 15, 16, 24, 32, 64}) {
            for (int mapType : {0, 1}) {
                TargaFields f;
                f.imageType = imageType;
                f.depth = depth;
                f.colourMapType = mapType;
                const bool mapped = imageType == 1 || imageType == 9;
                if (mapped || mapType == 1)
                    f.mapLength = 256;
                const bool sound = (mapped && mapType == 1 && depth == 8)
                                   || ((imageType == 2 || imageType == 10) && mapType == 0 && (depth == 16 || depth == 24 || depth == 32))
                                   || ((imageType == 3 || imageType == 11) && mapType == 0 && depth == 8);
                const int kind = imageType & 7;
                const bool allowed = (imageType & ~0xb) == 0 && kind >= 1 && kind <= 3
                                     && (kind == 1   ? depth == 8 && mapType == 1
                                         : kind == 2 ? depth == 15 || depth == 16 || depth == 24 || depth == 32
                                                     : depth == 8 || depth == 16);
                cases.append({QStringLiteral("tga-t%1-b%2-m%3.tga").arg(imageType).arg(depth).arg(mapType), targa(f),
                              sound ? Case::Shown : allowed ? Case::Either : Case::Refused});
                // The drop's reader (Qt's) refuses these Targa pictures: shown or refused there.
                cases.last().shownEverywhere = false;
            }
        }
    }
    auto with = [](auto change) {
        TargaFields f;
        change(f);
        return f;
    };
    const QList<QPair<const char*, TargaFields>> limits = {
        {"width-0", with([](TargaFields& f) { f.width = 0; })},
        {"height-0", with([](TargaFields& f) { f.height = 0; })},
        {"width-max", with([](TargaFields& f) { f.width = 65535; })},
        {"sides-max", with([](TargaFields& f) { f.width = 65535; f.height = 65535; })},
        {"pixels-cut", with([](TargaFields& f) { f.pixelBytes = 5; })},
        {"rle-cut", with([](TargaFields& f) { f.imageType = 10; f.pixelBytes = 7; })},
        {"rle-long-runs", with([](TargaFields& f) { f.imageType = 10; f.pixelBytes = 0; })},
        {"map-first-past-length", with([](TargaFields& f) { f.imageType = 1; f.colourMapType = 1; f.depth = 8; f.mapFirst = 300; f.mapLength = 256; })},
        {"map-too-short", with([](TargaFields& f) { f.imageType = 1; f.colourMapType = 1; f.depth = 8; f.mapLength = 2; })},
        {"map-huge", with([](TargaFields& f) { f.imageType = 1; f.colourMapType = 1; f.depth = 8; f.mapLength = 65535; })},
        {"map-depth-0", with([](TargaFields& f) { f.imageType = 1; f.colourMapType = 1; f.depth = 8; f.mapLength = 256; f.mapDepth = 0; })},
        {"map-depth-64", with([](TargaFields& f) { f.imageType = 1; f.colourMapType = 1; f.depth = 8; f.mapLength = 256; f.mapDepth = 64; })},
        {"map-16-bit-index", with([](TargaFields& f) { f.imageType = 1; f.colourMapType = 1; f.depth = 16; f.mapLength = 256; })},
        {"id-past-end", with([](TargaFields& f) { f.idLength = 255; f.pixelBytes = 0; })},
        {"alpha-bits-15", with([](TargaFields& f) { f.descriptor = 15; })},
        {"top-right", with([](TargaFields& f) { f.descriptor = 0x30; })},
        {"interleave", with([](TargaFields& f) { f.descriptor = 0xc0; })},
    };
    for (auto const& [name, fields] : limits)
        cases.append({QStringLiteral("tga-%1.tga").arg(QLatin1String(name)), targa(fields), Case::Either});
    return cases;
}

struct SgiFields {
    int storage = 0;
    int bytesPerChannel = 1;
    int dimension = 3;
    int width = 4;
    int height = 3;
    int channels = 3;
    int colourMap = 0;
    // For run lengths: added to every row's offset, and every row's length.
    qint64 offsetShift = 0;
    qint64 length = -1;
    qint64 cut = 0;
};

inline QByteArray sgi(SgiFields const& f)
{
    QByteArray file;
    put16be(file, 474);
    file.append(char(f.storage));
    file.append(char(f.bytesPerChannel));
    put16be(file, quint16(f.dimension));
    put16be(file, quint16(f.width));
    put16be(file, quint16(f.height));
    put16be(file, quint16(f.channels));
    put32be(file, 0);
    put32be(file, f.bytesPerChannel == 2 ? 65535 : 255);
    put32be(file, 0);
    file += QByteArray("picture").leftJustified(80, '\0');
    put32be(file, quint32(f.colourMap));
    file = file.leftJustified(512, '\0');
    const qint64 rows = qint64(std::min(f.height, 64)) * std::min(f.channels, 8);
    const qint64 rowBytes = qint64(std::min(f.width, 64)) * std::max(1, f.bytesPerChannel);
    if (f.storage == 1) {
        // One run of raw values a row, then the end.
        const qint64 runBytes = 1 + rowBytes + std::max(1, f.bytesPerChannel);
        const qint64 tables = 512 + rows * 8;
        for (qint64 r = 0; r < rows; ++r)
            put32be(file, quint32(tables + r * runBytes + f.offsetShift));
        for (qint64 r = 0; r < rows; ++r)
            put32be(file, quint32(f.length >= 0 ? f.length : runBytes));
        for (qint64 r = 0; r < rows; ++r) {
            QByteArray run;
            if (f.bytesPerChannel == 2)
                run.append('\0');
            run.append(char(0x80 | std::min<qint64>(rowBytes / std::max(1, f.bytesPerChannel), 127)));
            run += patternBytes(rowBytes, int(r));
            run += QByteArray(std::max(1, f.bytesPerChannel), '\0');
            file += run.left(runBytes);
        }
    } else {
        file += patternBytes(rows * rowBytes);
    }
    file.chop(f.cut);
    return file;
}

inline QList<Case> sgis()
{
    QList<Case> cases;
    for (int storage : {0, 1, 2}) {
        for (int bpc : {0, 1, 2, 3}) {
            for (int dimension : {0, 1, 2, 3, 4}) {
                for (int channels : {0, 1, 3, 4, 5}) {
                    SgiFields f;
                    f.storage = storage;
                    f.bytesPerChannel = bpc;
                    f.dimension = dimension;
                    f.channels = channels;
                    if (dimension == 1)
                        f.height = 1;
                    const bool sound = storage < 2 && (bpc == 1 || bpc == 2)
                                       && ((dimension == 3 && channels >= 1 && channels <= 4) || (dimension == 2 && channels == 1)
                                           || (dimension == 1 && channels == 1));
                    // Shown or refused: the library's reader takes no picture of these written by hand.
                    Q_UNUSED(sound)
                    cases.append({QStringLiteral("sgi-s%1-b%2-d%3-c%4.sgi").arg(storage).arg(bpc).arg(dimension).arg(channels),
                                  sgi(f), Case::Either});
                    cases.last().shownEverywhere = false;
                }
            }
        }
    }
    auto with = [](auto change) {
        SgiFields f;
        change(f);
        return f;
    };
    const QList<QPair<const char*, SgiFields>> limits = {
        {"width-0", with([](SgiFields& f) { f.width = 0; })},
        {"height-0", with([](SgiFields& f) { f.height = 0; })},
        {"sides-max", with([](SgiFields& f) { f.width = 65535; f.height = 65535; })},
        {"channels-max", with([](SgiFields& f) { f.channels = 65535; })},
        {"rows-cut", with([](SgiFields& f) { f.cut = 5; })},
        {"rle-offset-past-end", with([](SgiFields& f) { f.storage = 1; f.offsetShift = 100000; })},
        {"rle-offset-in-header", with([](SgiFields& f) { f.storage = 1; f.offsetShift = -600; })},
        {"rle-length-0", with([](SgiFields& f) { f.storage = 1; f.length = 0; })},
        {"rle-length-huge", with([](SgiFields& f) { f.storage = 1; f.length = 0x7fffffff; })},
        {"rle-length-short", with([](SgiFields& f) { f.storage = 1; f.length = 2; })},
        {"rle-tables-cut", with([](SgiFields& f) { f.storage = 1; f.cut = 200; })},
        {"rle-wide-runs", with([](SgiFields& f) { f.storage = 1; f.width = 300; })},
        {"colour-map-1", with([](SgiFields& f) { f.colourMap = 1; })},
        {"colour-map-3", with([](SgiFields& f) { f.colourMap = 3; })},
    };
    for (auto const& [name, fields] : limits)
        cases.append({QStringLiteral("sgi-%1.sgi").arg(QLatin1String(name)), sgi(fields), Case::Either});
    return cases;
}

inline QList<Case> pnms()
{
    QList<Case> cases;
    struct Kind {
        const char* magic;
        int bytesPerPixel; // 0: text, -1: bits
        bool floats;
    };
    const Kind kinds[] = {{"P1", 0, false}, {"P2", 0, false}, {"P3", 0, false}, {"P4", -1, false},
                          {"P5", 1, false}, {"P6", 3, false}, {"Pf", 4, true},  {"PF", 12, true}};
    for (Kind const& kind : kinds) {
        for (QByteArray const& sides : {QByteArray("4 3"), QByteArray("0 3"), QByteArray("-4 3"), QByteArray("65536 65536"),
                                        QByteArray("4294967297 1"), QByteArray("4")}) {
            for (QByteArray const& maxval : kind.floats ? QList<QByteArray>{"-1.0", "1.0", "0", "nan"}
                                                        : QList<QByteArray>{"255", "65535", "0", "65536"}) {
                QByteArray file = QByteArray(kind.magic) + "\n# a comment\n" + sides + "\n";
                if (qstrcmp(kind.magic, "P1") != 0 && qstrcmp(kind.magic, "P4") != 0)
                    file += maxval + "\n";
                else if (maxval != "255")
                    continue;
                const bool sides43 = sides == "4 3";
                if (kind.bytesPerPixel == 0) {
                    for (int i = 0; i < 12 * (qstrcmp(kind.magic, "P3") == 0 ? 3 : 1); ++i)
                        file += QByteArray::number(i % 2) + " ";
                } else if (kind.bytesPerPixel < 0) {
                    file += patternBytes(3);
                } else {
                    const int sample = maxval == "65535" || maxval == "65536" ? 2 : 1;
                    file += patternBytes(12 * kind.bytesPerPixel * (kind.floats ? 1 : sample));
                }
                const bool sound = sides43 && (kind.floats ? maxval == "-1.0" || maxval == "1.0" : maxval == "255" || maxval == "65535");
                cases.append({QStringLiteral("pnm-%1-%2-%3.pnm").arg(QLatin1String(kind.magic),
                                                                     QString::fromLatin1(sides).replace(QLatin1Char(' '), QLatin1Char('x')),
                                                                     QString::fromLatin1(maxval)),
                              file, sound ? Case::Shown : Case::Either});
                cases.last().shownEverywhere = !kind.floats;
                // The same cut in its pixels.
                QString cutName = cases.last().name;
                cutName.replace(QStringLiteral(".pnm"), QStringLiteral("-cut.pnm"));
                cases.append({cutName, file.left(file.size() - 2), Case::Either});
            }
        }
    }
    return cases;
}

inline QList<Case> hdrs()
{
    QList<Case> cases;
    const QByteArray pixels = patternBytes(4 * 12);
    // Run-length rows: the new form (2, 2, width) with one raw run a channel.
    QByteArray runs;
    for (int y = 0; y < 3; ++y) {
        runs += QByteArray("\x02\x02\x00\x04", 4);
        for (int c = 0; c < 4; ++c)
            runs += QByteArray(1, char(4)) + patternBytes(4, y * 4 + c);
    }
    QByteArray badRuns = runs;
    badRuns[3] = char(200); // a row wider than the picture
    QByteArray longRun = runs;
    longRun[4] = char(200); // a raw run past the row
    QByteArray repeat = runs;
    repeat[4] = char(128 + 100); // a repeated run past the row
    for (QByteArray const& format : {QByteArray("32-bit_rle_rgbe"), QByteArray("32-bit_rle_xyze"), QByteArray("other")}) {
        for (QByteArray const& sides : {QByteArray("-Y 3 +X 4"), QByteArray("+Y 3 +X 4"), QByteArray("-Y 3 -X 4"),
                                        QByteArray("+X 4 -Y 3"), QByteArray("-Y 0 +X 4"), QByteArray("-Y 3 +X 0"),
                                        QByteArray("-Y -3 +X 4"), QByteArray("-Y 65536 +X 65536"), QByteArray("-Y 3"),
                                        QByteArray("")}) {
            const QList<QPair<const char*, QByteArray>> bodies = {
                {"flat", pixels}, {"runs", runs}, {"wide-run-row", badRuns}, {"long-run", longRun}, {"long-repeat", repeat},
                {"cut", runs.left(9)}, {"none", QByteArray()}};
            for (auto const& [bodyName, body] : bodies) {
                const QByteArray file = "#?RADIANCE\nFORMAT=" + format + "\nEXPOSURE=1.0\n\n" + sides + "\n" + body;
                const bool sound = format == "32-bit_rle_rgbe" && sides == "-Y 3 +X 4" && (qstrcmp(bodyName, "flat") == 0 || qstrcmp(bodyName, "runs") == 0);
                cases.append({QStringLiteral("hdr-%1-%2-%3.hdr").arg(QString::fromLatin1(format),
                                                                     QString::fromLatin1(sides).replace(QLatin1Char(' '), QLatin1Char('_')),
                                                                     QLatin1String(bodyName)),
                              file, sound ? Case::Shown : Case::Either});
                cases.last().shownEverywhere = false;
            }
        }
    }
    return cases;
}

struct DdsFields {
    quint32 headerSize = 124;
    quint32 flags = 0x1007; // caps, height, width, pixel format
    quint32 height = 4;
    quint32 width = 4;
    quint32 pitch = 0;
    quint32 depth = 0;
    quint32 mipmaps = 0;
    quint32 formatSize = 32;
    quint32 formatFlags = 0x40; // RGB
    QByteArray fourCC = QByteArray(4, '\0');
    quint32 bits = 32;
    quint32 masks[4] = {0xff0000, 0xff00, 0xff, 0xff000000};
    quint32 caps = 0x1000;
    quint32 caps2 = 0;
    qint64 dataBytes = 64;
};

inline QByteArray dds(DdsFields const& f)
{
    QByteArray file = "DDS ";
    put32(file, f.headerSize);
    put32(file, f.flags);
    put32(file, f.height);
    put32(file, f.width);
    put32(file, f.pitch);
    put32(file, f.depth);
    put32(file, f.mipmaps);
    file += QByteArray(44, '\0');
    put32(file, f.formatSize);
    put32(file, f.formatFlags);
    file += f.fourCC.leftJustified(4, '\0', true);
    put32(file, f.bits);
    for (quint32 mask : f.masks)
        put32(file, mask);
    put32(file, f.caps);
    put32(file, f.caps2);
    file += QByteArray(12, '\0');
    return file + patternBytes(f.dataBytes);
}

inline QList<Case> ddss()
{
    QList<Case> cases;
    const QList<QByteArray> fourCCs = {QByteArray(4, '\0'), "DXT1", "DXT2", "DXT3", "DXT4", "DXT5", "ATI1", "ATI2",
                                       "BC4U", "BC5U", "DX10", "XXXX"};
    for (QByteArray const& fourCC : fourCCs) {
        for (quint32 formatFlags : {0x40u, 0x41u, 0x20000u, 0x20001u, 0x2u, 0x0u}) {
            for (quint32 bits : {0u, 8u, 16u, 24u, 32u, 7u}) {
                DdsFields f;
                f.fourCC = fourCC;
                f.formatFlags = formatFlags | (fourCC != QByteArray(4, '\0') ? 0x4u : 0u);
                f.bits = bits;
                if (bits == 16) {
                    f.masks[0] = 0xf800;
                    f.masks[1] = 0x07e0;
                    f.masks[2] = 0x001f;
                    f.masks[3] = 0;
                }
                const bool sound = fourCC == QByteArray(4, '\0') && formatFlags == 0x41u && bits == 32;
                // Without a compression: masks of the channels the flags name, within the pixel.
                const bool plain = fourCC == QByteArray(4, '\0');
                const bool refused = (!plain && (fourCC == "DX10" || fourCC == "XXXX" || fourCC == "DXT2" || fourCC == "DXT4"))
                                     || (plain && (bits == 0 || bits == 7 || formatFlags == 0 || (bits == 16 && (formatFlags & 3))));
                cases.append({QStringLiteral("dds-%1-f%2-b%3.dds").arg(QString::fromLatin1(fourCC.toHex())).arg(formatFlags, 0, 16).arg(bits),
                              dds(f), sound ? Case::Shown : refused ? Case::Refused : Case::Either});
                cases.last().shownEverywhere = false;
            }
        }
    }
    auto with = [](auto change) {
        DdsFields f;
        change(f);
        return f;
    };
    const QList<QPair<const char*, DdsFields>> limits = {
        {"header-0", with([](DdsFields& f) { f.headerSize = 0; })},
        {"format-size-0", with([](DdsFields& f) { f.formatSize = 0; })},
        {"width-0", with([](DdsFields& f) { f.width = 0; })},
        {"sides-max", with([](DdsFields& f) { f.width = 0xffffffff; f.height = 0xffffffff; })},
        {"sides-large", with([](DdsFields& f) { f.width = 65536; f.height = 65536; })},
        {"mipmaps-max", with([](DdsFields& f) { f.flags |= 0x20000; f.mipmaps = 0xffffffff; f.caps |= 0x400008; })},
        {"mipmaps-40", with([](DdsFields& f) { f.flags |= 0x20000; f.mipmaps = 40; f.caps |= 0x400008; })},
        {"depth-max", with([](DdsFields& f) { f.flags |= 0x800000; f.depth = 0xffffffff; f.caps2 = 0x200000; })},
        {"volume-4", with([](DdsFields& f) { f.flags |= 0x800000; f.depth = 4; f.caps2 = 0x200000; })},
        {"cube", with([](DdsFields& f) { f.caps |= 0x8; f.caps2 = 0xfe00; })},
        {"cube-some-faces", with([](DdsFields& f) { f.caps |= 0x8; f.caps2 = 0x0600; })},
        {"cube-dxt1", with([](DdsFields& f) { f.caps |= 0x8; f.caps2 = 0xfe00; f.fourCC = "DXT1"; f.formatFlags = 0x4; })},
        {"dxt1-cut", with([](DdsFields& f) { f.fourCC = "DXT1"; f.formatFlags = 0x4; f.dataBytes = 3; })},
        {"dxt5-odd-sides", with([](DdsFields& f) { f.fourCC = "DXT5"; f.formatFlags = 0x4; f.width = 5; f.height = 7; })},
        {"masks-0", with([](DdsFields& f) { for (quint32& m : f.masks) m = 0; })},
        {"masks-all", with([](DdsFields& f) { for (quint32& m : f.masks) m = 0xffffffff; })},
        {"pixels-cut", with([](DdsFields& f) { f.dataBytes = 5; })},
    };
    for (auto const& [name, fields] : limits) {
        cases.append({QStringLiteral("dds-%1.dds").arg(QLatin1String(name)), dds(fields), Case::Either});
        cases.last().shownEverywhere = false;
    }
    return cases;
}

} // namespace PictureHeaders
