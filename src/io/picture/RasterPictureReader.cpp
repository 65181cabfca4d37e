#include "io/picture/RasterPictureReader.h"

#include "io/picture/BitmapOrientation.h"
#include "io/picture/ExifOrientation.h"
#include "io/picture/ImageSignatures.h"
#include "io/picture/PatchedDevice.h"
#include "io/picture/PictureFormatTable.h"
#include "io/picture/ReaderRefusal.h"
#include "io/picture/TiffFileCheck.h"
#include "io/RegularFileReader.h"

#include <QFile>
#include <QIODevice>
#include <QTransform>

namespace {

RasterPictureReader::ImageMemory s_imageMemory = nullptr;

// The raster formats whose Qt readers read only the picture's own bytes: the image library's
// name of each (its signatures and its header check) and Qt's.
struct RasterFormat {
    const char* signatureName;
    const char* qtFormat;
};

constexpr RasterFormat rasterFormats[] = {
    {"png", "png"}, {"jpeg", "jpeg"}, {"gif", "gif"}, {"bmp", "bmp"},
    {"pnm", "ppm"}, {"tiff", "tiff"}, {"webp", "webp"}, {"targa", "tga"},
};

// Whether the file passes the header check of the format Qt reads it as; else *reason says why.
bool passesCheck(QIODevice& device, QByteArray const& qtFormat, QString* reason)
{
    for (RasterFormat const& format : rasterFormats) {
        if (qtFormat != format.qtFormat)
            continue;
        const PictureFormatTable::Format* offered = PictureFormatTable::find(format.signatureName);
        return offered && offered->check(device, reason);
    }
    return false;
}

// Why Qt's reader of the picture refused it, in the user's words; its own go to the log.
QString refusal(QImageReader const& reader, ReaderRefusal::Stage stage)
{
    QByteArray format;
    for (RasterFormat const& raster : rasterFormats) {
        if (reader.format() == raster.qtFormat)
            format = raster.signatureName;
    }
    return ReaderRefusal::reason(format, stage, QString(), reader.errorString());
}

// The suffixes of Targa files, which begin with no signature.
bool namesTarga(QString const& suffix)
{
    return suffix.compare(QLatin1String("tga"), Qt::CaseInsensitive) == 0
           || suffix.compare(QLatin1String("tpic"), Qt::CaseInsensitive) == 0;
}

// The picture stored with EXIF's `orientation` set upright, as Qt's readers set a JPEG upright:
// mirrored first, then turned a quarter clockwise where the orientation says.
QImage uprightImage(QImage image, int orientation)
{
    const bool mirror = orientation == 2 || orientation == 3 || orientation == 7;
    const bool flip = orientation == 3 || orientation == 4 || orientation == 5;
    if (orientation == 8)
        return image.transformed(QTransform().rotate(270));
    image = std::move(image).mirrored(mirror, flip);
    return orientation >= 5 ? image.transformed(QTransform().rotate(90)) : image;
}

} // namespace

QByteArray RasterPictureReader::formatOf(QByteArray const& head, QString const& suffix)
{
    for (RasterFormat const& format : rasterFormats) {
        if (ImageSignatures::matches(format.signatureName, head))
            return format.qtFormat;
    }
    return namesTarga(suffix) ? QByteArrayLiteral("tga") : QByteArray();
}

bool RasterPictureReader::openFile(QString const& path, QFile* file, QString* reason)
{
    return KelUtils::RegularFileReader::open(path, -1, file, reason);
}

