// A drop reads with the toolkit's readers, a click with the image library, which knows more kinds
// of picture. A sound file of such a kind (Targa files as Pillow and ImageMagick write them, a
// Photoshop, OpenEXR, Radiance HDR or PFM file, a bitmap stored top-down), or of a variant the
// toolkit's reader cannot decode, dropped on the image view is refused in plain words that name the
// click, never called damaged, and a click opens it; a file damaged for both keeps its refusal.

#include "MainWindowFixture.h"
#include "MessageBoxes.h"
#include "PictureDrop.h"

#include "app/TwCore.h"
#include "browser/ImageView.h"
#include "mainwindow/TwMainWindow.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

using namespace MainWindowTest;

class ClickOnlyDropTest : public MainWindowFixture
{
protected:
    // The fixture's copy in the test's folder, bytes changed by `edit`.
    QString copyOf(QString const& fixture, std::function<void(QByteArray&)> const& edit = {})
    {
        QFile in(QStringLiteral(VYX_TEST_DATA_DIR "/") + fixture);
        EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << qPrintable(fixture);
        QByteArray bytes = in.readAll();
        if (edit)
            edit(bytes);
        const QString path = dir.filePath(fixture.section(QLatin1Char('/'), -1));
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return path;
    }

    // The box the drop of `path` gave; empty when the drop took or no box came.
    QString dropRefusal(QString const& path)
    {
        MessageBoxes boxes({}, QMessageBox::Ok, true);
        const bool taken = dropOnView(window->imageView(), path);
        QCoreApplication::processEvents();
        EXPECT_FALSE(taken) << qPrintable(path);
        EXPECT_EQ(boxes.texts.size(), 1) << qPrintable(path);
        return boxes.texts.value(0);
    }
};

TEST_F(ClickOnlyDropTest, ASoundFileTheDropCannotReadNamesTheClickThatOpensIt)
{
    QImage bitmap(8, 6, QImage::Format_RGB32);
    bitmap.fill(qRgb(10, 200, 30));
    const QString topDown = dir.filePath(QStringLiteral("top-down.bmp"));
    ASSERT_TRUE(bitmap.save(topDown, "BMP"));
    {
        // The same rows, stored from the top: a negative height.
        QFile file(topDown);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        qToLittleEndian<qint32>(-6, bytes.data() + 22);
        file.seek(0);
        file.write(bytes);
    }
    const QStringList files{copyOf(QStringLiteral("pictures/targa-rle-pillow.tga")),
                            copyOf(QStringLiteral("pictures/targa-plain-imagemagick.tga")),
                            copyOf(QStringLiteral("pictures/targa-rle-imagemagick.tga")),
                            copyOf(QStringLiteral("flat.psd")),
                            copyOf(QStringLiteral("pictures/linear-ramp-oiiotool.exr")),
                            copyOf(QStringLiteral("pictures/linear-ramp-oiiotool.hdr")),
                            copyOf(QStringLiteral("pictures/grey-55-imagemagick.pfm")),
                            topDown};
    for (QString const& path : files) {
        SCOPED_TRACE(path.toStdString());
        const QString box = dropRefusal(path);
        EXPECT_FALSE(box.contains(QStringLiteral("amaged"))) << qPrintable(box);
        EXPECT_TRUE(box.contains(QStringLiteral("Click it in the image browser to open it."))) << qPrintable(box);
        QString reason;
        EXPECT_TRUE(core()->setSourceImage(path, &reason)) << qPrintable(reason);
    }
    EXPECT_EQ(core()->sourceImage()->size(), QSize(8, 6));

    // No width: no reader reads it, and the drop does not send the user to the click.
    const QString damaged = copyOf(QStringLiteral("pictures/targa-rle-pillow.tga"),
                                   [](QByteArray& bytes) { bytes[12] = 0, bytes[13] = 0; });
    const QString refusal = dropRefusal(damaged);
    EXPECT_FALSE(refusal.contains(QStringLiteral("Click it"))) << qPrintable(refusal);
    QString reason;
    EXPECT_FALSE(core()->setSourceImage(damaged, &reason));
}

// Files as ImageMagick writes them that the drop's readers take for their own or refuse on their
// kind, and the click opens: a Photoshop file of zip-compressed layers (the click shows its merged
// picture), a tiled TIFF whose one tile is larger than the picture (the toolkit's reader reads its
// header, not its pixels).
TEST_F(ClickOnlyDropTest, AFileAsImageMagickWritesItThatTheClickOpensNamesTheClick)
{
    for (QString const& fixture : {QStringLiteral("pictures/zip-flat.psd"), QStringLiteral("pictures/zip-layers.psd"),
                                   QStringLiteral("pictures/tiff-tile-past-picture-imagemagick.tif")}) {
        SCOPED_TRACE(fixture.toStdString());
        const QString path = copyOf(fixture);
        const QString box = dropRefusal(path);
        EXPECT_FALSE(box.contains(QStringLiteral("amaged"))) << qPrintable(box);
        EXPECT_TRUE(box.contains(QStringLiteral("Click it in the image browser to open it."))) << qPrintable(box);
        QString reason;
        EXPECT_TRUE(core()->setSourceImage(path, &reason)) << qPrintable(reason);
    }
    EXPECT_EQ(core()->sourceImage()->size(), QSize(100, 70));

    // Its tile's compressed bytes overwritten: neither reads it, and the drop keeps its refusal.
    const QString damaged = copyOf(QStringLiteral("pictures/tiff-tile-past-picture-imagemagick.tif"),
                                   [](QByteArray& bytes) { bytes.replace(20, 40, QByteArray(40, '\x55')); });
    const QString refusal = dropRefusal(damaged);
    EXPECT_TRUE(refusal.contains(QStringLiteral("amaged"))) << qPrintable(refusal);
    EXPECT_FALSE(refusal.contains(QStringLiteral("Click it"))) << qPrintable(refusal);
    QString reason;
    EXPECT_FALSE(core()->setSourceImage(damaged, &reason));
}

} // namespace
