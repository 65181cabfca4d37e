#include "params/RegularFileReader.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace KelUtils {

bool RegularFileReader::read(QString const& path, qint64 maxBytes, QByteArray* out, QString* reason)
{
    return readAtMost(path, maxBytes, true, out, reason);
}

bool RegularFileReader::readDocument(QString const& path, QByteArray* out, QString* reason)
{
    QByteArray head;
    if (!readAtMost(path, 4096, false, &head, reason))
        return false;
    // An oversized file is refused as such, before it is read.
    if (mayBeginXml(head) || QFileInfo(path).size() > MaxDocumentBytes)
        return read(path, MaxDocumentBytes, out, reason);
    if (out)
        *out = head;
    return true;
}

bool RegularFileReader::mayBeginXml(QByteArray const& head)
{
    qsizetype at = head.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    // UTF-16 and UTF-32 documents are left to the parser.
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF") || head.startsWith(QByteArray("\0\0\xFE\xFF", 4)))
        return true;
    while (at < head.size() && (head.at(at) == ' ' || head.at(at) == '\t' || head.at(at) == '\r' || head.at(at) == '\n'))
        ++at;
    // Only white space so far: the rest decides.
    return at == head.size() || head.at(at) == '<';
}

bool RegularFileReader::readAtMost(QString const& path, qint64 maxBytes, bool refuseLarger, QByteArray* out,
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
    if (refuseLarger && info.exists() && info.size() > maxBytes)
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
    if (bytes.size() > maxBytes) {
        if (refuseLarger)
            return refuse(tooLarge);
        bytes.truncate(maxBytes);
    }
    if (out)
        *out = std::move(bytes);
    return true;
}

} // namespace KelUtils