RasterPictureReader::RasterPictureReader(QIODevice* device, QString const& suffix, qint64 pixelCap)
{
    if (!device || !device->isReadable()) {
        m_error = QStringLiteral("The picture cannot be read");
        return;
    }
    const QByteArray format = formatOf(device->peek(ImageSignatures::headBytes), suffix);
    if (format.isEmpty()) {
        m_error = QStringLiteral("Not a picture of a readable format");
        return;
    }
    // Qt's readers read more than their headers to give a picture's size (a PNG's compressed text
    // is inflated whole): the program's own check of the format comes first, as it does before
    // the image library's readers.
    if (device->isSequential() || !passesCheck(*device, format, &m_error)) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("The picture cannot be read");
        return;
    }
    // Qt's PNG and WebP readers follow no orientation: the file's own is read here.
    const int fileOrientation = ExifOrientation::of(format, *device);
    const bool tiffPlanesApart = format == "tiff" && TiffFileCheck::planesApart(*device);
    // Set before the reader looks at the device: it never falls back on a guess of its own.
    m_reader.setAutoDetectImageFormat(false);
    m_reader.setDecideFormatFromContent(false);
    m_reader.setFormat(format);
    if (ReaderFilePatch patch = ReaderFilePatch::of(*device); !patch.isEmpty()) {
        m_patched = std::make_unique<PatchedDevice>(*device, std::move(patch));
        m_reader.setDevice(m_patched.get());
    } else if (device->seek(0)) {
        m_reader.setDevice(device);
    }
    // A photo comes upright, as its orientation tag says and as every viewer shows it.
    m_reader.setAutoTransform(true);
    m_size = m_reader.size();
    if (!m_size.isValid() || m_size.isEmpty()) {
        m_error = refusal(m_reader, ReaderRefusal::Stage::Header);
        return;
    }
    // Unless a reader of a later Qt follows it itself.
    if (m_reader.transformation() == QImageIOHandler::TransformationNone)
        m_orientation = fileOrientation;
    // The reader's sizes are those of the picture as stored.
    m_turned = m_reader.transformation().testFlag(QImageIOHandler::TransformationRotate90)
               || BitmapOrientation::swapsSides(m_orientation);
    if (m_turned)
        m_size.transpose();
    // Qt's TIFF reader decodes 16-bit and floating-point samples itself, and then from the first
    // plane alone: planes stored apart would come as a picture of false colours.
    const QImage::Format decoded = m_reader.imageFormat();
    if (tiffPlanesApart && decoded != QImage::Format_RGB32 && decoded != QImage::Format_ARGB32
        && decoded != QImage::Format_ARGB32_Premultiplied) {
        m_error = QStringLiteral("Unsupported TIFF file: the toolkit's reader cannot read samples of more than 8 bits "
                                 "stored a plane each");
        return;
    }
    if (qint64(m_size.width()) * m_size.height() > pixelCap) {
        m_error = QStringLiteral("Image too large: %1 x %2 pixels (at most %3 million)")
                      .arg(m_size.width())
                      .arg(m_size.height())
                      .arg(pixelCap / 1000000);
        return;
    }
    m_valid = m_reader.canRead();
    if (!m_valid)
        m_error = refusal(m_reader, ReaderRefusal::Stage::Header);
}

bool RasterPictureReader::supportsScaledSize() const
{
    return m_valid && m_reader.supportsOption(QImageIOHandler::ScaledSize);
}

void RasterPictureReader::setScaledSize(QSize const& scaled)
{
    m_reader.setScaledSize(m_turned ? scaled.transposed() : scaled);
    m_scaled = true;
}

void RasterPictureReader::setImageMemory(ImageMemory memory)
{
    s_imageMemory = memory;
}

QImage RasterPictureReader::preparedImage()
{
    // Qt's readers decode into the image they are given when it has the picture's stored size
    // and the format they decode into; any other they replace.
    if (!s_imageMemory || m_scaled)
        return QImage();
    const QImage::Format format = m_reader.imageFormat();
    return format == QImage::Format_Invalid ? QImage() : s_imageMemory(m_reader.size(), format);
}

QImage RasterPictureReader::read()
{
    if (!m_valid)
        return QImage();
    QImage image = preparedImage();
    if (!m_reader.read(&image))
        image = QImage();
    if (image.isNull())
        m_error = refusal(m_reader, ReaderRefusal::Stage::Pixels);
    else if (m_orientation != 1)
        image = uprightImage(std::move(image), m_orientation);
    return image;
}
