#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>

#include <OpenImageIO/imageio.h>

class QIODevice;

// What a JPEG file says of its picture before its first scan: the frame's sides, the JFIF
// density and the EXIF and XMP blocks. The image library's decoder answers the same only once it
// has started on the pixels, which for a picture of several scans means decoding them all.
class JpegHeader
{
public:
    // False when the markers before the first scan hold no frame header. Read from the file's
    // start; for a file that passed JpegFileCheck.
    static bool read(QIODevice& file, JpegHeader* header);

    // The picture's description as the image library's JPEG reader gives it once it has opened the
    // file: sides, and the metadata its resolution and orientation come from.
    OIIO::ImageSpec spec() const;

    QSize sides;
    int components = 0;

private:
    // Defaults of the decoder for a file without a JFIF segment.
    int m_densityUnit = 0;
    int m_xDensity = 1;
    int m_yDensity = 1;
    // Application segments 1 (EXIF, XMP), in file order, without their marker and length.
    QList<QByteArray> m_applicationData;
};
