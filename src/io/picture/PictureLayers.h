#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPair>
#include <QRect>
#include <QString>

#include <functional>

// A file read through the image library as a list of layers (rectangle on the canvas,
// straight-alpha ARGB32 image), one per page, frame or Photoshop layer. Runs the library's
// readers in this process: only the picture reader process calls it.
class PictureLayers
{
public:
    using Layer = QPair<QRect, QImage>;
    // Told, once every header wanted has been read and before any pixel is decoded, how many
    // pixels the layers to decode hold together.
    using BeforeDecode = std::function<void(qint64 pixels)>;

    // Empty when nothing could be read (*reason then says why). A layered Photoshop file gives
    // its layers without the composite; one without layers gives the composite, and so does one
    // whose layers the library cannot decode (see PhotoshopMergedPicture). With a positive
    // `wanted`, at most that many layers: the file's later images are not decoded nor walked
    // over. Each image holds at most ImageLibrary::maxPixels pixels, and so do the layers given
    // together (a Photoshop composite is no layer); a file whose images would hold more is
    // refused before any is decoded. The library must be started on this thread.
    static QList<Layer> read(const QString& path, const QByteArray& format, int wanted, QString* reason,
                             const BeforeDecode& beforeDecode = BeforeDecode());
    // What read (of any format) finds in the file's headers before it decodes a pixel: true, with
    // *format the library's name of the file's format, when it goes on to decode the picture.
    static bool opens(const QString& path, QByteArray* format);
};
