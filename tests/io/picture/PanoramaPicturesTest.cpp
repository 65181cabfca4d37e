// Environment maps at the size HDRI sites offer (16384 x 8192), written by oiiotool as Radiance
// HDR, half and float OpenEXR, read through the reader process as a picked source picture; and
// what a picture holds once a smaller one follows it.

#include "HeldMemory.h"
#include "io/picture/PictureReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QSize panoramaSize(16384, 8192);
// What resident memory moves by from one read to the next without holding anything.
constexpr qint64 fewMegabytes = qint64(16) << 20;

// This process's readers, as /proc lists the children of its threads.
QList<pid_t> readers()
{
    QList<pid_t> found;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(tasks.filePath(task + QStringLiteral("/children")));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& pid : children.readAll().split(' ')) {
            if (!pid.trimmed().isEmpty())
                found.append(pid_t(pid.trimmed().toLong()));
        }
    }
    return found;
}

HeldMemory heldByReaders()
{
    HeldMemory held;
    for (const pid_t pid : readers()) {
        const HeldMemory one = heldBy(pid);
        held.resident += one.resident;
        held.openShared += one.openShared;
    }
    return held;
}

class PanoramaPictures : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        ASSERT_TRUE(s_dir->isValid());
        // Linear light from black to past white, in one run of oiiotool as it is commonly used.
        QProcess oiiotool;
        oiiotool.start(QStringLiteral("oiiotool"),
                       {QStringLiteral("--pattern"),
                        QStringLiteral("fill:topleft=0,0,0:topright=4,2,1:bottomleft=0.1,0.5,1:bottomright=1,1,1"),
                        QStringLiteral("%1x%2").arg(panoramaSize.width()).arg(panoramaSize.height()),
                        QStringLiteral("3"), QStringLiteral("-d"), QStringLiteral("float"), QStringLiteral("-o"),
                        file("panorama.hdr"), QStringLiteral("-o"), file("panorama-float.exr"),
                        QStringLiteral("-d"), QStringLiteral("half"), QStringLiteral("-o"), file("panorama-half.exr")});
        ASSERT_TRUE(oiiotool.waitForStarted()) << "oiiotool (openimageio-tools) is not installed";
        ASSERT_TRUE(oiiotool.waitForFinished(-1));
        ASSERT_EQ(oiiotool.exitCode(), 0) << oiiotool.readAllStandardError().toStdString();
        QImage small(640, 427, QImage::Format_RGB32);
        for (int y = 0; y < small.height(); ++y) {
            for (int x = 0; x < small.width(); ++x)
                small.setPixel(x, y, qRgb(x & 255, y & 255, (x ^ y) & 255));
        }
        ASSERT_TRUE(small.save(file("small.jpg"), "jpeg", 90));
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

    static QString file(const char* name) { return s_dir->filePath(QString::fromLatin1(name)); }

    // The picture picked as the source: its one layer, or a null image.
    static QImage picked(const QString& path)
    {
        QString reason;
        const QList<PictureReader::Layer> layers = PictureReader::readLayers(path, QByteArray(), -1, &reason);
        EXPECT_EQ(layers.size(), 1) << qPrintable(reason);
        return layers.isEmpty() ? QImage() : layers.first().second;
    }

    static QTemporaryDir* s_dir;
};

QTemporaryDir* PanoramaPictures::s_dir = nullptr;

} // namespace

// Each is shown whole, and its reader, once its read is over, holds about what it held before.
TEST_F(PanoramaPictures, AreShownWholeAndLeaveTheirReaderAsItWas)
{
    // Each library's state of its own, which any picture of its format sets up, is there before.
    for (const char* name : {"linear-ramp-oiiotool.exr", "linear-ramp-oiiotool.hdr"})
        ASSERT_FALSE(picked(QStringLiteral(VYX_TEST_DATA_DIR "/pictures/") + QLatin1String(name)).isNull());
    ASSERT_FALSE(picked(file("small.jpg")).isNull());
    const HeldMemory before = heldByReaders();
    ASSERT_GT(before.resident, 0);
    for (const char* name : {"panorama.hdr", "panorama-half.exr", "panorama-float.exr"}) {
        SCOPED_TRACE(name);
        const QImage image = picked(file(name));
        ASSERT_EQ(image.size(), panoramaSize);
        // Black, past white, and a blue through the sRGB transfer (0.1 and 0.5 show as 89 and 188).
        EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0u);
        EXPECT_EQ(image.pixel(panoramaSize.width() - 1, 0) & 0xFFFFFF, 0xFFFFFFu);
        const QRgb blue = image.pixel(0, panoramaSize.height() - 1);
        EXPECT_NEAR(qRed(blue), 89, 4);
        EXPECT_NEAR(qGreen(blue), 188, 4);
        EXPECT_EQ(qBlue(blue), 255);
        const HeldMemory after = heldByReaders();
        EXPECT_LT(after.total() - before.total(), fewMegabytes)
            << "resident " << (after.resident >> 20) << " MB, shared memory held open " << (after.openShared >> 20)
            << " MB";
    }
}

// A panorama picked, then a small photo: the program and its readers hold about what they hold
// when they show the small photo without the panorama before it, whether the panorama was let go
// of before the photo was read or, as the program replaces its source, after.
TEST_F(PanoramaPictures, ASmallPictureAfterALargeOneHoldsAboutItsOwnSize)
{
    for (const bool replaced : {true, false}) {
        SCOPED_TRACE(replaced ? "let go of once the photo is read" : "let go of before the photo is read");
        QImage shown = picked(file("small.jpg"));
        ASSERT_EQ(shown.size(), QSize(640, 427));
        const HeldMemory program = heldBy(::getpid());
        const HeldMemory reader = heldByReaders();
        ASSERT_GT(program.resident, 0);
        ASSERT_GT(reader.resident, 0);
        shown = picked(file("panorama.hdr"));
        ASSERT_EQ(shown.size(), panoramaSize);
        if (!replaced)
            shown = QImage();
        shown = picked(file("small.jpg"));
        ASSERT_EQ(shown.size(), QSize(640, 427));
        const HeldMemory programAfter = heldBy(::getpid());
        const HeldMemory readerAfter = heldByReaders();
        EXPECT_LT(programAfter.total() - program.total(), fewMegabytes)
            << "resident " << (programAfter.resident >> 20) << " MB, shared memory held open "
            << (programAfter.openShared >> 20) << " MB";
        EXPECT_LT(readerAfter.total() - reader.total(), fewMegabytes)
            << "resident " << (readerAfter.resident >> 20) << " MB, shared memory held open "
            << (readerAfter.openShared >> 20) << " MB";
    }
}
