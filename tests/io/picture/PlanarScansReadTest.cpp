// A3 pages scanned at 600 dpi (7016 x 9921), saved as some scanners and tifffile save them: RGB
// planes apart, each in one compressed strip, 8 or 16 bits a sample, written by ImageMagick from a
// picture this test makes. Read through the reader process on the pick and as a thumbnail, within
// the reader's usual memory, though the library's reader of such a page holds a plane's strip
// whole.

#include "CameraPictures.h"
#include "ReaderPeakMemory.h"

#include "io/picture/PictureReader.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <sys/types.h>

namespace {

const QSize scanSize(7016, 9921);

// The test's picture: each sample a whole 8-bit value, so that 16 bits and 8 bits say the same.
QRgb scanPixel(int x, int y)
{
    return qRgb((x / 32) & 255, (y / 32) & 255, ((x / 64) ^ (y / 64)) & 255);
}

// The picture as a 16-bit binary PPM, each value its 8-bit value times 257.
bool writeScanPpm(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QStringLiteral("P6\n%1 %2\n65535\n").arg(scanSize.width()).arg(scanSize.height()).toLatin1());
    QByteArray row(scanSize.width() * 6, '\0');
    for (int y = 0; y < scanSize.height(); ++y) {
        for (int x = 0; x < scanSize.width(); ++x) {
            const QRgb pixel = scanPixel(x, y);
            const int values[3] = {qRed(pixel), qGreen(pixel), qBlue(pixel)};
            for (int c = 0; c < 3; ++c) {
                row[x * 6 + c * 2] = char(values[c]);
                row[x * 6 + c * 2 + 1] = char(values[c]);
            }
        }
        if (file.write(row) != row.size())
            return false;
    }
    return true;
}

class PlanarScansRead : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        ASSERT_TRUE(s_dir->isValid());
        const QString source = s_dir->filePath(QStringLiteral("scan.ppm"));
        ASSERT_TRUE(writeScanPpm(source));
        // One run writes the four, each strip a plane, as `-define tiff:rows-per-strip` asks, and
        // a fifth of five strips a plane.
        const QString failure = CameraPictures::run(
            CameraPictures::convertProgram(),
            {QStringLiteral("-limit"), QStringLiteral("area"), QStringLiteral("1GP"), source, QStringLiteral("-interlace"),
             QStringLiteral("Plane"), QStringLiteral("-define"),
             QStringLiteral("tiff:rows-per-strip=%1").arg(scanSize.height()), QStringLiteral("-depth"),
             QStringLiteral("16"), QStringLiteral("-compress"), QStringLiteral("Zip"), QStringLiteral("-write"),
             file("a3-16-zip.tif"), QStringLiteral("-compress"), QStringLiteral("LZW"), QStringLiteral("-write"),
             file("a3-16-lzw.tif"), QStringLiteral("-depth"), QStringLiteral("8"), QStringLiteral("-compress"),
             QStringLiteral("Zip"), QStringLiteral("-write"), file("a3-8-zip.tif"), QStringLiteral("-compress"),
             QStringLiteral("LZW"), QStringLiteral("-write"), file("a3-8-lzw.tif"), QStringLiteral("-define"),
             QStringLiteral("tiff:rows-per-strip=2048"), QStringLiteral("-compress"), QStringLiteral("Zip"),
             file("a3-8-zip-strips.tif")});
        QFile::remove(source);
        ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    void SetUp() override
    {
        PictureReader::setProgram(QString());
        PictureReader::setTimeLimit(0);
    }

    static QString file(const char* name) { return s_dir->filePath(QLatin1String(name)); }

    static QTemporaryDir* s_dir;
};

QTemporaryDir* PlanarScansRead::s_dir = nullptr;

