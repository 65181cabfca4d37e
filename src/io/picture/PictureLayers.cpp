#include "io/picture/PictureLayers.h"

#include "io/picture/BitmapImage.h"
#include "io/picture/ImageLibrary.h"
#include "io/picture/PhotoshopMergedPicture.h"

#include <QSysInfo>

#include <algorithm>

QList<PictureLayers::Layer> PictureLayers::read(const QString& path, const QByteArray& format, int wanted,
                                                QString* reason, const BeforeDecode& beforeDecode)
{
    auto fail = [reason](const QString& text) {
        if (reason)
            *reason = text;
    };
    QList<Layer> layers;
    ImageLibrary::LoadParams params = ImageLibrary::defaultLoadParams();
    if (QSysInfo::ByteOrder == QSysInfo::LittleEndian)
        params.layout = ImageLibrary::BGRA;
    if (!format.isEmpty())
        params.formatIndex = ImageLibrary::formatIndexByName(format);

    // Which images are decoded is settled from the headers before any pixel is: a frame or a
    // page the caller does not want is never looked at, each image stays within the one pixel
    // cap of a picture, and so do the layers kept together (a Photoshop composite is no layer).
    ImageLibrary::FileInformation information;
    QString message;
    if (ImageLibrary::fileInformation(path, params.formatIndex, &information, &message) != ImageLibrary::NoError) {
        // A Photoshop file whose layers the library cannot decode shows its merged picture.
        QImage merged;
        if ((format.isEmpty() || format == "psd")
            && PhotoshopMergedPicture::readInstead(path, &merged, &message, beforeDecode) && !merged.isNull()) {
            layers.append(Layer(merged.rect(), merged));
            return layers;
        }
        fail(message);
        return layers;
    }
    // A picture whose header the program read is claimed before its reader opens the file, which
    // for a JPEG of several scans decodes them all.
    if (information.fromHeader && beforeDecode)
        beforeDecode(qint64(information.width) * information.height);
    // A layered Photoshop file's composite is kept aside until a layer has been read, so
    // that a file whose layers are all unreadable still shows its picture. A composite that
    // cannot be read fails the whole file: its layers alone would open silently half-broken.
    const bool photoshop = information.formatName == "psd";
    // With a Photoshop file, the composite's header and the first layer's (if any) tell
    // whether it is layered.
    const int headers = wanted > 0 ? std::min(wanted, 65536) + (photoshop ? 1 : 0) : -1;
    int count = 0;
    int last = -1;
    qint64 pixels = 0;
    qint64 composite0 = 0;
    for (int index = 0; headers < 0 || index < headers; ++index) {
        ImageLibrary::FileInformation header;
        params.imageWanted = index;
        const ImageLibrary::Error error = ImageLibrary::loadBitmap(path, nullptr, params, &header);
        if (error == ImageLibrary::BadImageIndex)
            break;
        last = index;
        ++count;
        if (error != ImageLibrary::NoError)
            break; // its read below fails and says why
        const qint64 own = qint64(header.width) * header.height;
        if (own > ImageLibrary::maxPixels) {
            // Refused with its size, before any image is decoded.
            ImageLibrary::Bitmap* bitmap = nullptr;
            ImageLibrary::loadBitmap(path, &bitmap, params, nullptr, &message);
            ImageLibrary::freeBitmap(bitmap);
            fail(message);
            return layers;
        }
        if (index == 0)
            composite0 = own;
        if (!(photoshop && index == 0))
            pixels += own;
        if (pixels > ImageLibrary::maxPixels) {
            fail(QStringLiteral("Image too large: its images hold more than %1 million pixels together")
                     .arg(ImageLibrary::maxPixels / 1000000));
            return layers;
        }
    }
    const bool layered = photoshop && count > 1;
    if (beforeDecode)
        beforeDecode(photoshop ? pixels + composite0 : pixels);

    QList<Layer> composite;
    for (int index = 0; index <= last; ++index) {
        params.imageWanted = index;
        ImageLibrary::Bitmap* bitmap = nullptr;
        ImageLibrary::loadBitmap(path, &bitmap, params, &information, &message);
        if (!bitmap) {
            if (layers.isEmpty() && composite.isEmpty())
                fail(message);
            break;
        }
        const QRect rect(bitmap->xOffset, bitmap->yOffset, bitmap->width, bitmap->height);
        const QImage image = BitmapImage::adopt(bitmap);
        if (image.isNull()) {
            if (layers.isEmpty() && composite.isEmpty())
                fail(ImageLibrary::errorText(ImageLibrary::NoMemory));
            break;
        }
        if (index == 0 && layered)
            composite.append(Layer(rect, image));
        else
            layers.append(Layer(rect, image));
    }
    return layers.isEmpty() ? composite : layers;
}

bool PictureLayers::opens(const QString& path, QByteArray* format)
{
    ImageLibrary::FileInformation information;
    if (ImageLibrary::fileInformation(path, -1, &information, nullptr) == ImageLibrary::NoError) {
        *format = information.formatName;
        return true;
    }
    // As read does where the library cannot decode a Photoshop file's layers.
    if (!PhotoshopMergedPicture::readableInstead(path))
        return false;
    *format = "psd";
    return true;
}
