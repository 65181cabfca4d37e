#pragma once

// Picture files written by code over the fields of their headers, for the tests and the fuzz
// seed writer: every pairing of a field's values the format defines, and each size, count and
// offset at and past its limit.

#include <QByteArray>
#include <QList>
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
        Unread,  // a format the program does not offer: refused, never shown
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


} // namespace PictureHeaders
