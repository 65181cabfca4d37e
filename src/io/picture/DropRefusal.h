#pragma once

#include <QString>

#include <functional>

// Why a drop gave no picture when the file is sound: a drop reads with the toolkit's readers,
// which know fewer kinds of picture than the image library a click reads with (Photoshop,
// OpenEXR, Radiance HDR and PFM files, top-down bitmaps, most Targa files), and fewer variants of
// some they know (a TIFF whose one tile is larger than the picture). Such a file is not called
// damaged; the user is told to click it.
class DropRefusal
{
public:
    // After the toolkit's readers refused the file at `path` whole: true, with *reason in plain
    // words, when the click would open it, decided as the click decides: on the headers of a file
    // the toolkit's readers refuse on its kind or header, by the click's own read of one whose
    // pixels they could not decode (a damaged file keeps their refusal). `beforeDecode` learns the
    // pixels that read decodes.
    static bool clickOpens(QString const& path, QString* reason,
                           std::function<void(qint64 pixels)> const& beforeDecode = {});
    // The words, for files of `kind` ("Targa file").
    static QString clickOpensReason(QString const& kind);
};
