#pragma once

#include <QString>

class QIODevice;

// Judges a TIFF file (classic and BigTIFF) before a reader sees it. Its first page, the one read:
// sides, samples and depths keep within the cap; the colour model, compression, tiles and planes
// pair as the format allows; the strips or tiles the sides need are listed, and each lies within
// the file (uncompressed ones whole). Of the pages after it only the chain of directories, which
// must neither go round nor leave the file.
class TiffFileCheck
{
public:
    // True when the file is sound; otherwise *reason says what is wrong. Read from its start.
    static bool check(QIODevice& file, QString* reason);
    // Whether the first page of a file that passed stores its samples apart, a plane each, with
    // more than one sample a pixel. Read from its start.
    static bool planesApart(QIODevice& file);
};
