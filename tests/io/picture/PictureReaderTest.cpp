#include "io/picture/PictureReader.h"
#include "io/picture/ReaderMemory.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

QString besideThisTest(const QString& name)
{
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath() + '/' + name;
}

// A picture with a different value in each corner, so that a turned or mirrored read shows.
QImage cornersPicture()
{
    QImage image(7, 5, QImage::Format_ARGB32);
    image.fill(qRgba(40, 80, 120, 255));
    image.setPixel(0, 0, qRgba(255, 0, 0, 255));
    image.setPixel(6, 0, qRgba(0, 255, 0, 255));
    image.setPixel(0, 4, qRgba(0, 0, 255, 255));
    image.setPixel(6, 4, qRgba(255, 255, 0, 128));
    return image;
}

// The stamp picture's colour: the process id of the reader that drew it.
QRgb stampOf(const QImage& image)
{
    return image.isNull() ? 0 : image.pixel(0, 0);
}

class PictureReaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        PictureReader::setTimeLimit(0);
    }
    void TearDown() override
    {
        PictureReader::setProgram(QString());
        PictureReader::setTimeLimit(0);
        PictureReader::setWait({});
    }

    void useStandIn() { PictureReader::setProgram(besideThisTest(QStringLiteral("vyx-picture-reader-standin"))); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    QImage stamp(QString* reason = nullptr) { return PictureReader::readFile(file(QStringLiteral("x.stamp")), QSize(), nullptr, reason); }

    QTemporaryDir m_dir;
};

TEST_F(PictureReaderTest, APictureComesBackAsItsOwnReaderReadsItOnEveryRoad)
{
    const QImage picture = cornersPicture();
    const QString path = file(QStringLiteral("corners.png"));
    ASSERT_TRUE(QImageWriter(path, "png").write(picture));
    const QImage own(path);

    QString reason;
    QSize full;
    const QImage read = PictureReader::readFile(path, QSize(), &full, &reason);
    ASSERT_FALSE(read.isNull()) << qPrintable(reason);
    EXPECT_EQ(read.convertToFormat(QImage::Format_ARGB32), own.convertToFormat(QImage::Format_ARGB32));
    EXPECT_EQ(full, QSize(7, 5));

    const QList<PictureReader::Layer> layers = PictureReader::readLayers(path, QByteArray(), 1, &reason);
    ASSERT_EQ(layers.size(), 1) << qPrintable(reason);
    EXPECT_EQ(layers.first().first, QRect(0, 0, 7, 5));
    EXPECT_EQ(layers.first().second.convertToFormat(QImage::Format_ARGB32), picture);

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&buffer, "png"));
    EXPECT_EQ(PictureReader::readBytes(bytes, 1000, QSize()).convertToFormat(QImage::Format_ARGB32), picture);
    // Within a bound it comes smaller; past the cap it is refused on its header.
    EXPECT_EQ(PictureReader::readBytes(bytes, 1000, QSize(3, 3)).width(), 3);
    EXPECT_TRUE(PictureReader::readBytes(bytes, 20, QSize(), &reason).isNull());
    EXPECT_TRUE(reason.startsWith(QStringLiteral("Image too large"))) << qPrintable(reason);

    QSize size;
    int dpi = 0;
    ASSERT_TRUE(PictureReader::readInformation(path, &size, &dpi, &reason)) << qPrintable(reason);
    EXPECT_EQ(size, QSize(7, 5));
    EXPECT_GT(dpi, 0);
}

TEST_F(PictureReaderTest, AFileNoReaderTakesIsRefusedWithItsReason)
{
    const QString path = file(QStringLiteral("notes.png"));
    QFile text(path);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("these are notes, not a picture\n");
    text.close();
    QString reason;
    EXPECT_TRUE(PictureReader::readFile(path, QSize(), nullptr, &reason).isNull());
    EXPECT_FALSE(reason.isEmpty());
    reason.clear();
    EXPECT_TRUE(PictureReader::readLayers(path, QByteArray(), 1, &reason).isEmpty());
    EXPECT_FALSE(reason.isEmpty());
    reason.clear();
    EXPECT_TRUE(PictureReader::readFile(file(QStringLiteral("absent.png")), QSize(), nullptr, &reason).isNull());
    EXPECT_FALSE(reason.isEmpty());
}

