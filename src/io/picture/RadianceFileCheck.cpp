#include "io/picture/RadianceFileCheck.h"

#include "io/picture/HeaderRefusal.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

const QString radianceKind = QStringLiteral("Radiance HDR file");

bool failRadiance(QString* reason, const QString& text)
{
    return HeaderRefusal::damaged(reason, radianceKind, text);
}

// Lines of the header looked at, at most.
constexpr int maxHeaderLines = 4096;

} // namespace

bool RadianceFileCheck::check(QIODevice& file, QString* reason)
{
    if (!file.seek(0))
        return failRadiance(reason, QStringLiteral("cannot be read"));
    QByteArray format;
    int lines = 0;
    for (;;) {
        const QByteArray line = file.readLine(4096);
        if (line.isEmpty() || !line.endsWith('\n') || ++lines > maxHeaderLines)
            return failRadiance(reason, QStringLiteral("the header is cut short"));
        if (lines == 1 && !line.startsWith("#?"))
            return failRadiance(reason, QStringLiteral("no signature"));
        if (line == "\n")
            break;
        if (line.startsWith("FORMAT="))
            format = line.mid(7).trimmed();
    }
    if (!format.isEmpty() && format != "32-bit_rle_rgbe" && format != "32-bit_rle_xyze")
        return failRadiance(reason, QStringLiteral("pixels of the format \"%1\"").arg(QString::fromLatin1(format)));
    const QByteArray sides = file.readLine(256);
    static const QRegularExpression ordered(QStringLiteral("^-Y (\\d{1,10}) \\+X (\\d{1,10})\\n$"));
    const QRegularExpressionMatch match = ordered.match(QString::fromLatin1(sides));
    if (!match.hasMatch()) {
        static const QRegularExpression other(QStringLiteral("^[-+][XY] \\d+ [-+][XY] \\d+\\n$"));
        if (other.match(QString::fromLatin1(sides)).hasMatch())
            return HeaderRefusal::unsupported(reason, radianceKind, QStringLiteral("rows stored as \"%1\"")
                                                                .arg(QString::fromLatin1(sides.trimmed())));
        return failRadiance(reason, QStringLiteral("no picture size"));
    }
    const qint64 height = match.captured(1).toLongLong();
    const qint64 width = match.captured(2).toLongLong();
    QString text;
    // The reader holds a row of floats.
    if (!HeaderRefusal::withinCap(width, height, 4, &text))
        return failRadiance(reason, text);
    // Run-length rows take a row header and a run of 2 bytes for each channel and 127 pixels.
    const bool runs = width >= 8 && width < 32768;
    const qint64 rowBytes = runs ? 4 + 4 * 2 * ((width + 126) / 127) : 4 * width;
    if (file.size() - file.pos() < height * std::min<qint64>(rowBytes, 4 * width))
        return failRadiance(reason, HeaderRefusal::endsEarly());
    return true;
}
