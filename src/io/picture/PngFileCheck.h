#pragma once

#include <QString>

class QIODevice;

// Checks a PNG file's chunks before OpenImageIO's reader, which holds the whole picture at the
// depth its header names, sees it: the header's depth and colour type must pair as the format
// allows, the picture keep within the cap, every chunk lie within the file up to its end, and the
// compressed pixels be enough to hold the rows the header claims.
class PngFileCheck
{
public:
    // True when the file is sound; otherwise *reason says what is wrong. Read from its start.
    static bool check(QIODevice& file, QString* reason);
};
