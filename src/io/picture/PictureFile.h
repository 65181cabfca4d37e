#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

// Pictures of a user's files read through Qt's image readers (thumbnails, the image view,
// template icons). The file is opened as RegularFileReader opens files (a pipe or a device is
// refused, whatever took the path's place) and read by RasterPictureReader: raster formats
// only, chosen by the file's first bytes, a picture of more than ImageLibrary::maxPixels pixels
// refused on its header; a picture wanted smaller is decoded at that size where its format can.
class PictureFile
{
public:
    // The limit Qt's image readers need for a picture at the cap in the widest pixel format
    // they decode into (8 bytes a pixel), in megabytes.
    static int readerAllocationLimit();

    // Whether the file holds a raster picture Qt reads, of a size within the cap; only its
    // header is read.
    static bool isReadable(QString const& path);
    // The picture, or a null image with *reason saying why. With a valid `fitInto` the picture
    // may come smaller, though never smaller than fits into it; *fullSize gets the file's own
    // size.
    // `beforeDecode`, when given, learns the pixels to decode once the header has been read.
    static QImage read(QString const& path, QSize fitInto = QSize(), QSize* fullSize = nullptr,
                       QString* reason = nullptr,
                       std::function<void(qint64 pixels)> const& beforeDecode = {});
    // The warning shown when a picture the user picked or dropped could not be opened, with
    // the reason when there is one.
    static QString notOpenedMessage(QString const& path, QString const& reason);
};
