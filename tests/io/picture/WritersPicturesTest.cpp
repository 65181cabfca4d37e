// Sound pictures as common tools write them (tests/data/pictures, see its README) are read with the
// pixels their writers put in them, by the image library's readers (the source picture) and by
// Qt's (thumbnails, drops) alike. (Progressive JPEGs and PNGs of compressed text: ReaderCostTest.)

#include "CostlyPictures.h"

#include "io/picture/ImageLibrary.h"
#include "io/picture/PictureFile.h"
#include "io/picture/PictureFormatTable.h"
#include "io/picture/PictureLayers.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class WritersPictures : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ImageLibrary::initialise();
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override { ImageLibrary::exit(); }

    // The picture as the source pick reads it.
    static QImage library(QString const& path, QString* reason)
    {
        const QList<PictureLayers::Layer> layers = PictureLayers::read(path, QByteArray(), 1, reason);
        return layers.isEmpty() ? QImage() : layers.first().second;
    }
    // The picture as a thumbnail or a drop reads it.
    static QImage qt(QString const& path, QString* reason) { return PictureFile::read(path, QSize(), nullptr, reason); }

    QString write(QString const& name, QByteArray const& bytes) const
    {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QString();
        return file.fileName();
    }

    // Reads the file both ways; each picture must be `size` with the colours given at their places.
    static void expectRead(QString const& path, QSize size, QList<QPair<QPoint, QRgb>> const& colours)
    {
        for (bool byLibrary : {true, false}) {
            SCOPED_TRACE(byLibrary ? "image library" : "Qt");
            QString reason;
            const QImage image = byLibrary ? library(path, &reason) : qt(path, &reason);
            ASSERT_FALSE(image.isNull()) << reason.toStdString();
            EXPECT_EQ(image.size(), size);
            for (auto const& [at, colour] : colours)
                EXPECT_EQ(image.pixel(at) & 0xffffff, colour & 0xffffff) << at.x() << ", " << at.y();
        }
    }

    QTemporaryDir dir;
};

// Where a GIF's first frame descriptor stands: past its header, global table and extensions.
qsizetype firstFrameAt(QByteArray const& gif)
{
    const int flags = uchar(gif.at(10));
    qsizetype at = 13 + ((flags & 0x80) ? 3 * (2 << (flags & 7)) : 0);
    while (at < gif.size() && gif.at(at) == 0x21) {
        for (at += 2; at < gif.size() && gif.at(at) != 0;)
            at += 1 + uchar(gif.at(at));
        ++at;
    }
    return at < gif.size() && gif.at(at) == 0x2c ? at : -1;
}

const QRgb red = qRgb(255, 0, 0);
const QRgb blue = qRgb(0, 0, 255);

} // namespace

// ImageMagick's -page puts a frame past the logical screen; the picture is the screen enlarged
// to hold the first frame, as browsers show it, the frame whole at its place.
TEST_F(WritersPictures, GifFramesPastTheScreenAreShownWhole)
{
    // A 40 x 30 frame at 20, 20 on a 50 x 40 screen; its blue corner lies past the screen.
    expectRead(CostlyPictures::fixturePath("gif-frame-past-screen.gif"), QSize(60, 50),
               {{QPoint(25, 25), red}, {QPoint(49, 39), red}, {QPoint(55, 45), blue}});
    // A first frame larger than its screen, as older writers leave it: the same frame at 0, 0 on
    // a screen of 20 x 15.
    QByteArray larger = CostlyPictures::fixture("gif-frame-past-screen.gif");
    qToLittleEndian<quint16>(20, larger.data() + 6);
    qToLittleEndian<quint16>(15, larger.data() + 8);
    const qsizetype frame = firstFrameAt(larger);
    ASSERT_GT(frame, 0);
    qToLittleEndian<quint32>(0, larger.data() + frame + 1);
    expectRead(write("larger.gif", larger), QSize(40, 30), {{QPoint(5, 5), red}, {QPoint(35, 25), blue}});
    // An animation whose second frame lies past the screen: its first frame reads.
    expectRead(CostlyPictures::fixturePath("gif-animation-frame-past-screen.gif"), QSize(30, 30), {{QPoint(10, 10), red}});
}

// Planes stored one by one with strips of more rows than the picture (the format's default
// among them, written out or left out): the reader is held to the picture's rows.
TEST_F(WritersPictures, PlanarTiffsWithStripsPastTheirRowsAreRead)
{
    for (const char* name : {"tiff-planar-rows-past-height.tif", "tiff-planar-rows-default.tif", "tiff-planar-rows-absent.tif"}) {
        SCOPED_TRACE(name);
        expectRead(CostlyPictures::fixturePath(name), QSize(64, 48), {{QPoint(10, 10), red}, {QPoint(50, 40), blue}});
    }
}

// Only the first page is read: a later page of a compression the program does not read is no
// reason to refuse the file.
TEST_F(WritersPictures, ATiffIsJudgedByTheFirstPageItReads)
{
    expectRead(CostlyPictures::fixturePath("tiff-second-page-jbig.tif"), QSize(64, 48),
               {{QPoint(10, 10), red}, {QPoint(50, 40), blue}});
}

// A header comment of any length is read to its end.
TEST_F(WritersPictures, PortableMapsWithLongCommentsAreRead)
{
    expectRead(CostlyPictures::fixturePath("ppm-long-comment.ppm"), QSize(40, 30), {{QPoint(5, 5), red}, {QPoint(35, 25), blue}});
    QString reason;
    const QImage grey = library(CostlyPictures::fixturePath("pgm-long-comment.pgm"), &reason);
    ASSERT_FALSE(grey.isNull()) << reason.toStdString();
    EXPECT_EQ(grey.size(), QSize(40, 30));
    EXPECT_LT(qGray(grey.pixel(35, 25)), qGray(grey.pixel(5, 5)));
    EXPECT_FALSE(qt(CostlyPictures::fixturePath("pgm-long-comment.pgm"), &reason).isNull()) << reason.toStdString();
}

// netpbm's plain bitmap (its bits without spaces) is a variant neither reader reads: it is refused
// as one, not as damage.
TEST_F(WritersPictures, APlainBitmapOfBitsWithoutSpacesIsRefusedAsUnsupported)
{
    const QString path = CostlyPictures::fixturePath("pbm-plain.pbm");
    for (bool byLibrary : {true, false}) {
        QString reason;
        EXPECT_TRUE((byLibrary ? library(path, &reason) : qt(path, &reason)).isNull());
        EXPECT_TRUE(reason.startsWith(QStringLiteral("Unsupported portable map: "))) << reason.toStdString();
    }
}
