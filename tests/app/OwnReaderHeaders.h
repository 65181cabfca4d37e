#pragma once

// Picture files of the formats whose readers are the image library's own (Targa, SGI, the
// portable maps, Radiance HDR, DirectDraw Surface, Kodak Cineon, Pixar Z depth), written by code
// over the fields of their headers: every pairing of a field's values, and each size, count and
// offset at and past its limit.

#include "PictureHeaders.h"

#include <QPair>

namespace PictureHeaders {

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


struct CineonFields {
    int channels = 3;
    int bits = 10;
    int packing = 5;
    int interleave = 0;
    quint32 width = 4;
    quint32 height = 3;
    // The second channel's sides, when they differ.
    qint64 otherWidth = -1;
    quint32 imageOffset = 1024;
    qint64 pixelBytes = 48;
};

// A Kodak Cineon file: the generic header with its image information, then the pixels.
inline QByteArray cineon(CineonFields const& f)
{
    QByteArray file;
    put32be(file, 0x802a5fd7);
    put32be(file, f.imageOffset);
    put32be(file, 1024);
    put32be(file, 0);
    put32be(file, 0);
    put32be(file, quint32(1024 + f.pixelBytes));
    file += QByteArray("V4.5").leftJustified(8, '\0');
    file = file.leftJustified(192, '\0');
    file.append('\0');
    file.append(char(f.channels));
    file += QByteArray(2, '\0');
    for (int c = 0; c < 8; ++c) {
        QByteArray channel;
        channel.append('\0');
        channel.append(char(c + 1));
        channel.append(char(f.bits));
        channel.append('\0');
        put32be(channel, c == 1 && f.otherWidth >= 0 ? quint32(f.otherWidth) : f.width);
        put32be(channel, f.height);
        file += channel.leftJustified(28, '\0');
    }
    file = file.leftJustified(680, '\0');
    file.append(char(f.interleave));
    file.append(char(f.packing));
    file = file.leftJustified(1024, '\0');
    return file + patternBytes(f.pixelBytes);
}

inline QList<Case> cineons()
{
    QList<Case> cases;
    for (int channels : {0, 1, 3, 4, 8, 9, 255}) {
        for (int bits : {0, 1, 8, 10, 12, 16, 32, 64}) {
            for (int packing : {0, 1, 5, 6, 255}) {
                CineonFields f;
                f.channels = channels;
                f.bits = bits;
                f.packing = packing;
                cases.append({QStringLiteral("cin-c%1-b%2-p%3.cin").arg(channels).arg(bits).arg(packing), cineon(f), Case::Either});
                cases.last().shownEverywhere = false;
            }
        }
    }
    auto with = [](auto change) {
        CineonFields f;
        change(f);
        return f;
    };
    const QList<QPair<const char*, CineonFields>> limits = {
        {"width-0", with([](CineonFields& f) { f.width = 0; })},
        {"height-0", with([](CineonFields& f) { f.height = 0; })},
        {"sides-max", with([](CineonFields& f) { f.width = 0xffffffff; f.height = 0xffffffff; })},
        {"sides-large", with([](CineonFields& f) { f.width = 70000; f.height = 70000; })},
        {"wide-second-channel", with([](CineonFields& f) { f.otherWidth = 4000; })},
        {"narrow-second-channel", with([](CineonFields& f) { f.otherWidth = 1; })},
        {"offset-past-end", with([](CineonFields& f) { f.imageOffset = 100000; })},
        {"offset-in-header", with([](CineonFields& f) { f.imageOffset = 10; })},
        {"offset-max", with([](CineonFields& f) { f.imageOffset = 0xffffffff; })},
        {"pixels-cut", with([](CineonFields& f) { f.pixelBytes = 3; })},
        {"interleave-1", with([](CineonFields& f) { f.interleave = 1; })},
        {"interleave-2", with([](CineonFields& f) { f.interleave = 2; })},
        {"interleave-255", with([](CineonFields& f) { f.interleave = 255; })},
    };
    for (auto const& [name, fields] : limits) {
        cases.append({QStringLiteral("cin-%1.cin").arg(QLatin1String(name)), cineon(fields), Case::Either});
        cases.last().shownEverywhere = false;
    }
    return cases;
}


// Pixar Z depth files, uncompressed: the signature, the sides, two matrices, then floats.
inline QList<Case> zfiles()
{
    QList<Case> cases;
    for (bool swapped : {false, true}) {
        for (quint32 sides : {0x00040003u, 0x00000003u, 0x00040000u, 0xffffffffu, 0x10001000u}) {
            for (qint64 values : {qint64(12), qint64(5), qint64(0)}) {
                QByteArray file;
                if (swapped) {
                    put32(file, 0x2f0867ab);
                    put16(file, quint16(sides >> 16));
                    put16(file, quint16(sides));
                } else {
                    put32be(file, 0x2f0867ab);
                    put16be(file, quint16(sides >> 16));
                    put16be(file, quint16(sides));
                }
                file += QByteArray(128, '\0');
                file += patternBytes(values * 4);
                const bool sound = sides == 0x00040003u && values == 12;
                cases.append({QStringLiteral("zfile-%1-%2-%3.zfile").arg(swapped ? "le" : "be").arg(sides, 8, 16, QLatin1Char('0')).arg(values),
                              file, sound ? Case::Shown : Case::Either});
                cases.last().shownEverywhere = false;
            }
        }
    }
    return cases;
}

} // namespace PictureHeaders
