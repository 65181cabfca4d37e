#pragma once

#include <QString>

class QIODevice;

// Walks the attribute records of an OpenEXR file's headers before OpenImageIO sees it. The
// OpenEXR library makes (and fills) each attribute at the size its record states before it
// reads it: a file of a few hundred bytes that announces a text of 2 GB takes 2 GB of memory.
// The library also makes a buffer of one tile for each of its threads as it opens a file. An
// attribute larger than the rest of the file, a header that does not end, or tiles larger than
// maxTilePixels are refused as damage.
class OpenExrFileCheck
{
public:
    // True when the file starts with the OpenEXR signature.
    static bool isOpenExrFile(const QString& path);
    static bool isOpenExrFile(QIODevice& file);
    // True when every attribute fits in the file; otherwise *reason says what is wrong. The
    // device is read from its start.
    static bool check(const QString& path, QString* reason);
    static bool check(QIODevice& file, QString* reason);
    // The same; *heldOnOpen gets what the library holds once it has opened the file: its preview,
    // and for a file of one part its table of chunks and room for a chunk.
    static bool check(QIODevice& file, QString* reason, qint64* heldOnOpen);

    // Tiles of real files hold a few hundred pixels a side.
    static constexpr qint64 maxTilePixels = qint64(1) << 20;
};
