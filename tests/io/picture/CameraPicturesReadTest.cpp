// Camera-size pictures as the common tools write them, read through the reader process on every
// road: the pick (size, then layers), a browser's thumbnail and the drop. What the image library
// holds once it has opened such a file (a progressive JPEG's coefficients, a WebP decoded whole,
// a Photoshop file's thumbnail) is far above what reading a header may cost.

#include "CameraPictures.h"

#include "io/picture/PictureReader.h"
#include "io/picture/PictureReaderService.h"
#include "io/picture/ReaderMemory.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The browser's thumbnails are asked at this size.
const QSize thumbnailBound(120, 80);

::testing::AssertionResult near(QRgb got, QRgb expected, int tolerance)
{
    if (std::abs(qRed(got) - qRed(expected)) <= tolerance && std::abs(qGreen(got) - qGreen(expected)) <= tolerance
        && std::abs(qBlue(got) - qBlue(expected)) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << QString::number(got, 16).toStdString() << " for "
                                         << QString::number(expected, 16).toStdString();
}

// The gradient, looked at near the top, in the middle and near the bottom of an image of any size.
void expectGradient(const QImage& image, int tolerance)
{
    ASSERT_FALSE(image.isNull());
    for (int percent : {3, 50, 97}) {
        const int y = image.height() * percent / 100;
        const QRgb expected = CameraPictures::rowColour(y, image.height());
        for (int x : {0, image.width() / 2, image.width() - 1}) {
            SCOPED_TRACE(testing::Message() << "at " << x << ", " << y);
            EXPECT_TRUE(near(image.pixel(x, y), expected, tolerance));
        }
    }
}

// Rows on both sides of the end of every strip, and the last: a strip read out of its place, or a
// plane into another's, shows there.
void expectRowsAcrossStrips(const QImage& image, int stripRows, int tolerance)
{
    ASSERT_FALSE(image.isNull());
    QList<int> rows{image.height() - 1};
    for (int end = stripRows; end < image.height(); end += stripRows)
        rows << end - 1 << end;
    for (int y : rows) {
        const QRgb expected = CameraPictures::rowColour(y, image.height());
        for (int x : {0, image.width() / 2, image.width() - 1}) {
            SCOPED_TRACE(testing::Message() << "at " << x << ", " << y);
            EXPECT_TRUE(near(image.pixel(x, y), expected, tolerance));
        }
    }
}

// The pick: the size first, as the source pick asks it, then the picture (in *picked when asked).
void expectPicked(const QString& path, QSize size, int tolerance, QImage* picked = nullptr)
{
    SCOPED_TRACE("the pick");
    QString reason;
    QSize found;
    int dpi = 0;
    ASSERT_TRUE(PictureReader::readInformation(path, &found, &dpi, &reason)) << qPrintable(reason);
    EXPECT_EQ(found, size);
    const QList<PictureReader::Layer> layers = PictureReader::readLayers(path, QByteArray(), 1, &reason);
    ASSERT_EQ(layers.size(), 1) << qPrintable(reason);
    EXPECT_EQ(layers.first().first, QRect(QPoint(0, 0), size));
    expectGradient(layers.first().second, tolerance);
    if (picked)
        *picked = layers.first().second;
}

// A browser's thumbnail: through Qt's readers, or the library's for what they do not read.
void expectThumbnail(const QString& path, QSize size, int tolerance, bool library = false)
{
    SCOPED_TRACE("the thumbnail");
    QString reason;
    QSize full;
    QImage image = PictureReader::readFile(path, thumbnailBound, &full, &reason);
    if (library) {
        EXPECT_TRUE(image.isNull());
        image = PictureReader::readLibraryFile(path, &full, &reason);
    }
    ASSERT_FALSE(image.isNull()) << qPrintable(reason);
    EXPECT_EQ(full, size);
    expectGradient(image, tolerance);
}

void expectDropped(const QString& path, QSize size, int tolerance)
{
    SCOPED_TRACE("the drop");
    QString reason;
    const QImage image = PictureReader::readFile(path, QSize(), nullptr, &reason);
    ASSERT_FALSE(image.isNull()) << qPrintable(reason);
    EXPECT_EQ(image.size(), size);
    expectGradient(image, tolerance);
}

// A file padded past what its header claims is refused on the pick, where the library reads it
// whole, with the small room of a header: the padding gets no room of its own.
void expectPaddingRefused(const QString& path)
{
    SCOPED_TRACE("padded");
    // A sanitized reader runs without a data limit.
    if (!ReaderMemory::limitsApply())
        return;
    QString failure;
    const QString padded = CameraPictures::padded(path, qint64(200) << 20, &failure);
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    QString reason;
    EXPECT_TRUE(PictureReader::readLayers(padded, QByteArray(), 1, &reason).isEmpty());
    EXPECT_EQ(reason, QStringLiteral("The picture's reader needed more than %1 MB.")
                          .arg(PictureReaderService::headerMarginBytes >> 20));
}

struct JpegCase {
    int width;
    int height;
    const char* sampling;
};

void PrintTo(const JpegCase& shape, std::ostream* out)
{
    *out << shape.width << " x " << shape.height << " at " << shape.sampling;
}

class ProgressiveJpegRead : public ::testing::TestWithParam<JpegCase>
{
};

TEST_P(ProgressiveJpegRead, IsReadWithItsPixelsOnEveryRoad)
{
    const JpegCase shape = GetParam();
    QString failure;
    const QString path = CameraPictures::progressiveJpeg(shape.width, shape.height, QString::fromLatin1(shape.sampling), &failure);
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    const QSize size(shape.width, shape.height);
    expectPicked(path, size, 12);
    expectThumbnail(path, size, 12);
    expectDropped(path, size, 12);
}

// Photos of 24 to 36 million pixels, and a desktop's wallpaper.
INSTANTIATE_TEST_SUITE_P(AsImageMagickWritesThem, ProgressiveJpegRead,
                         ::testing::Values(JpegCase{6000, 4000, "4:4:4"}, JpegCase{5000, 3500, "4:4:4"},
                                           JpegCase{7360, 4912, "4:2:0"}, JpegCase{5120, 2880, "4:4:4"}),
                         [](const ::testing::TestParamInfo<JpegCase>& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height) + "_"
                                    + QString::fromLatin1(info.param.sampling).remove(':').toStdString();
                         });

