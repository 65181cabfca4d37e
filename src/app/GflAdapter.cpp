#include "app/GflAdapter.h"

#include "app/ImageLibraryFilters.h"
#include "io/picture/BitmapImage.h"
#include "io/picture/PictureReader.h"
#include "app/UserFileWriter.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QSysInfo>

#include <algorithm>

namespace {

int s_instanceCount = 0;

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
    QString reason;
    // A picked picture: the window waits for it as for a render.
    const PictureReader::WindowWait wait;
    const QList<Layer> layers = PictureReader::readLayers(path, format, wanted, &reason);
    if (layers.isEmpty())
        setError(path, reason, true);
    return layers;
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
    return BitmapImage::toImage(bitmap);
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
    int dpi = 72;
    if (!PictureReader::readInformation(path, nullptr, &dpi, nullptr))
        return 72;
    return dpi;
}

QSize GflAdapter::checkSize(const QString& path)
{
    QSize size;
    if (!PictureReader::readInformation(path, &size, nullptr, nullptr))
        return QSize(-1, -1);
    return size;
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
    return BitmapImage::fromBinaryPixel(byte, bit);
}

QRgb GflAdapter::fromColorPixel(unsigned char index, const ImageLibrary::ColorMap& colorMap)
{
    return BitmapImage::fromColorPixel(index, colorMap);
}

QRgb GflAdapter::fromGrayPixel(const unsigned char* pixel)
{
    return BitmapImage::fromGrayPixel(pixel);
}

QRgb GflAdapter::fromRGBPixel(const unsigned char* pixel)
{
    return BitmapImage::fromRGBPixel(pixel);
}

QRgb GflAdapter::fromRGBAPixel(const unsigned char* pixel)
{
    return BitmapImage::fromRGBAPixel(pixel);
}

QRgb GflAdapter::fromBGRPixel(const unsigned char* pixel)
{
    return BitmapImage::fromBGRPixel(pixel);
}

QRgb GflAdapter::fromABGRPixel(const unsigned char* pixel)
{
    return BitmapImage::fromABGRPixel(pixel);
}

QRgb GflAdapter::fromBGRAPixel(const unsigned char* pixel)
{
    return BitmapImage::fromBGRAPixel(pixel);
}

QRgb GflAdapter::fromARGBPixel(const unsigned char* pixel)
{
    return BitmapImage::fromARGBPixel(pixel);
}

QRgb GflAdapter::fromCMYKPixel(const unsigned char* pixel)
{
    return BitmapImage::fromCMYKPixel(pixel);
}
