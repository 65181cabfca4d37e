#pragma once

#include <QString>

// Why a drop gave no picture when the file is sound: a drop reads with the toolkit's readers,
// which know fewer kinds of picture than the image library a click reads with (Photoshop,
// OpenEXR, Radiance HDR and PFM files, top-down bitmaps, most Targa files). Such a file is not
// called damaged; the user is told to click it.
class DropRefusal
{
public:
    // After the toolkit's readers refused the file at `path` whole: true, with *reason in plain
    // words, when they refuse it on its kind or header and the image library reads its header
    // (a damaged file the toolkit's readers know keeps their refusal). Reads the header only.
    static bool clickOpens(QString const& path, QString* reason);
    // The words, for files of `kind` ("Targa file").
    static QString clickOpensReason(QString const& kind);
};
