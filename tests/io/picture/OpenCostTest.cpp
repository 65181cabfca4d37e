// What the header checks tell of a file before the image library's reader opens it: what that
// reader holds once it has, found from the header alone, and no more than the header claims.

#include "CameraPictures.h"

#include "io/picture/ImageLibrary.h"
#include "io/picture/OpenCost.h"
#include "io/picture/ReaderMemory.h"

#include <QImageWriter>

#include <gtest/gtest.h>

namespace {

class OpenCostTest : public ::testing::Test
{
protected:
    void SetUp() override { ImageLibrary::initialise(); }
    void TearDown() override { ImageLibrary::exit(); }

    // What was told while the library opened the file, and the data the process had grown by
    // when it was told; -1 when nothing was.
    struct Told {
        qint64 bytes = -1;
        qint64 grownBy = 0;
    };
    static Told opened(const QString& path)
    {
        Told told;
        ImageLibrary::closeFileOtherThan(QString());
        const qint64 before = ReaderMemory::dataInUse();
        const OpenCost::Listening listening([&told, before](qint64 bytes) {
            told.bytes = bytes;
            told.grownBy = ReaderMemory::dataInUse() - before;
        });
        ImageLibrary::FileInformation information;
        QString reason;
        EXPECT_EQ(ImageLibrary::fileInformation(path, -1, &information, &reason), ImageLibrary::NoError)
            << qPrintable(reason);
        return told;
    }
};

TEST_F(OpenCostTest, AProgressiveJpegsCoefficientsAreToldBeforeTheDecoderHoldsThem)
{
    QString failure;
    const QString full = CameraPictures::progressiveJpeg(6000, 4000, QStringLiteral("4:4:4"), &failure);
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    // 750 x 500 blocks of each of three components, 64 coefficients of two bytes each.
    const Told told = opened(full);
    EXPECT_EQ(told.bytes, qint64(750) * 500 * 3 * 128);
    EXPECT_LT(told.grownBy, told.bytes / 4);
    // Chroma at half the sides: luma's 93 x 62 blocks rounded up to its sampling, 47 x 31 of each
    // chroma.
    const QString halved = CameraPictures::progressiveJpeg(737, 491, QStringLiteral("4:2:0"), &failure);
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    EXPECT_EQ(opened(halved).bytes, (qint64(94) * 62 + 2 * 47 * 31) * 128);
    // A baseline picture is decoded a band at a time.
    const QString baseline = CameraPictures::folder().filePath(QStringLiteral("baseline.jpg"));
    ASSERT_TRUE(QImageWriter(baseline, "jpeg").write(CameraPictures::gradientPicture(640, 480)));
    EXPECT_EQ(opened(baseline).bytes, 0);
}

TEST_F(OpenCostTest, AFileReadWholeIsToldWhatItsHeaderClaimsNotWhatPadsIt)
{
    QString failure;
    const QString ppm = CameraPictures::ppm(2, 2, &failure);
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    const qint64 size = QFileInfo(ppm).size();
    EXPECT_EQ(opened(ppm).bytes, size);
    const QString padded = CameraPictures::padded(ppm, qint64(1) << 20, &failure);
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    EXPECT_EQ(opened(padded).bytes, size);

    const QString webp = CameraPictures::webp(2, 2, &failure);
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    EXPECT_EQ(opened(webp).bytes, QFileInfo(webp).size() + 2 * 2 * 4);
    EXPECT_EQ(opened(CameraPictures::padded(webp, qint64(1) << 20, &failure)).bytes, QFileInfo(webp).size() + 2 * 2 * 4);
}

TEST_F(OpenCostTest, APhotoshopFilesThumbnailIsToldAndAFileWithoutOneTellsNothing)
{
    QString failure;
    const QString path = CameraPictures::photoshop(32, 24, &failure);
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    // Decoded through a buffer of 64 MB of rows, however small it is.
    EXPECT_EQ(opened(path).bytes, (qint64(64) << 20) + 160 * 120 * 16);

    const QString plain = CameraPictures::folder().filePath(QStringLiteral("plain.png"));
    ASSERT_TRUE(QImageWriter(plain, "png").write(CameraPictures::gradientPicture(64, 64)));
    EXPECT_EQ(opened(plain).bytes, 0);
}

} // namespace
