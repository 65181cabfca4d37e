#pragma once

#include <QString>

class QIODevice;

// Checks a Windows bitmap's headers against the format's own rules before OpenImageIO sees
// the file. Its reader trusts the header: a compression the bit depth does not allow (RLE8 with
// 32 bits a pixel, say) makes it write past its rows and crash. Refused as damage: a header size
// the format does not define, sides of zero, planes other than one, a bit depth the format does
// not have, a compression other than its depth allows, colour masks that are not three runs
// within the pixel, a palette or pixel data that starts outside the file, or uncompressed rows
// the file does not hold. Sound variants its reader does not read (OS/2 2.x headers, embedded JPEG
// or PNG pictures, alpha bit fields) are refused as such.
class BitmapFileCheck
{
public:
    // True when the file starts with one of the bitmap signatures.
    static bool isBitmapFile(QIODevice& file);
    // True when the headers are sound; otherwise *reason says what is wrong. The device is read
    // from its start.
    static bool check(QIODevice& file, QString* reason);
    static bool check(const QString& path, QString* reason);
    // The same; *heldOnOpen gets what the reader holds once it has opened the file: a run-length
    // bitmap's pixels, which it undoes then.
    static bool check(QIODevice& file, QString* reason, qint64* heldOnOpen);
    // Whether the pixels hold alpha: only 32-bit colour masks with an alpha mask do.
    static bool hasAlpha(QIODevice& file);

    // Compressions of the info header.
    enum Compression { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, Jpeg = 4, Png = 5, AlphaBitFields = 6 };
};
