#pragma once

#include <QByteArray>

class QIODevice;

// The EXIF orientation (1 to 8, as BitmapOrientation numbers it) that PNG and WebP files carry in
// a chunk of their own (PNG's eXIf before its pixels, WebP's EXIF), as phones and Pillow write it.
// Neither Qt's readers nor the image library's WebP reader follow it; JPEG's and TIFF's readers
// follow theirs.
class ExifOrientation
{
public:
    // The orientation of the picture on `device`, a file of `format` ("png" or "webp"); 1 for
    // another format or a file without one. The device's position is kept.
    static int of(QByteArray const& format, QIODevice& device);
    // The orientation in EXIF data (a TIFF header and its first directory, after "Exif\0\0" or not).
    static int ofExif(QByteArray const& exif);
};
