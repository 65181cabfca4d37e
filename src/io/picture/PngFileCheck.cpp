#include "io/picture/PngFileCheck.h"

#include "io/picture/HeaderRefusal.h"

#include <QtEndian>

namespace {

const QString kind = QStringLiteral("PNG file");

bool fail(QString* reason, const QString& text)
{
    return HeaderRefusal::damaged(reason, kind, text);
}

// Deflate stores at most 258 bytes in two bits.
constexpr qint64 maxInflation = 1032;

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

bool PngFileCheck::check(QIODevice& file, QString* reason)
{
    const qint64 fileSize = file.size();
    const QByteArray head = HeaderRefusal::bytesAt(file, 0, 8 + 8 + 13);
    if (head.size() < 8 + 8 + 13 || head.mid(12, 4) != "IHDR")
        return fail(reason, QStringLiteral("the header is cut short"));
    auto u32 = [&head](int at) { return qFromBigEndian<quint32>(head.constData() + at); };
    if (u32(8) != 13)
        return fail(reason, QStringLiteral("a header chunk of %1 bytes").arg(u32(8)));
    const qint64 width = u32(16);
    const qint64 height = u32(20);
    const int depth = uchar(head.at(24));
    const int colourType = uchar(head.at(25));
    const int interlace = uchar(head.at(28));
    const int channels = channelsOf(colourType);
    if (channels == 0)
        return fail(reason, QStringLiteral("colour type %1").arg(colourType));
    if (!depthAllowed(colourType, depth))
        return fail(reason, QStringLiteral("a depth of %1 bits a sample with colour type %2").arg(depth).arg(colourType));
    if (head.at(26) != 0 || head.at(27) != 0 || interlace > 1)
        return fail(reason, QStringLiteral("compression %1, filter %2, interlace %3")
                                .arg(int(uchar(head.at(26)))).arg(int(uchar(head.at(27)))).arg(interlace));
    QString text;
    const qint64 sampleBytes = depth == 16 ? 2 : 1;
    if (!HeaderRefusal::withinCap(width, height, channels * sampleBytes, &text))
        return fail(reason, text);

    qint64 compressed = 0;
    bool palette = false;
    for (qint64 at = 8;;) {
        const QByteArray chunk = HeaderRefusal::bytesAt(file, at, 8);
        if (chunk.size() < 8)
            return fail(reason, HeaderRefusal::endsEarly());
        const qint64 length = qFromBigEndian<quint32>(chunk.constData());
        const QByteArray type = chunk.mid(4, 4);
        if (length > 0x7fffffff || length + 12 > fileSize - at)
            return fail(reason, compressed > 0 || type == "IDAT"
                                    ? HeaderRefusal::endsEarly()
                                    : QStringLiteral("a chunk of %1 bytes past the end of the file").arg(length));
        if (type == "PLTE")
            palette = true;
        if (type == "IDAT")
            compressed += length;
        if (type == "IEND")
            break;
        at += length + 12;
    }
    if (colourType == 3 && !palette)
        return fail(reason, QStringLiteral("a colour-mapped picture without a palette"));
    // Interlaced rows carry at most a filter byte more a row of each of the seven passes.
    const qint64 rowBytes = (width * channels * depth + 7) / 8 + 1;
    const qint64 raw = height * rowBytes;
    if (compressed * maxInflation + 1024 < raw)
        return fail(reason, compressed == 0 ? HeaderRefusal::endsEarly()
                                            : QStringLiteral("%1 bytes of compressed pixels cannot hold %2 x %3 pixels")
                                                  .arg(compressed).arg(width).arg(height));
    return true;
}
