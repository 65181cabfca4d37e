#pragma once

// Sound pictures of every variant of the formats the program reads, written field by field,
// each with the pixels its format says it holds.

#include "HostilePictures.h"
#include "PictureHeaders.h"

#include <QImage>
#include <QList>
#include <QString>

#include <cmath>
#include <cstring>

namespace SoundPictures {

struct Picture {
    QString name; // with its suffix
    QByteArray bytes;
    QImage expected; // ARGB32, straight alpha
    int tolerance = 0; // per channel, for formats of fewer bits than 8 a channel or lossy ones
};

// A small picture in many colours and alphas, among them the pixel 07 00 2d with alpha 0d whose
// colours a premultiplied reading would blow up.
inline QImage alphaSample(int width = 5, int height = 3)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba((x * 53 + y * 7) & 255, (y * 90 + 20) & 255, (x * y * 31 + 9) & 255, (x * 60 + y * 40 + 13) & 255));
    }
    image.setPixel(1, 1, qRgba(0x07, 0x00, 0x2d, 0x0d));
    return image;
}

inline QImage opaque(QImage image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, image.pixel(x, y) | 0xff000000u);
    }
    return image;
}

// Palette entry i of the colour-mapped variants.
inline QRgb paletteColour(int i)
{
    return qRgb(i * 40 & 255, 255 - i, i * 7 & 255);
}

inline int indexAt(int x, int y, int colours)
{
    return (x * 3 + y * 5) % colours;
}

inline QImage indexed(int width, int height, int colours)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, paletteColour(indexAt(x, y, colours)));
    }
    return image;
}

// --- Windows bitmaps -----------------------------------------------------------------------

struct BitmapVariant {
    quint32 infoBytes = 40;
    int bits = 24;
    quint32 compression = 0;
    bool topDown = false;
    bool alphaInPadding = false; // 32-bit BI_RGB: the fourth byte holds alpha, which is no alpha
};

