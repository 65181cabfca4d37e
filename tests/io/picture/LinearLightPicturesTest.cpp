// OpenEXR and Radiance HDR pictures hold linear light; viewers, ImageMagick and oiiotool show them
// through the sRGB transfer. Read by the program's reader process as a picked source picture.
// The files (tests/data/pictures) were written by oiiotool and ImageMagick; its README gives
// the commands.

#include "io/picture/PictureReader.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

QString linearPicture(QString const& name)
{
    return QStringLiteral(VYX_TEST_DATA_DIR "/pictures/") + name;
}

// The one picture of the file as a source, or a null image.
QImage picked(QString const& name)
{
    QString reason;
    const QList<PictureReader::Layer> layers =
        PictureReader::readLayers(linearPicture(name), QByteArray(), -1, &reason);
    EXPECT_EQ(layers.size(), 1) << reason.toStdString();
    return layers.isEmpty() ? QImage() : layers.first().second.convertToFormat(QImage::Format_ARGB32);
}

// How many pixels of the image differ from `expected`.
int differing(QImage const& image, QRgb expected)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) != expected;
    }
    return count;
}

} // namespace

// A linear middle grey (0.214) shows as 127, a ramp from 0 to 1 as oiiotool's conversion gives it
// (its middle 188), whether the file is tiled or in scanlines, OpenEXR or Radiance; a portable
// float map keeps showing its values as they are, as ImageMagick shows them.
TEST(LinearLightPictures, OpenExrAndRadianceShowThroughTheSrgbTransfer)
{
    for (char const* name : {"linear-grey-tiled-oiiotool.exr", "linear-grey-oiiotool.hdr"}) {
        SCOPED_TRACE(name);
        const QImage image = picked(QString::fromLatin1(name));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(differing(image, qRgb(127, 127, 127)), 0) << QString::number(image.pixel(0, 0), 16).toStdString();
    }
    const struct {
        char const* file;
        char const* converted;
    } ramps[] = {{"linear-ramp-oiiotool.exr", "linear-ramp-exr-as-oiiotool-converts.png"},
                 {"linear-ramp-oiiotool.hdr", "linear-ramp-hdr-as-oiiotool-converts.png"}};
    for (auto const& ramp : ramps) {
        SCOPED_TRACE(ramp.file);
        const QImage image = picked(QString::fromLatin1(ramp.file));
        const QImage expected =
            QImage(linearPicture(QString::fromLatin1(ramp.converted))).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(257, 2));
        ASSERT_EQ(expected.size(), image.size());
        EXPECT_EQ(image.pixel(128, 0), qRgb(188, 188, 188));
        int wrong = 0;
        for (int x = 0; x < image.width(); ++x)
            wrong += image.pixel(x, 0) != expected.pixel(x, 0) || image.pixel(x, 1) != expected.pixel(x, 1);
        EXPECT_EQ(wrong, 0);
    }
    const QImage map = picked(QStringLiteral("grey-55-imagemagick.pfm"));
    ASSERT_EQ(map.size(), QSize(16, 8));
    EXPECT_EQ(differing(map, qRgb(55, 55, 55)), 0);
}

// Coverage is no light: a half-transparent linear grey (stored premultiplied, as OpenEXR stores
// colour) shows its grey through the transfer and keeps its alpha of one half.
TEST(LinearLightPictures, AlphaIsNotTransferred)
{
    const QImage image = picked(QStringLiteral("linear-alpha-oiiotool.exr"));
    ASSERT_EQ(image.size(), QSize(8, 4));
    EXPECT_EQ(differing(image, qRgba(127, 127, 127, 128)), 0) << QString::number(image.pixel(0, 0), 16).toStdString();
}
