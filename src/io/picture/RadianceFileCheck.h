#pragma once

#include <QString>

class QIODevice;

// Reads a Radiance HDR file's header before OpenImageIO's reader sees it: the pixel format must
// be one of the format's two, the rows stored top-down left to right (the only order the reader
// takes), the picture keep within the cap and the file hold at least the bytes its rows need.
class RadianceFileCheck
{
public:
    // True when the file is sound; otherwise *reason says what is wrong. Read from its start.
    static bool check(QIODevice& file, QString* reason);
};
