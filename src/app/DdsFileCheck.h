#pragma once

#include <QString>

class QIODevice;

// Checks a DirectDraw Surface's header against the format's own rules before OpenImageIO's
// reader, which trusts it, sees the file: a colour or alpha mask of zero for a channel the
// header says the pixels hold makes it search the mask for its lowest bit for ever. Refused as
// damage: header or pixel-format records of other sizes, sides of zero, a compression the
// reader does not decode (the premultiplied DXT2 and DXT4 it reads as uncompressed pixels of no
// size, dividing by zero), uncompressed pixels of other than 8, 16, 24 or 32 bits, masks that are
// zero, not one run of bits, overlapping or wider than the pixel for the channels the header
// names.
class DdsFileCheck
{
public:
    // True when the header is sound; otherwise *reason says what is wrong. The device is read
    // from its start.
    static bool check(QIODevice& file, QString* reason);
};
