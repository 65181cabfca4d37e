#pragma once

// Files of many images made by code: a GIF animation and an animated WebP of many tiny frames on
// a large canvas (each frame decodes to the whole canvas), and a TIFF of many large pages that all
// share one compressed strip. Kilobytes on disk, gigabytes if every image were decoded.

#include "HostilePictures.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <vector>

namespace MultiImagePictures {

// The colour of the first frame's pixel at (0, 0); later frames paint other pixels in another.
inline QRgb firstColour()
{
    return qRgb(255, 0, 0);
}

inline QRgb laterColour()
{
    return qRgb(0, 0, 255);
}

inline void appendLittle16(QByteArray& bytes, int value)
{
    bytes.append(char(value & 0xff));
    bytes.append(char(value >> 8 & 0xff));
}

inline void appendLittle24(QByteArray& bytes, int value)
{
    appendLittle16(bytes, value);
    bytes.append(char(value >> 16 & 0xff));
}

inline void appendLittle32(QByteArray& bytes, quint32 value)
{
    appendLittle16(bytes, int(value & 0xffff));
    appendLittle16(bytes, int(value >> 16));
}

// A GIF animation of `frames` frames of one pixel each on a canvas of `canvas`: the first at
// (0, 0) in firstColour(), the others further along the top row in laterColour(); every frame
// stays on the canvas (no disposal), 23 bytes a frame.
inline QByteArray gifFrames(QSize canvas, int frames)
{
    QByteArray file("GIF89a");
    appendLittle16(file, canvas.width());
    appendLittle16(file, canvas.height());
    file.append(char(0xf1)); // global table of 4 entries
    file.append(char(0));
    file.append(char(0));
    for (QRgb colour : {qRgb(0, 0, 0), firstColour(), laterColour(), qRgb(255, 255, 255)}) {
        file.append(char(qRed(colour)));
        file.append(char(qGreen(colour)));
        file.append(char(qBlue(colour)));
    }
    for (int frame = 0; frame < frames; ++frame) {
        file.append("\x21\xf9\x04\x04\x01\x00\x00\x00", 8); // do not dispose, 1/100 s
        file.append(',');
        appendLittle16(file, frame % canvas.width());
        appendLittle16(file, frame / canvas.width() % canvas.height());
        appendLittle16(file, 1);
        appendLittle16(file, 1);
        file.append(char(0));
        file.append(char(2)); // the smallest code size: codes of 3 bits
        // Clear (4), the pixel's index, end (5).
        const int index = frame == 0 ? 1 : 2;
        const quint32 codes = 4u | quint32(index) << 3 | 5u << 6;
        file.append(char(2));
        file.append(char(codes & 0xff));
        file.append(char(codes >> 8 & 0xff));
        file.append(char(0));
    }
    file.append(';');
    return file;
}

// The lossless WebP bitstream (the VP8L chunk, header included) of a picture of one colour.
inline QByteArray webpChunk(QSize size, QRgb colour)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    const QByteArray file = HostilePictures::written(picture, "webp");
    const qsizetype at = file.indexOf("VP8L");
    if (at < 0 || at + 8 > file.size())
        return QByteArray();
    const quint32 bytes = qFromLittleEndian<quint32>(file.constData() + at + 4);
    return file.mid(at, 8 + qsizetype(bytes) + (bytes & 1));
}

// An animated WebP of `frames` frames on a canvas of `canvas`: the first covers the canvas in
// firstColour() (the library leaves what no frame covers undefined), the others are one pixel
// each in laterColour() along the top row past (0, 0), at even places (the format stores halves).
inline QByteArray webpFrames(QSize canvas, int frames)
{
    const QByteArray first = webpChunk(canvas, firstColour());
    const QByteArray later = webpChunk(QSize(1, 1), laterColour());
    if (first.isEmpty() || later.isEmpty())
        return QByteArray();
    QByteArray body("WEBP");
    body += "VP8X";
    appendLittle32(body, 10);
    body.append(char(0x02)); // animation
    body.append(QByteArray(3, '\0'));
    appendLittle24(body, canvas.width() - 1);
    appendLittle24(body, canvas.height() - 1);
    body += "ANIM";
    appendLittle32(body, 6);
    appendLittle32(body, 0); // background
    appendLittle16(body, 0); // loop for ever
    for (int frame = 0; frame < frames; ++frame) {
        const QByteArray& data = frame == 0 ? first : later;
        body += "ANMF";
        appendLittle32(body, quint32(16 + data.size()));
        const int x = (frame * 2 + 2) % canvas.width();
        const int y = frame == 0 ? 0 : (frame * 2 + 2) / canvas.width() * 2 % canvas.height();
        appendLittle24(body, frame == 0 ? 0 : x / 2);
        appendLittle24(body, y / 2);
        appendLittle24(body, frame == 0 ? canvas.width() - 1 : 0); // width less one
        appendLittle24(body, frame == 0 ? canvas.height() - 1 : 0); // height less one
        appendLittle24(body, 10); // milliseconds
        body.append(char(0x02)); // no blending, no disposal
        body += data;
    }
    QByteArray file("RIFF");
    appendLittle32(file, quint32(body.size()));
    return file + body;
}

