#pragma once

#include <QString>

class QIODevice;

// Checks a PNG file's chunks before a reader (OpenImageIO's holds the whole picture at the depth
// its header names; Qt's inflates all compressed text to give the picture's size) sees it: the
// header's depth and colour type must pair as the format allows, the picture keep within the cap,
// every chunk lie within the file up to its end, the compressed pixels be enough to hold the rows
// the header claims, and the compressed text inflate to a bounded size.
class PngFileCheck
{
public:
    // True when the file is sound; otherwise *reason says what is wrong. Read from its start.
    static bool check(QIODevice& file, QString* reason);
};
