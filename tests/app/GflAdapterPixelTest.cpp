#include "app/GflAdapter.h"
#include "app/ImageLibraryFilters.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// A hand-made bitmap over caller-owned bytes, lines padded beyond the pixels.
ImageLibrary::Bitmap bitmapOver(std::vector<unsigned char>& bytes, int type, int width, int height,
                                int bytesPerPixel, int bytesPerLine)
{
    bytes.resize(size_t(bytesPerLine) * height, 0xEE);
    ImageLibrary::Bitmap bitmap;
    bitmap.type = type;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.bytesPerPixel = bytesPerPixel;
    bitmap.bytesPerLine = bytesPerLine;
    bitmap.data = bytes.data();
    return bitmap;
}

// Second pixel of the second row of a 2 x 2 bitmap whose pixels all hold `pixel`.
QRgb convertedPixel(int type, std::vector<unsigned char> pixel)
{
    const int size = int(pixel.size());
    std::vector<unsigned char> bytes;
    ImageLibrary::Bitmap bitmap = bitmapOver(bytes, type, 2, 2, size, size * 2 + 3);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            std::copy(pixel.begin(), pixel.end(), bytes.begin() + y * bitmap.bytesPerLine + x * size);
    const QImage image = GflAdapter::bitmapToImage(bitmap);
    EXPECT_EQ(image.format(), QImage::Format_ARGB32);
    EXPECT_EQ(image.size(), QSize(2, 2));
    return image.pixel(1, 1);
}

QImage uniform(QRgb colour, int width = 6, int height = 5)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

} // namespace

TEST(GflAdapterPixels, EveryTypeCodeConvertsByItsByteOrder)
{
    EXPECT_EQ(convertedPixel(ImageLibrary::Grey, {90}), qRgba(90, 90, 90, 255));
    EXPECT_EQ(convertedPixel(ImageLibrary::Grey, {90, 1, 2}), qRgba(90, 90, 90, 255));
    EXPECT_EQ(convertedPixel(ImageLibrary::RGB, {1, 2, 3}), qRgba(1, 2, 3, 255));
    EXPECT_EQ(convertedPixel(ImageLibrary::RGBA, {1, 2, 3, 4}), qRgba(1, 2, 3, 4));
    EXPECT_EQ(convertedPixel(ImageLibrary::BGR, {1, 2, 3}), qRgba(3, 2, 1, 255));
    EXPECT_EQ(convertedPixel(ImageLibrary::ABGR, {4, 3, 2, 1}), qRgba(1, 2, 3, 4));
    EXPECT_EQ(convertedPixel(ImageLibrary::BGRA, {3, 2, 1, 4}), qRgba(1, 2, 3, 4));
    EXPECT_EQ(convertedPixel(ImageLibrary::ARGB, {4, 1, 2, 3}), qRgba(1, 2, 3, 4));
    EXPECT_EQ(convertedPixel(ImageLibrary::CMYK, {10, 20, 30, 40}), qRgba(205, 195, 185, 255));
    EXPECT_EQ(convertedPixel(ImageLibrary::CMYK, {200, 0, 255, 55}), qRgba(0, 200, 0, 255));
    // Unknown codes and layouts wider than the pixel give transparent black.
    EXPECT_EQ(convertedPixel(8, {1, 2, 3, 4}), 0u);
    EXPECT_EQ(convertedPixel(ImageLibrary::RGBA, {1, 2, 3}), 0u);

    const unsigned char rgb[3] = {5, 6, 7};
    EXPECT_EQ(GflAdapter::fromRGBPixel(rgb), qRgba(5, 6, 7, 255));
    EXPECT_EQ(GflAdapter::fromBGRPixel(rgb), qRgba(7, 6, 5, 255));
    EXPECT_EQ(GflAdapter::fromGrayPixel(rgb), qRgba(5, 5, 5, 255));
}

