// Pillow writes a photo's EXIF into PNG's eXIf chunk and WebP's EXIF chunk, orientation and all,
// as phones write it. Such a photo stands upright on every road through the program's reader
// process, as a JPEG does: picked as a source, as a thumbnail, dropped whole, and its size.

#include "io/picture/PictureReader.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QString picture(QString const& name)
{
    return QStringLiteral(VYX_TEST_DATA_DIR "/pictures/") + name;
}

::testing::AssertionResult orientationNear(QRgb got, QRgb expected)
{
    if (std::abs(qRed(got) - qRed(expected)) <= 40 && std::abs(qGreen(got) - qGreen(expected)) <= 40
        && std::abs(qBlue(got) - qBlue(expected)) <= 40 && qAlpha(got) == qAlpha(expected))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << QString::number(got, 16).toStdString() << " for "
                                         << QString::number(expected, 16).toStdString();
}

// The photo every viewer shows: 300 x 200 (or scaled alike), red at the top left, green at the
// top right, blue at the bottom left, grey elsewhere.
void expectUpright(QImage const& image, char const* road)
{
    SCOPED_TRACE(road);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width() * 2, image.height() * 3);
    auto at = [&image](int x, int y) { return image.pixel(x * image.width() / 300, y * image.height() / 200); };
    EXPECT_TRUE(orientationNear(at(30, 20), qRgb(255, 0, 0)));
    EXPECT_TRUE(orientationNear(at(270, 20), qRgb(0, 255, 0)));
    EXPECT_TRUE(orientationNear(at(30, 180), qRgb(0, 0, 255)));
    EXPECT_TRUE(orientationNear(at(270, 180), qRgb(128, 128, 128)));
}

} // namespace

// Each orientation, in Motorola's byte order as Pillow writes a new EXIF block, and in Intel's
// as it writes again the block of a photo from a phone that wrote it so.
TEST(ExifChunkOrientation, PngAndWebpPhotosComeUprightOnEveryRoad)
{
    QStringList paths;
    for (char const* suffix : {"png", "webp"}) {
        for (int orientation = 1; orientation <= 8; ++orientation)
            paths << picture(QStringLiteral("orientation-%1.%2").arg(orientation).arg(QLatin1String(suffix)));
        paths << picture(QStringLiteral("orientation-6-intel.%1").arg(QLatin1String(suffix)));
    }
    for (QString const& path : paths) {
        SCOPED_TRACE(path.toStdString());
        QString reason;
        const QList<PictureReader::Layer> layers = PictureReader::readLayers(path, QByteArray(), -1, &reason);
        ASSERT_EQ(layers.size(), 1) << reason.toStdString();
        EXPECT_EQ(layers.first().first, QRect(0, 0, 300, 200));
        expectUpright(layers.first().second, "picked");

        QSize size;
        ASSERT_TRUE(PictureReader::readInformation(path, &size, nullptr, &reason)) << reason.toStdString();
        EXPECT_EQ(size, QSize(300, 200));

        QSize full;
        const QImage thumbnail = PictureReader::readFile(path, QSize(120, 80), &full, &reason);
        EXPECT_EQ(full, QSize(300, 200));
        EXPECT_GE(thumbnail.width(), 120);
        expectUpright(thumbnail, "as a thumbnail");

        const QImage dropped = PictureReader::readFile(path, QSize(), &full, &reason);
        EXPECT_EQ(dropped.size(), QSize(300, 200));
        expectUpright(dropped, "dropped");
    }
}
