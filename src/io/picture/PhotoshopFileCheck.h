#pragma once

#include <QString>

class QIODevice;

// Walks the structure of a Photoshop file (header, image resources, layer records, channel list)
// before OpenImageIO sees it. Its reader trusts these records: a layer without one of its colour
// channels, a composite with too few channels or a layer billions of rows high make it crash or
// exhaust memory, and it decodes the thumbnail resource whole when it opens the file, so that
// the thumbnail must be a sound JPEG no larger than the picture (or Photoshop's own size). Files
// that fail the walk are refused as damaged.
class PhotoshopFileCheck
{
public:
    // True when the file starts with the Photoshop signature.
    static bool isPhotoshopFile(const QString& path);
    static bool isPhotoshopFile(QIODevice& file);
    // True when the structure is sound; otherwise *reason says what is wrong. The device is
    // read from its start.
    static bool check(const QString& path, QString* reason);
    static bool check(QIODevice& file, QString* reason);
    // The same; *heldOnOpen gets what the reader holds while it opens the file: its thumbnails
    // decoded.
    static bool check(QIODevice& file, QString* reason, qint64* heldOnOpen);

    static constexpr qint64 maxSide = 300000;
};
