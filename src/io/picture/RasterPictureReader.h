#pragma once

#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QIODevice>
#include <QSize>
#include <QString>

#include <memory>

class QFile;

// The one way a picture from outside the program (a user's file, a file another program drags
// in, a service's bytes, the style file's pictures) is decoded. Qt's own choice of reader goes by
// the suffix and then by the contents, and may pick one that reads more than the picture's own
// bytes: the SVG reader opens every file an <image> names (a pipe blocks it for good, the file
// itself recurses) and decodes every embedded picture whole. Here the reader is chosen from the
// picture's first bytes among raster formats whose readers read nothing but those bytes (Targa,
// which has no signature, only when the suffix names it), Qt never guesses another, and a picture
// of more than `maxPixels` pixels is refused on its header, before its pixels are allocated. The
// file passes the program's own header check of its format before Qt's reader sees a byte.
class RasterPictureReader
{
public:
    // The cap of every picture read from outside: a 100-megapixel photo loads.
    static constexpr qint64 maxPixels = qint64(1) << 27;

    // The Qt format of a picture whose file begins with `head` and carries `suffix` (without the
    // dot); empty when it is none of the raster formats.
    static QByteArray formatOf(QByteArray const& head, QString const& suffix);

    // Opens `path` as RegularFileReader opens files (a pipe or a device is refused, whatever took
    // the path's place) into `file`, which must not be open.
    static bool openFile(QString const& path, QFile* file, QString* reason);

    // A reader of the picture on `device` (open, positioned at its start); `suffix` only tells a
    // Targa picture. The device's first bytes and the picture's header are read here.
    explicit RasterPictureReader(QIODevice* device, QString const& suffix = QString(),
                                 qint64 pixelCap = maxPixels);

    RasterPictureReader(RasterPictureReader const&) = delete;
    RasterPictureReader& operator=(RasterPictureReader const&) = delete;

    // Whether a raster picture within the cap was found; else errorString() says why.
    bool isValid() const { return m_valid; }
    // The picture's own size, from its header, upright: a picture stored turned, as its
    // orientation tag says, comes turned upright.
    QSize size() const { return m_size; }
    QString errorString() const { return m_error; }
    // Whether the format's reader may decode the picture smaller than its own size.
    bool supportsScaledSize() const;
    // The picture comes at `scaled` (upright): decoded at that size where the format can, else
    // decoded whole and scaled. Call before read().
    void setScaledSize(QSize const& scaled);
    // The picture, or a null image with errorString() saying why.
    QImage read();

    // Where a picture read at its own size is decoded: memory of Qt's own unless set. The reader
    // process gives the memory it shares with the program (see ImageLibrary::setPixelMemory).
    using ImageMemory = QImage (*)(QSize size, QImage::Format format);
    static void setImageMemory(ImageMemory memory);

private:
    QImage preparedImage();

    // What the reader is shown instead of the device, where the file needs a patch; declared
    // first, so that it outlives the reader.
    std::unique_ptr<QIODevice> m_patched;
    QImageReader m_reader;
    QSize m_size;
    QString m_error;
    bool m_valid = false;
    // Stored a quarter turn from upright.
    bool m_turned = false;
    // The file's EXIF orientation that the program, not Qt's reader, sets upright.
    int m_orientation = 1;
    bool m_scaled = false;
};
