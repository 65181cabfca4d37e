#include "io/picture/PortableMapFileCheck.h"

#include "io/picture/CachedFileView.h"
#include "io/picture/HeaderRefusal.h"

#include <algorithm>
#include <cmath>

namespace {

const QString portableMapKind = QStringLiteral("portable map");

bool failPortableMap(QString* reason, const QString& text)
{
    return HeaderRefusal::damaged(reason, portableMapKind, text);
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Bytes of one header token looked at, at most: a number of the header is far shorter.
constexpr int maxTokenBytes = 64;

// The header's tokens in order, comments (of any length) left out, read from the file as far as
// the header goes.
class HeaderTokens
{
public:
    explicit HeaderTokens(QIODevice& file) : m_file(file) { m_file.seek(2); }

    // The next token; empty when the file ends first (a token must end with white space).
    QByteArray next()
    {
        char c = 0;
        for (;;) {
            if (!take(&c))
                return QByteArray();
            if (c == '#') {
                while (c != '\n' && c != '\r') {
                    if (!take(&c))
                        return QByteArray();
                }
            } else if (!isSpace(c)) {
                break;
            }
        }
        QByteArray token(1, c);
        for (;;) {
            if (!take(&c))
                return QByteArray();
            if (isSpace(c))
                return token;
            // A comment may follow a token at once.
            if (c == '#') {
                m_comment = true;
                return token;
            }
            // Too long for a number: what it holds so far says so.
            if (token.size() >= maxTokenBytes)
                return token;
            token.append(c);
        }
    }
    // Where the pixels begin: after the one white-space byte that ended the last token.
    qint64 pixelsStart() const { return m_file.pos(); }

private:
    bool take(char* c)
    {
        if (m_comment) {
            m_comment = false;
            *c = '#';
            return true;
        }
        return m_file.getChar(c);
    }

    QIODevice& m_file;
    bool m_comment = false;
};

// Whether a plain bitmap's pixels stand without white space between them, as netpbm writes
// them: the first of them is followed by another digit.
bool bitsRunTogether(QIODevice& file, qint64 start)
{
    char c = 0;
    if (!file.seek(start))
        return false;
    do {
        if (!file.getChar(&c))
            return false;
    } while (isSpace(c));
    return (c == '0' || c == '1') && file.getChar(&c) && (c == '0' || c == '1');
}

} // namespace

QSize PortableMapFileCheck::sides(QIODevice& device)
{
    CachedFileView file(device);
    const QByteArray magic = HeaderRefusal::bytesAt(file, 0, 2);
    if (magic.size() < 2 || magic.at(0) != 'P')
        return QSize();
    HeaderTokens tokens(file);
    bool widthRead = false;
    bool heightRead = false;
    const int width = tokens.next().toInt(&widthRead);
    const int height = tokens.next().toInt(&heightRead);
    return widthRead && heightRead ? QSize(width, height) : QSize();
}

bool PortableMapFileCheck::check(QIODevice& device, QString* reason)
{
    qint64 heldOnOpen = 0;
    return check(device, reason, &heldOnOpen);
}

bool PortableMapFileCheck::check(QIODevice& device, QString* reason, qint64* heldOnOpen)
{
    *heldOnOpen = 0;
    CachedFileView file(device);
    const QByteArray magic = HeaderRefusal::bytesAt(file, 0, 2);
    const int form = magic.size() == 2 && magic.at(0) == 'P' && magic.at(1) >= '1' && magic.at(1) <= '6' ? magic.at(1) - '0' : 0;
    const bool floats = magic == "Pf" || magic == "PF";
    if (form == 0 && !floats)
        return failPortableMap(reason, QStringLiteral("no signature"));
    HeaderTokens tokens(file);
    bool ok = false;
    const qint64 width = tokens.next().toLongLong(&ok);
    if (!ok)
        return failPortableMap(reason, QStringLiteral("no width"));
    const qint64 height = tokens.next().toLongLong(&ok);
    if (!ok)
        return failPortableMap(reason, QStringLiteral("no height"));
    qint64 sampleBytes = 1;
    qint64 maxValue = 1;
    if (floats) {
        const double scale = tokens.next().toDouble(&ok);
        if (!ok || !std::isfinite(scale) || scale == 0.0)
            return failPortableMap(reason, QStringLiteral("no scale"));
        sampleBytes = 4;
    } else if (form != 1 && form != 4) {
        const QByteArray token = tokens.next();
        maxValue = token.toLongLong(&ok);
        if (!ok || maxValue < 1 || maxValue > 65535)
            return failPortableMap(reason, QStringLiteral("a largest value of \"%1\"").arg(QString::fromLatin1(token.left(32))));
        sampleBytes = maxValue > 255 ? 2 : 1;
    }
    const int channels = magic == "PF" || form == 3 || form == 6 ? 3 : 1;
    QString text;
    if (!HeaderRefusal::withinCap(width, height, channels * sampleBytes, &text))
        return failPortableMap(reason, text);
    const qint64 start = tokens.pixelsStart();
    // Neither reader reads a plain bitmap whose bits stand together.
    if (form == 1 && bitsRunTogether(file, start))
        return HeaderRefusal::unsupported(reason, portableMapKind, QStringLiteral("a plain bitmap whose pixels stand without spaces between them"));
    const qint64 available = file.size() - start;
    const qint64 samples = width * height * channels;
    qint64 needed = 0;
    if (form == 4)
        needed = height * ((width + 7) / 8);
    else if (form >= 5 || floats)
        needed = samples * sampleBytes;
    else
        needed = 2 * samples - 1;
    if (available < needed)
        return failPortableMap(reason, QStringLiteral("%1 (%2 bytes of %3)").arg(HeaderRefusal::endsEarly()).arg(std::max<qint64>(available, 0)).arg(needed));
    // The reader reads the file whole when it opens it: as much of it as the pixels may take (a
    // sample in text its digits and two spaces at most), what lies past that is no part of it.
    const qint64 longest = form >= 1 && form <= 3 ? samples * (QByteArray::number(maxValue).size() + 2) : needed;
    *heldOnOpen = start + std::min(available, longest);
    return true;
}