inline Picture bitmap(QString const& name, BitmapVariant const& v)
{
    using PictureHeaders::put16;
    using PictureHeaders::put32;
    const int width = 5;
    const int height = 3;
    const bool paletted = v.bits <= 8;
    const int colours = paletted ? (1 << v.bits) : 0;
    const QImage source = paletted ? indexed(width, height, std::min(colours, 13)) : alphaSample();
    QImage expected = source;
    const bool alpha = v.bits == 32 && v.compression == 3 && v.infoBytes >= 108;
    if (!alpha)
        expected = opaque(expected);
    QByteArray info;
    put32(info, v.infoBytes);
    put32(info, width);
    put32(info, quint32(v.topDown ? -height : height));
    put16(info, 1);
    put16(info, quint16(v.bits));
    put32(info, v.compression);
    put32(info, 0);
    put32(info, 2835);
    put32(info, 2835);
    put32(info, 0);
    put32(info, 0);
    const quint32 masks[4] = {v.bits == 16 ? 0xf800u : 0xff0000u, v.bits == 16 ? 0x07e0u : 0xff00u, v.bits == 16 ? 0x001fu : 0xffu,
                              v.bits == 32 ? 0xff000000u : 0u};
    if (v.infoBytes > 40) {
        for (quint32 mask : masks)
            put32(info, mask);
        info = info.leftJustified(int(v.infoBytes), '\0');
        if (v.infoBytes >= 108)
            qToLittleEndian<quint32>(0x73524742, info.data() + 56);
    } else if (v.compression == 3) {
        for (int i = 0; i < 3; ++i)
            put32(info, masks[i]);
    }
    QByteArray palette;
    for (int i = 0; i < colours; ++i) {
        const QRgb c = paletteColour(i);
        palette.append(char(qBlue(c)));
        palette.append(char(qGreen(c)));
        palette.append(char(qRed(c)));
        palette.append('\0');
    }
    QByteArray pixels;
    for (int r = 0; r < height; ++r) {
        const int y = v.topDown ? r : height - 1 - r;
        QByteArray row;
        if (v.compression == 1 || v.compression == 2) {
            for (int x = 0; x < width; ++x) {
                const int i = indexAt(x, y, std::min(colours, 13));
                row.append(char(1));
                row.append(char(v.compression == 1 ? i : i << 4));
            }
            if (r + 1 < height)
                row.append(QByteArray(2, '\0')); // end of line; the last ends with the picture
            pixels += row;
            continue;
        }
        quint32 bitBuffer = 0;
        int bitCount = 0;
        for (int x = 0; x < width; ++x) {
            const QRgb c = source.pixel(x, y);
            if (paletted) {
                bitBuffer = bitBuffer << v.bits | quint32(indexAt(x, y, std::min(colours, 13)));
                bitCount += v.bits;
                while (bitCount >= 8) {
                    row.append(char(bitBuffer >> (bitCount - 8) & 0xff));
                    bitCount -= 8;
                }
            } else if (v.bits == 16) {
                const quint16 value = v.compression == 3
                                          ? quint16((qRed(c) >> 3) << 11 | (qGreen(c) >> 2) << 5 | qBlue(c) >> 3)
                                          : quint16((qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | qBlue(c) >> 3);
                put16(row, value);
            } else {
                row.append(char(qBlue(c)));
                row.append(char(qGreen(c)));
                row.append(char(qRed(c)));
                if (v.bits == 32)
                    row.append(char(v.compression == 0 && !v.alphaInPadding ? 0 : qAlpha(c)));
            }
        }
        if (bitCount > 0)
            row.append(char(bitBuffer << (8 - bitCount) & 0xff));
        while (row.size() % 4)
            row.append('\0');
        pixels += row;
    }
    if (v.compression == 1 || v.compression == 2)
        pixels += QByteArray("\x00\x01", 2);
    const quint32 start = quint32(14 + info.size() + palette.size());
    QByteArray file = "BM";
    put32(file, quint32(start + pixels.size()));
    put32(file, 0);
    put32(file, start);
    Picture picture{name + QStringLiteral(".bmp"), file + info + palette + pixels, expected, v.bits == 16 ? 8 : 0};
    return picture;
}

// --- Targa ---------------------------------------------------------------------------------

struct TargaVariant {
    int type = 2; // 1 mapped, 2 true colour, 3 grey; 8 more with run lengths
    int depth = 24;
    bool topDown = false;
    int mapStart = 0;
};

inline Picture targa(QString const& name, TargaVariant const& v)
{
    using PictureHeaders::put16;
    const int width = 5;
    const int height = 3;
    const int kind = v.type & 7;
    const int mapEntries = 13;
    QImage expected = kind == 1 ? indexed(width, height, mapEntries) : alphaSample();
    if (kind == 3) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int g = qRed(expected.pixel(x, y));
                expected.setPixel(x, y, qRgb(g, g, g));
            }
        }
    }
    if (!(kind == 2 && v.depth == 32))
        expected = opaque(expected);
    QByteArray file;
    file.append('\0');
    file.append(char(kind == 1 ? 1 : 0));
    file.append(char(v.type));
    put16(file, quint16(kind == 1 ? v.mapStart : 0));
    put16(file, quint16(kind == 1 ? mapEntries : 0));
    file.append(char(kind == 1 ? 24 : 0));
    put16(file, 0);
    put16(file, 0);
    put16(file, width);
    put16(file, height);
    file.append(char(v.depth));
    file.append(char((v.topDown ? 0x20 : 0) | (v.depth == 32 ? 8 : v.depth == 16 ? 1 : 0)));
    if (kind == 1) {
        for (int i = 0; i < mapEntries; ++i) {
            const QRgb c = paletteColour(i);
            file.append(char(qBlue(c)));
            file.append(char(qGreen(c)));
            file.append(char(qRed(c)));
        }
    }
    for (int r = 0; r < height; ++r) {
        const int y = v.topDown ? r : height - 1 - r;
        QByteArray row;
        for (int x = 0; x < width; ++x) {
            const QRgb c = expected.pixel(x, y);
            if (kind == 1) {
                row.append(char(indexAt(x, y, mapEntries)));
            } else if (kind == 3) {
                row.append(char(qRed(c)));
            } else if (v.depth == 16) {
                PictureHeaders::put16(row, quint16(0x8000 | (qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | qBlue(c) >> 3));
            } else {
                row.append(char(qBlue(c)));
                row.append(char(qGreen(c)));
                row.append(char(qRed(c)));
                if (v.depth == 32)
                    row.append(char(qAlpha(c)));
            }
        }
        if (v.type & 8)
            file.append(char(width - 1)); // one raw packet a row
        file += row;
    }
    return {name + QStringLiteral(".tga"), file, expected, v.depth == 16 ? 8 : 0};
}

