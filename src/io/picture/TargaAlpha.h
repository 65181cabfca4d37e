#pragma once

#include "io/picture/ImageLibrary.h"

class QIODevice;

// The fourth byte of a 32-bit Targa pixel. The descriptor names how many of a pixel's bits are
// alpha; writers that pad RGB to 32 bits name none and leave the byte zero, which the image
// library's reader takes for alpha, a picture wholly transparent. netpbm's writer names none
// either, yet puts alpha there, and the common readers take it so.
class TargaAlpha
{
public:
    // Whether the file holds 32-bit true-colour pixels whose descriptor names no alpha bits.
    // The device is read from its start.
    static bool isUnnamed(QIODevice& file);
    // A bitmap read from such a file, with alpha in its fourth byte (RGBA or BGRA): when no pixel
    // has any alpha there, the byte was padding and every pixel is opaque.
    static void settle(ImageLibrary::Bitmap& bitmap);
};