// An animated WebP whose first frame covers only part of its canvas.
struct PartialFrames {
    QSize canvas;
    QRect first; // in firstColour(); offsets even, as the format stores halves
    int later = 0; // frames after it, each on `laterRect` in laterColour()
    QRect laterRect = QRect(0, 0, 1, 1);
    bool laterAlpha = false; // the later frames half transparent
    bool canvasAlpha = false; // the canvas declares alpha
};

// The file of `frames`. Its background is declared opaque white, so that no reading of what no
// frame covers can pass for the file's own.
inline QByteArray webpPartialFrames(PartialFrames const& frames)
{
    const QByteArray firstData = webpChunk(frames.first.size(), firstColour());
    QByteArray laterData;
    if (frames.laterAlpha) {
        QImage picture(frames.laterRect.size(), QImage::Format_ARGB32);
        picture.fill(qRgba(qRed(laterColour()), qGreen(laterColour()), qBlue(laterColour()), 128));
        const QByteArray file = HostilePictures::written(picture, "webp");
        const qsizetype at = file.indexOf("VP8L");
        if (at >= 0 && at + 8 <= file.size()) {
            const quint32 bytes = qFromLittleEndian<quint32>(file.constData() + at + 4);
            laterData = file.mid(at, 8 + qsizetype(bytes) + (bytes & 1));
        }
    } else {
        laterData = webpChunk(frames.laterRect.size(), laterColour());
    }
    if (firstData.isEmpty() || laterData.isEmpty())
        return QByteArray();
    QByteArray body("WEBP");
    body += "VP8X";
    appendLittle32(body, 10);
    body.append(char(frames.canvasAlpha ? 0x12 : 0x02)); // animation, alpha
    body.append(QByteArray(3, '\0'));
    appendLittle24(body, frames.canvas.width() - 1);
    appendLittle24(body, frames.canvas.height() - 1);
    body += "ANIM";
    appendLittle32(body, 6);
    appendLittle32(body, 0xffffffffu); // background
    appendLittle16(body, 0);
    for (int frame = 0; frame <= frames.later; ++frame) {
        const QByteArray& data = frame == 0 ? firstData : laterData;
        const QRect rect = frame == 0 ? frames.first : frames.laterRect;
        body += "ANMF";
        appendLittle32(body, quint32(16 + data.size()));
        appendLittle24(body, rect.x() / 2);
        appendLittle24(body, rect.y() / 2);
        appendLittle24(body, rect.width() - 1);
        appendLittle24(body, rect.height() - 1);
        appendLittle24(body, 10);
        body.append(char(0x00)); // blended, no disposal
        body += data;
    }
    QByteArray file("RIFF");
    appendLittle32(file, quint32(body.size()));
    return file + body;
}

// A little-endian grey TIFF of `pages` pages of `page`, each a single deflated strip; every page
// reads the same strip, a black picture with a white pixel at (0, 0).
inline QByteArray tiffPages(QSize page, int pages)
{
    // Deflated row by row: the picture is never held whole.
    z_stream stream{};
    if (deflateInit(&stream, 9) != Z_OK)
        return QByteArray();
    std::vector<unsigned char> row(size_t(page.width()), 0);
    QByteArray strip;
    std::vector<unsigned char> out(size_t(1) << 16);
    for (int y = 0; y < page.height(); ++y) {
        row[0] = y == 0 ? 255 : 0;
        stream.next_in = row.data();
        stream.avail_in = uInt(row.size());
        const int flush = y + 1 == page.height() ? Z_FINISH : Z_NO_FLUSH;
        int result = Z_OK;
        do {
            stream.next_out = out.data();
            stream.avail_out = uInt(out.size());
            result = deflate(&stream, flush);
            strip.append(reinterpret_cast<const char*>(out.data()), qsizetype(out.size() - stream.avail_out));
        } while (result != Z_STREAM_ERROR && (stream.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END)));
    }
    deflateEnd(&stream);

    QByteArray file("II*\0", 4);
    appendLittle32(file, 0); // the first directory's offset, set below
    const quint32 stripAt = quint32(file.size());
    file += strip;
    if (file.size() % 2)
        file.append(char(0));
    struct Entry {
        quint16 tag;
        quint16 type; // 3: short, 4: long
        quint32 value;
    };
    const Entry entries[] = {
        {256, 4, quint32(page.width())}, {257, 4, quint32(page.height())}, {258, 3, 8},
        {259, 3, 8}, // deflate
        {262, 3, 1}, // black is zero
        {273, 4, stripAt}, {277, 3, 1}, {278, 4, quint32(page.height())},
        {279, 4, quint32(strip.size())}, {284, 3, 1},
    };
    qToLittleEndian<quint32>(quint32(file.size()), file.data() + 4);
    for (int index = 0; index < pages; ++index) {
        appendLittle16(file, int(std::size(entries)));
        for (Entry const& entry : entries) {
            appendLittle16(file, entry.tag);
            appendLittle16(file, entry.type);
            appendLittle32(file, 1);
            appendLittle32(file, entry.value);
        }
        const bool last = index + 1 == pages;
        appendLittle32(file, last ? 0 : quint32(file.size() + 4));
    }
    return file;
}

