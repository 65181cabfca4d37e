#pragma once

#include <QByteArray>

#include <OpenImageIO/imageio.h>

class QIODevice;

// A picture's description read from its header by the program, for the formats whose reader does
// more than read a header when it opens a file: JPEG's decodes every scan of a progressive picture,
// GIF's decodes the first frame onto its canvas, and the portable map's and WebP's read the file
// whole, as the bitmap's undoes its run lengths. The size and resolution asked before a pick's
// pixels are read come from here, so that the read of the pixels, which claims the picture first,
// is the only one that decodes.
class PictureHeader
{
public:
    // Whether `format`'s header is read here when only a file's information is asked.
    static bool readsFormat(const QByteArray& format);
    // The picture's sides, the resolution and the orientation `format`'s reader gives once it has
    // opened the file, which passed the format's header check. False when the header does not
    // hold them.
    static bool read(const QByteArray& format, QIODevice& file, OIIO::ImageSpec* spec);
};