TEST(GflAdapterPixels, PaletteAndBinaryBitmaps)
{
    std::vector<unsigned char> bytes;
    ImageLibrary::Bitmap palette = bitmapOver(bytes, ImageLibrary::Colors, 3, 1, 1, 4);
    ImageLibrary::ColorMap map = {};
    map.red[255] = 9;
    map.green[255] = 8;
    map.blue[255] = 7;
    map.red[1] = 100;
    bytes[0] = 255;
    bytes[1] = 1;
    bytes[2] = 0;
    EXPECT_EQ(GflAdapter::bitmapToImage(palette).pixel(0, 0), 0u); // no colour map: nothing to look up
    palette.colorMap = &map;
    const QImage indexed = GflAdapter::bitmapToImage(palette);
    EXPECT_EQ(indexed.pixel(0, 0), qRgba(9, 8, 7, 255));
    EXPECT_EQ(indexed.pixel(1, 0), qRgba(100, 0, 0, 255));
    EXPECT_EQ(indexed.pixel(2, 0), qRgba(0, 0, 0, 255));
    EXPECT_EQ(GflAdapter::fromColorPixel(255, map), qRgba(9, 8, 7, 255));

    // Leftmost pixel in the highest bit; set bits white, clear ones black, all opaque.
    ImageLibrary::Bitmap binary = bitmapOver(bytes, ImageLibrary::Binary, 10, 2, 0, 2);
    bytes = {0b10100000, 0b01000000, 0x00, 0xFF};
    binary.data = bytes.data();
    const QImage bits = GflAdapter::bitmapToImage(binary);
    const QRgb white = qRgba(255, 255, 255, 255);
    const QRgb black = qRgba(0, 0, 0, 255);
    EXPECT_EQ(bits.pixel(0, 0), white);
    EXPECT_EQ(bits.pixel(1, 0), black);
    EXPECT_EQ(bits.pixel(2, 0), white);
    EXPECT_EQ(bits.pixel(0, 1), black);
    EXPECT_EQ(bits.pixel(8, 1), white);
    EXPECT_EQ(GflAdapter::fromBinaryPixel(0x04, 2), white);
    EXPECT_EQ(GflAdapter::fromBinaryPixel(0x04, 3), black);

    ImageLibrary::Bitmap empty;
    EXPECT_TRUE(GflAdapter::bitmapToImage(empty).isNull());
}

TEST(GflAdapterPixels, ImageToBitmapWritesStraightArgbBytesWithoutGaps)
{
    QImage image(3, 2, QImage::Format_ARGB32_Premultiplied);
    image.fill(qRgba(50, 0, 100, 128)); // premultiplied: straight red 100, blue 199 or 200
    image.setPixel(2, 1, qRgba(1, 2, 3, 255));
    ImageLibrary::Bitmap* bitmap = GflAdapter::imageToBitmap(image);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->type, ImageLibrary::ARGB);
    EXPECT_EQ(bitmap->bytesPerLine, 12);
    EXPECT_EQ(bitmap->data[0], 128);
    EXPECT_NEAR(bitmap->data[1], 100, 1);
    const unsigned char* last = bitmap->data + 5 * 4;
    EXPECT_EQ(last[0], 255);
    EXPECT_EQ(GflAdapter::bitmapToImage(*bitmap).pixel(2, 1), qRgba(1, 2, 3, 255));
    ImageLibrary::freeBitmap(bitmap);
    EXPECT_EQ(GflAdapter::imageToBitmap(QImage()), nullptr);
}

TEST(GflAdapterFilters, EveryFilterKeepsSizeAlphaAndFlatAreas)
{
    GflAdapter adapter;
    const QImage flat = uniform(qRgba(90, 140, 30, 77));
    using Filter = std::function<QImage(const QImage&)>;
    const std::vector<std::pair<const char*, Filter>> smoothing = {
        {"gaussianBlur", [&](const QImage& i) { return adapter.gaussianBlur(i, 5); }},
        {"blur", [&](const QImage& i) { return adapter.blur(i, 100); }},
        {"soften", [&](const QImage& i) { return adapter.soften(i, 60); }},
        {"average", [&](const QImage& i) { return adapter.average(i, 3); }},
        {"reduceNoise", [&](const QImage& i) { return adapter.reduceNoise(i); }},
        {"focusRestoration", [&](const QImage& i) { return adapter.focusRestoration(i); }},
        {"enchanceFocus", [&](const QImage& i) { return adapter.enchanceFocus(i); }},
        {"enchanceDetail", [&](const QImage& i) { return adapter.enchanceDetail(i); }},
    };
    for (const auto& [name, filter] : smoothing) {
        const QImage result = filter(flat);
        EXPECT_EQ(result.format(), QImage::Format_ARGB32) << name;
        EXPECT_EQ(result, flat) << name; // kernels that sum to one leave a flat area alone
        EXPECT_TRUE(filter(QImage()).isNull()) << name;
    }
    const std::vector<std::pair<const char*, Filter>> edges = {
        {"edgeDetectionHeavy", [&](const QImage& i) { return adapter.edgeDetectionHeavy(i); }},
        {"edgeDetectionMediaum", [&](const QImage& i) { return adapter.edgeDetectionMediaum(i); }},
        {"edgeDetectionLight", [&](const QImage& i) { return adapter.edgeDetectionLight(i); }},
        {"emboss", [&](const QImage& i) { return adapter.emboss(i); }},
        {"embosMore", [&](const QImage& i) { return adapter.embosMore(i); }},
    };
    for (const auto& [name, filter] : edges) {
        const QImage result = filter(flat);
        const int expected = QByteArray(name).startsWith("emb") ? 128 : 0;
        EXPECT_EQ(result.pixel(3, 2), qRgba(expected, expected, expected, 77)) << name;
    }
    for (const Filter& filter : {Filter([&](const QImage& i) { return adapter.autoLevels(i); }),
                                 Filter([&](const QImage& i) { return adapter.normalize(i); }),
                                 Filter([&](const QImage& i) { return adapter.autoContrast(i); }),
                                 Filter([&](const QImage& i) { return adapter.equalize(i); }),
                                 Filter([&](const QImage& i) { return adapter.logCorrection(i); })})
        EXPECT_EQ(qAlpha(filter(flat).pixel(1, 1)), 77);
}