// The decoder holds every coefficient of a progressive picture (two bytes each, chroma at its own
// sampling) beside the picture it gives: panoramas at the cap, as oiiotool writes them.
TEST(CameraPicturesRead, ProgressivePanoramasAtTheCapArePickedAndDropped)
{
    const QSize size(16384, 8192);
    for (const char* sampling : {"4:4:4", "4:2:0"}) {
        SCOPED_TRACE(sampling);
        QString failure;
        const QString path =
            CameraPictures::oiiotoolProgressiveJpeg(size.width(), size.height(), QString::fromLatin1(sampling), &failure);
        ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
        expectPicked(path, size, 12);
        expectDropped(path, size, 12);
    }
}

struct PlanarCase {
    int width;
    int height;
    int depth;
    const char* compression;
};

void PrintTo(const PlanarCase& shape, std::ostream* out)
{
    *out << shape.width << " x " << shape.height << ", " << shape.depth << " bits, " << shape.compression;
}

class PlanarTiffRead : public ::testing::TestWithParam<PlanarCase>
{
};

// Strips of one plane after another, compressed: each plane's strips are read whole, never a row
// of one plane after a row of another; a drop of 16-bit planes names the click.
TEST_P(PlanarTiffRead, IsReadWholeOnEveryRoad)
{
    const PlanarCase shape = GetParam();
    QString failure;
    const QString path = CameraPictures::planarTiff(shape.width, shape.height, shape.depth,
                                                    QString::fromLatin1(shape.compression), &failure);
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    const QSize size(shape.width, shape.height);
    QImage picked;
    expectPicked(path, size, 2, &picked);
    expectRowsAcrossStrips(picked, 416, 2);
    if (shape.depth == 8) {
        expectThumbnail(path, size, 4);
        expectDropped(path, size, 2);
        return;
    }
    // The toolkit's reader would show the first plane of wider samples as the picture.
    expectThumbnail(path, size, 4, true);
    QString reason;
    EXPECT_TRUE(PictureReader::readFile(path, QSize(), nullptr, &reason).isNull());
    EXPECT_TRUE(reason.contains(QStringLiteral("Click it in the image browser to open it."))) << qPrintable(reason);
}

