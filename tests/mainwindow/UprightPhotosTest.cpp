// A phone's or a camera's photo, stored turned or mirrored with the EXIF orientation that sets it
// upright (tests/data/pictures, written by Pillow), is upright wherever the window shows it: on
// the image view it is dropped on, as the source its effects filter, and in the file Save Image
// writes of it.

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

QString uprightPhoto(int orientation)
{
    return QStringLiteral(VYX_TEST_DATA_DIR "/pictures/orientation-%1.jpg").arg(orientation);
}

using UprightPhoto::expectUpright;

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
        ASSERT_TRUE(dropOnView(view, uprightPhoto(orientation)));
        expectUpright(view->image());
    }
}

// Picked in the browser, filtered by no effect and saved: the file holds the photo as it was shown.
TEST_F(UprightPhotos, SaveImageWritesAPickedPhotoUpright)
{
    QSettings().setValue("lastImageLocation", dir.path());
    for (int orientation : {3, 6, 8}) {
        SCOPED_TRACE(orientation);
        window->imageChangedInBrowser(uprightPhoto(orientation));
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
