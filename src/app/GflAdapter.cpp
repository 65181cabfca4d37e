#include "app/GflAdapter.h"

#include "app/ImageLibraryFilters.h"
#include "app/UserFileWriter.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QSysInfo>

#include <algorithm>

namespace {

int s_instanceCount = 0;

// Bytes a layout reads from one pixel; 0 for layouts the converter does not know.
int layoutBytes(int type)
{
    return ImageLibrary::bytesPerPixelOf(type);
}

void freeBitmapOfImage(void* bitmap)
{
    ImageLibrary::freeBitmap(static_cast<ImageLibrary::Bitmap*>(bitmap));
}

// A BGRA bitmap already is an ARGB32 image: the image takes it over instead of copying it, so
// that a large picture is held once. Takes the bitmap in every case.
QImage wrapOrConvert(ImageLibrary::Bitmap* bitmap)
{
    if (bitmap->type == ImageLibrary::BGRA && QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        QImage image(bitmap->data, bitmap->width, bitmap->height, bitmap->bytesPerLine,
                     QImage::Format_ARGB32, &freeBitmapOfImage, bitmap);
        if (!image.isNull())
            return image;
    }
    QImage image = GflAdapter::bitmapToImage(*bitmap);
    ImageLibrary::freeBitmap(bitmap);
    return image;
}

} // namespace

GflAdapter::GflAdapter(QObject* parent)
    : QObject(parent)
{
    if (s_instanceCount == 0)
        ImageLibrary::initialise();
    ++s_instanceCount;
}

GflAdapter::~GflAdapter()
{
    if (--s_instanceCount == 0)
        ImageLibrary::exit();
}

int GflAdapter::instanceCount()
{
    return s_instanceCount;
}

void GflAdapter::setError(QString const& path, QString const& reason, bool reading)
{
    m_errorReason = reason;
    m_errorString = (reading ? QStringLiteral("Cannot read image \"%1\": %2")
                             : QStringLiteral("Cannot write image \"%1\": %2"))
                        .arg(path, reason);
}

QList<QPair<QRect, QImage>> GflAdapter::readImage(const QString& path, const QByteArray& format, int wanted)
{
    m_errorString.clear();
    m_errorReason.clear();
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
        setError(path, message, true);
        return layers;
    }
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
            setError(path, message, true);
            return layers;
        }
        if (!(photoshop && index == 0))
            pixels += own;
        if (pixels > ImageLibrary::maxPixels) {
            setError(path,
                     QStringLiteral("Image too large: its images hold more than %1 million pixels together")
                         .arg(ImageLibrary::maxPixels / 1000000),
                     true);
            return layers;
        }
    }
    const bool layered = photoshop && count > 1;

    QList<Layer> composite;
    for (int index = 0; index <= last; ++index) {
        params.imageWanted = index;
        ImageLibrary::Bitmap* bitmap = nullptr;
        ImageLibrary::loadBitmap(path, &bitmap, params, &information, &message);
        if (!bitmap) {
            if (layers.isEmpty() && composite.isEmpty())
                setError(path, message, true);
            break;
        }
        const QRect rect(bitmap->xOffset, bitmap->yOffset, bitmap->width, bitmap->height);
        const QImage image = wrapOrConvert(bitmap);
        if (image.isNull()) {
            if (layers.isEmpty() && composite.isEmpty())
                setError(path, ImageLibrary::errorText(ImageLibrary::NoMemory), true);
            break;
        }
        if (index == 0 && layered)
            composite.append(Layer(rect, image));
        else
            layers.append(Layer(rect, image));
    }
    return layers.isEmpty() ? composite : layers;
}

QList<GflAdapter::Format> GflAdapter::supportedFormats() const
{
    auto entry = [](int index) {
        Format format;
        format.name = QString::fromLatin1(ImageLibrary::formatName(index));
        format.defaultSuffix = QString::fromLatin1(ImageLibrary::formatDefaultSuffix(index));
        for (const QByteArray& suffix : ImageLibrary::formatSuffixes(index))
            format.suffixes.append(QString::fromLatin1(suffix));
        format.description = QString::fromLatin1(ImageLibrary::formatDescription(index));
        format.writable = ImageLibrary::formatIsWritable(index);
        return format;
    };
    static const QByteArray preferred[] = {"jpeg", "tiff", "gif", "bmp"};
    auto isPreferred = [](const QByteArray& name) {
        return std::find(std::begin(preferred), std::end(preferred), name) != std::end(preferred);
    };

    QList<Format> formats;
    const int count = ImageLibrary::numberOfFormats();
    const int png = ImageLibrary::formatIndexByName("png");
    if (png >= 0 && ImageLibrary::formatName(png) == "png")
        formats.append(entry(png));
    for (int i = 0; i < count; ++i) {
        if (isPreferred(ImageLibrary::formatName(i)))
            formats.append(entry(i));
    }
    for (int i = 0; i < count; ++i) {
        const QByteArray name = ImageLibrary::formatName(i);
        if (name != "png" && !isPreferred(name))
            formats.append(entry(i));
    }
    return formats;
}