// An A4 page scanned at 300 dpi, and at half its width in 16 bits.
INSTANTIATE_TEST_SUITE_P(AsImageMagickWritesThem, PlanarTiffRead,
                         ::testing::Values(PlanarCase{2480, 1754, 8, "Zip"}, PlanarCase{2480, 1754, 8, "LZW"},
                                           PlanarCase{1240, 1754, 16, "LZW"}),
                         [](const ::testing::TestParamInfo<PlanarCase>& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height) + "_"
                                    + std::to_string(info.param.depth) + "bit_" + info.param.compression;
                         });

TEST(CameraPicturesRead, PlanarA4PagesAsTiffcpWritesThemAreReadWholeOnEveryRoad)
{
    for (const char* name : {"tiff-planar-a4-lzw-tiffcp.tif", "tiff-planar-a4-zip-tiffcp.tif"}) {
        SCOPED_TRACE(name);
        const QString path = QStringLiteral(VYX_TEST_DATA_DIR "/pictures/") + QLatin1String(name);
        QImage picked;
        expectPicked(path, QSize(2480, 1754), 2, &picked);
        expectRowsAcrossStrips(picked, 416, 2);
        expectThumbnail(path, QSize(2480, 1754), 4);
        expectDropped(path, QSize(2480, 1754), 2);
    }
}

TEST(CameraPicturesRead, AWebpOfTwentyFourMillionPixelsAsCwebpWritesItIsReadOnEveryRoadAndNoPaddingMore)
{
    QString failure;
    const QString path = CameraPictures::webp(6000, 4000, &failure);
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    expectPicked(path, QSize(6000, 4000), 12);
    expectThumbnail(path, QSize(6000, 4000), 12);
    expectDropped(path, QSize(6000, 4000), 12);
    const QString small = CameraPictures::webp(2, 2, &failure);
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    expectPaddingRefused(small);
}

TEST(CameraPicturesRead, APpmOfTwentyFourMillionPixelsIsReadOnEveryRoadAndNoPaddingMore)
{
    QString failure;
    const QString path = CameraPictures::ppm(6000, 4000, &failure);
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    expectPicked(path, QSize(6000, 4000), 1);
    expectThumbnail(path, QSize(6000, 4000), 1);
    expectDropped(path, QSize(6000, 4000), 1);
    const QString small = CameraPictures::ppm(2, 2, &failure);
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    expectPaddingRefused(small);
}

// Its canvas is decoded when the file is opened.
TEST(CameraPicturesRead, AGifOfTwentyMillionPixelsIsReadOnEveryRoad)
{
    QString failure;
    const QString path = CameraPictures::gif(5000, 4000, &failure);
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    expectPicked(path, QSize(5000, 4000), 12);
    expectThumbnail(path, QSize(5000, 4000), 12);
    expectDropped(path, QSize(5000, 4000), 12);
}

// The library makes room for a chunk of 256 rows, both as stored and undone, when it opens the file.
TEST(CameraPicturesRead, AnOpenExrPanoramaSixteenThousandPixelsWideInChunksOf256RowsIsPicked)
{
    QString failure;
    const QString path = CameraPictures::openExr(16384, 256, &failure);
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    expectPicked(path, QSize(16384, 256), 12);
}

TEST(CameraPicturesRead, PhotoshopFilesWithTheirThumbnailResourceAreReadOnThePickAndAsThumbnails)
{
    for (const QSize size : {QSize(1, 1), QSize(160, 120), QSize(1920, 1080)}) {
        SCOPED_TRACE(testing::Message() << size.width() << " x " << size.height());
        QString failure;
        const QString path = CameraPictures::photoshop(size.width(), size.height(), &failure);
        ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
        expectPicked(path, size, 1);
        expectThumbnail(path, size, 1, true);
    }
}

} // namespace
