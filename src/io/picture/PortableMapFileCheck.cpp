#include "io/picture/PortableMapFileCheck.h"

#include "io/picture/HeaderRefusal.h"

#include <algorithm>
#include <cmath>

namespace {

const QString kind = QStringLiteral("portable map");

bool fail(QString* reason, const QString& text)
{
    return HeaderRefusal::damaged(reason, kind, text);
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The header's tokens in order, comments left out; *end is where the one white-space byte after
// the last token ends.
class HeaderTokens
{
public:
    explicit HeaderTokens(const QByteArray& head) : m_head(head) {}

    QByteArray next()
    {
        for (;;) {
            while (m_at < m_head.size() && isSpace(m_head.at(m_at)))
                ++m_at;
            if (m_at < m_head.size() && m_head.at(m_at) == '#') {
                while (m_at < m_head.size() && m_head.at(m_at) != '\n' && m_head.at(m_at) != '\r')
                    ++m_at;
                continue;
            }
            break;
        }
        const qsizetype start = m_at;
        while (m_at < m_head.size() && !isSpace(m_head.at(m_at)) && m_head.at(m_at) != '#')
            ++m_at;
        // A token must end with white space inside what was read.
        if (m_at >= m_head.size())
            return QByteArray();
        return m_head.mid(start, m_at - start);
    }
    qint64 pixelsStart() const { return m_at + 1; }

private:
    const QByteArray& m_head;
    qsizetype m_at = 2;
};

} // namespace

bool PortableMapFileCheck::check(QIODevice& file, QString* reason)
{
    const QByteArray head = HeaderRefusal::bytesAt(file, 0, 4096);
    const QByteArray magic = head.left(2);
    const int form = magic.size() == 2 && magic.at(0) == 'P' && magic.at(1) >= '1' && magic.at(1) <= '6' ? magic.at(1) - '0' : 0;
    const bool floats = magic == "Pf" || magic == "PF";
    if (form == 0 && !floats)
        return fail(reason, QStringLiteral("no signature"));
    HeaderTokens tokens(head);
    bool ok = false;
    const qint64 width = tokens.next().toLongLong(&ok);
    if (!ok)
        return fail(reason, QStringLiteral("no width"));
    const qint64 height = tokens.next().toLongLong(&ok);
    if (!ok)
        return fail(reason, QStringLiteral("no height"));
    qint64 sampleBytes = 1;
    if (floats) {
        const double scale = tokens.next().toDouble(&ok);
        if (!ok || !std::isfinite(scale) || scale == 0.0)
            return fail(reason, QStringLiteral("no scale"));
        sampleBytes = 4;
    } else if (form != 1 && form != 4) {
        const QByteArray token = tokens.next();
        const qint64 maxValue = token.toLongLong(&ok);
        if (!ok || maxValue < 1 || maxValue > 65535)
            return fail(reason, QStringLiteral("a largest value of \"%1\"").arg(QString::fromLatin1(token.left(32))));
        sampleBytes = maxValue > 255 ? 2 : 1;
    }
    const int channels = magic == "PF" || form == 3 || form == 6 ? 3 : 1;
    QString text;
    if (!HeaderRefusal::withinCap(width, height, channels * sampleBytes, &text))
        return fail(reason, text);
    const qint64 available = file.size() - tokens.pixelsStart();
    const qint64 samples = width * height * channels;
    qint64 needed = 0;
    if (form == 4)
        needed = height * ((width + 7) / 8);
    else if (form >= 5 || floats)
        needed = samples * sampleBytes;
    else
        // Bits may stand without white space between them; other values need it.
        needed = form == 1 ? samples : 2 * samples - 1;
    if (available < needed)
        return fail(reason, QStringLiteral("%1 (%2 bytes of %3)").arg(HeaderRefusal::endsEarly()).arg(std::max<qint64>(available, 0)).arg(needed));
    return true;
}
