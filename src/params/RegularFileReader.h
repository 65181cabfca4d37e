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
};

} // namespace KelUtils
