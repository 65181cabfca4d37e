// Sound pictures as the common tools write them (tests/data/pictures; its README names the tool
// and the command of each), read in this process as the reader process reads them: through the
// image library as a source picture, through Qt's readers and the library as thumbnails.

#include "io/picture/ImageLibrary.h"
#include "io/picture/LibraryPictureFile.h"
#include "io/picture/PictureFile.h"
#include "io/picture/PictureLayers.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QString soundPicture(QString const& name)
{
    return QStringLiteral(VYX_TEST_DATA_DIR "/pictures/") + name;
}

class SoundPicturesRead : public ::testing::Test
{
protected:
    void SetUp() override { ImageLibrary::initialise(); }
    void TearDown() override { ImageLibrary::exit(); }

    // The one picture the library reads from the file as a source, or a null image.
    static QImage source(QString const& path, QString* reason = nullptr)
    {
        QString why;
        const QList<PictureLayers::Layer> layers = PictureLayers::read(path, QByteArray(), -1, &why);
        if (reason)
            *reason = why;
        EXPECT_LE(layers.size(), 1);
        if (layers.isEmpty())
            return QImage();
        EXPECT_EQ(layers.first().first.topLeft(), QPoint(0, 0));
        return layers.first().second;
    }
};

::testing::AssertionResult soundNear(QRgb got, QRgb expected, int tolerance)
{
    if (std::abs(qRed(got) - qRed(expected)) <= tolerance && std::abs(qGreen(got) - qGreen(expected)) <= tolerance
        && std::abs(qBlue(got) - qBlue(expected)) <= tolerance && qAlpha(got) == qAlpha(expected))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << QString::number(got, 16).toStdString() << " for "
                                         << QString::number(expected, 16).toStdString();
}

// The photo of the orientation files as every viewer shows it: 300 x 200, red top left, green
// top right, blue bottom left, grey elsewhere. Looked at in the middle of each mark, in an image
// of any size.
void expectSoundUpright(QImage const& image, char const* path)
{
    SCOPED_TRACE(path);
    ASSERT_FALSE(image.isNull());
    auto at = [&image](int x, int y) {
        return image.pixel(x * image.width() / 300, y * image.height() / 200);
    };
    EXPECT_TRUE(soundNear(at(30, 20), qRgb(255, 0, 0), 40));
    EXPECT_TRUE(soundNear(at(270, 20), qRgb(0, 255, 0), 40));
    EXPECT_TRUE(soundNear(at(30, 180), qRgb(0, 0, 255), 40));
    EXPECT_TRUE(soundNear(at(270, 180), qRgb(128, 128, 128), 40));
    EXPECT_TRUE(soundNear(at(150, 100), qRgb(128, 128, 128), 40));
}

// What ImageMagick drew: grey 127, a white block at the top left, a black one at the bottom right.
QRgb greyBitmapPixel(int x, int y)
{
    if (x < 70 && y < 40)
        return qRgb(255, 255, 255);
    if (x >= 630 && y >= 485)
        return qRgb(0, 0, 0);
    return qRgb(127, 127, 127);
}

} // namespace

// ImageMagick's run-length bitmap of a grey palette: its reader writes three bytes a pixel where
// its spec says one, and the rows it wrote killed the program; ImageMagick ends the last row with
// an end of line, which the reader refused. Read with every pixel, as Qt's reader reads it, and
// as well when the last row ends with the end of the bitmap, as other writers end it.
TEST_F(SoundPicturesRead, AGreyRunLengthBitmapReadsWithItsPixels)
{
    QFile written(soundPicture(QStringLiteral("grey-rle8.bmp")));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    ASSERT_TRUE(bytes.endsWith(QByteArray("\0\0\0\1", 4)));
    QByteArray endedByBitmapEnd = bytes.chopped(4) + QByteArray("\0\1", 2);
    qToLittleEndian<quint32>(quint32(endedByBitmapEnd.size()), endedByBitmapEnd.data() + 2);
    QTemporaryDir dir;
    const QString ended = dir.filePath(QStringLiteral("ended.bmp"));
    QFile out(ended);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(endedByBitmapEnd) == endedByBitmapEnd.size());
    out.close();

    for (QString const& path : {written.fileName(), ended}) {
        SCOPED_TRACE(path.toStdString());
        QString reason;
        const QImage image = source(path, &reason);
        ASSERT_EQ(image.size(), QSize(700, 525)) << reason.toStdString();
        int wrong = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                wrong += image.pixel(x, y) != greyBitmapPixel(x, y);
        }
        EXPECT_EQ(wrong, 0);
        const QImage byQt = PictureFile::read(path);
        ASSERT_EQ(byQt.size(), image.size());
        EXPECT_EQ(byQt.convertToFormat(QImage::Format_RGB32), image.convertToFormat(QImage::Format_RGB32));
    }
}

