#pragma once

#include <QString>

class QIODevice;

// Checks a Targa picture's header against the format's own rules before OpenImageIO's reader,
// which trusts it, sees the file: a colour-mapped picture with indices of other than 8 bits makes
// it read past its buffers. Refused as damage: an image type the format does not define (or one
// without pixels), a depth its type does not allow, a colour map the type does not want or lacks,
// map entries of a depth the format does not have, interleaved rows, sides of zero, or a header,
// map or uncompressed pixels the file does not hold.
class TargaFileCheck
{
public:
    // True when the header is sound; otherwise *reason says what is wrong. The device is read
    // from its start.
    static bool check(QIODevice& file, QString* reason);
};
