#include "app/PictureFile.h"

#include "app/ImageLibrary.h"

#include "params/RegularFileReader.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace {

void setReason(QString* reason, QString const& text)
{
    if (reason)
        *reason = text;
}

// Sets up `reader` on the checked file, the path's suffix naming the format first as for a
// reader made on the path, and reads the picture's size; false with *reason when the file is
// refused or the size is unknown or above the cap.
bool openReader(QString const& path, QFile* file, QImageReader* reader, QSize* size, QString* reason)
{
    if (!KelUtils::RegularFileReader::open(path, -1, file, reason))
        return false;
    reader->setDevice(file);
    reader->setFormat(QFileInfo(path).suffix().toLower().toLatin1());
    *size = reader->size();
    if (!size->isValid() || size->isEmpty()) {
        setReason(reason, reader->errorString());
        return false;
    }
    if (qint64(size->width()) * size->height() > ImageLibrary::maxPixels) {
        setReason(reason, QStringLiteral("Image too large: %1 x %2 pixels (at most %3 million)")
                              .arg(size->width())
                              .arg(size->height())
                              .arg(ImageLibrary::maxPixels / 1000000));
        return false;
    }
    return true;
}

} // namespace

int PictureFile::readerAllocationLimit()
{
    return int(ImageLibrary::maxPixels * 8 >> 20);
}

bool PictureFile::isReadable(QString const& path)
{
    QFile file;
    QImageReader reader;
    QSize size;
    return openReader(path, &file, &reader, &size, nullptr) && reader.canRead();
}

QImage PictureFile::read(QString const& path, QSize fitInto, QSize* fullSize, QString* reason)
{
    if (fullSize)
        *fullSize = QSize();
    QFile file;
    QImageReader reader;
    QSize size;
    if (!openReader(path, &file, &reader, &size, reason))
        return QImage();
    if (fitInto.isValid() && reader.supportsOption(QImageIOHandler::ScaledSize)) {
        const QSize scaled = size.scaled(fitInto, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        if (scaled.width() < size.width() && scaled.height() < size.height())
            reader.setScaledSize(scaled);
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        setReason(reason, reader.errorString());
        return image;
    }
    if (fullSize)
        *fullSize = size;
    return image;
}
