#pragma once

#include <QSize>
#include <QString>

class QIODevice;

// Walks a GIF file's blocks before a reader sees it: the reader allocates a canvas when it opens
// the file, so the canvas must keep within the cap; every frame must have pixels, and its
// compressed pixels be enough for its rows, up to the last block.
class GifFileCheck
{
public:
    // True when the file is sound; otherwise *reason says what is wrong. Read from its start.
    static bool check(QIODevice& file, QString* reason);
    // The same; *heldOnOpen gets what the reader holds once it has opened the file: the canvas,
    // onto which it decodes the first frame then.
    static bool check(QIODevice& file, QString* reason, qint64* heldOnOpen);
    // The canvas of the picture: the logical screen, enlarged where the first frame lies past it
    // (as browsers show it); invalid when the file holds no readable first frame.
    static QSize canvas(QIODevice& file);
    // Whether the first frame has neither a local nor a global colour table (the format allows
    // it; the image library's reader refuses it).
    static bool lacksColourTable(QIODevice& file);
};
