// A source picture decodes only what it uses: a GIF, WebP or TIFF of many frames or pages gives
// its first image without decoding the others (a few kilobytes of frames on a large canvas would
// otherwise take gigabytes); a layered Photoshop file gives its layers, the composite held aside,
// within one pixel cap on all it decodes.

#include "AddressSpaceLimit.h"
#include "AppTestSupport.h"
#include "MultiImagePictures.h"

#include "app/GflAdapter.h"
#include "io/picture/ImageLibrary.h"
#include "app/TwCore.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

struct Kind {
    const char* suffix;
    std::function<QByteArray(QSize, int)> make;
    // The colour the first image shows at (0, 0) and next to it.
    QRgb first;
    QRgb beside;
};

QList<Kind> kinds()
{
    return {
        {"gif", MultiImagePictures::gifFrames, MultiImagePictures::firstColour(), qRgb(0, 0, 0)},
        {"webp", MultiImagePictures::webpFrames, MultiImagePictures::firstColour(), MultiImagePictures::firstColour()},
        {"tif", MultiImagePictures::tiffPages, qRgb(255, 255, 255), qRgb(0, 0, 0)},
    };
}

class MultiImageSource : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString write(QString const& name, QByteArray const& bytes) const
    {
        QFile out(dir.filePath(name));
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            return QString();
        return out.fileName();
    }

    // A first read of one picture of the kind and size, so that what the library keeps for good
    // (its threads) is in place before a read is measured.
    void warmUp(Kind const& kind, QSize size) const
    {
        GflAdapter adapter;
        adapter.readImage(write(QStringLiteral("one.") + kind.suffix, kind.make(size, 1)));
    }

    QTemporaryDir dir;
};

} // namespace

// The first layer read alone is the first layer of the whole read, for every kind and number of
// images; the whole read still gives every frame or page.
TEST_F(MultiImageSource, TheFirstImageAloneIsTheFirstOfTheWholeRead)
{
    for (Kind const& kind : kinds()) {
        for (int count : {1, 2, 3, 7, 40}) {
            const QString file = write(QStringLiteral("%1-%2.%3").arg(count).arg(kind.suffix).arg(kind.suffix),
                                       kind.make(QSize(64, 16), count));
            ASSERT_FALSE(file.isEmpty());
            GflAdapter adapter;
            const auto all = adapter.readImage(file);
            ASSERT_EQ(all.size(), count) << kind.suffix << " " << adapter.errorString().toStdString();
            const auto first = adapter.readImage(file, QByteArray(), 1);
            ASSERT_EQ(first.size(), 1) << kind.suffix;
            EXPECT_EQ(first[0].first, all[0].first) << kind.suffix << count;
            EXPECT_EQ(first[0].second, all[0].second) << kind.suffix << count;
            EXPECT_EQ(first[0].second.pixel(0, 0), kind.first) << kind.suffix;
            EXPECT_EQ(first[0].second.pixel(2, 0), kind.beside) << kind.suffix;
            EXPECT_EQ(adapter.readImage(file, QByteArray(), 2).size(), std::min(count, 2)) << kind.suffix;
        }
    }
}

