#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

// What the program asks of the picture reader process, and what it answers. Both travel as
// frames on the socket between them; the pixels of an answer travel apart, in shared memory.
struct PictureRequest {
    enum class Kind : qint32 {
        // Through the image library: the source picture's layers.
        Layers = 1,
        // Through the image library: size and resolution, no pixels.
        Information,
        // Through Qt's raster readers: a file (thumbnails, the drop, icons).
        RasterFile,
        // A Photoshop or Targa file as the image library reads it (thumbnails).
        LibraryFile,
        // Through Qt's raster readers: bytes (a service's icons, a description's pictures).
        RasterBytes,
        // A file's thumbnail: through Qt's raster readers, and what they refuse (a Photoshop or
        // Targa file) as the image library reads it, in one request.
        Thumbnail,
    };

    Kind kind = Kind::RasterFile;
    QString path;
    QByteArray bytes;
    QString suffix;
    QByteArray format;
    qint32 wanted = -1;
    QSize fitInto;
    qint64 pixelCap = 0;

    // The layout of both sides' frames: every change of either changes it. A reader of another
    // build (the program's files replaced while it runs) answers in its own, and is refused.
    static constexpr quint32 protocolVersion = 4;
    // The version a frame of either side was written in; 0 for bytes that are no frame.
    static quint32 versionOf(const QByteArray& frame);

    QByteArray encode() const;
    // False for bytes that are no request of this version.
    static bool decode(const QByteArray& bytes, PictureRequest* request);
};

struct PictureReply {
    struct Layer {
        QRect rect;          // where it stands on the canvas
        QSize size;
        qint32 bytesPerLine = 0;
        qint64 offset = 0;   // into the shared memory, at a page's start
        bool alpha = false;  // ARGB32 (straight alpha), else RGB32
        bool premultiplied = false; // with alpha: ARGB32_Premultiplied
    };

    bool ok = false;
    QString reason;
    QSize fullSize;
    qint32 dpi = 72;
    QList<Layer> layers;
    // The shared memory's size the layers need.
    qint64 dataBytes = 0;

    QByteArray encode() const;
    static bool decode(const QByteArray& bytes, PictureReply* reply);

    // Sent before the answer, once a header claimed the pixels the read decodes: the program's
    // time limit follows them. False for a frame that is no claim.
    static QByteArray encodeClaim(qint64 pixels);
    static bool decodeClaim(const QByteArray& frame, qint64* pixels);
};