TEST(GflAdapterFilters, KernelsSpreadAndRemoveASpeck)
{
    GflAdapter adapter;
    QImage speck = uniform(qRgb(0, 0, 0), 9, 9);
    speck.setPixel(4, 4, qRgb(255, 255, 255));

    const QImage gaussian = adapter.gaussianBlur(speck, 5);
    EXPECT_LT(qRed(gaussian.pixel(4, 4)), 255);
    EXPECT_GT(qRed(gaussian.pixel(5, 4)), 0);
    EXPECT_EQ(gaussian.pixel(5, 4), gaussian.pixel(3, 4));
    EXPECT_GT(qRed(gaussian.pixel(4, 4)), qRed(gaussian.pixel(5, 5)));
    EXPECT_EQ(adapter.gaussianBlur(speck, 1), speck);

    const QImage averaged = adapter.average(speck, 3);
    EXPECT_EQ(qRed(averaged.pixel(3, 3)), 28); // 255 / 9 rounded
    EXPECT_EQ(adapter.blur(speck, 0), speck);
    EXPECT_EQ(qRed(adapter.blur(speck, 50).pixel(4, 4)), 142); // halfway from 255 to the mean, 28
    EXPECT_EQ(qRed(adapter.soften(speck, 100).pixel(4, 4)), 64);
    EXPECT_EQ(adapter.reduceNoise(speck), uniform(qRgb(0, 0, 0), 9, 9));
    EXPECT_EQ(qRed(adapter.edgeDetectionHeavy(speck).pixel(4, 4)), 255);
    EXPECT_EQ(qRed(adapter.emboss(speck).pixel(5, 5)), 0);   // 128 - 255
    EXPECT_EQ(qRed(adapter.emboss(speck).pixel(3, 3)), 255); // 128 + 255
}

TEST(GflAdapterFilters, HistogramStepsStretchAndMap)
{
    GflAdapter adapter;
    QImage ramp(3, 1, QImage::Format_ARGB32);
    ramp.setPixel(0, 0, qRgb(50, 20, 100));
    ramp.setPixel(1, 0, qRgb(100, 40, 110));
    ramp.setPixel(2, 0, qRgb(150, 60, 120));

    const QImage levels = adapter.autoLevels(ramp);
    EXPECT_EQ(levels.pixel(1, 0), qRgb(128, 128, 128));
    EXPECT_EQ(levels.pixel(2, 0), qRgb(255, 255, 255));

    const QImage normalized = adapter.normalize(ramp); // 20..150 for all channels alike
    EXPECT_EQ(normalized.pixel(0, 0), qRgb(59, 0, 157));
    EXPECT_EQ(normalized.pixel(2, 0), qRgb(255, 78, 196));

    EXPECT_EQ(adapter.equalize(ramp), levels);

    QImage grey(3, 1, QImage::Format_ARGB32);
    grey.setPixel(0, 0, qRgb(0, 0, 0));
    grey.setPixel(1, 0, qRgb(15, 15, 15));
    grey.setPixel(2, 0, qRgb(255, 255, 255));
    const QImage logged = adapter.logCorrection(grey);
    EXPECT_EQ(logged.pixel(1, 0), qRgb(128, 128, 128)); // log 16 / log 256 = one half
    EXPECT_EQ(logged.pixel(2, 0), qRgb(255, 255, 255));

    // Contrast follows the channel mean: the darkest mean goes to 0, the brightest to 255.
    const QImage contrast = adapter.autoContrast(ramp); // means 56, 83, 110
    EXPECT_EQ(contrast.pixel(0, 0), qRgb(0, 0, 208));
    EXPECT_EQ(qRed(contrast.pixel(2, 0)), 255);
}
