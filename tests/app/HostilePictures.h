#pragma once

// Pictures made to make a picture reader do more than read their own bytes, for the tests and the
// fuzz seed writer: SVG documents (with and without an XML declaration, with a byte-order mark,
// a document type or a comment first, compressed as .svgz) that name another file by an <image>
// (the file itself, a named pipe, /proc/self/fd/N) or embed pictures; and small raster pictures
// of the formats the program reads, among them GIF, which Qt does not write.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QList>
#include <QString>
#include <QtEndian>

#include <zlib.h>

namespace HostilePictures {

struct Sample {
    QString name;
    QByteArray bytes;
};

// `body` inside an SVG document of 64 x 64 pixels.
inline QByteArray svgDocument(QByteArray const& body)
{
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\""
           " width=\"64\" height=\"64\">"
        + body + "</svg>\n";
}

// An <image> element over the whole picture naming `target`, by xlink:href or, with
// `plainHref`, by SVG 2's href.
inline QByteArray imageElement(QByteArray const& target, bool plainHref = false)
{
    return QByteArray("<image ") + (plainHref ? "href" : "xlink:href") + "=\"" + target
        + "\" x=\"0\" y=\"0\" width=\"64\" height=\"64\"/>";
}

inline QByteArray gzip(QByteArray const& bytes)
{
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return QByteArray();
    QByteArray out(qsizetype(deflateBound(&stream, uLong(bytes.size())) + 32), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

// The same SVG document in every shape a reader may meet it: bare, declared, behind a
// byte-order mark, a document type, white space or a comment, and compressed.
inline QList<Sample> svgShapes(QByteArray const& document)
{
    const QByteArray declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n";
    return {
        {QStringLiteral("bare"), document},
        {QStringLiteral("declared"), declaration + document},
        {QStringLiteral("byte-order mark"), "\xef\xbb\xbf" + declaration + document},
        {QStringLiteral("document type"),
         declaration + "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" "
                       "\"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\">\n" + document},
        {QStringLiteral("white space and comment"), "\n\t <!-- a picture -->\n" + document},
        {QStringLiteral("compressed"), gzip(declaration + document)},
    };
}

// SVG documents, in every shape, that make a reader open `target`: named plainly, as a file:
// URL and by SVG 2's href.
inline QList<Sample> svgNaming(QString const& target)
{
    const QByteArray path = target.toUtf8().toPercentEncoding("/");
    QList<Sample> samples;
    const QList<std::pair<QString, QByteArray>> bodies = {
        {QStringLiteral("path"), imageElement(path)},
        {QStringLiteral("file URL"), imageElement("file://" + path)},
        {QStringLiteral("SVG 2 href"), imageElement(path, true)},
    };
    for (auto const& [how, body] : bodies) {
        for (Sample const& shape : svgShapes(svgDocument(body)))
            samples.append({how + QStringLiteral(", ") + shape.name, shape.bytes});
    }
    return samples;
}

// An SVG document holding `copies` of `picture` (PNG bytes) as data: URLs.
inline QByteArray svgEmbedding(QByteArray const& picture, int copies)
{
    QByteArray body;
    for (int i = 0; i < copies; ++i)
        body += imageElement("data:image/png;base64," + picture.toBase64());
    return svgDocument(body);
}

// A picture of `size` in many colours and a few transparent pixels, so that formats differ.
inline QImage pattern(QSize size = QSize(23, 17))
{
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgba(x * 11 & 255, y * 15 & 255, (x * y) & 255, (x + y) % 7 ? 255 : 0));
    }
    return image;
}

// `image` as Qt writes it in `format`; empty when Qt has no writer for it.
inline QByteArray written(QImage const& image, QByteArray const& format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (format == "webp")
        writer.setQuality(100); // lossless
    return writer.write(image) ? bytes : QByteArray();
}

// An uncompressed Targa 2.0 picture of `image`, 32 bits a pixel, rows from the top (Qt writes
// none, and reads only files with the 2.0 footer).
inline QByteArray tga(QImage const& image)
{
    QByteArray file(18, '\0');
    file[2] = 2; // true colour, uncompressed
    qToLittleEndian<quint16>(quint16(image.width()), file.data() + 12);
    qToLittleEndian<quint16>(quint16(image.height()), file.data() + 14);
    file[16] = 32;
    file[17] = 0x28; // 8 bits of alpha, top-left origin
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb pixel = argb.pixel(x, y);
            file.append(char(qBlue(pixel)));
            file.append(char(qGreen(pixel)));
            file.append(char(qRed(pixel)));
            file.append(char(qAlpha(pixel)));
        }
    }
    return file + QByteArray(8, '\0') + QByteArray("TRUEVISION-XFILE.", 18);
}

