// What a reader does beyond a picture's header is bounded by the header checks, which come first
// on every path (the source pick through the image library, thumbnails and drops through Qt): the
// decodes of a JPEG's scans, the inflation of a PNG's text, a Photoshop file's thumbnail. Beyond
// the bounds a file is refused with a reason, before any reader opens it.

#include "CostlyPictures.h"

#include "io/picture/ImageLibrary.h"
#include "io/picture/PictureFile.h"
#include "io/picture/PictureFormatTable.h"
#include "io/picture/PictureLayers.h"
#include "io/picture/RasterPictureReader.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ReaderCost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ImageLibrary::initialise();
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override { ImageLibrary::exit(); }

    QString write(QString const& name, QByteArray const& bytes) const
    {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QString();
        return file.fileName();
    }

    static bool checked(QByteArray const& format, QByteArray const& bytes, QString* reason)
    {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        return PictureFormatTable::find(format)->check(buffer, reason);
    }

    // The reason the source pick gives; empty when it read the picture.
    static QString libraryRefusal(QString const& path)
    {
        QString reason;
        return PictureLayers::read(path, QByteArray(), 1, &reason).isEmpty() ? reason : QString();
    }
    // The reason a thumbnail or a drop gives; empty when it read the picture.
    static QString qtRefusal(QString const& path)
    {
        QString reason;
        return PictureFile::read(path, QSize(), nullptr, &reason).isNull() ? reason : QString();
    }

    QTemporaryDir dir;
};

} // namespace

// A thousand scans of a small picture, each going over all its blocks: refused as a variant no
// encoder writes. The progressive JPEGs of libjpeg's scripts (ImageMagick, cjpeg, jpegtran,
// Pillow) stay far below the bound.
TEST_F(ReaderCost, JpegsOfScansWithoutEndAreRefused)
{
    for (const char* name : {"jpeg-progressive-imagemagick.jpg", "jpeg-progressive-grey-imagemagick.jpg",
                             "jpeg-progressive-cjpeg.jpg", "jpeg-progressive-jpegtran.jpg", "jpeg-progressive-pillow.jpg",
                             "jpeg-progressive-cmyk-pillow.jpg"}) {
        EXPECT_TRUE(libraryRefusal(CostlyPictures::fixturePath(name)).isEmpty()) << name;
        EXPECT_TRUE(qtRefusal(CostlyPictures::fixturePath(name)).isEmpty()) << name;
    }
    const QByteArray file = CostlyPictures::jpegOfScans(1000);
    QString reason;
    ASSERT_FALSE(checked("jpeg", file, &reason));
    EXPECT_TRUE(reason.startsWith(QStringLiteral("Unsupported JPEG file: "))) << reason.toStdString();
    const QString path = write(QStringLiteral("scans.jpg"), file);
    EXPECT_TRUE(libraryRefusal(path).startsWith(QStringLiteral("Unsupported JPEG file: ")));
    EXPECT_TRUE(qtRefusal(path).startsWith(QStringLiteral("Unsupported JPEG file: ")));
    // A few scans more than a baseline picture's one read as they are.
    EXPECT_TRUE(checked("jpeg", CostlyPictures::jpegOfScans(8), &reason)) << reason.toStdString();
}

// A 1 x 1 PNG of 250 text chunks of 8 kB, each inflating to 8 MB: refused by its check, which
// inflates no more than the bound.
TEST_F(ReaderCost, PngsOfTextInflatingWithoutBoundAreRefused)
{
    const QByteArray chunk = CostlyPictures::compressedText(qint64(8) << 20);
    QString reason;
    ASSERT_FALSE(checked("png", CostlyPictures::pngWith(chunk, 250), &reason));
    EXPECT_TRUE(reason.startsWith(QStringLiteral("Unsupported PNG file: "))) << reason.toStdString();
    // Qt's reader inflates every text chunk to give the picture's size: the thumbnails and the
    // drop pass the same check first. Two chunks, just past the bound, are refused there too.
    const QString path = write(QStringLiteral("text.png"), CostlyPictures::pngWith(CostlyPictures::compressedText(qint64(5) << 20), 2));
    EXPECT_TRUE(qtRefusal(path).startsWith(QStringLiteral("Unsupported PNG file: "))) << qtRefusal(path).toStdString();
    EXPECT_TRUE(libraryRefusal(path).startsWith(QStringLiteral("Unsupported PNG file: ")));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    RasterPictureReader bytes(&file);
    EXPECT_FALSE(bytes.isValid());
    // Text within the bound reads, and so does Pillow's of 200 kB.
    const QString within = write(QStringLiteral("within.png"), CostlyPictures::pngWith(CostlyPictures::compressedText(qint64(3) << 20), 2));
    for (QString const& sound : {within, CostlyPictures::fixturePath("png-compressed-text-pillow.png")}) {
        EXPECT_TRUE(qtRefusal(sound).isEmpty()) << qtRefusal(sound).toStdString();
        EXPECT_TRUE(libraryRefusal(sound).isEmpty()) << libraryRefusal(sound).toStdString();
    }
}

// The reader decodes a Photoshop file's thumbnail when it opens it: one claiming 30000 x 30000
// pixels in a picture of 8 x 6 is refused, a thumbnail as Photoshop writes it is not.
TEST_F(ReaderCost, PhotoshopThumbnailsAreBoundedByThePicture)
{
    QString reason;
    for (QSize claimed : {QSize(30000, 30000), QSize(2000, 2000)}) {
        const QByteArray file = CostlyPictures::photoshopWithThumbnail(QSize(16, 12), claimed);
        ASSERT_FALSE(checked("psd", file, &reason)) << claimed.width();
        EXPECT_TRUE(reason.startsWith(QStringLiteral("Damaged Photoshop file: "))) << reason.toStdString();
        EXPECT_TRUE(reason.contains(QStringLiteral("thumbnail"))) << reason.toStdString();
        EXPECT_TRUE(libraryRefusal(write(QStringLiteral("thumbnail.psd"), file)).startsWith(QStringLiteral("Damaged Photoshop file: ")));
    }
    const QByteArray sound = CostlyPictures::photoshopWithThumbnail(QSize(160, 120));
    EXPECT_TRUE(checked("psd", sound, &reason)) << reason.toStdString();
    EXPECT_TRUE(libraryRefusal(write(QStringLiteral("sound.psd"), sound)).isEmpty());
}
