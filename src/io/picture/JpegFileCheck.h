#pragma once

#include <QString>

class QIODevice;

// Walks a JPEG file's markers before OpenImageIO's reader sees it: the frame header's sides,
// precision, components and sampling must be ones the format (and the decoder) knows, the
// picture keep within the cap, and the compressed pixels go on to the end-of-picture marker,
// since the decoder fills what a file cut short lacks with grey without a word.
class JpegFileCheck
{
public:
    // True when the file is sound; otherwise *reason says what is wrong. Read from its start.
    static bool check(QIODevice& file, QString* reason);
};