QStringList GflAdapter::supportedFormatsSuffixes() const
{
    QStringList suffixes;
    for (const Format& format : supportedFormats())
        suffixes.append(format.defaultSuffix);
    return suffixes;
}

QImage GflAdapter::bitmapToImage(const ImageLibrary::Bitmap& bitmap)
{
    if (bitmap.width <= 0 || bitmap.height <= 0 || !bitmap.data)
        return QImage();
    QImage image(bitmap.width, bitmap.height, QImage::Format_ARGB32);
    if (image.isNull())
        return image;
    image.fill(0);

    const int type = bitmap.type;
    const int needed = layoutBytes(type);
    const bool binary = type == ImageLibrary::Binary && bitmap.bytesPerLine * 8 >= bitmap.width;
    const bool laidOut = needed > 0 && bitmap.bytesPerPixel >= needed
                         && qint64(bitmap.bytesPerLine) >= qint64(bitmap.width - 1) * bitmap.bytesPerPixel + needed
                         && (type != ImageLibrary::Colors || bitmap.colorMap);
    if (!binary && !laidOut)
        return image; // unknown or inconsistent layout: transparent black

    for (int y = 0; y < bitmap.height; ++y) {
        const unsigned char* row = bitmap.data + static_cast<size_t>(y) * bitmap.bytesPerLine;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < bitmap.width; ++x) {
            if (binary) {
                out[x] = fromBinaryPixel(row[x / 8], 7 - x % 8);
                continue;
            }
            const unsigned char* pixel = row + static_cast<size_t>(x) * bitmap.bytesPerPixel;
            switch (type) {
            case ImageLibrary::Grey: out[x] = fromGrayPixel(pixel); break;
            case ImageLibrary::Colors: out[x] = fromColorPixel(pixel[0], *bitmap.colorMap); break;
            case ImageLibrary::RGB: out[x] = fromRGBPixel(pixel); break;
            case ImageLibrary::RGBA: out[x] = fromRGBAPixel(pixel); break;
            case ImageLibrary::BGR: out[x] = fromBGRPixel(pixel); break;
            case ImageLibrary::ABGR: out[x] = fromABGRPixel(pixel); break;
            case ImageLibrary::BGRA: out[x] = fromBGRAPixel(pixel); break;
            case ImageLibrary::ARGB: out[x] = fromARGBPixel(pixel); break;
            case ImageLibrary::CMYK: out[x] = fromCMYKPixel(pixel); break;
            default: break;
            }
        }
    }
    return image;
}

ImageLibrary::Bitmap* GflAdapter::imageToBitmap(const QImage& image)
{
    if (image.isNull())
        return nullptr;
    ImageLibrary::Bitmap* bitmap = ImageLibrary::allocBitmap(ImageLibrary::ARGB, image.width(), image.height(), 4);
    if (!bitmap)
        return nullptr;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    unsigned char* out = bitmap->data;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            *out++ = static_cast<unsigned char>(qAlpha(in[x]));
            *out++ = static_cast<unsigned char>(qRed(in[x]));
            *out++ = static_cast<unsigned char>(qGreen(in[x]));
            *out++ = static_cast<unsigned char>(qBlue(in[x]));
        }
    }
    return bitmap;
}

bool GflAdapter::writeImage(const QImage& image, const QString& path, QString format)
{
    m_errorString.clear();
    m_errorReason.clear();
    if (image.isNull() || path.isEmpty())
        return false;
    if (format.isEmpty())
        format = QFileInfo(path).suffix().toLower();
    const QByteArray name = format.toLatin1();
    if (name.isEmpty() || !QImageWriter::supportedImageFormats().contains(name))
        return false;
    QString reason;
    if (UserFileWriter::writeImage(path, image, name, -1, &reason))
        return true;
    setError(path, reason, false);
    return false;
}

int GflAdapter::dpi(const QString& path) const
{
    ImageLibrary::FileInformation information;
    if (ImageLibrary::fileInformation(path, -1, &information) != ImageLibrary::NoError)
        return 72;
    return (information.xDpi + information.yDpi) / 2;
}

QSize GflAdapter::checkSize(const QString& path)
{
    ImageLibrary::FileInformation information;
    if (ImageLibrary::fileInformation(path, -1, &information) != ImageLibrary::NoError)
        return QSize(-1, -1);
    return QSize(information.width, information.height);
}

QImage GflAdapter::fixPsdLayer(const QSize& size, const QImage& layer, const QPoint& position)
{
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull())
        return canvas;
    canvas.fill(0);
    if (!layer.isNull()) {
        QPainter painter(&canvas);
        painter.drawImage(position, layer);
    }
    return canvas;
}

