#include "io/picture/LibraryPictureFile.h"

#include "io/picture/BitmapImage.h"
#include "io/picture/ImageLibrary.h"
#include "io/picture/ImageSignatures.h"
#include "io/picture/PhotoshopMergedPicture.h"
#include "io/picture/TiffFileCheck.h"

#include "io/RegularFileReader.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

namespace {

bool pathNamesTarga(QString const& path)
{
    const QString suffix = QFileInfo(path).suffix();
    return suffix.compare(QLatin1String("tga"), Qt::CaseInsensitive) == 0
           || suffix.compare(QLatin1String("tpic"), Qt::CaseInsensitive) == 0;
}

bool beginsAsPhotoshop(QString const& path)
{
    QFile file;
    return KelUtils::RegularFileReader::open(path, -1, &file, nullptr) && file.read(4) == "8BPS";
}

// Qt's reader takes the first plane of 16-bit or floating-point samples stored a plane each for
// the whole picture (see RasterPictureReader).
bool isTiffOfPlanesApart(QString const& path)
{
    QFile file;
    if (!KelUtils::RegularFileReader::open(path, -1, &file, nullptr))
        return false;
    return ImageSignatures::matches("tiff", file.peek(ImageSignatures::headBytes)) && TiffFileCheck::planesApart(file);
}

void setLibraryReason(QString* reason, QString const& text)
{
    if (reason)
        *reason = text;
}

} // namespace

QImage LibraryPictureFile::read(QString const& path, QSize* fullSize, QString* reason,
                                std::function<void(qint64 pixels)> const& beforeDecode)
{
    if (fullSize)
        *fullSize = QSize();
    const bool planesApart = isTiffOfPlanesApart(path);
    if (!pathNamesTarga(path) && !beginsAsPhotoshop(path) && !planesApart) {
        setLibraryReason(reason, QStringLiteral("Not a Photoshop or Targa picture"));
        return QImage();
    }
    ImageLibrary::initialise();
    const auto started = qScopeGuard([] { ImageLibrary::exit(); });
    ImageLibrary::LoadParams params = ImageLibrary::defaultLoadParams();
    params.layout = ImageLibrary::BGRA;
    ImageLibrary::FileInformation information;
    if (ImageLibrary::fileInformation(path, -1, &information, reason) != ImageLibrary::NoError) {
        // A Photoshop file whose layers the library cannot decode shows its merged picture.
        QImage merged;
        if (PhotoshopMergedPicture::readInstead(path, &merged, reason, beforeDecode) && !merged.isNull() && fullSize)
            *fullSize = merged.size();
        return merged;
    }
    // Another kind under a Targa name is left to the readers of its own kind.
    if (information.formatName != "psd" && information.formatName != "targa"
        && !(planesApart && information.formatName == "tiff")) {
        setLibraryReason(reason, QStringLiteral("Not a Photoshop or Targa picture"));
        return QImage();
    }
    if (beforeDecode)
        beforeDecode(qint64(information.width) * information.height);
    ImageLibrary::Bitmap* bitmap = nullptr;
    if (ImageLibrary::loadBitmap(path, &bitmap, params, &information, reason) != ImageLibrary::NoError || !bitmap)
        return QImage();
    const QImage image = BitmapImage::adopt(bitmap);
    if (image.isNull()) {
        setLibraryReason(reason, ImageLibrary::errorText(ImageLibrary::NoMemory));
        return image;
    }
    if (fullSize)
        *fullSize = image.size();
    return image;
}
