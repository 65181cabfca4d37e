// Pictures as the common tools write them (tests/data/pictures), picked as the source picture:
// read in the reader process with the pixels their writers put in them and upright, or refused
// in plain words while the picture shown stays.

#include "AppTestSupport.h"

#include "app/TwCore.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QString picture(QString const& name)
{
    return AppTest::testDataDir() + QStringLiteral("/pictures/") + name;
}

bool near(QRgb got, QRgb expected, int tolerance)
{
    return std::abs(qRed(got) - qRed(expected)) <= tolerance && std::abs(qGreen(got) - qGreen(expected)) <= tolerance
           && std::abs(qBlue(got) - qBlue(expected)) <= tolerance && qAlpha(got) == qAlpha(expected);
}

class WrittenPicturesPick : public ::testing::Test
{
protected:
    WrittenPicturesPick() { window.setCore(&core); }
    ~WrittenPicturesPick() override { core.clear(); }

    QImage const& picked() const { return *core.sourceImage(); }

    AppTest::RecordingMainWindow window;
    TwCore core{&window};
};

} // namespace

// ImageMagick's grey run-length bitmap ended the program (its reader wrote past its rows) or was
// refused (the end of line after its last row).
TEST_F(WrittenPicturesPick, AGreyRunLengthBitmapIsPickedWithItsPixels)
{
    QString reason;
    ASSERT_TRUE(core.setSourceImage(picture(QStringLiteral("grey-rle8.bmp")), &reason)) << reason.toStdString();
    ASSERT_EQ(picked().size(), QSize(700, 525));
    EXPECT_EQ(picked().pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(picked().pixel(69, 39), qRgb(255, 255, 255));
    EXPECT_EQ(picked().pixel(70, 40), qRgb(127, 127, 127));
    EXPECT_EQ(picked().pixel(350, 262), qRgb(127, 127, 127));
    EXPECT_EQ(picked().pixel(629, 484), qRgb(127, 127, 127));
    EXPECT_EQ(picked().pixel(699, 524), qRgb(0, 0, 0));
}

// A photo of each EXIF orientation is the same upright picture of 300 x 200: red at the top left,
// green at the top right, blue at the bottom left.
TEST_F(WrittenPicturesPick, PhotosArePickedUpright)
{
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        QString reason;
        ASSERT_TRUE(core.setSourceImage(picture(QStringLiteral("orientation-%1.jpg").arg(orientation)), &reason))
            << reason.toStdString();
        ASSERT_EQ(picked().size(), QSize(300, 200));
        EXPECT_TRUE(near(picked().pixel(30, 20), qRgb(255, 0, 0), 40));
        EXPECT_TRUE(near(picked().pixel(270, 20), qRgb(0, 255, 0), 40));
        EXPECT_TRUE(near(picked().pixel(30, 180), qRgb(0, 0, 255), 40));
        EXPECT_TRUE(near(picked().pixel(270, 180), qRgb(128, 128, 128), 40));
    }
}

// netpbm's 32-bit Targa of padded RGB names no alpha: it is picked opaque, not invisible.
TEST_F(WrittenPicturesPick, APaddedTargaIsPickedOpaque)
{
    ASSERT_TRUE(core.setSourceImage(picture(QStringLiteral("rgb-padded-32.tga"))));
    ASSERT_EQ(picked().size(), QSize(64, 48));
    EXPECT_EQ(picked().pixel(0, 0), qRgb(20, 40, 220));
    EXPECT_EQ(picked().pixel(40, 30), qRgb(200, 100, 50));
}

// ImageMagick's Photoshop file of zip-compressed layers was refused in its reader's words: it is
// picked as its merged picture. A GIF without a colour table is refused in plain words, and the
// picture shown stays.
TEST_F(WrittenPicturesPick, ImageMagicksPhotoshopIsPickedAndAColourlessGifRefusedInPlainWords)
{
    QString reason;
    ASSERT_TRUE(core.setSourceImage(picture(QStringLiteral("zip-layers.psd")), &reason)) << reason.toStdString();
    ASSERT_EQ(picked().size(), QSize(40, 30));
    EXPECT_EQ(picked().pixel(0, 0), qRgb(200, 100, 50));
    EXPECT_EQ(picked().pixel(39, 29), qRgb(20, 40, 220));

    ASSERT_TRUE(core.setSourceImage(picture(QStringLiteral("orientation-1.jpg"))));
    const QImage before = picked();
    EXPECT_FALSE(core.setSourceImage(picture(QStringLiteral("no-colour-table.gif")), &reason));
    EXPECT_EQ(reason.toStdString(), "Unsupported GIF file: it has no colour table, so its colours are unknown.");
    EXPECT_EQ(picked(), before);
}