template<typename Filter>
QImage GflAdapter::filtered(const QImage& image, Filter filter)
{
    ImageLibrary::Bitmap* bitmap = imageToBitmap(image);
    if (!bitmap)
        return QImage();
    filter(bitmap);
    QImage result = bitmapToImage(*bitmap);
    ImageLibrary::freeBitmap(bitmap);
    return result;
}

QImage GflAdapter::gaussianBlur(const QImage& image, int size)
{
    return filtered(image, [size](ImageLibrary::Bitmap* b) { ImageLibraryFilters::gaussianBlur(b, size); });
}

QImage GflAdapter::blur(const QImage& image, int percentage)
{
    return filtered(image, [percentage](ImageLibrary::Bitmap* b) { ImageLibraryFilters::blur(b, percentage); });
}

QImage GflAdapter::soften(const QImage& image, int percentage)
{
    return filtered(image, [percentage](ImageLibrary::Bitmap* b) { ImageLibraryFilters::soften(b, percentage); });
}

QImage GflAdapter::average(const QImage& image, int size)
{
    return filtered(image, [size](ImageLibrary::Bitmap* b) { ImageLibraryFilters::average(b, size); });
}

QImage GflAdapter::reduceNoise(const QImage& image)
{
    return filtered(image, ImageLibraryFilters::reduceNoise);
}

QImage GflAdapter::embosMore(const QImage& image)
{
    return filtered(image, ImageLibraryFilters::embossMore);
}

QImage GflAdapter::emboss(const QImage& image)
{
    return filtered(image, ImageLibraryFilters::emboss);
}

QImage GflAdapter::edgeDetectionHeavy(const QImage& image)
{
    return filtered(image, ImageLibraryFilters::edgeDetectHeavy);
}

QImage GflAdapter::edgeDetectionMediaum(const QImage& image)
{
    return filtered(image, ImageLibraryFilters::edgeDetectMedium);
}

QImage GflAdapter::edgeDetectionLight(const QImage& image)
{
    return filtered(image, ImageLibraryFilters::edgeDetectLight);
}

QImage GflAdapter::focusRestoration(const QImage& image)
{
    return filtered(image, ImageLibraryFilters::focusRestoration);
}

QImage GflAdapter::enchanceFocus(const QImage& image)
{
    return filtered(image, ImageLibraryFilters::enhanceFocus);
}

QImage GflAdapter::enchanceDetail(const QImage& image)
{
    return filtered(image, ImageLibraryFilters::enhanceDetail);
}

QImage GflAdapter::autoLevels(const QImage& image)
{
    return filtered(image, ImageLibraryFilters::automaticLevels);
}

QImage GflAdapter::equalize(const QImage& image)
{
    return filtered(image, ImageLibraryFilters::equalize);
}

QImage GflAdapter::normalize(const QImage& image)
{
    return filtered(image, ImageLibraryFilters::normalize);
}

QImage GflAdapter::logCorrection(const QImage& image)
{
    return filtered(image, ImageLibraryFilters::logCorrection);
}

QImage GflAdapter::autoContrast(const QImage& image)
{
    return filtered(image, ImageLibraryFilters::automaticContrast);
}

QRgb GflAdapter::fromBinaryPixel(unsigned char byte, int bit)
{
    return ((byte >> (bit & 7)) & 1) ? 0xFFFFFFFFu : 0xFF000000u;
}

QRgb GflAdapter::fromGrayPixel(const unsigned char* pixel)
{
    return qRgba(pixel[0], pixel[0], pixel[0], 255);
}

QRgb GflAdapter::fromColorPixel(unsigned char index, const ImageLibrary::ColorMap& colorMap)
{
    return qRgba(colorMap.red[index], colorMap.green[index], colorMap.blue[index], 255);
}

QRgb GflAdapter::fromRGBPixel(const unsigned char* pixel)
{
    return qRgba(pixel[0], pixel[1], pixel[2], 255);
}

QRgb GflAdapter::fromRGBAPixel(const unsigned char* pixel)
{
    return qRgba(pixel[0], pixel[1], pixel[2], pixel[3]);
}

QRgb GflAdapter::fromBGRPixel(const unsigned char* pixel)
{
    return qRgba(pixel[2], pixel[1], pixel[0], 255);
}

QRgb GflAdapter::fromABGRPixel(const unsigned char* pixel)
{
    return qRgba(pixel[3], pixel[2], pixel[1], pixel[0]);
}

QRgb GflAdapter::fromBGRAPixel(const unsigned char* pixel)
{
    return qRgba(pixel[2], pixel[1], pixel[0], pixel[3]);
}

QRgb GflAdapter::fromARGBPixel(const unsigned char* pixel)
{
    return qRgba(pixel[1], pixel[2], pixel[3], pixel[0]);
}

QRgb GflAdapter::fromCMYKPixel(const unsigned char* pixel)
{
    const int k = pixel[3];
    return qRgba(255 - std::min(255, pixel[0] + k), 255 - std::min(255, pixel[1] + k),
                 255 - std::min(255, pixel[2] + k), 255);
}
