// Thumbnails of pictures as the common tools write them (tests/data/pictures), made in the
// reader process as a browsed folder makes them: the picture every viewer shows, and its size.

#include "browser/ThumbnailLoader.h"

#include <QImage>
#include <QPixmap>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

QString picture(QString const& name)
{
    return QStringLiteral(VYX_TEST_DATA_DIR "/pictures/") + name;
}

bool near(QRgb got, QRgb expected, int tolerance)
{
    return std::abs(qRed(got) - qRed(expected)) <= tolerance && std::abs(qGreen(got) - qGreen(expected)) <= tolerance
           && std::abs(qBlue(got) - qBlue(expected)) <= tolerance && qAlpha(got) == qAlpha(expected);
}

// Thumbnails of all `paths`, once the loader has made them.
QList<QImage> thumbnails(ThumbnailLoader& loader, QStringList const& paths)
{
    QSignalSpy ready(&loader, &ThumbnailLoader::thumbnailReady);
    for (QString const& path : paths)
        loader.getThumbnail(path);
    // Two readers: each file is waited for, the last asked is not the last read.
    const auto allThere = [&] {
        return std::all_of(paths.cbegin(), paths.cend(), [&](QString const& path) { return loader.hasThumbnail(path); });
    };
    for (int turn = 0; turn < 400 && !allThere(); ++turn)
        ready.wait(50);
    QList<QImage> images;
    for (QString const& path : paths) {
        EXPECT_TRUE(loader.hasThumbnail(path)) << path.toStdString();
        images.append(loader.getThumbnail(path).toImage());
    }
    return images;
}

} // namespace

// A photo of each EXIF orientation fills the 120 x 80 thumbnail upright (red at the top left,
// green at the top right, blue at the bottom left), and its size is the upright one.
TEST(WrittenPicturesThumbnail, PhotosShowUpright)
{
    QStringList paths;
    for (int orientation = 1; orientation <= 8; ++orientation)
        paths << picture(QStringLiteral("orientation-%1.jpg").arg(orientation));
    ThumbnailLoader loader;
    const QList<QImage> images = thumbnails(loader, paths);
    for (int i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i].toStdString());
        EXPECT_EQ(loader.imageSize(paths[i]), QSize(300, 200));
        QImage const& thumbnail = images[i];
        ASSERT_EQ(thumbnail.size(), QSize(120, 80));
        EXPECT_TRUE(near(thumbnail.pixel(12, 8), qRgb(255, 0, 0), 40));
        EXPECT_TRUE(near(thumbnail.pixel(108, 8), qRgb(0, 255, 0), 40));
        EXPECT_TRUE(near(thumbnail.pixel(12, 72), qRgb(0, 0, 255), 40));
        EXPECT_TRUE(near(thumbnail.pixel(108, 72), qRgb(128, 128, 128), 40));
    }
}

// netpbm's 32-bit Targa of padded RGB shows opaque, not as an empty thumbnail; ImageMagick's grey
// run-length bitmap shows its white and black corners.
TEST(WrittenPicturesThumbnail, APaddedTargaAndAGreyRunLengthBitmapShowTheirPixels)
{
    const QStringList paths = {picture(QStringLiteral("rgb-padded-32.tga")), picture(QStringLiteral("grey-rle8.bmp"))};
    ThumbnailLoader loader;
    const QList<QImage> images = thumbnails(loader, paths);
    EXPECT_EQ(loader.imageSize(paths[0]), QSize(64, 48));
    EXPECT_EQ(images[0].pixel(60, 40), qRgb(200, 100, 50));
    EXPECT_EQ(loader.imageSize(paths[1]), QSize(700, 525));
    // 700 x 525 fits as 106 x 80 from x = 7.
    EXPECT_EQ(images[1].pixel(9, 2), qRgb(255, 255, 255));
    EXPECT_EQ(images[1].pixel(60, 40), qRgb(127, 127, 127));
    EXPECT_EQ(images[1].pixel(111, 78), qRgb(0, 0, 0));
}

// ImageMagick's Photoshop files, flat and layered, whose layers the image library cannot decode,
// showed no thumbnail and no size: they show their merged picture, the gradient ImageMagick drew
// from rgb(200,100,50) at the top to rgb(20,40,220) at the bottom.
TEST(WrittenPicturesThumbnail, ImageMagicksPhotoshopFilesShowTheirMergedPicture)
{
    const QStringList paths = {picture(QStringLiteral("zip-flat.psd")), picture(QStringLiteral("zip-layers.psd"))};
    ThumbnailLoader loader;
    const QList<QImage> images = thumbnails(loader, paths);
    for (int i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i].toStdString());
        EXPECT_EQ(loader.imageSize(paths[i]), QSize(40, 30));
        bool top = false;
        bool bottom = false;
        for (int y = 0; y < images[i].height(); ++y) {
            for (int x = 0; x < images[i].width(); ++x) {
                top = top || near(images[i].pixel(x, y), qRgb(200, 100, 50), 8);
                bottom = bottom || near(images[i].pixel(x, y), qRgb(20, 40, 220), 8);
            }
        }
        EXPECT_TRUE(top && bottom);
    }
}
