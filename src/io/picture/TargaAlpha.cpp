#include "io/picture/TargaAlpha.h"

#include "io/picture/HeaderRefusal.h"

namespace {

constexpr int alphaHeaderBytes = 18;

} // namespace

bool TargaAlpha::isUnnamed(QIODevice& file)
{
    const QByteArray head = HeaderRefusal::bytesAt(file, 0, alphaHeaderBytes);
    if (head.size() < alphaHeaderBytes)
        return false;
    const int imageType = uchar(head.at(2));
    const int depth = uchar(head.at(16));
    const int alphaBits = uchar(head.at(17)) & 0x0f;
    return (imageType & 7) == 2 && depth == 32 && alphaBits == 0;
}

void TargaAlpha::settle(ImageLibrary::Bitmap& bitmap)
{
    if ((bitmap.type != ImageLibrary::RGBA && bitmap.type != ImageLibrary::BGRA) || bitmap.bytesPerPixel != 4)
        return;
    for (int y = 0; y < bitmap.height; ++y) {
        const unsigned char* pixel = bitmap.data + qint64(y) * bitmap.bytesPerLine;
        for (int x = 0; x < bitmap.width; ++x, pixel += 4) {
            if (pixel[3] != 0)
                return;
        }
    }
    for (int y = 0; y < bitmap.height; ++y) {
        unsigned char* pixel = bitmap.data + qint64(y) * bitmap.bytesPerLine;
        for (int x = 0; x < bitmap.width; ++x, pixel += 4)
            pixel[3] = 255;
    }
}
