// Thumbnails of PNG and WebP photos whose orientation stands in their EXIF chunk, as Pillow
// writes it (tests/data/pictures): made in the reader process as a browsed folder makes them.

#include "browser/ThumbnailLoader.h"

#include <QImage>
#include <QPixmap>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

bool nearInThumbnail(QRgb got, QRgb expected)
{
    return std::abs(qRed(got) - qRed(expected)) <= 40 && std::abs(qGreen(got) - qGreen(expected)) <= 40
           && std::abs(qBlue(got) - qBlue(expected)) <= 40 && qAlpha(got) == qAlpha(expected);
}

} // namespace

// Each fills the 120 x 80 thumbnail upright (red at the top left, green at the top right, blue at
// the bottom left), and its size is the upright one.
TEST(ExifChunkThumbnail, PngAndWebpPhotosShowUpright)
{
    QStringList paths;
    for (char const* suffix : {"png", "webp"}) {
        for (int orientation = 1; orientation <= 8; ++orientation)
            paths << QStringLiteral(VYX_TEST_DATA_DIR "/pictures/orientation-%1.%2").arg(orientation).arg(QLatin1String(suffix));
    }
    ThumbnailLoader loader;
    QSignalSpy ready(&loader, &ThumbnailLoader::thumbnailReady);
    for (QString const& path : paths)
        loader.getThumbnail(path);
    // Two readers: each file is waited for, the last asked is not the last read.
    const auto allThere = [&] {
        return std::all_of(paths.cbegin(), paths.cend(), [&](QString const& path) { return loader.hasThumbnail(path); });
    };
    for (int turn = 0; turn < 400 && !allThere(); ++turn)
        ready.wait(50);
    for (QString const& path : paths) {
        SCOPED_TRACE(path.toStdString());
        ASSERT_TRUE(loader.hasThumbnail(path));
        EXPECT_EQ(loader.imageSize(path), QSize(300, 200));
        const QImage thumbnail = loader.getThumbnail(path).toImage();
        ASSERT_EQ(thumbnail.size(), QSize(120, 80));
        EXPECT_TRUE(nearInThumbnail(thumbnail.pixel(12, 8), qRgb(255, 0, 0)));
        EXPECT_TRUE(nearInThumbnail(thumbnail.pixel(108, 8), qRgb(0, 255, 0)));
        EXPECT_TRUE(nearInThumbnail(thumbnail.pixel(12, 72), qRgb(0, 0, 255)));
        EXPECT_TRUE(nearInThumbnail(thumbnail.pixel(108, 72), qRgb(128, 128, 128)));
    }
}
