#include "io/picture/BitmapImage.h"

#include <QSysInfo>

#include <algorithm>

namespace {

void freeBitmapOfImage(void* bitmap)
{
    ImageLibrary::freeBitmap(static_cast<ImageLibrary::Bitmap*>(bitmap));
}

} // namespace

QImage BitmapImage::toImage(const ImageLibrary::Bitmap& bitmap)
{
    if (bitmap.width <= 0 || bitmap.height <= 0 || !bitmap.data)
        return QImage();
    QImage image(bitmap.width, bitmap.height, QImage::Format_ARGB32);
    if (image.isNull())
        return image;
    image.fill(0);

    const int type = bitmap.type;
    const int needed = ImageLibrary::bytesPerPixelOf(type);
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

QImage BitmapImage::adopt(ImageLibrary::Bitmap* bitmap)
{
    if (!bitmap)
        return QImage();
    if (bitmap->type == ImageLibrary::BGRA && QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        QImage image(bitmap->data, bitmap->width, bitmap->height, bitmap->bytesPerLine,
                     QImage::Format_ARGB32, &freeBitmapOfImage, bitmap);
        if (!image.isNull())
            return image;
    }
    QImage image = toImage(*bitmap);
    ImageLibrary::freeBitmap(bitmap);
    return image;
}

QRgb BitmapImage::fromBinaryPixel(unsigned char byte, int bit)
{
    return ((byte >> (bit & 7)) & 1) ? 0xFFFFFFFFu : 0xFF000000u;
}

QRgb BitmapImage::fromGrayPixel(const unsigned char* pixel)
{
    return qRgba(pixel[0], pixel[0], pixel[0], 255);
}

QRgb BitmapImage::fromColorPixel(unsigned char index, const ImageLibrary::ColorMap& colorMap)
{
    return qRgba(colorMap.red[index], colorMap.green[index], colorMap.blue[index], 255);
}

QRgb BitmapImage::fromRGBPixel(const unsigned char* pixel)
{
    return qRgba(pixel[0], pixel[1], pixel[2], 255);
}

QRgb BitmapImage::fromRGBAPixel(const unsigned char* pixel)
{
    return qRgba(pixel[0], pixel[1], pixel[2], pixel[3]);
}

QRgb BitmapImage::fromBGRPixel(const unsigned char* pixel)
{
    return qRgba(pixel[2], pixel[1], pixel[0], 255);
}

QRgb BitmapImage::fromABGRPixel(const unsigned char* pixel)
{
    return qRgba(pixel[3], pixel[2], pixel[1], pixel[0]);
}

QRgb BitmapImage::fromBGRAPixel(const unsigned char* pixel)
{
    return qRgba(pixel[2], pixel[1], pixel[0], pixel[3]);
}

QRgb BitmapImage::fromARGBPixel(const unsigned char* pixel)
{
    return qRgba(pixel[1], pixel[2], pixel[3], pixel[0]);
}

QRgb BitmapImage::fromCMYKPixel(const unsigned char* pixel)
{
    const int k = pixel[3];
    return qRgba(255 - std::min(255, pixel[0] + k), 255 - std::min(255, pixel[1] + k),
                 255 - std::min(255, pixel[2] + k), 255);
}