// Pictures of 2000 x 2000 pixels, 16 MB each decoded: 300 of them would take 4.8 GB. Each is
// opened as the source picture in a child whose room is 1 GB; what the read held at its height
// stays within a budget of a few pictures.
TEST_F(MultiImageSource, ManyFramesOrPagesCostOneImage)
{
    for (Kind const& kind : kinds()) {
        const QString file = write(QStringLiteral("many.%1").arg(kind.suffix), kind.make(QSize(2000, 2000), 300));
        ASSERT_FALSE(file.isEmpty());
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        EXPECT_EXIT(
            {
                AppTest::RecordingMainWindow window;
                TwCore core(&window);
                window.setCore(&core);
                warmUp(kind, QSize(2000, 2000));
                const qint64 before = AppTest::addressSpaceBytes();
                AppTest::limitAddressSpace(qint64(1) << 30);
                QString reason;
                const bool read = core.setSourceImage(file, &reason);
                const qint64 held = AppTest::peakAddressSpaceBytes() - before;
                const QImage& image = *core.sourceImage();
                fprintf(stderr, "%s: read %d, %s, %dx%d, peak %lld MB over the start\n", kind.suffix, int(read),
                        qPrintable(reason), image.width(), image.height(), held >> 20);
                const bool sound = read && image.size() == QSize(2000, 2000) && image.pixel(0, 0) == kind.first
                                   && held < (qint64(256) << 20);
                std::_Exit(sound ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "")
            << kind.suffix;
    }
}

// Pages within the cap one by one but beyond it together: the whole read is refused on the
// pages' headers with its reason, the first page alone still reads.
TEST_F(MultiImageSource, ImagesTogetherBeyondTheCapAreRefusedBeforeAnyIsDecoded)
{
    const int side = 9000; // 81 megapixels a page
    ASSERT_LT(qint64(side) * side, ImageLibrary::maxPixels);
    ASSERT_GT(2 * qint64(side) * side, ImageLibrary::maxPixels);
    const QString file = write(QStringLiteral("two.tif"), MultiImagePictures::tiffPages(QSize(side, side), 2));
    ASSERT_FALSE(file.isEmpty());
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            warmUp(kinds().last(), QSize(64, 64));
            const qint64 before = AppTest::addressSpaceBytes();
            AppTest::limitAddressSpace(qint64(1) << 30);
            GflAdapter adapter;
            const bool refused = adapter.readImage(file).isEmpty()
                                 && adapter.errorReason().startsWith(QLatin1String("Image too large"));
            const qint64 refusing = AppTest::peakAddressSpaceBytes() - before;
            fprintf(stderr, "refused %d (%s) at %lld MB\n", int(refused), qPrintable(adapter.errorReason()),
                    refusing >> 20);
            const auto first = adapter.readImage(file, QByteArray(), 1);
            std::_Exit(refused && refusing < (qint64(64) << 20) && first.size() == 1
                               && first[0].second.size() == QSize(side, side)
                           ? 0
                           : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// The committed layered file reads as it always has: its three layers, and the first as the
// source picture.
TEST_F(MultiImageSource, LayeredPhotoshopFileReadsAsBefore)
{
    const QString layered = AppTest::testDataDir() + QStringLiteral("/layered.psd");
    GflAdapter adapter;
    const auto all = adapter.readImage(layered);
    ASSERT_EQ(all.size(), 3);
    for (int wanted = 1; wanted <= 4; ++wanted) {
        const auto some = adapter.readImage(layered, QByteArray(), wanted);
        ASSERT_EQ(some.size(), std::min(wanted, 3));
        for (int i = 0; i < some.size(); ++i) {
            EXPECT_EQ(some[i].first, all[i].first);
            EXPECT_EQ(some[i].second, all[i].second);
        }
    }
    AppTest::RecordingMainWindow window;
    TwCore core(&window);
    window.setCore(&core);
    ASSERT_TRUE(core.setSourceImage(layered));
    EXPECT_EQ(*core.sourceImage(), all[0].second);
    core.clear();
}

// Reading the first images of a file of thousands moves to none past them: opening a file costs
// the images read, whatever follows them (a walk over every page cost minutes on a small file).
TEST_F(MultiImageSource, ReadingTheFirstImagesMovesToNoOther)
{
    for (Kind const& kind : kinds()) {
        const QString file = write(QStringLiteral("thousands.%1").arg(kind.suffix), kind.make(QSize(16, 16), 8000));
        ASSERT_FALSE(file.isEmpty());
        for (int wanted : {1, 2, 3}) {
            GflAdapter adapter;
            const qint64 before = ImageLibrary::imageSeeks();
            const auto layers = adapter.readImage(file, QByteArray(), wanted);
            const qint64 seeks = ImageLibrary::imageSeeks() - before;
            ASSERT_EQ(layers.size(), wanted) << kind.suffix;
            // The header pass and the pixel pass each move over the wanted images once.
            EXPECT_LE(seeks, 2 * wanted) << kind.suffix << " wanted " << wanted;
        }
    }
}

// A layered Photoshop file is capped image by image, and on the sum of the layers it keeps: a
// composite and a layer of 81 megapixels each open (the composite is no layer); a layer beyond
// the cap is refused with its size before anything is decoded.
TEST_F(MultiImageSource, PhotoshopLayersAreCappedOnTheirSumWithoutTheComposite)
{
    const int side = 9000;
    ASSERT_LT(qint64(side) * side, ImageLibrary::maxPixels);
    ASSERT_GT(2 * qint64(side) * side, ImageLibrary::maxPixels);
    const QString big = write(QStringLiteral("big.psd"),
                              MultiImagePictures::photoshopLayered(QSize(side, side), QRect(0, 0, side, side)));
    const QString giant = write(QStringLiteral("giant.psd"),
                                MultiImagePictures::photoshopLayered(QSize(64, 64), QRect(0, 0, 12000, 12000)));
    ASSERT_FALSE(big.isEmpty());
    ASSERT_FALSE(giant.isEmpty());
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            warmUp(kinds().last(), QSize(64, 64));
            AppTest::limitAddressSpace(qint64(3) << 29);
            GflAdapter adapter;
            const auto refused = adapter.readImage(giant, QByteArray(), 1);
            const QString reason = adapter.errorReason();
            const auto layers = adapter.readImage(big, QByteArray(), 1);
            fprintf(stderr, "giant: %d layers (%s); big: %d layers (%s)\n", int(refused.size()), qPrintable(reason),
                    int(layers.size()), qPrintable(adapter.errorReason()));
            const bool sound = refused.isEmpty() && reason.startsWith(QLatin1String("Image too large: 12000 x 12000"))
                               && layers.size() == 1 && layers[0].second.size() == QSize(side, side)
                               && layers[0].second.pixel(side - 1, side - 1) == MultiImagePictures::laterColour();
            std::_Exit(sound ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