// --- Portable maps and Radiance HDR ---------------------------------------------------------

inline Picture portableMap(QString const& name, QByteArray const& magic, int maxValue = 255)
{
    const int width = 5;
    const int height = 3;
    const bool bits = magic == "P1" || magic == "P4";
    const bool colour = magic == "P3" || magic == "P6" || magic == "PF";
    const bool floats = magic == "Pf" || magic == "PF";
    const bool text = magic == "P1" || magic == "P2" || magic == "P3";
    QImage expected = opaque(alphaSample());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb c = expected.pixel(x, y);
            const int g = bits ? ((x + y) % 2 ? 0 : 255) : qGreen(c);
            if (!colour)
                expected.setPixel(x, y, qRgb(g, g, g));
        }
    }
    QByteArray file = magic + "\n# written by code\n" + QByteArray::number(width) + " " + QByteArray::number(height) + "\n";
    if (floats)
        file += "-1.0\n";
    else if (!bits)
        file += QByteArray::number(maxValue) + "\n";
    for (int r = 0; r < height; ++r) {
        // Float maps store their rows from the bottom up.
        const int y = floats ? height - 1 - r : r;
        quint32 packed = 0;
        int count = 0;
        for (int x = 0; x < width; ++x) {
            const QRgb c = expected.pixel(x, y);
            const int values[3] = {qRed(c), qGreen(c), qBlue(c)};
            if (bits) {
                const int black = qRed(c) == 0 ? 1 : 0;
                if (text) {
                    file += QByteArray::number(black) + " ";
                } else {
                    packed = packed << 1 | quint32(black);
                    if (++count == 8) {
                        file.append(char(packed));
                        packed = 0;
                        count = 0;
                    }
                }
                continue;
            }
            for (int c2 = 0; c2 < (colour ? 3 : 1); ++c2) {
                const int value = colour ? values[c2] : values[1];
                if (floats) {
                    const float f = float(value) / 255.0f;
                    char b[4];
                    std::memcpy(b, &f, 4);
                    file.append(b, 4);
                } else if (text) {
                    file += QByteArray::number(maxValue > 255 ? value * 257 : value) + " ";
                } else if (maxValue > 255) {
                    file.append(char(value * 257 >> 8));
                    file.append(char(value * 257 & 0xff));
                } else {
                    file.append(char(value));
                }
            }
        }
        if (bits && !text && count > 0)
            file.append(char(packed << (8 - count)));
        if (text)
            file += "\n";
    }
    return {name + (floats ? QStringLiteral(".pfm") : QStringLiteral(".pnm")), file, expected, 1};
}

