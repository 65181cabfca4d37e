#pragma once

#include <QByteArray>
#include <QString>

namespace KelUtils {

// Reads a file that a user or another file names: only a regular file (a device such as
// /dev/zero, a pipe or a folder is refused before anything is read) and at most `maxBytes`
// bytes (a larger file is refused; one that grows while read is cut off at the limit and
// refused as well).
class RegularFileReader
{
public:
    // Larger than any project or template document the program writes.
    static constexpr qint64 MaxDocumentBytes = qint64(512) * 1024 * 1024;

    // True with the bytes in *out; false with *reason (a sentence without the file's name).
    static bool read(QString const& path, qint64 maxBytes, QByteArray* out, QString* reason);
    // An XML document of at most MaxDocumentBytes, as `read`; but a file whose first bytes
    // cannot begin XML gives those bytes only: a parser refuses it there all the same, and
    // reading and decoding hundreds of megabytes of it would hold the program for seconds.
    static bool readDocument(QString const& path, QByteArray* out, QString* reason);

private:
    // Whether `head` may begin an XML document: after a byte-order mark and white space its
    // first character opens markup.
    static bool mayBeginXml(QByteArray const& head);
    static bool readAtMost(QString const& path, qint64 maxBytes, bool refuseLarger, QByteArray* out,
                           QString* reason);
};

} // namespace KelUtils
