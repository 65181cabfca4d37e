#include "params/RegularFileReader.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace KelUtils {

bool RegularFileReader::read(QString const& path, qint64 maxBytes, QByteArray* out,
                             QString* reason)
{
    auto refuse = [reason](QString const& text) {
        if (reason)
            *reason = text;
        return false;
    };
    if (out)
        out->clear();
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return refuse(QCoreApplication::translate("RegularFileReader", "It is not a regular file."));
    const QString tooLarge = QCoreApplication::translate("RegularFileReader",
                                                         "It is larger than %1 MB.")
                                 .arg(maxBytes / (1024 * 1024));
    if (info.exists() && info.size() > maxBytes)
        return refuse(tooLarge);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(file.errorString());
    // The size asked before may be stale (or zero for a file the system makes up while read):
    // read in pieces, never more than one byte past the limit.
    QByteArray bytes;
    bytes.reserve(qMin(info.size(), maxBytes) + 1);
    while (bytes.size() <= maxBytes) {
        const QByteArray piece = file.read(qMin<qint64>(1 << 20, maxBytes + 1 - bytes.size()));
        if (file.error() != QFileDevice::NoError)
            return refuse(file.errorString());
        if (piece.isEmpty())
            break;
        bytes += piece;
    }
    if (bytes.size() > maxBytes)
        return refuse(tooLarge);
    if (out)
        *out = std::move(bytes);
    return true;
}

} // namespace KelUtils