// A Radiance picture of values m / 128 (m below 128), flat or in run-length rows. Its values are
// linear light, shown through the sRGB transfer.
inline Picture radiance(QString const& name, bool runs)
{
    auto shown = [](int m) {
        const double linear = m / 128.0;
        const double encoded = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
        return int(std::floor(encoded * 255 + 0.5));
    };
    const int width = 8;
    const int height = 3;
    QImage expected(width, height, QImage::Format_ARGB32);
    QByteArray file = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 3 +X 8\n";
    for (int y = 0; y < height; ++y) {
        QByteArray channels[4];
        for (int x = 0; x < width; ++x) {
            const int m[3] = {(x * 16) & 127, (y * 40 + 8) & 127, ((x + y) * 24) & 127};
            expected.setPixel(x, y, qRgb(shown(m[0]), shown(m[1]), shown(m[2])));
            for (int c = 0; c < 3; ++c)
                channels[c].append(char(m[c]));
            channels[3].append(char(129));
        }
        if (runs) {
            file += QByteArray("\x02\x02\x00\x08", 4);
            for (QByteArray const& channel : channels)
                file += char(width) + channel;
        } else {
            for (int x = 0; x < width; ++x) {
                for (QByteArray const& channel : channels)
                    file.append(channel.at(x));
            }
        }
    }
    return {name + QStringLiteral(".hdr"), file, expected, 1};
}

// --- Formats Qt writes ----------------------------------------------------------------------

inline Picture written(QString const& name, QByteArray const& format, QImage const& image, int tolerance = 0)
{
    const QByteArray bytes = HostilePictures::written(image, format);
    // Lossy files as Qt's own reader of the format reads them.
    return {name, bytes, (tolerance > 1 ? QImage::fromData(bytes) : image).convertToFormat(QImage::Format_ARGB32), tolerance};
}

