#pragma once

#include <QSize>
#include <QString>

class QIODevice;

// Walks a JPEG file's markers before a reader sees it: the frame header's sides,
// precision, components and sampling must be ones the format (and the decoder) knows, the
// picture keep within the cap, its scans go over its pixels a bounded number of times, and the
// compressed pixels go on to the end-of-picture marker, since the decoder fills what a file cut
// short lacks with grey without a word. The file is read forward once.
class JpegFileCheck
{
public:
    // True when the file is sound; otherwise *reason says what is wrong. Read from its start.
    static bool check(QIODevice& file, QString* reason);
    // The same; *sides gets the picture's sides when it is sound.
    static bool check(QIODevice& file, QString* reason, QSize* sides);
    // The same; *heldOnOpen gets what the decoder holds once it has started on the picture: the
    // coefficients of all its blocks when its scans come in more than one pass (progressive, or
    // one component a scan), else nothing beyond its own tables.
    static bool check(QIODevice& file, QString* reason, QSize* sides, qint64* heldOnOpen);
};
