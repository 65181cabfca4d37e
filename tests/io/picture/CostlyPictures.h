#pragma once

// Pictures whose few bytes cost a reader, or a check walking them a block at a time, far more
// than their size: written by code over sound pictures (Qt's, the committed ones, or the GIFs
// HostilePictures writes), each as the format allows it.

#include "app/HostilePictures.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>
#include <QtEndian>

#include <zlib.h>

namespace CostlyPictures {

inline QString fixturePath(QString const& name)
{
    return QStringLiteral(VYX_TEST_DATA_DIR "/pictures/") + name;
}

inline QByteArray fixture(QString const& name)
{
    QFile file(fixturePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QByteArray deflated(QByteArray const& bytes)
{
    uLongf size = compressBound(uLong(bytes.size()));
    QByteArray packed(qsizetype(size), '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<Bytef const*>(bytes.constData()),
              uLong(bytes.size()), 9);
    packed.resize(qsizetype(size));
    return packed;
}

inline void putBig32(QByteArray& bytes, quint32 value)
{
    char b[4];
    qToBigEndian(value, b);
    bytes.append(b, 4);
}

inline void putLittle16(QByteArray& bytes, quint16 value)
{
    char b[2];
    qToLittleEndian(value, b);
    bytes.append(b, 2);
}

inline void putLittle32(QByteArray& bytes, quint32 value)
{
    char b[4];
    qToLittleEndian(value, b);
    bytes.append(b, 4);
}

// A GIF of 8 x 8 pixels with a comment of `blocks` sub-blocks of one byte before its frame.
inline QByteArray gifWithOneByteBlocks(int blocks)
{
    QByteArray file = HostilePictures::gif(HostilePictures::pattern(QSize(8, 8)));
    QByteArray comment("\x21\xfe", 2);
    comment.reserve(3 + 2 * qsizetype(blocks));
    for (int i = 0; i < blocks; ++i) {
        comment.append(char(1));
        comment.append('x');
    }
    comment.append(char(0));
    // After the header and its global table of 256 colours.
    return file.insert(13 + 768, comment);
}

// A TIFF of `pages` pages, each a grey picture of 8 x `strips` pixels in deflated strips of one
// row; the pages share their strips.
inline QByteArray tiffOfManyStrips(int pages, int strips)
{
    const QByteArray row = deflated(QByteArray(8, '\x40'));
    const quint32 offsetsAt = 8;
    const quint32 countsAt = offsetsAt + 4 * quint32(strips);
    const quint32 dataAt = countsAt + 4 * quint32(strips);
    const quint32 directoriesAt = dataAt + quint32(row.size()) * quint32(strips);
    const int fields = 9;
    const quint32 directoryBytes = 2 + 12 * fields + 4;
    QByteArray file("II*\0", 4);
    putLittle32(file, directoriesAt);
    for (int i = 0; i < strips; ++i)
        putLittle32(file, dataAt + quint32(i) * quint32(row.size()));
    for (int i = 0; i < strips; ++i)
        putLittle32(file, quint32(row.size()));
    for (int i = 0; i < strips; ++i)
        file += row;
    auto field = [&file](quint16 tag, quint16 type, quint32 count, quint32 value) {
        putLittle16(file, tag);
        putLittle16(file, type);
        putLittle32(file, count);
        putLittle32(file, value);
    };
    for (int page = 0; page < pages; ++page) {
        putLittle16(file, fields);
        field(256, 4, 1, 8);
        field(257, 4, 1, quint32(strips));
        field(258, 3, 1, 8);
        field(259, 3, 1, 8);
        field(262, 3, 1, 1);
        field(273, 4, quint32(strips), offsetsAt);
        field(277, 3, 1, 1);
        field(278, 4, 1, 1);
        field(279, 4, quint32(strips), countsAt);
        putLittle32(file, page + 1 < pages ? directoriesAt + quint32(page + 1) * directoryBytes : 0);
    }
    return file;
}

inline QByteArray pngChunk(char const* type, QByteArray const& payload)
{
    QByteArray chunk;
    putBig32(chunk, quint32(payload.size()));
    const QByteArray body = QByteArray(type, 4) + payload;
    chunk += body;
    putBig32(chunk, quint32(crc32(0, reinterpret_cast<Bytef const*>(body.constData()), uInt(body.size()))));
    return chunk;
}

// Qt's PNG of a small picture with `chunks` copies of `chunk` after its header.
inline QByteArray pngWith(QByteArray const& chunk, int chunks)
{
    QByteArray file = HostilePictures::written(HostilePictures::pattern(QSize(1, 1)), "png");
    QByteArray added;
    added.reserve(chunk.size() * chunks);
    for (int i = 0; i < chunks; ++i)
        added += chunk;
    // After the signature and the header chunk.
    return file.insert(8 + 25, added);
}

// A compressed text chunk whose text (spaces) inflates to `bytes`.
inline QByteArray compressedText(qint64 bytes)
{
    return pngChunk("zTXt", QByteArray("Comment\0\0", 9) + deflated(QByteArray(qsizetype(bytes), ' ')));
}

// Qt's JPEG of a small picture whose scan (all its components at once) stands `scans` times.
inline QByteArray jpegOfScans(int scans)
{
    const QByteArray sound = HostilePictures::written(HostilePictures::pattern(QSize(64, 48)), "jpeg");
    const qsizetype scan = sound.indexOf("\xff\xda");
    const qsizetype end = sound.lastIndexOf("\xff\xd9");
    const QByteArray one = sound.mid(scan, end - scan);
    QByteArray file = sound.left(end);
    file.reserve(sound.size() + one.size() * scans);
    for (int i = 1; i < scans; ++i)
        file += one;
    return file + QByteArray("\xff\xd9", 2);
}

// Qt's JPEG with `count` comments of four bytes after its start.
inline QByteArray jpegWithComments(int count)
{
    QByteArray comments;
    comments.reserve(8 * qsizetype(count));
    for (int i = 0; i < count; ++i)
        comments += QByteArray("\xff\xfe\x00\x06note", 8);
    return HostilePictures::written(HostilePictures::pattern(), "jpeg").insert(2, comments);
}

// Qt's WebP with `count` chunks of a kind no reader knows after its picture.
inline QByteArray webpWithChunks(int count)
{
    QByteArray file = HostilePictures::written(HostilePictures::pattern(), "webp");
    file.reserve(file.size() + 10 * qsizetype(count));
    for (int i = 0; i < count; ++i)
        file += QByteArray("XTRA\x02\x00\x00\x00" "ab", 10);
    qToLittleEndian<quint32>(quint32(file.size() - 8), file.data() + 4);
    return file;
}

// The committed flat Photoshop file (8 x 6) with a thumbnail resource as Photoshop writes it: a
// JPEG of `thumbnail` pixels, whose frame then claims `claimed` sides.
inline QByteArray photoshopWithThumbnail(QSize thumbnail, QSize claimed = QSize())
{
    QFile flat(QStringLiteral(VYX_TEST_DATA_DIR "/flat.psd"));
    if (!flat.open(QIODevice::ReadOnly))
        return QByteArray();
    QByteArray file = flat.readAll();
    QByteArray jpeg = HostilePictures::written(HostilePictures::pattern(thumbnail), "jpeg");
    if (claimed.isValid()) {
        const qsizetype frame = jpeg.indexOf("\xff\xc0");
        qToBigEndian<quint16>(quint16(claimed.height()), jpeg.data() + frame + 5);
        qToBigEndian<quint16>(quint16(claimed.width()), jpeg.data() + frame + 7);
    }
    const QSize sides = claimed.isValid() ? claimed : thumbnail;
    QByteArray data;
    putBig32(data, 1); // JPEG
    putBig32(data, quint32(sides.width()));
    putBig32(data, quint32(sides.height()));
    const quint32 rowBytes = (quint32(sides.width()) * 24 + 31) / 32 * 4;
    putBig32(data, rowBytes);
    putBig32(data, rowBytes * quint32(sides.height()));
    putBig32(data, quint32(jpeg.size()));
    data += QByteArray("\x00\x18\x00\x01", 4); // 24 bits, one plane
    data += jpeg;
    QByteArray resource("8BIM", 4);
    resource += QByteArray("\x04\x0c\x00\x00", 4); // 1036, an empty name
    putBig32(resource, quint32(data.size()));
    resource += data;
    if (data.size() & 1)
        resource.append('\0');
    // Past the header and the colour data, the resources' length and the resources.
    const qsizetype lengthAt = 26 + 4 + qFromBigEndian<quint32>(file.constData() + 26);
    const quint32 length = qFromBigEndian<quint32>(file.constData() + lengthAt);
    file.insert(lengthAt + 4 + length, resource);
    qToBigEndian<quint32>(length + quint32(resource.size()), file.data() + lengthAt);
    return file;
}

} // namespace CostlyPictures
