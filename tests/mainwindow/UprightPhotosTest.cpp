// A phone's or a camera's photo, stored turned or mirrored with the EXIF orientation that sets it
// upright (tests/data/pictures, written by Pillow), is upright wherever the window shows it: on
// the image view it is dropped on, as the source its effects filter, and in the file Save Image
// writes of it.

#include "MainWindowFixture.h"
#include "PictureDrop.h"

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

QString photo(int orientation)
{
    return QStringLiteral(VYX_TEST_DATA_DIR "/pictures/orientation-%1.jpg").arg(orientation);
}

bool near(QRgb got, QRgb expected)
{
    return std::abs(qRed(got) - qRed(expected)) <= 40 && std::abs(qGreen(got) - qGreen(expected)) <= 40
           && std::abs(qBlue(got) - qBlue(expected)) <= 40 && qAlpha(got) == qAlpha(expected);
}

// The photo every viewer shows: 300 x 200, red at the top left, green at the top right, blue at
// the bottom left.
void expectUpright(QImage const& image)
{
    ASSERT_EQ(image.size(), QSize(300, 200));
    EXPECT_TRUE(near(image.pixel(30, 20), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(image.pixel(270, 20), qRgb(0, 255, 0)));
    EXPECT_TRUE(near(image.pixel(30, 180), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(image.pixel(270, 180), qRgb(128, 128, 128)));
}

using UprightPhotos = MainWindowFixture;

} // namespace

TEST(UprightPhotosDropped, ADroppedPhotoShowsUpright)
{
    QMainWindow window;
    auto* view = new ImageView;
    window.setCentralWidget(view);
    view->setFixedSize(400, 400);
    window.show();
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        ASSERT_TRUE(dropOnView(view, photo(orientation)));
        expectUpright(view->image());
    }
}

// Picked in the browser, filtered by no effect and saved: the file holds the photo as it was shown.
TEST_F(UprightPhotos, SaveImageWritesAPickedPhotoUpright)
{
    QSettings().setValue("lastImageLocation", dir.path());
    for (int orientation : {3, 6, 8}) {
        SCOPED_TRACE(orientation);
        window->imageChangedInBrowser(photo(orientation));
        settle();
        expectUpright(*core()->sourceImage());
        expectUpright(*core()->resultImage());
        const QString saved = dir.filePath(QStringLiteral("upright-%1.png").arg(orientation));
        answerFileDialog(saved);
        window->saveImage();
        expectUpright(QImage(saved));
    }
}

} // namespace MainWindowTest