TEST_F(PictureReaderTest, AReaderThatCrashesIsARefusalAndTheNextReadGetsANewReader)
{
    useStandIn();
    const QRgb first = stampOf(stamp());
    ASSERT_NE(first, 0u);
    QString reason;
    EXPECT_TRUE(PictureReader::readFile(file(QStringLiteral("x.crash")), QSize(), nullptr, &reason).isNull());
    EXPECT_EQ(reason, QStringLiteral("The picture's reader stopped."));
    const QRgb second = stampOf(stamp(&reason));
    ASSERT_NE(second, 0u) << qPrintable(reason);
    EXPECT_NE(second, first);
    // Kept for the next picture.
    EXPECT_EQ(stampOf(stamp()), second);
}

TEST_F(PictureReaderTest, AReaderPastItsTimeIsStoppedAndSaysSo)
{
    useStandIn();
    const QRgb first = stampOf(stamp());
    PictureReader::setTimeLimit(200);
    QString reason;
    EXPECT_TRUE(PictureReader::readFile(file(QStringLiteral("x.hang")), QSize(), nullptr, &reason).isNull());
    EXPECT_EQ(reason, QStringLiteral("The picture's reader took longer than 1 s."));
    PictureReader::setTimeLimit(0);
    const QRgb second = stampOf(stamp(&reason));
    ASSERT_NE(second, 0u) << qPrintable(reason);
    EXPECT_NE(second, first);
}

TEST_F(PictureReaderTest, AReaderPastWhatItsHeaderClaimedIsRefusedAndGoesOn)
{
    if (!ReaderMemory::limitsApply())
        GTEST_SKIP() << "a sanitized reader runs without a data limit";
    useStandIn();
    const QRgb first = stampOf(stamp());
    QString reason;
    EXPECT_TRUE(PictureReader::readFile(file(QStringLiteral("x.hog")), QSize(), nullptr, &reason).isNull());
    EXPECT_TRUE(reason.startsWith(QStringLiteral("The picture's reader needed more than "))) << qPrintable(reason);
    EXPECT_TRUE(reason.endsWith(QStringLiteral(" MB."))) << qPrintable(reason);
    // The same reader serves the next picture, its limit back where it was.
    EXPECT_EQ(stampOf(stamp()), first);
    const QString path = file(QStringLiteral("corners.png"));
    ASSERT_TRUE(QImageWriter(path, "png").write(cornersPicture()));
    EXPECT_FALSE(PictureReader::readFile(path, QSize(), nullptr, &reason).isNull()) << qPrintable(reason);
}

TEST_F(PictureReaderTest, AWaitThatIsEndedEndsTheRead)
{
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    // The window's thread is the application's: one is made where the run has none.
    std::unique_ptr<QCoreApplication> application;
    if (!QCoreApplication::instance())
        application = std::make_unique<QCoreApplication>(argc, argv);
    useStandIn();
    bool canceled = false;
    PictureReader::setWait([&canceled](const std::function<void()>& work, const std::function<void()>& cancel) {
        std::thread reader(work);
        cancel();
        canceled = true;
        reader.join();
    });
    QString reason;
    {
        const PictureReader::WindowWait windowWait;
        EXPECT_TRUE(PictureReader::readFile(file(QStringLiteral("x.hang")), QSize(), nullptr, &reason).isNull());
    }
    EXPECT_TRUE(canceled);
    EXPECT_EQ(reason, QStringLiteral("The picture was not read: the read was canceled."));
    PictureReader::setWait({});
    EXPECT_NE(stampOf(stamp()), 0u);
}

TEST_F(PictureReaderTest, AMissingReaderIsARefusalThatNamesIt)
{
    const QString missing = file(QStringLiteral("no-such-reader"));
    PictureReader::setProgram(missing);
    QString reason;
    EXPECT_TRUE(PictureReader::readFile(file(QStringLiteral("x.png")), QSize(), nullptr, &reason).isNull());
    EXPECT_TRUE(reason.startsWith(QStringLiteral("The picture's reader could not be started"))) << qPrintable(reason);
    EXPECT_TRUE(reason.contains(missing + QStringLiteral(" is missing"))) << qPrintable(reason);
    // Asked before any picture (at start-up), it says the same.
    reason.clear();
    EXPECT_FALSE(PictureReader::programPresent(&reason));
    EXPECT_TRUE(reason.contains(missing)) << qPrintable(reason);
    useStandIn();
    EXPECT_TRUE(PictureReader::programPresent());
}

} // namespace
