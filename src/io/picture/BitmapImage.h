#pragma once

#include "io/picture/ImageLibrary.h"

#include <QImage>

// Qt images from the image library's bitmaps: every layout the library gives, each pixel as
// 0xAARRGGBB (straight alpha).
class BitmapImage
{
public:
    // An ARGB32 image; transparent black for a layout that does not match its bitmap.
    static QImage toImage(const ImageLibrary::Bitmap& bitmap);
    // Takes the bitmap in every case. A BGRA bitmap already is an ARGB32 image on a
    // little-endian machine: the image takes it over instead of copying, so a large picture is
    // held once.
    static QImage adopt(ImageLibrary::Bitmap* bitmap);

    // One pixel of each layout; the pointer is the pixel's first byte. A set bit is white, a
    // clear one black, both opaque.
    static QRgb fromBinaryPixel(unsigned char byte, int bit);
    static QRgb fromGrayPixel(const unsigned char* pixel);
    static QRgb fromColorPixel(unsigned char index, const ImageLibrary::ColorMap& colorMap);
    static QRgb fromRGBPixel(const unsigned char* pixel);
    static QRgb fromRGBAPixel(const unsigned char* pixel);
    static QRgb fromBGRPixel(const unsigned char* pixel);
    static QRgb fromABGRPixel(const unsigned char* pixel);
    static QRgb fromBGRAPixel(const unsigned char* pixel);
    static QRgb fromARGBPixel(const unsigned char* pixel);
    static QRgb fromCMYKPixel(const unsigned char* pixel);
};
