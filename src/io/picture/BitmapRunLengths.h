#pragma once

#include <QtGlobal>

class QIODevice;

// The codes of a run-length bitmap (8 or 4 bits a pixel) as its writers end them. ImageMagick and
// others end every row with an end-of-line code, the last one too, and then the bitmap; the image
// library's reader takes any code read after the last row for one past the picture and refuses
// the file, though the format allows it.
class BitmapRunLengths
{
public:
    // Where the end-of-line code that ends the last row lies in the file; -1 when the file is no
    // run-length bitmap or no such code ends its last row. The codes are read once, in blocks.
    static qint64 lastRowEnd(QIODevice& file);
};
