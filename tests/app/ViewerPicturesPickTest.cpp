// Pictures picked as the source picture as viewers show them (tests/data/pictures, written by
// oiiotool and Pillow): linear light through the sRGB transfer, and PNG and WebP photos upright
// as their EXIF chunk says.

#include "AppTestSupport.h"
#include "UprightPhoto.h"

#include "app/TwCore.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QString viewerPicture(QString const& name)
{
    return AppTest::testDataDir() + QStringLiteral("/pictures/") + name;
}

class ViewerPicturesPick : public ::testing::Test
{
protected:
    ViewerPicturesPick() { window.setCore(&core); }
    ~ViewerPicturesPick() override { core.clear(); }

    QImage const& picked() const { return *core.sourceImage(); }

    AppTest::RecordingMainWindow window;
    TwCore core{&window};
};

} // namespace

// A linear middle grey shows as 127, not 55; a ramp's middle as 188, not 128.
TEST_F(ViewerPicturesPick, LinearLightIsPickedThroughTheSrgbTransfer)
{
    for (char const* name : {"linear-grey-tiled-oiiotool.exr", "linear-grey-oiiotool.hdr"}) {
        SCOPED_TRACE(name);
        QString reason;
        ASSERT_TRUE(core.setSourceImage(viewerPicture(QString::fromLatin1(name)), &reason)) << reason.toStdString();
        EXPECT_EQ(picked().pixel(5, 5), qRgb(127, 127, 127));
    }
    for (char const* name : {"linear-ramp-oiiotool.exr", "linear-ramp-oiiotool.hdr"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(core.setSourceImage(viewerPicture(QString::fromLatin1(name))));
        ASSERT_EQ(picked().size(), QSize(257, 2));
        EXPECT_EQ(picked().pixel(128, 0), qRgb(188, 188, 188));
        EXPECT_EQ(picked().pixel(256, 1), qRgb(255, 255, 255));
    }
}

// Pillow's PNG and WebP photos of orientations 3, 6 and 8 are the upright picture of 300 x 200.
TEST_F(ViewerPicturesPick, PngAndWebpPhotosArePickedUpright)
{
    for (char const* suffix : {"png", "webp"}) {
        for (int orientation : {3, 6, 8}) {
            const QString path =
                viewerPicture(QStringLiteral("orientation-%1.%2").arg(orientation).arg(QLatin1String(suffix)));
            SCOPED_TRACE(path.toStdString());
            QString reason;
            ASSERT_TRUE(core.setSourceImage(path, &reason)) << reason.toStdString();
            UprightPhoto::expectUpright(picked());
        }
    }
}
