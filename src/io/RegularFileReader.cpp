#include "io/RegularFileReader.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace KelUtils {

namespace {

QString notRegularText()
{
    return QCoreApplication::translate("RegularFileReader", "It is not a regular file.");
}

} // namespace

bool RegularFileReader::read(QString const& path, qint64 maxBytes, QByteArray* out, QString* reason)
{
    if (out)
        out->clear();
    QFile file;
    if (!open(path, maxBytes, &file, reason))
        return false;
    QByteArray bytes;
    if (!readRest(file, maxBytes, true, &bytes, reason))
        return false;
    if (out)
        *out = std::move(bytes);
    return true;
}

bool RegularFileReader::readDocument(QString const& path, QByteArray* out, QString* reason)
{
    if (out)
        out->clear();
    // An oversized file is refused as such, before it is read.
    QFile file;
    if (!open(path, MaxDocumentBytes, &file, reason))
        return false;
    QByteArray bytes;
    if (!readRest(file, 4096, false, &bytes, reason))
        return false;
    if (mayBeginXml(bytes) && !readRest(file, MaxDocumentBytes, true, &bytes, reason))
        return false;
    if (out)
        *out = std::move(bytes);
    return true;
}

bool RegularFileReader::open(QString const& path, qint64 maxBytes, QFile* file, QString* reason,
                             Refusal* refusal)
{
    auto refuse = [reason, refusal](Refusal kind, QString const& text) {
        if (reason)
            *reason = text;
        if (refusal)
            *refusal = kind;
        return false;
    };
    if (refusal)
        *refusal = Refusal::None;
    if (path.isEmpty())
        return refuse(Refusal::Missing, qt_error_string(ENOENT));
    const QByteArray name = QFile::encodeName(path);
    // A look by name first keeps a device from being opened at all (opening some acts on
    // them); the verdict is the opened descriptor's.
    struct stat status {};
    if (::stat(name.constData(), &status) == 0 && !S_ISREG(status.st_mode))
        return refuse(Refusal::NotRegular, notRegularText());
    // Without O_NONBLOCK, opening a pipe waits for a writer, for good if none comes.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        return refuse(error == ENOENT ? Refusal::Missing : Refusal::Unreadable, qt_error_string(error));
    }
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return refuse(Refusal::NotRegular, notRegularText());
    }
    if (maxBytes >= 0 && qint64(status.st_size) > maxBytes) {
        ::close(fd);
        return refuse(Refusal::TooLarge, tooLargeText(maxBytes));
    }
    // A regular file: reads never wait, with or without the flag.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refuse(Refusal::Unreadable, file->errorString());
    }
    return true;
}

QString RegularFileReader::descriptorPath(QFile const& file)
{
    return QStringLiteral("/proc/self/fd/%1").arg(file.handle());
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

bool RegularFileReader::readRest(QFile& file, qint64 maxBytes, bool refuseLarger, QByteArray* bytes,
                                 QString* reason)
{
    // The size found on opening may be stale (or zero for a file the system makes up while
    // read): read in pieces, never more than one byte past the limit.
    const qint64 wanted = refuseLarger ? maxBytes + 1 : maxBytes;
    bytes->reserve(qMin(file.size(), maxBytes) + 1);
    while (bytes->size() < wanted) {
        const QByteArray piece = file.read(qMin<qint64>(1 << 20, wanted - bytes->size()));
        if (file.error() != QFileDevice::NoError) {
            if (reason)
                *reason = file.errorString();
            return false;
        }
        if (piece.isEmpty())
            break;
        *bytes += piece;
    }
    if (bytes->size() > maxBytes) {
        if (reason)
            *reason = tooLargeText(maxBytes);
        return false;
    }
    return true;
}

QString RegularFileReader::tooLargeText(qint64 maxBytes)
{
    return QCoreApplication::translate("RegularFileReader", "It is larger than %1 MB.")
        .arg(maxBytes / (1024 * 1024));
}

} // namespace KelUtils
