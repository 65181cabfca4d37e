// Sound pictures of every variant of the formats the program reads, written by code, read through
// the image layer with the pixels their format says they hold; sound variants it does not read are
// refused as such, never as damaged.

#include "SoundPictures.h"

#include "app/GflAdapter.h"

#include <QFile>
#include <QTemporaryDir>

#include <OpenImageIO/imageio.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The first pixel farther than `tolerance` from the expected one, as text; empty when none is.
QString firstDifference(QImage const& expected, QImage const& got, int tolerance)
{
    if (got.size() != expected.size())
        return QStringLiteral("size %1 x %2").arg(got.width()).arg(got.height());
    for (int y = 0; y < got.height(); ++y) {
        for (int x = 0; x < got.width(); ++x) {
            const QRgb a = expected.pixel(x, y);
            const QRgb b = got.pixel(x, y);
            if (std::abs(qRed(a) - qRed(b)) > tolerance || std::abs(qGreen(a) - qGreen(b)) > tolerance
                || std::abs(qBlue(a) - qBlue(b)) > tolerance || qAlpha(a) != qAlpha(b))
                return QStringLiteral("(%1, %2): %3 for %4").arg(x).arg(y).arg(b, 8, 16, QLatin1Char('0')).arg(a, 8, 16, QLatin1Char('0'));
        }
    }
    return QString();
}

class SoundPicturesTest : public ::testing::Test
{
protected:
    QString write(SoundPictures::Picture const& picture)
    {
        const QString path = dir.filePath(picture.name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(picture.bytes) == picture.bytes.size());
        return path;
    }

    QTemporaryDir dir;
    GflAdapter adapter;
};

} // namespace

TEST_F(SoundPicturesTest, EveryVariantOfEveryFormatReadsWithThePixelsItHolds)
{
    for (SoundPictures::Picture const& picture : SoundPictures::all()) {
        SCOPED_TRACE(picture.name.toStdString());
        ASSERT_FALSE(picture.bytes.isEmpty());
        const auto layers = adapter.readImage(write(picture));
        if (layers.size() != 1) {
            ADD_FAILURE() << adapter.errorString().toStdString();
            continue;
        }
        EXPECT_EQ(firstDifference(picture.expected, layers.first().second, picture.tolerance).toStdString(), "");
    }
}

TEST_F(SoundPicturesTest, SoundVariantsTheProgramDoesNotReadAreRefusedAsUnsupported)
{
    for (SoundPictures::Picture const& picture : SoundPictures::unsupported()) {
        SCOPED_TRACE(picture.name.toStdString());
        EXPECT_TRUE(adapter.readImage(write(picture)).isEmpty());
        EXPECT_TRUE(adapter.errorReason().startsWith(QStringLiteral("Unsupported "))) << adapter.errorReason().toStdString();
    }
}

// Deflated TIFF strips, which the library's writer makes and Qt's does not: each begins as a
// compressed stream, as the header check asks.
TEST_F(SoundPicturesTest, DeflatedTiffStripsReadWithTheirPixels)
{
    for (const char* compression : {"zip", "lzw", "packbits", "none"}) {
        SCOPED_TRACE(compression);
        const QString path = dir.filePath(QStringLiteral("deflated-%1.tif").arg(QLatin1String(compression)));
        const int width = 37;
        const int height = 41;
        OIIO::ImageSpec spec(width, height, 3, OIIO::TypeDesc::UINT8);
        spec.attribute("compression", compression);
        spec.attribute("tiff:RowsPerStrip", 8);
        std::vector<unsigned char> pixels(size_t(width) * height * 3);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<unsigned char>(i * 7 % 251);
        auto output = OIIO::ImageOutput::create("tiff");
        ASSERT_TRUE(output && output->open(path.toStdString(), spec));
        ASSERT_TRUE(output->write_image(OIIO::TypeDesc::UINT8, pixels.data()));
        ASSERT_TRUE(output->close());
        const auto layers = adapter.readImage(path);
        ASSERT_EQ(layers.size(), 1) << adapter.errorString().toStdString();
        const QImage& image = layers.first().second;
        for (int y = 0; y < height; y += 5) {
            for (int x = 0; x < width; x += 3) {
                const unsigned char* p = pixels.data() + (size_t(y) * width + x) * 3;
                ASSERT_EQ(image.pixel(x, y), qRgb(p[0], p[1], p[2])) << x << "," << y;
            }
        }
    }
}
