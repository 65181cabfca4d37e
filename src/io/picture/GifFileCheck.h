#pragma once

#include <QString>

class QIODevice;

// Walks a GIF file's blocks before OpenImageIO's reader sees it: the reader allocates a canvas of
// the logical screen when it opens the file, so the screen must keep within the cap; every frame
// must lie on the screen, and its compressed pixels be enough for its rows, up to the last block.
class GifFileCheck
{
public:
    // True when the file is sound; otherwise *reason says what is wrong. Read from its start.
    static bool check(QIODevice& file, QString* reason);
};
