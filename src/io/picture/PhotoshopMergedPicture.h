#pragma once

#include <QImage>
#include <QString>

#include <functional>

class QIODevice;

// The merged picture a Photoshop file keeps after its layers (its image data section), read by
// the program itself: what a file shows whose layers the image library cannot decode (ImageMagick
// compresses them with zip, which that reader lacks). Raw or run-length rows of 1, 8 or 16 bits in
// bitmap, grey, indexed, RGB or CMYK mode. Every size is checked against the file and the pixel
// cap before anything is held; the reader holds the picture (4 bytes a pixel) and one row.
class PhotoshopMergedPicture
{
public:
    using BeforeDecode = std::function<void(qint64 pixels)>;

    // The picture (straight alpha where the file says the merged picture has transparency), or a
    // null image with *reason saying in the user's words why it cannot be read. The file must
    // have passed PhotoshopFileCheck. `beforeDecode` learns the pixels before they are held.
    static QImage read(QIODevice& file, QString* reason, const BeforeDecode& beforeDecode = BeforeDecode());

    // For a Photoshop file the image library refused: false when `path` is no sound Photoshop
    // file (the library's refusal stands); else true, with the merged picture in *image or, when
    // it cannot be read either, a null image and *reason saying why.
    static bool readInstead(const QString& path, QImage* image, QString* reason,
                            const BeforeDecode& beforeDecode = BeforeDecode());
    // Whether readInstead would go on to decode the merged picture of `path`, from the file's
    // headers alone.
    static bool readableInstead(const QString& path);
};