// A GIF of `image`'s colours reduced to 3-3-2 bits, with a global colour table of 256 entries
// and codes of 9 bits, the table cleared before it would grow. With a `declared` size, the
// logical screen and the image claim that size instead (a header far larger than the data).
inline QByteArray gif(QImage const& image, QSize declared = QSize())
{
    const QSize size = declared.isValid() ? declared : image.size();
    QByteArray file("GIF89a");
    auto word = [&file](int value) {
        file.append(char(value & 0xff));
        file.append(char(value >> 8 & 0xff));
    };
    word(size.width());
    word(size.height());
    file.append(char(0xf7)); // global table of 256 entries, 8 bits a colour
    file.append(char(0));
    file.append(char(0));
    for (int i = 0; i < 256; ++i) {
        file.append(char((i >> 5) * 255 / 7));
        file.append(char((i >> 2 & 7) * 255 / 7));
        file.append(char((i & 3) * 255 / 3));
    }
    file.append(',');
    word(0);
    word(0);
    word(size.width());
    word(size.height());
    file.append(char(0));
    file.append(char(8)); // the smallest code size
    QByteArray packed;
    quint32 bits = 0;
    int count = 0;
    auto code = [&](int value) {
        bits |= quint32(value) << count;
        count += 9;
        while (count >= 8) {
            packed.append(char(bits & 0xff));
            bits >>= 8;
            count -= 8;
        }
    };
    int sinceClear = 0;
    code(256);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (sinceClear == 250) {
                code(256);
                sinceClear = 0;
            }
            const QRgb pixel = image.pixel(x, y);
            code((qRed(pixel) >> 5) << 5 | (qGreen(pixel) >> 5) << 2 | qBlue(pixel) >> 6);
            ++sinceClear;
        }
    }
    code(257);
    if (count > 0)
        packed.append(char(bits & 0xff));
    for (qsizetype at = 0; at < packed.size(); at += 255) {
        const QByteArray block = packed.mid(at, 255);
        file.append(char(block.size()));
        file += block;
    }
    file.append(char(0));
    file.append(';');
    return file;
}

// The colours gif() keeps of `image`.
inline QImage gifColours(QImage const& image)
{
    QImage out(image.size(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const int i = (qRed(pixel) >> 5) << 5 | (qGreen(pixel) >> 5) << 2 | qBlue(pixel) >> 6;
            out.setPixel(x, y, qRgb((i >> 5) * 255 / 7, (i >> 2 & 7) * 255 / 7, (i & 3) * 255 / 3));
        }
    }
    return out;
}

// Pictures of every raster format read whose headers claim 12000 x 12000 pixels, above the
// program's cap but within what Qt's readers would allocate under the program's limit, over a
// few bytes of data; named by their format.
inline QList<Sample> aboveTheCap()
{
    constexpr quint32 side = 12000;
    const QImage picture = pattern();
    QList<Sample> samples;
    auto patched = [](QByteArray bytes, qsizetype at, QByteArray const& with) {
        if (at >= 0 && at + with.size() <= bytes.size())
            bytes.replace(at, with.size(), with);
        else
            bytes.clear();
        return bytes;
    };
    auto littleEndian32 = [](quint32 value) {
        QByteArray bytes(4, '\0');
        qToLittleEndian<quint32>(value, bytes.data());
        return bytes;
    };
    // PNG: the IHDR chunk (HostileFiles::pngBomb makes the same with a valid checksum).
    QByteArray png = written(picture, "png");
    {
        QByteArray sides(8, '\0');
        qToBigEndian<quint32>(side, sides.data());
        qToBigEndian<quint32>(side, sides.data() + 4);
        png = patched(png, 16, sides);
        const quint32 crc = quint32(crc32(0, reinterpret_cast<Bytef const*>(png.constData() + 12), 17));
        QByteArray sum(4, '\0');
        qToBigEndian<quint32>(crc, sum.data());
        samples.append({QStringLiteral("png"), patched(png, 29, sum)});
    }
    samples.append({QStringLiteral("gif"), gif(picture, QSize(side, side))});
    samples.append({QStringLiteral("bmp"), patched(written(picture, "bmp"), 18, littleEndian32(side) + littleEndian32(side))});
    for (char type : {'1', '4', '5', '6'})
        samples.append({QStringLiteral("pnm P%1").arg(QLatin1Char(type)),
                        QByteArray("P") + type + "\n12000 12000\n" + (type == '1' || type == '4' ? "" : "255\n")
                            + QByteArray(64, '\x7f')});
    QByteArray sides16(4, '\0');
    qToLittleEndian<quint16>(quint16(side), sides16.data());
    qToLittleEndian<quint16>(quint16(side), sides16.data() + 2);
    samples.append({QStringLiteral("tga"), patched(tga(picture), 12, sides16)});
    // JPEG: the frame header's height and width.
    const QByteArray jpeg = written(picture, "jpeg");
    const qsizetype frame = jpeg.indexOf("\xff\xc0");
    samples.append({QStringLiteral("jpeg"), patched(jpeg, frame < 0 ? -1 : frame + 5, QByteArray("\x2e\xe0\x2e\xe0", 4))});
    // TIFF: the first directory's ImageWidth and ImageLength.
    QByteArray tiff = written(picture, "tiff");
    if (tiff.startsWith("II*")) {
        const quint32 directory = qFromLittleEndian<quint32>(tiff.constData() + 4);
        const quint16 entries = quint16(directory + 2 <= quint32(tiff.size()) ? qFromLittleEndian<quint16>(tiff.constData() + directory) : 0);
        for (quint16 i = 0; i < entries; ++i) {
            const qsizetype entry = qsizetype(directory) + 2 + 12 * i;
            const quint16 tag = qFromLittleEndian<quint16>(tiff.constData() + entry);
            const quint16 type = qFromLittleEndian<quint16>(tiff.constData() + entry + 2);
            if (tag == 256 || tag == 257)
                tiff = patched(tiff, entry + 8, type == 3 ? littleEndian32(side).left(2) : littleEndian32(side));
        }
        samples.append({QStringLiteral("tiff"), tiff});
    }
    // WebP, lossless: 14 bits of width and of height less one.
    const QByteArray webp = written(picture, "webp");
    const qsizetype lossless = webp.indexOf("VP8L");
    if (lossless >= 0 && lossless + 13 <= webp.size()) {
        const quint32 bits = (qFromLittleEndian<quint32>(webp.constData() + lossless + 9) & 0xf0000000u)
                             | (side - 1) | (side - 1) << 14;
        samples.append({QStringLiteral("webp"), patched(webp, lossless + 9, littleEndian32(bits))});
    }
    return samples;
}

} // namespace HostilePictures
