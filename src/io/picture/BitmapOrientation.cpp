#include "io/picture/BitmapOrientation.h"

#include <algorithm>
#include <cstring>

namespace {

// Where a stored pixel comes on the upright picture; `width` and `height` are the stored sides.
QPoint uprightPixel(int x, int y, int width, int height, int orientation)
{
    switch (orientation) {
    case 2: return {width - 1 - x, y};
    case 3: return {width - 1 - x, height - 1 - y};
    case 4: return {x, height - 1 - y};
    case 5: return {y, x};
    case 6: return {height - 1 - y, x};
    case 7: return {height - 1 - y, width - 1 - x};
    case 8: return {y, width - 1 - x};
    default: return {x, y};
    }
}

// Square blocks of the upright picture are filled one at a time: a turned picture is read down
// its columns, which within a block stay in the cache.
constexpr int blockSide = 64;

// Fills `out` pixel by pixel from the stored picture: the upright pixel (x, y) is the stored one
// at origin + x * stepX + y * stepY bytes.
template<int bytes>
void copyTurned(unsigned char const* origin, qint64 stepX, qint64 stepY, ImageLibrary::Bitmap& out)
{
    // Upright or mirrored top to bottom: each row is a stored row.
    if (stepX == bytes) {
        for (int y = 0; y < out.height; ++y)
            std::memcpy(out.data + qint64(y) * out.bytesPerLine, origin + qint64(y) * stepY, size_t(out.width) * bytes);
        return;
    }
    // Mirrored left to right: each row is a stored row backwards.
    if (stepX == -bytes) {
        for (int y = 0; y < out.height; ++y) {
            unsigned char* to = out.data + qint64(y) * out.bytesPerLine;
            unsigned char const* from = origin + qint64(y) * stepY;
            for (int x = 0; x < out.width; ++x, to += bytes, from -= bytes)
                std::memcpy(to, from, bytes);
        }
        return;
    }
    for (int top = 0; top < out.height; top += blockSide) {
        const int bottom = std::min(out.height, top + blockSide);
        for (int left = 0; left < out.width; left += blockSide) {
            const int right = std::min(out.width, left + blockSide);
            for (int y = top; y < bottom; ++y) {
                unsigned char* to = out.data + qint64(y) * out.bytesPerLine + qint64(left) * bytes;
                unsigned char const* from = origin + qint64(left) * stepX + qint64(y) * stepY;
                for (int x = left; x < right; ++x, to += bytes, from += stepX)
                    std::memcpy(to, from, bytes);
            }
        }
    }
}

} // namespace

int BitmapOrientation::of(int tag)
{
    return tag >= 1 && tag <= 8 ? tag : 1;
}

bool BitmapOrientation::swapsSides(int orientation)
{
    return of(orientation) >= 5;
}

QSize BitmapOrientation::upright(QSize stored, int orientation)
{
    return swapsSides(orientation) ? stored.transposed() : stored;
}

QRect BitmapOrientation::upright(QRect const& stored, QSize canvas, int orientation)
{
    if (stored.isEmpty())
        return stored;
    const int o = of(orientation);
    const QPoint first = uprightPixel(stored.left(), stored.top(), canvas.width(), canvas.height(), o);
    const QPoint last = uprightPixel(stored.right(), stored.bottom(), canvas.width(), canvas.height(), o);
    return QRect(QPoint(std::min(first.x(), last.x()), std::min(first.y(), last.y())),
                 QPoint(std::max(first.x(), last.x()), std::max(first.y(), last.y())));
}

ImageLibrary::Bitmap* BitmapOrientation::upright(ImageLibrary::Bitmap const& stored, int orientation)
{
    const int o = of(orientation);
    const int bytes = stored.bytesPerPixel;
    const bool turns = bytes == 1 || bytes == 3 || bytes == 4;
    const QSize size = turns ? upright(QSize(stored.width, stored.height), o) : QSize(stored.width, stored.height);
    ImageLibrary::Bitmap* out = ImageLibrary::allocBitmap(stored.type, size.width(), size.height(), 4);
    if (!out)
        return nullptr;
    if (stored.colorMap && out->colorMap)
        *out->colorMap = *stored.colorMap;
    if (!turns) {
        for (int y = 0; y < stored.height; ++y)
            std::memcpy(out->data + qint64(y) * out->bytesPerLine, stored.data + qint64(y) * stored.bytesPerLine,
                        size_t(std::min(stored.bytesPerLine, out->bytesPerLine)));
        return out;
    }
    // The stored pixel the upright picture starts from, and the steps to its right and down.
    const qint64 pixel = bytes;
    const qint64 line = stored.bytesPerLine;
    const qint64 lastX = qint64(stored.width - 1) * pixel;
    const qint64 lastY = qint64(stored.height - 1) * line;
    qint64 start = 0;
    qint64 stepX = pixel;
    qint64 stepY = line;
    switch (o) {
    case 2: start = lastX; stepX = -pixel; stepY = line; break;
    case 3: start = lastX + lastY; stepX = -pixel; stepY = -line; break;
    case 4: start = lastY; stepX = pixel; stepY = -line; break;
    case 5: start = 0; stepX = line; stepY = pixel; break;
    case 6: start = lastY; stepX = -line; stepY = pixel; break;
    case 7: start = lastX + lastY; stepX = -line; stepY = -pixel; break;
    case 8: start = lastX; stepX = line; stepY = -pixel; break;
    default: break;
    }
    unsigned char const* origin = stored.data + start;
    switch (bytes) {
    case 1: copyTurned<1>(origin, stepX, stepY, *out); break;
    case 3: copyTurned<3>(origin, stepX, stepY, *out); break;
    default: copyTurned<4>(origin, stepX, stepY, *out); break;
    }
    return out;
}