inline void appendBig16(QByteArray& bytes, int value)
{
    bytes.append(char(value >> 8 & 0xff));
    bytes.append(char(value & 0xff));
}

inline void appendBig32(QByteArray& bytes, quint32 value)
{
    appendBig16(bytes, int(value >> 16));
    appendBig16(bytes, int(value & 0xffff));
}

// One row of `width` bytes of `value`, packed in runs (PackBits) of at most 128.
inline QByteArray packedRow(int width, char value)
{
    QByteArray row;
    for (int left = width; left > 0; left -= 128) {
        row.append(char(1 - std::min(left, 128)));
        row.append(value);
    }
    return row;
}

// The row lengths, then the rows, of `channels` channels of `size`, one colour each (run-length).
inline QByteArray packedChannels(QSize size, const std::vector<char>& channels, bool eachCompressed)
{
    QByteArray lengths;
    QByteArray data;
    QByteArray out;
    for (size_t c = 0; c < channels.size(); ++c) {
        const QByteArray row = packedRow(size.width(), channels[c]);
        if (eachCompressed)
            appendBig16(out, 1);
        for (int y = 0; y < size.height(); ++y)
            appendBig16(eachCompressed ? out : lengths, int(row.size()));
        if (eachCompressed) {
            for (int y = 0; y < size.height(); ++y)
                out += row;
        } else {
            for (int y = 0; y < size.height(); ++y)
                data += row;
        }
    }
    if (eachCompressed)
        return out;
    QByteArray all;
    appendBig16(all, 1);
    return all + lengths + data;
}

// An RGB Photoshop file (8 bits) of a composite of `canvas` in firstColour() and one layer on
// `layer` (it may reach beyond the canvas) in laterColour(), all run-length packed: a few
// megabytes for pictures of tens of megapixels.
inline QByteArray photoshopLayered(QSize canvas, QRect layer)
{
    const QRgb under = firstColour();
    const QRgb over = laterColour();
    QByteArray file("8BPS");
    appendBig16(file, 1);
    file.append(QByteArray(6, '\0'));
    appendBig16(file, 3);
    appendBig32(file, quint32(canvas.height()));
    appendBig32(file, quint32(canvas.width()));
    appendBig16(file, 8);
    appendBig16(file, 3); // RGB
    appendBig32(file, 0); // colour table
    appendBig32(file, 0); // resources

    const std::vector<QByteArray> channels = {
        packedChannels(layer.size(), {char(qRed(over))}, true),
        packedChannels(layer.size(), {char(qGreen(over))}, true),
        packedChannels(layer.size(), {char(qBlue(over))}, true),
    };
    QByteArray info;
    appendBig16(info, 1);
    appendBig32(info, quint32(layer.top()));
    appendBig32(info, quint32(layer.left()));
    appendBig32(info, quint32(layer.top() + layer.height()));
    appendBig32(info, quint32(layer.left() + layer.width()));
    appendBig16(info, 3);
    for (int c = 0; c < 3; ++c) {
        appendBig16(info, c);
        appendBig32(info, quint32(channels[c].size()));
    }
    info += "8BIMnorm";
    info.append(char(255)); // opacity
    info.append(QByteArray(3, '\0')); // clipping, flags, filler
    appendBig32(info, 12); // extra: mask, blending ranges, an empty name padded to 4
    appendBig32(info, 0);
    appendBig32(info, 0);
    info.append(QByteArray(4, '\0'));
    for (const QByteArray& channel : channels)
        info += channel;
    if (info.size() % 2)
        info.append('\0');
    QByteArray section;
    appendBig32(section, quint32(info.size()));
    section += info;
    appendBig32(section, 0); // global mask
    appendBig32(file, quint32(section.size()));
    file += section;
    file += packedChannels(canvas, {char(qRed(under)), char(qGreen(under)), char(qBlue(under))}, false);
    return file;
}

} // namespace MultiImagePictures