// A phone's or a camera's photo is stored as the sensor saw it, with the orientation (EXIF's 1
// to 8) that turns or mirrors it upright; a TIFF's tag says the same. Every reader gives it
// upright, at its upright size; a thumbnail's fit is taken on the upright picture, never smaller.
TEST_F(SoundPicturesRead, PhotosComeUprightWhateverTheirOrientation)
{
    QStringList paths;
    for (int orientation = 1; orientation <= 8; ++orientation)
        paths << soundPicture(QStringLiteral("orientation-%1.jpg").arg(orientation));
    paths << soundPicture(QStringLiteral("orientation-6.tif"));
    for (QString const& path : paths) {
        const std::string name = path.toStdString();
        SCOPED_TRACE(name);

        const QImage picked = source(path);
        EXPECT_EQ(picked.size(), QSize(300, 200));
        expectSoundUpright(picked, "as a source");
        ImageLibrary::FileInformation information;
        ASSERT_EQ(ImageLibrary::fileInformation(path, -1, &information), ImageLibrary::NoError);
        EXPECT_EQ(QSize(information.width, information.height), QSize(300, 200));

        QSize full;
        const QImage thumbnail = PictureFile::read(path, QSize(120, 80), &full);
        // Decoded small where the format can (JPEG), never smaller than the fit, upright.
        EXPECT_GE(thumbnail.width(), 120);
        EXPECT_GE(thumbnail.height(), 80);
        EXPECT_EQ(thumbnail.width() * 2, thumbnail.height() * 3);
        if (path.endsWith(QLatin1String(".jpg")))
            EXPECT_EQ(thumbnail.size(), QSize(120, 80));
        EXPECT_EQ(full, QSize(300, 200));
        expectSoundUpright(thumbnail, "as a thumbnail");
        const QImage whole = PictureFile::read(path, QSize(), &full);
        EXPECT_EQ(whole.size(), QSize(300, 200));
        expectSoundUpright(whole, "whole through Qt");
    }
}

// netpbm's Targa writer names no alpha bits in its 32-bit pixels. Padded RGB (a fourth byte of
// zeros everywhere) is opaque, not wholly transparent; alpha it put there is alpha, as the
// common readers take it.
TEST_F(SoundPicturesRead, ATargaWithoutAlphaBitsIsOpaqueUnlessItsFourthBytesHoldAlpha)
{
    const QRgb corner = qRgb(20, 40, 220);
    const QRgb rest = qRgb(200, 100, 50);
    const QString padded = soundPicture(QStringLiteral("rgb-padded-32.tga"));
    for (QImage const& image : {source(padded), LibraryPictureFile::read(padded)}) {
        ASSERT_EQ(image.size(), QSize(64, 48));
        int transparent = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                transparent += qAlpha(image.pixel(x, y)) != 255;
        }
        EXPECT_EQ(transparent, 0);
        EXPECT_EQ(image.pixel(0, 0), corner);
        EXPECT_EQ(image.pixel(15, 11), corner);
        EXPECT_EQ(image.pixel(16, 12), rest);
        EXPECT_EQ(image.pixel(63, 47), rest);
    }
    const QString alpha = soundPicture(QStringLiteral("rgb-alpha-32.tga"));
    for (QImage const& image : {source(alpha), LibraryPictureFile::read(alpha)}) {
        ASSERT_EQ(image.size(), QSize(64, 48));
        EXPECT_EQ(image.pixel(0, 0), corner);
        EXPECT_EQ(image.pixel(47, 35), rest);
        EXPECT_EQ(image.pixel(48, 36), qRgba(200, 100, 50, 128));
        EXPECT_EQ(image.pixel(63, 47), qRgba(200, 100, 50, 128));
    }
}

// Files whose reader declines them are never refused as of a format nobody knows, nor in the
// reader's own words: ImageMagick's Photoshop file, whose layers it compresses with zip, shows its
// merged picture; a GIF without any colour table is refused for what it lacks.
TEST_F(SoundPicturesRead, AFileItsReaderDeclinesIsReadOrRefusedInPlainWords)
{
    const QString psd = soundPicture(QStringLiteral("zip-layers.psd"));
    QString reason;
    EXPECT_EQ(source(psd, &reason).size(), QSize(40, 30)) << reason.toStdString();
    QSize full;
    EXPECT_EQ(LibraryPictureFile::read(psd, &full, &reason).size(), QSize(40, 30)) << reason.toStdString();
    EXPECT_EQ(full, QSize(40, 30));

    EXPECT_TRUE(source(soundPicture(QStringLiteral("no-colour-table.gif")), &reason).isNull());
    EXPECT_NE(reason, ImageLibrary::errorText(ImageLibrary::UnknownFormat));
    EXPECT_EQ(reason.toStdString(), "Unsupported GIF file: it has no colour table, so its colours are unknown.");
}
