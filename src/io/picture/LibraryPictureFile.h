#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

// Pictures of a user's files that Qt has no reader for but the image library reads as a source
// picture: a Photoshop file (told by its first bytes; its composite, after the library's check of
// the file, read by the program where the library cannot decode the file's layers), a Targa file
// (told by its suffix, as the library tells it) and a TIFF file whose samples are stored a plane
// each (which Qt's reader refuses beyond 8 bits a sample). Read as the library reads a source
// picture: a regular file only, within the one pixel cap. Any thread; a read never holds a read on
// another thread.
class LibraryPictureFile
{
public:
    // The picture, or a null image (with *reason saying why) when the file is none of these kinds
    // or cannot be read. *fullSize gets the picture's size.
    // `beforeDecode`, when given, learns the pixels to decode once the header has been read.
    static QImage read(QString const& path, QSize* fullSize = nullptr, QString* reason = nullptr,
                       std::function<void(qint64 pixels)> const& beforeDecode = {});
};
