// A service's icon is decoded only as a raster picture of the formats the program reads, chosen
// by its first bytes: SVG icons that name a pipe or a file the process holds, or embed large
// pictures, are refused without opening anything or decoding what they embed; raster icons come
// out as their format's own reader gives them.

#include "AddressSpaceLimit.h"
#include "HostileFiles.h"
#include "HostilePictures.h"
#include "OpenWatcher.h"
#include "PipeWatcher.h"

#include "io/picture/PictureFile.h"
#include "web/ServiceIcon.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using HostilePictures::Sample;

TEST(ServiceIcons, SvgIconsAndPicturesAboveTheCapAreRefusedWithoutOpeningAnything)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    PipeWatcher pipe(dir.filePath(QStringLiteral("pipe")));
    ASSERT_TRUE(pipe.isValid());
    const QString held = dir.filePath(QStringLiteral("held.png"));
    {
        QFile out(held);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(HostilePictures::written(HostilePictures::pattern(), "png"));
    }
    const HeldFile heldFile(held);
    ASSERT_TRUE(heldFile.isValid());
    OpenWatcher heldOpens(held);
    ASSERT_TRUE(heldOpens.isValid());

    QList<Sample> samples = HostilePictures::svgNaming(pipe.path()) + HostilePictures::svgNaming(heldFile.name())
                            + HostilePictures::svgNaming(held);
    samples << Sample{QStringLiteral("embedded bomb"), HostilePictures::svgEmbedding(HostileFiles::pngBomb(30000, 30000), 3)};
    // Raster pictures above the cap, refused on their headers.
    samples << HostilePictures::aboveTheCap();
    for (Sample const& sample : samples)
        EXPECT_TRUE(ServiceIcon::read(sample.bytes).isNull()) << qPrintable(sample.name);
    EXPECT_EQ(pipe.readerOpens(), 0);
    EXPECT_EQ(heldOpens.opens(), 0);
}

TEST(ServiceIcons, RasterIconsReadAsTheirOwnReaderReadsThem)
{
    const QImage picture = HostilePictures::pattern();
    const QList<std::pair<QByteArray, QByteArray>> icons = {
        {"png", HostilePictures::written(picture, "png")},   {"jpeg", HostilePictures::written(picture, "jpeg")},
        {"bmp", HostilePictures::written(picture, "bmp")},   {"ppm", HostilePictures::written(picture, "ppm")},
        {"tiff", HostilePictures::written(picture, "tiff")}, {"webp", HostilePictures::written(picture, "webp")},
        {"gif", HostilePictures::gif(picture)},
    };
    for (auto const& [format, bytes] : icons) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader own(&buffer, format);
        own.setAutoDetectImageFormat(false);
        const QImage expected = own.read();
        ASSERT_FALSE(expected.isNull()) << format.constData();
        EXPECT_EQ(ServiceIcon::read(bytes), expected) << format.constData();
    }
    // Targa has no signature: service bytes carry no suffix that could name it.
    EXPECT_TRUE(ServiceIcon::read(HostilePictures::tga(picture)).isNull());
}

TEST(ServiceIcons, SvgEmbeddingLargePicturesCostsNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Four pictures of 36 megapixels, 144 MB each when decoded.
    const QString large = dir.filePath(QStringLiteral("large.png"));
    ASSERT_TRUE(HostileFiles::writeLargePng(large, 6000, 6000));
    QFile in(large);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray icon = HostilePictures::svgEmbedding(in.readAll(), 4);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QImageReader::setAllocationLimit(PictureFile::readerAllocationLimit());
            AppTest::limitAddressSpace(qint64(256) << 20);
            std::exit(ServiceIcon::read(icon).isNull() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
