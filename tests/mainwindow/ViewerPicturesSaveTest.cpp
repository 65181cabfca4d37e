// Pictures as viewers show them wherever the window shows them (tests/data/pictures): PNG and
// WebP photos upright as their EXIF chunk says (written by Pillow) when dropped on the image view,
// and linear light (written by oiiotool) through the sRGB transfer; Save Image writes of each the
// picture shown.

#include "MainWindowFixture.h"
#include "PictureDrop.h"
#include "UprightPhoto.h"

#include "app/TwCore.h"
#include "browser/ImageView.h"
#include "mainwindow/TwMainWindow.h"

#include <QImage>
#include <QMainWindow>
#include <QSettings>

#include <gtest/gtest.h>

#include <cstdlib>

namespace MainWindowTest {
namespace {

QString picture(QString const& name)
{
    return QStringLiteral(VYX_TEST_DATA_DIR "/pictures/") + name;
}

QString photo(int orientation, char const* suffix)
{
    return picture(QStringLiteral("orientation-%1.%2").arg(orientation).arg(QLatin1String(suffix)));
}

using UprightPhoto::expectUpright;

using ViewerPicturesSave = MainWindowFixture;

} // namespace

TEST(ViewerPicturesDropped, DroppedPngAndWebpPhotosShowUpright)
{
    QMainWindow window;
    auto* view = new ImageView;
    window.setCentralWidget(view);
    view->setFixedSize(400, 400);
    window.show();
    for (char const* suffix : {"png", "webp"}) {
        for (int orientation = 1; orientation <= 8; ++orientation) {
            SCOPED_TRACE(photo(orientation, suffix).toStdString());
            ASSERT_TRUE(dropOnView(view, photo(orientation, suffix)));
            expectUpright(view->image());
        }
    }
}

// Picked in the browser, filtered by no effect and saved: the file holds the picture as shown.
TEST_F(ViewerPicturesSave, SaveImageWritesPngAndWebpPhotosUprightAndLinearLightTransferred)
{
    QSettings().setValue("lastImageLocation", dir.path());
    for (char const* suffix : {"png", "webp"}) {
        for (int orientation : {3, 6, 8}) {
            SCOPED_TRACE(photo(orientation, suffix).toStdString());
            window->imageChangedInBrowser(photo(orientation, suffix));
            settle();
            expectUpright(*core()->resultImage());
            const QString saved = dir.filePath(QStringLiteral("upright-%1-%2.png").arg(orientation).arg(QLatin1String(suffix)));
            answerFileDialog(saved);
            window->saveImage();
            expectUpright(QImage(saved));
        }
    }
    for (char const* name : {"linear-ramp-oiiotool.exr", "linear-ramp-oiiotool.hdr"}) {
        SCOPED_TRACE(name);
        window->imageChangedInBrowser(picture(QString::fromLatin1(name)));
        settle();
        const QString saved = dir.filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
        answerFileDialog(saved);
        window->saveImage();
        const QImage written(saved);
        ASSERT_EQ(written.size(), QSize(257, 2));
        EXPECT_EQ(written.pixel(128, 0), qRgb(188, 188, 188));
        EXPECT_EQ(written.pixel(1, 0), qRgb(13, 13, 13));
    }
}

} // namespace MainWindowTest
