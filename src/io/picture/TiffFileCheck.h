#pragma once

#include <QString>

class QIODevice;

// Walks a TIFF file's directories (classic and BigTIFF) before OpenImageIO's reader sees it. For
// every page: sides, samples and depths keep within the cap; the colour model, compression, tiles
// and planes pair as the format allows; the strips or tiles the sides need are listed, and each
// lies within the file (uncompressed ones whole).
class TiffFileCheck
{
public:
    // True when the file is sound; otherwise *reason says what is wrong. Read from its start.
    static bool check(QIODevice& file, QString* reason);
};
