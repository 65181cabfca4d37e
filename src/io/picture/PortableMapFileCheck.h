#pragma once

#include <QSize>
#include <QString>

class QIODevice;

// Reads a portable map's header (PBM, PGM, PPM and the float maps) before OpenImageIO's reader
// sees it: the sides and the largest value must be ones the format allows, the picture keep within
// the cap and the file hold at least the bytes (or, for the text forms, the digits) its pixels need.
class PortableMapFileCheck
{
public:
    // True when the file is sound; otherwise *reason says what is wrong. Read from its start.
    static bool check(QIODevice& file, QString* reason);
    // The same; *heldOnOpen gets what the reader holds once it has opened the file, which it
    // reads whole then: the bytes of the header and of the pixels it claims.
    static bool check(QIODevice& file, QString* reason, qint64* heldOnOpen);
    // The picture's sides, from the header of a file that passed the check; invalid when it holds
    // none.
    static QSize sides(QIODevice& file);
};
