#pragma once

#include <QSize>
#include <QString>

class QIODevice;

// Walks a WebP file's chunks before OpenImageIO's reader, which decodes the whole canvas, sees
// it: the canvas (or the picture of a simple file) must keep within the cap, every chunk lie
// within the file, and the file hold a picture.
class WebpFileCheck
{
public:
    // True when the file is sound; otherwise *reason says what is wrong. Read from its start.
    static bool check(QIODevice& file, QString* reason);
    // The same; *heldOnOpen gets what the reader holds once it has opened the file, which it
    // reads whole and whose first picture it decodes then.
    static bool check(QIODevice& file, QString* reason, qint64* heldOnOpen);
    // The canvas of a file that passed the check (the picture's sides, for a simple file) as its
    // reader gives it; invalid when the file is not sound.
    static QSize canvas(QIODevice& file);
};