// Every sound variant of the formats the program reads.
inline QList<Picture> all()
{
    QList<Picture> pictures;
    for (int bits : {1, 4, 8, 24})
        pictures.append(bitmap(QStringLiteral("bmp-%1-bits").arg(bits), {40, bits, 0}));
    pictures.append(bitmap(QStringLiteral("bmp-24-top-down"), {40, 24, 0, true}));
    pictures.append(bitmap(QStringLiteral("bmp-rle8"), {40, 8, 1}));
    pictures.append(bitmap(QStringLiteral("bmp-rle4"), {40, 4, 2}));
    pictures.append(bitmap(QStringLiteral("bmp-16-bits-555"), {40, 16, 0}));
    pictures.append(bitmap(QStringLiteral("bmp-16-bits-565"), {40, 16, 3}));
    pictures.append(bitmap(QStringLiteral("bmp-32-bits-unused-byte-zero"), {40, 32, 0}));
    pictures.append(bitmap(QStringLiteral("bmp-32-bits-unused-byte-set"), {40, 32, 0, false, true}));
    pictures.append(bitmap(QStringLiteral("bmp-v5-32-bits-unused-byte"), {124, 32, 0, false, true}));
    pictures.append(bitmap(QStringLiteral("bmp-32-bits-masks"), {40, 32, 3}));
    pictures.append(bitmap(QStringLiteral("bmp-v4-alpha-mask"), {108, 32, 3}));
    pictures.append(bitmap(QStringLiteral("bmp-v5-alpha-mask"), {124, 32, 3}));
    pictures.append(bitmap(QStringLiteral("bmp-v5-alpha-mask-top-down"), {124, 32, 3, true}));
    for (int type : {1, 2, 3, 9, 10, 11}) {
        const int kind = type & 7;
        for (int depth : kind == 2 ? QList<int>{16, 24, 32} : QList<int>{8}) {
            for (bool topDown : {false, true})
                pictures.append(targa(QStringLiteral("tga-t%1-b%2%3").arg(type).arg(depth).arg(topDown ? "-top-down" : ""),
                                      {type, depth, topDown}));
        }
    }
    for (QByteArray const& magic : {QByteArray("P1"), QByteArray("P2"), QByteArray("P3"), QByteArray("P4"), QByteArray("P5"),
                                    QByteArray("P6"), QByteArray("Pf"), QByteArray("PF")})
        pictures.append(portableMap(QStringLiteral("pnm-") + QString::fromLatin1(magic), magic));
    for (QByteArray const& magic : {QByteArray("P2"), QByteArray("P5"), QByteArray("P6")})
        pictures.append(portableMap(QStringLiteral("pnm-16-bits-") + QString::fromLatin1(magic), magic, 65535));
    pictures.append(radiance(QStringLiteral("hdr-flat"), false));
    pictures.append(radiance(QStringLiteral("hdr-runs"), true));
    const QImage sample = alphaSample(23, 17);
    const QList<QPair<QString, QImage::Format>> layouts = {
        {QStringLiteral("argb"), QImage::Format_ARGB32}, {QStringLiteral("rgb"), QImage::Format_RGB32},
        {QStringLiteral("grey"), QImage::Format_Grayscale8}, {QStringLiteral("grey16"), QImage::Format_Grayscale16},
        {QStringLiteral("rgba64"), QImage::Format_RGBA64}, {QStringLiteral("mono"), QImage::Format_Mono},
        {QStringLiteral("indexed"), QImage::Format_Indexed8}};
    for (auto const& [layout, format] : layouts) {
        // Palettes of these layouts hold no alpha.
        const bool paletted = format == QImage::Format_Indexed8 || format == QImage::Format_Mono;
        const QImage image = (paletted ? opaque(sample) : sample).convertToFormat(format);
        const int tolerance = format == QImage::Format_RGBA64 || format == QImage::Format_Grayscale16 ? 1 : 0;
        pictures.append(written(QStringLiteral("png-%1.png").arg(layout), "png", image, tolerance));
        pictures.append(written(QStringLiteral("tiff-%1.tif").arg(layout), "tiff", image, tolerance));
    }
    // The WebP reader premultiplies: colours under alpha below one half lose their low bits.
    QImage halfOpaque = sample;
    for (int y = 0; y < halfOpaque.height(); ++y) {
        for (int x = 0; x < halfOpaque.width(); ++x)
            halfOpaque.setPixel(x, y, (halfOpaque.pixel(x, y) & 0x00ffffffu) | quint32(128 + (x * 37 + y * 11) % 128) << 24);
    }
    pictures.append(written(QStringLiteral("webp-argb.webp"), "webp", halfOpaque, 1));
    pictures.append(written(QStringLiteral("webp-rgb.webp"), "webp", sample.convertToFormat(QImage::Format_RGB32)));
    pictures.append(written(QStringLiteral("jpeg-rgb.jpg"), "jpeg", sample.convertToFormat(QImage::Format_RGB32), 2));
    pictures.append(written(QStringLiteral("jpeg-grey.jpg"), "jpeg", sample.convertToFormat(QImage::Format_Grayscale8), 2));
    pictures.append({QStringLiteral("gif.gif"), HostilePictures::gif(sample), HostilePictures::gifColours(sample).convertToFormat(QImage::Format_ARGB32)});
    return pictures;
}

// Sound files of variants the program does not read: refused as unsupported, not as damaged.
inline QList<Picture> unsupported()
{
    QList<Picture> pictures;
    Picture alphaFields = bitmap(QStringLiteral("bmp-alpha-bit-fields"), {56, 32, 3});
    alphaFields.bytes[14 + 16] = 6; // BI_ALPHABITFIELDS: the 56-byte header's masks, alpha among them
    pictures.append(alphaFields);
    TargaVariant mapAbove;
    mapAbove.type = 1;
    mapAbove.depth = 8;
    mapAbove.mapStart = 5;
    pictures.append(targa(QStringLiteral("tga-map-from-5"), mapAbove));
    mapAbove.type = 9;
    pictures.append(targa(QStringLiteral("tga-rle-map-from-5"), mapAbove));
    return pictures;
}

} // namespace SoundPictures
