#include "params/BinaryData.h"

#include "io/XmlDocumentBudget.h"

#include <zlib.h>

#include "params/Base64.h"
#include "io/RegularFileReader.h"

#include <QDomDocument>
#include <QDomElement>

namespace KelUtils {

QByteArray compressBinaryData(QByteArray const& bytes)
{
    return qCompress(bytes, 9);
}

QByteArray uncompressBinaryData(QByteArray const& compressed, bool* ok)
{
    if (ok)
        *ok = false;
    // The empty payload is the length header alone, as qCompress writes it.
    if (compressed.size() == 4 && compressed == QByteArray(4, '\0')) {
        if (ok)
            *ok = true;
        return QByteArray("");
    }
    // Length header and at least the two bytes of a zlib stream header.
    if (compressed.size() < 6)
        return {};
    const quint32 stated = (quint32(uchar(compressed[0])) << 24) | (quint32(uchar(compressed[1])) << 16)
        | (quint32(uchar(compressed[2])) << 8) | quint32(uchar(compressed[3]));
    // Never trust the stored length with an allocation beyond the cap.
    if (qsizetype(stated) > MaxBinaryDataSize)
        return {};
    // Inflate into exactly the stated size: a stream that would unpack to more (a lie in the
    // header, or a bomb) is cut off at once instead of growing without bound.
    QByteArray result(qsizetype(stated), Qt::Uninitialized);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return {};
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData() + 4));
    stream.avail_in = uInt(compressed.size() - 4);
    stream.next_out = reinterpret_cast<Bytef*>(result.data());
    stream.avail_out = uInt(stated);
    int status = inflate(&stream, Z_FINISH);
    const bool complete = status == Z_STREAM_END && stream.total_out == stated;
    inflateEnd(&stream);
    if (!complete)
        return {};
    if (ok)
        *ok = true;
    return result;
}

int storeBinaryData(QDomDocument& document, QDomElement& element, QByteArray const& bytes, bool compress)
{
    if (bytes.isNull())
        return -1;
    const QByteArray payload = compress ? compressBinaryData(bytes) : bytes;
    const QByteArray text = payload.toBase64();
    if (text.size() <= MaxXmlTokenLength) {
        element.appendChild(document.createTextNode(QString::fromLatin1(text)));
        return 0;
    }
    // One text longer than the document gate lets a token be would make the file unreadable:
    // it goes in sections within the bound, which the element's text joins again.
    constexpr qsizetype pieceLength = qsizetype(MaxXmlTokenLength / 2);
    for (qsizetype at = 0; at < text.size(); at += pieceLength)
        element.appendChild(document.createCDATASection(QString::fromLatin1(text.mid(at, pieceLength))));
    return 0;
}

int storeBinaryData(QDomDocument& document, QDomElement& element, unsigned char const* bytes, int length)
{
    if (!bytes || length < 0)
        return -1;
    const QByteArray compressed = qCompress(bytes, length, 9);
    return storeBinaryData(document, element, compressed, false);
}

int storeBinaryData(QDomDocument& document, QDomElement& element, QString const& filePath)
{
    QByteArray content;
    if (!RegularFileReader::read(filePath, MaxBinaryDataSize, &content, nullptr))
        return -1;
    if (content.isNull())
        content = QByteArray(""); // an empty file is still a payload
    return storeBinaryData(document, element, content, true);
}

int loadBinaryData(QDomElement const& element, QByteArray& out)
{
    const QString text = element.text();
    if (text.isEmpty())
        return 0;
    bool ok = false;
    out = uncompressBinaryData(decodeBase64Lenient(text), &ok);
    return ok ? 0 : -1;
}

} // namespace KelUtils
