#include "app/DdsFileCheck.h"

#include "app/ColourMasks.h"

#include <QIODevice>
#include <QList>
#include <QtEndian>

namespace {

using ColourMasks::isRun;

bool fail(QString* reason, const QString& text)
{
    if (reason)
        *reason = QStringLiteral("Damaged DirectDraw Surface: ") + text;
    return false;
}

constexpr quint32 alphaPixels = 0x1;
constexpr quint32 alphaOnly = 0x2;
constexpr quint32 fourCC = 0x4;
constexpr quint32 rgb = 0x40;
constexpr quint32 luminance = 0x20000;

} // namespace

bool DdsFileCheck::check(QIODevice& file, QString* reason)
{
    if (!file.seek(0))
        return fail(reason, QStringLiteral("cannot be read"));
    const QByteArray head = file.read(128);
    if (head.size() < 128 || !head.startsWith("DDS "))
        return fail(reason, QStringLiteral("the header is cut short"));
    auto u32 = [&head](int at) { return qFromLittleEndian<quint32>(head.constData() + at); };
    if (u32(4) != 124 || u32(76) != 32)
        return fail(reason, QStringLiteral("records of %1 and %2 bytes").arg(u32(4)).arg(u32(76)));
    const quint32 height = u32(12);
    const quint32 width = u32(16);
    if (width == 0 || height == 0)
        return fail(reason, QStringLiteral("a picture of %1 x %2 pixels").arg(width).arg(height));
    const quint32 flags = u32(80);
    if (flags & fourCC) {
        // The premultiplied DXT2 and DXT4 the reader takes for uncompressed pixels.
        static const QList<QByteArray> known = {"DXT1", "DXT3", "DXT5", "ATI1", "ATI2", "BC4U", "BC5U"};
        if (!known.contains(head.mid(84, 4)))
            return fail(reason, QStringLiteral("an unknown compression"));
        return true;
    }
    const quint32 bits = u32(88);
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return fail(reason, QStringLiteral("%1 bits a pixel").arg(bits));
    const quint32 within = bits == 32 ? 0xffffffffu : (quint32(1) << bits) - 1;
    QList<quint32> used;
    if (flags & rgb)
        used << u32(92) << u32(96) << u32(100);
    else if (flags & luminance)
        used << u32(92);
    if (flags & (alphaPixels | alphaOnly))
        used << u32(104);
    if (used.isEmpty())
        return fail(reason, QStringLiteral("pixels of no channel"));
    quint32 all = 0;
    for (quint32 mask : std::as_const(used)) {
        if (!isRun(mask) || (mask & ~within) != 0 || (all & mask) != 0)
            return fail(reason, QStringLiteral("channel masks that do not fit %1 bits a pixel").arg(bits));
        all |= mask;
    }
    return true;
}
