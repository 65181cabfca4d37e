#include "io/picture/PngFileCheck.h"

#include "io/picture/CachedFileView.h"
#include "io/picture/HeaderRefusal.h"

#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <vector>

namespace {

const QString pngKind = QStringLiteral("PNG file");

bool failPng(QString* reason, const QString& text)
{
    return HeaderRefusal::damaged(reason, pngKind, text);
}

// Deflate stores at most 258 bytes in two bits.
constexpr qint64 maxPngInflation = 1032;

// Channels of each colour type; 0 for a type the format does not define.
int channelsOf(int colourType)
{
    switch (colourType) {
    case 0:
    case 3:
        return 1;
    case 2:
        return 3;
    case 4:
        return 2;
    case 6:
        return 4;
    default:
        return 0;
    }
}

// Text the readers inflate, in all of a file's chunks: libpng inflates every compressed text
// chunk when it reads the header (up to 8 MB each) and Qt keeps each as a string, so that 2 MB of
// text chunks cost gigabytes. Writers keep a picture's text (comments, profiles written as text)
// far smaller.
constexpr qint64 maxTextBytes = qint64(8) << 20;

// Inflates the `count` compressed bytes at `at`, counting what they inflate to; stops once
// `room` is passed (or at the stream's end or an error). The bytes counted.
qint64 inflatedBytes(QIODevice& file, qint64 at, qint64 count, qint64 room)
{
    z_stream stream{};
    if (count <= 0 || inflateInit(&stream) != Z_OK || !file.seek(at))
        return 0;
    std::vector<unsigned char> out(1 << 16);
    qint64 total = 0;
    int status = Z_OK;
    while (status == Z_OK && count > 0 && total <= room) {
        const QByteArray in = file.read(std::min<qint64>(count, 1 << 16));
        if (in.isEmpty())
            break;
        count -= in.size();
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
        stream.avail_in = uInt(in.size());
        do {
            stream.next_out = out.data();
            stream.avail_out = uInt(out.size());
            status = inflate(&stream, Z_NO_FLUSH);
            total += qint64(out.size() - stream.avail_out);
        } while (status == Z_OK && stream.avail_out == 0 && total <= room);
    }
    inflateEnd(&stream);
    return total;
}

// Where the compressed text of a text chunk begins within its data; -1 when it holds none.
qint64 compressedTextStart(const QByteArray& type, const QByteArray& data)
{
    const qsizetype keywordEnd = data.indexOf('\0');
    if (keywordEnd < 0)
        return -1;
    if (type == "zTXt")
        return keywordEnd + 2;
    // iTXt: a compression flag and method, then a language tag and a translated keyword.
    if (type != "iTXt" || keywordEnd + 2 >= data.size() || data.at(keywordEnd + 1) == 0)
        return -1;
    const qsizetype languageEnd = data.indexOf('\0', keywordEnd + 3);
    const qsizetype translatedEnd = languageEnd < 0 ? -1 : data.indexOf('\0', languageEnd + 1);
    return translatedEnd < 0 ? -1 : translatedEnd + 1;
}

bool depthAllowed(int colourType, int depth)
{
    switch (colourType) {
    case 0:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    default:
        return depth == 8 || depth == 16;
    }
}

} // namespace

bool PngFileCheck::check(QIODevice& device, QString* reason)
{
    CachedFileView file(device);
    const qint64 fileSize = file.size();
    const QByteArray head = HeaderRefusal::bytesAt(file, 0, 8 + 8 + 13);
    if (head.size() < 8 + 8 + 13 || head.mid(12, 4) != "IHDR")
        return failPng(reason, QStringLiteral("the header is cut short"));
    auto u32 = [&head](int at) { return qFromBigEndian<quint32>(head.constData() + at); };
    if (u32(8) != 13)
        return failPng(reason, QStringLiteral("a header chunk of %1 bytes").arg(u32(8)));
    const qint64 width = u32(16);
    const qint64 height = u32(20);
    const int depth = uchar(head.at(24));
    const int colourType = uchar(head.at(25));
    const int interlace = uchar(head.at(28));
    const int channels = channelsOf(colourType);
    if (channels == 0)
        return failPng(reason, QStringLiteral("colour type %1").arg(colourType));
    if (!depthAllowed(colourType, depth))
        return failPng(reason, QStringLiteral("a depth of %1 bits a sample with colour type %2").arg(depth).arg(colourType));
    if (head.at(26) != 0 || head.at(27) != 0 || interlace > 1)
        return failPng(reason, QStringLiteral("compression %1, filter %2, interlace %3")
                                .arg(int(uchar(head.at(26)))).arg(int(uchar(head.at(27)))).arg(interlace));
    QString text;
    const qint64 sampleBytes = depth == 16 ? 2 : 1;
    if (!HeaderRefusal::withinCap(width, height, channels * sampleBytes, &text))
        return failPng(reason, text);

    qint64 compressed = 0;
    qint64 textBytes = 0;
    bool palette = false;
    for (qint64 at = 8;;) {
        const QByteArray chunk = HeaderRefusal::bytesAt(file, at, 8);
        if (chunk.size() < 8)
            return failPng(reason, HeaderRefusal::endsEarly());
        const qint64 length = qFromBigEndian<quint32>(chunk.constData());
        const QByteArray type = chunk.mid(4, 4);
        if (length > 0x7fffffff || length + 12 > fileSize - at)
            return failPng(reason, compressed > 0 || type == "IDAT"
                                    ? HeaderRefusal::endsEarly()
                                    : QStringLiteral("a chunk of %1 bytes past the end of the file").arg(length));
        if (type == "PLTE")
            palette = true;
        if (type == "IDAT")
            compressed += length;
        if (type == "IEND")
            break;
        if (type == "zTXt" || type == "iTXt") {
            // Its keyword and, for international text, the tags before the text: 80 bytes each.
            const QByteArray head = HeaderRefusal::bytesAt(file, at + 8, std::min<qint64>(length, 3 * 80 + 5));
            const qint64 start = compressedTextStart(type, head);
            if (start >= 0) {
                textBytes += inflatedBytes(file, at + 8 + start, length - start, maxTextBytes - textBytes);
                if (textBytes > maxTextBytes)
                    return HeaderRefusal::unsupported(reason, pngKind, QStringLiteral("compressed text of more than %1 MB")
                                                                       .arg(maxTextBytes >> 20));
            }
        }
        at += length + 12;
    }
    if (colourType == 3 && !palette)
        return failPng(reason, QStringLiteral("a colour-mapped picture without a palette"));
    // Interlaced rows carry at most a filter byte more a row of each of the seven passes.
    const qint64 rowBytes = (width * channels * depth + 7) / 8 + 1;
    const qint64 raw = height * rowBytes;
    if (compressed * maxPngInflation + 1024 < raw)
        return failPng(reason, compressed == 0 ? HeaderRefusal::endsEarly()
                                            : QStringLiteral("%1 bytes of compressed pixels cannot hold %2 x %3 pixels")
                                                  .arg(compressed).arg(width).arg(height));
    return true;
}
