#pragma once

#include <QByteArray>
#include <QString>

class QDomDocument;
class QDomElement;

namespace KelUtils {

// Largest payload a document may unpack; a larger stored or actual size is refused.
constexpr qsizetype MaxBinaryDataSize = qsizetype(256) * 1024 * 1024;

// Byte payloads in "data" elements: Base64 text (no line breaks) of the compressed form, a
// 4-byte big-endian uncompressed length followed by a zlib stream made at level 9.

// Appends the bytes (compressed first when compress is set) as one text node. A null byte
// array writes nothing and returns -1; otherwise 0.
int storeBinaryData(QDomDocument& document, QDomElement& element, QByteArray const& bytes, bool compress);
// Compresses length bytes and stores them; -1 for a null pointer or a negative length.
int storeBinaryData(QDomDocument& document, QDomElement& element, unsigned char const* bytes, int length);
// Stores the whole content of the file, compressed; -1 (nothing written) when it can't be opened.
int storeBinaryData(QDomDocument& document, QDomElement& element, QString const& filePath);

// Decodes and decompresses the element's text into out. Without text, out is left untouched
// and the result is 0. A payload that is not in the compressed form, is corrupt, or unpacks to
// more than MaxBinaryDataSize bytes makes out empty and returns -1.
int loadBinaryData(QDomElement const& element, QByteArray& out);

// The compressed form and its reverse (with the size cap); an invalid payload gives *ok false
// and an empty array.
QByteArray compressBinaryData(QByteArray const& bytes);
QByteArray uncompressBinaryData(QByteArray const& compressed, bool* ok = nullptr);

} // namespace KelUtils