// Samples on both sides of the pattern's steps, at the corners and across the page.
void expectScan(const QImage& image)
{
    ASSERT_EQ(image.size(), scanSize);
    int wrong = 0;
    for (const int y : {0, 31, 32, 63, 64, 4959, 4960, 8191, 8192, scanSize.height() - 1}) {
        for (const int x : {0, 31, 32, 63, 64, 3507, 3508, 4095, 4096, scanSize.width() - 1}) {
            if ((image.pixel(x, y) & 0xffffff) != (scanPixel(x, y) & 0xffffff) && ++wrong <= 5)
                ADD_FAILURE() << "at " << x << ", " << y << ": " << std::hex << image.pixel(x, y) << " for "
                              << scanPixel(x, y);
        }
    }
}

} // namespace

TEST_F(PlanarScansRead, AreReadOnThePickAndAsThumbnailsWithinTheReadersMemory)
{
    // The picture given (four bytes a pixel) and the reader's margin: the library's reader alone
    // holds the page's planes whole in their own format before they are converted, up to six
    // bytes a pixel again, and what its pixels are read into as much.
    const qint64 pictureBytes = qint64(scanSize.width()) * scanSize.height() * 4;
    const qint64 bound = pictureBytes + (qint64(192) << 20);
    for (const char* name : {"a3-16-zip.tif", "a3-16-lzw.tif", "a3-8-zip.tif", "a3-8-lzw.tif"}) {
        SCOPED_TRACE(name);
        const QString path = file(name);
        QString reason;
        QSize size;
        ASSERT_TRUE(PictureReader::readInformation(path, &size, nullptr, &reason)) << qPrintable(reason);
        EXPECT_EQ(size, scanSize);
        QList<PictureReader::Layer> layers;
        const qint64 growth =
            ReaderPeakMemory::growthWhile([&] { layers = PictureReader::readLayers(path, QByteArray(), 1, &reason); });
        ASSERT_EQ(layers.size(), 1) << qPrintable(reason);
        expectScan(layers.first().second);
        EXPECT_LT(growth, bound) << (growth >> 20) << " MB at the reader's peak";
        std::fprintf(stderr, "%s: the reader's peak rose by %lld MB on the pick\n", name, growth >> 20);
        layers.clear();

        QSize full;
        const QImage thumbnail = PictureReader::readThumbnail(path, QSize(120, 80), &full, &reason);
        ASSERT_FALSE(thumbnail.isNull()) << qPrintable(reason);
        EXPECT_EQ(full, scanSize);
        // The thumbnail's picture comes whole, as the pick's: the browser scales it.
        expectScan(thumbnail);
    }
}

// Strips of 2048 rows, more than a band: each plane's list of strips read in turn.
TEST_F(PlanarScansRead, PlanesOfSeveralLargeStripsArePicked)
{
    QString reason;
    const QList<PictureReader::Layer> layers =
        PictureReader::readLayers(file("a3-8-zip-strips.tif"), QByteArray(), 1, &reason);
    ASSERT_EQ(layers.size(), 1) << qPrintable(reason);
    expectScan(layers.first().second);
    // Rows on both sides of each strip's end.
    const QImage& image = layers.first().second;
    for (int end = 2048; end < scanSize.height(); end += 2048) {
        for (const int y : {end - 1, end}) {
            for (const int x : {0, 3508, scanSize.width() - 1})
                EXPECT_EQ(image.pixel(x, y) & 0xffffff, scanPixel(x, y) & 0xffffff) << x << ", " << y;
        }
    }
}

// A drop reads through Qt's readers, which read 16-bit planes wrong: it names the click instead.
TEST_F(PlanarScansRead, ADropOfSixteenBitPlanesNamesTheClick)
{
    for (const char* name : {"a3-16-zip.tif", "a3-16-lzw.tif"}) {
        SCOPED_TRACE(name);
        QString reason;
        EXPECT_TRUE(PictureReader::readFile(file(name), QSize(), nullptr, &reason).isNull());
        EXPECT_TRUE(reason.contains(QStringLiteral("Click it in the image browser to open it."))) << qPrintable(reason);
    }
}
