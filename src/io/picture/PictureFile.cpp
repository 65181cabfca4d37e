#include "io/picture/PictureFile.h"

#include "io/picture/ImageLibrary.h"

#include "io/picture/RasterPictureReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace {

void setFileReason(QString* reason, QString const& text)
{
    if (reason)
        *reason = text;
}

// Sets up `reader` on the checked file; false with *reason when the file is refused or holds
// no raster picture within the cap.
bool openReader(QString const& path, QFile* file, std::optional<RasterPictureReader>* reader, QString* reason)
{
    if (!RasterPictureReader::openFile(path, file, reason))
        return false;
    reader->emplace(file, QFileInfo(path).suffix());
    if (!(*reader)->isValid()) {
        setFileReason(reason, (*reader)->errorString());
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
    std::optional<RasterPictureReader> reader;
    return openReader(path, &file, &reader, nullptr);
}

QImage PictureFile::read(QString const& path, QSize fitInto, QSize* fullSize, QString* reason,
                         std::function<void(qint64 pixels)> const& beforeDecode)
{
    if (fullSize)
        *fullSize = QSize();
    QFile file;
    std::optional<RasterPictureReader> reader;
    if (!openReader(path, &file, &reader, reason))
        return QImage();
    const QSize size = reader->size();
    if (fitInto.isValid() && reader->supportsScaledSize()) {
        const QSize scaled = size.scaled(fitInto, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        if (scaled.width() < size.width() && scaled.height() < size.height())
            reader->setScaledSize(scaled);
    }
    if (beforeDecode)
        beforeDecode(qint64(size.width()) * size.height());
    const QImage image = reader->read();
    if (image.isNull()) {
        setFileReason(reason, reader->errorString());
        return image;
    }
    if (fullSize)
        *fullSize = size;
    return image;
}

QString PictureFile::notOpenedMessage(QString const& path, QString const& reason)
{
    const QString text = QCoreApplication::translate("PictureFile", "The image \"%1\" could not be opened.")
                             .arg(QDir::toNativeSeparators(path));
    return reason.isEmpty() ? text : text + QStringLiteral("\n\n") + reason;
}
