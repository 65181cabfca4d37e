#pragma once

#include <QByteArray>
#include <QString>

class QFile;

namespace KelUtils {

// Reads a file that a user or another file names: only a regular file (a device such as
// /dev/zero, a pipe or a folder is refused before anything is read) and at most `maxBytes`
// bytes (a larger file is refused; one that grows while read is cut off at the limit and
// refused as well). The file is opened once, without waiting, and judged on the opened
// descriptor: a pipe put in the file's place after any earlier look is refused, never waited
// on, and what was judged is what is read.
class RegularFileReader
{
public:
    // Larger than any project or template document the program writes.
    static constexpr qint64 MaxDocumentBytes = qint64(512) * 1024 * 1024;

    enum class Refusal { None, Missing, NotRegular, TooLarge, Unreadable };

    // True with the bytes in *out; false with *reason (a sentence without the file's name).
    static bool read(QString const& path, qint64 maxBytes, QByteArray* out, QString* reason);
    // An XML document of at most MaxDocumentBytes, as `read`; but a file whose first bytes
    // cannot begin XML gives those bytes only: a parser refuses it there all the same, and
    // reading and decoding hundreds of megabytes of it would hold the program for seconds.
    static bool readDocument(QString const& path, QByteArray* out, QString* reason);

    // For readers that take a device rather than bytes: opens and judges `path` as `read` does
    // (a negative `maxBytes` takes any size) into `file`, which must not be open. On success
    // `file` reads from the judged descriptor and closes it.
    static bool open(QString const& path, qint64 maxBytes, QFile* file, QString* reason,
                     Refusal* refusal = nullptr);
    // A name under which a library that opens files by name only opens the same file as the
    // open `file`, whatever has happened to its path since.
    static QString descriptorPath(QFile const& file);

private:
    // Whether `head` may begin an XML document: after a byte-order mark and white space its
    // first character opens markup.
    static bool mayBeginXml(QByteArray const& head);
    // Appends the rest of `file` to *bytes, up to `maxBytes` in all.
    static bool readRest(QFile& file, qint64 maxBytes, bool refuseLarger, QByteArray* bytes,
                         QString* reason);
    static QString tooLargeText(qint64 maxBytes);
};

} // namespace KelUtils
