#pragma once

#include "io/picture/RasterPictureReader.h"

#include <QIODevice>
#include <QString>

// What the header checks of the offered picture formats share: the sentence a refusal gives and
// the bound on what a reader may hold.
namespace HeaderRefusal {

inline QString tooLargePrefix()
{
    return QStringLiteral("Image too large: ");
}

// A file whose fields break its format's rules: "Damaged <kind>: <what was found>". A picture
// above the cap is no damage: its text stands alone.
inline bool damaged(QString* reason, const QString& kind, const QString& text)
{
    if (reason)
        *reason = text.startsWith(tooLargePrefix()) ? text : QStringLiteral("Damaged %1: %2").arg(kind, text);
    return false;
}

// A sound file of a variant the program does not read: "Unsupported <kind>: <variant>".
inline bool unsupported(QString* reason, const QString& kind, const QString& text)
{
    if (reason)
        *reason = QStringLiteral("Unsupported %1: %2").arg(kind, text);
    return false;
}

inline QString endsEarly()
{
    return QStringLiteral("the file ends before its pixel data");
}

// The bytes a reader may hold for one picture: the pixel cap at 8 bytes a pixel (16-bit RGBA).
constexpr qint64 heldBytesBudget = RasterPictureReader::maxPixels * 8;

// Whether a picture of these sides, of which its reader holds `bytesPerPixel` bytes a pixel, keeps
// within the pixel cap and the budget; otherwise *text says why. Sides are checked one by one
// first, so that forged ones cannot overflow.
inline bool withinCap(qint64 width, qint64 height, qint64 bytesPerPixel, QString* text)
{
    const qint64 cap = RasterPictureReader::maxPixels;
    if (width <= 0 || height <= 0) {
        *text = QStringLiteral("a picture of %1 x %2 pixels").arg(width).arg(height);
        return false;
    }
    if (width > cap || height > cap || width * height > cap) {
        *text = tooLargePrefix() + QStringLiteral("%1 x %2 pixels (at most %3 million)").arg(width).arg(height).arg(cap / 1000000);
        return false;
    }
    if (width * height * bytesPerPixel > heldBytesBudget) {
        *text = tooLargePrefix() + QStringLiteral("%1 x %2 pixels of %3 bytes, more than its reader may hold")
                                       .arg(width).arg(height).arg(bytesPerPixel);
        return false;
    }
    return true;
}

// Reads `count` bytes at `at`; fewer when the file ends first.
inline QByteArray bytesAt(QIODevice& file, qint64 at, qint64 count)
{
    if (at < 0 || count < 0 || !file.seek(at))
        return QByteArray();
    return file.read(count);
}

} // namespace HeaderRefusal
