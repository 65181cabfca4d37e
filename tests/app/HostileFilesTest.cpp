// Files made to hurt the loaders: documents nested far too deep, an image bomb, forged TIFF
// resolutions and damaged PNG data are refused with their message and change nothing.

#include "AddressSpaceLimit.h"
#include "AppTestSupport.h"
#include "CoreTestGraphs.h"
#include "HostileFiles.h"
#include "MessageCapture.h"
#include "TemplateStoreTestSupport.h"

#include "app/GflAdapter.h"
#include "io/picture/ImageLibrary.h"
#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "io/picture/OpenExrFileCheck.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "app/TwUtilities.h"
#include "effects/VyxNodeGraph.h"

#include <QBuffer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <OpenImageIO/imageio.h>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <vector>


namespace {

constexpr int kDeep = 100000;

QString const kGoodUuid = QStringLiteral("{a0000000-0000-4000-8000-000000000002}");
QString const kDeepUuid = QStringLiteral("{b0000000-0000-4000-8000-000000000001}");
QString const kPrefixedUuid = QStringLiteral("{b0000000-0000-4000-8000-000000000002}");

using AppTest::MessageCapture;

} // namespace

TEST(DeepDocuments, TemplateFileIsRefusedAtOnceAndTheStoreKeepsWhatItHad)
{
    AppTest::ScopedDataHome home;
    ASSERT_TRUE(home.makeTemplateFolders());
    StoreTest::PreviewScope preview;
    const QString folder = home.storageRoot() + QStringLiteral("/templates/lumora/");
    ASSERT_TRUE(StoreTest::writeFile(folder + kGoodUuid,
                                     StoreTest::templateDocument({kGoodUuid, QStringLiteral("Ant")})));
    ASSERT_TRUE(StoreTest::writeFile(folder + kDeepUuid, HostileFiles::deepGraphDocument(kDeep)));
    ASSERT_TRUE(StoreTest::writeFile(folder + kPrefixedUuid, HostileFiles::prefixedDeepGraphDocument(kDeep)));

    TwTemplateContainer store(nullptr, nullptr);
    {
        MessageCapture capture;
        store.loadObjectTemplates();
        // Refused as template files that are not well-formed, with the usual consequence.
        for (QString const& uuid : {kDeepUuid, kPrefixedUuid})
            EXPECT_TRUE(capture.any(QStringLiteral("Template file %1 holds no template graph.")
                                        .arg(folder + uuid)))
                << qPrintable(capture.all());
        const QStringList refusals = capture.messages.filter(QStringLiteral("is not well-formed (line 1, column"));
        EXPECT_EQ(refusals.filter(QStringLiteral("nested deeper than")).size(), 2) << qPrintable(capture.all());
    }
    ASSERT_EQ(store.objectTemplateList.size(), 1);
    EXPECT_EQ(store.objectTemplateList.first()->uuid(), kGoodUuid);

    // Loading it again by hand: refused, the store as it was.
    EXPECT_FALSE(store.loadObjectTemplate(new KelTemplate(folder + kDeepUuid), nullptr));
    ASSERT_EQ(store.objectTemplateList.size(), 1);
    EXPECT_EQ(store.objectTemplateList.first()->name(), QStringLiteral("Ant"));

    // Straight into a graph: nothing is added.
    for (QString const& uuid : {kDeepUuid, kPrefixedUuid}) {
        KelVyxNodes::VyxNodeGraph target(nullptr);
        KelTemplate record(folder + uuid);
        int code = 0;
        EXPECT_EQ(record.loadNodeGraphFromFile(&target, true, false, true, &code), nullptr);
        EXPECT_EQ(code, -2);
        EXPECT_TRUE(target.nodes().isEmpty());
    }
}

TEST(DeepDocuments, PastedGraphIsRefusedAndTheProjectStaysAsItWas)
{
    AppTest::RecordingMainWindow window;
    TwCore core(&window);
    window.setCore(&core);
    KelNGObject* object = core.addObjectFromNodeGraph(CoreTest::addEffect(core.rootGraph()));
    ASSERT_NE(object, nullptr);
    const int nodes = core.rootGraph()->nodes().size();

    for (QByteArray const& document :
         {HostileFiles::deepGraphDocument(kDeep), HostileFiles::prefixedDeepGraphDocument(kDeep)}) {
        QBuffer clipboard;
        clipboard.setData(document);
        MessageCapture capture;
        EXPECT_EQ(TwUtilities::loadObjectFromBuffer(&core, core.rootGraph(), &clipboard, false), -2);
        EXPECT_TRUE(capture.any(QStringLiteral("nested deeper than"))) << qPrintable(capture.all());
        EXPECT_EQ(core.rootGraph()->nodes().size(), nodes);
        EXPECT_EQ(core.objectList(), QList<KelNGObject*>{object});
    }

    core.clear();
    CoreTest::waitForRenders(core, 50);
}

namespace {

class HostileImages : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path(QString const& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    GflAdapter m_adapter;
};

// The highest resident size the process has had, in bytes.
qint64 peakResidentBytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

// The bytes this process has read from files so far, as the kernel counts them.
qint64 bytesReadSoFar()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray const& line : io.readAll().split('\n')) {
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

} // namespace

TEST_F(HostileImages, BombIsRefusedOnItsHeaderWithTheSizeInTheMessage)
{
    struct Case {
        quint32 width;
        quint32 height;
    };
    // The old limit exactly, just above the new one, and a forged extreme.
    for (Case c : {Case{16384, 16384}, Case{11586, 11586}, Case{1000000, 200}}) {
        const QString file = path(QStringLiteral("bomb-%1x%2.png").arg(c.width).arg(c.height));
        ASSERT_TRUE(StoreTest::writeFile(file, HostileFiles::pngBomb(c.width, c.height)));
        EXPECT_TRUE(m_adapter.readImage(file).isEmpty());
        EXPECT_TRUE(m_adapter.errorString().contains(QStringLiteral("%1 x %2").arg(c.width).arg(c.height)))
            << qPrintable(m_adapter.errorString());
    }
    static_assert(ImageLibrary::maxPixels * 4 <= (qint64(2048) << 20) / 2,
                  "the final image alone must leave room for a reader's own full copy");
}

TEST_F(HostileImages, HundredMegapixelPhotoLoadsHeldOnce)
{
    const quint32 width = 12000;
    const quint32 height = 8400;
    const QString file = path(QStringLiteral("large.png"));
    ASSERT_TRUE(HostileFiles::writeLargePng(file, width, height));
    const qint64 imageBytes = qint64(width) * height * 4;

    // In a process of its own, so that the peak is this load's alone.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const qint64 before = peakResidentBytes();
            const QList<GflAdapter::Layer> layers = m_adapter.readImage(file);
            const qint64 growth = peakResidentBytes() - before;
            const bool loaded = layers.size() == 1 && layers.first().second.size() == QSize(width, height)
                                && layers.first().second.pixel(width - 1, height - 1) == 0xff808080u;
            fprintf(stderr, "loaded %d, peak growth %lld MB for a %lld MB image\n", int(loaded),
                    growth >> 20, imageBytes >> 20);
            // Held once, plus bands: not the three full copies a bomb could multiply.
            std::exit(loaded && growth < imageBytes * 3 / 2 && peakResidentBytes() < (qint64(2048) << 20) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(HostileImages, VeryWideRowsAreReadAFewAtATime)
{
    // 4 million pixels wide: a reader that converts 256 rows at a time needs 3 GB for it.
    const int width = 4000000;
    const QString file = path(QStringLiteral("wide.tif"));
    {
        auto out = OIIO::ImageOutput::create("tif");
        OIIO::ImageSpec spec(width, 2, 3, OIIO::TypeDesc::UINT16);
        spec.attribute("compression", "zip");
        ASSERT_TRUE(out->open(file.toStdString(), spec));
        std::vector<unsigned short> pixels(size_t(width) * 2 * 3, 0x8080);
        ASSERT_TRUE(out->write_image(OIIO::TypeDesc::UINT16, pixels.data()));
        ASSERT_TRUE(out->close());
    }
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // Room for the 32 MB picture and much more, not for 3 GB.
            AppTest::limitAddressSpace(qint64(1) << 30);
            const QList<GflAdapter::Layer> layers = m_adapter.readImage(file);
            const bool loaded = layers.size() == 1 && layers.first().second.width() == width
                                && layers.first().second.pixel(width - 1, 1) == 0xff808080u;
            fprintf(stderr, "loaded %d: %s\n", int(loaded), qPrintable(m_adapter.errorString()));
            std::exit(loaded ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(HostileImages, TiledPicturesLoadTileBandByBandButGiantTilesAreRefused)
{
    auto write = [](QString const& file, int width, int height, int tile, OIIO::TypeDesc type) {
        auto out = OIIO::ImageOutput::create("tif");
        OIIO::ImageSpec spec(width, height, 4, type);
        spec.tile_width = spec.tile_height = tile;
        spec.attribute("compression", "zip");
        if (!out->open(file.toStdString(), spec))
            return false;
        std::vector<unsigned char> pixels(size_t(width) * height * 4);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = (i % 4 == 3) ? 255 : static_cast<unsigned char>(i / 4 * 7 + i % 4);
        return out->write_image(OIIO::TypeDesc::UINT8, pixels.data()) && out->close();
    };
    // Edges that cut tiles on both sides.
    const QString tiled = path(QStringLiteral("tiled.tif"));
    ASSERT_TRUE(write(tiled, 100, 70, 32, OIIO::TypeDesc::UINT8));
    const QList<GflAdapter::Layer> layers = m_adapter.readImage(tiled);
    ASSERT_EQ(layers.size(), 1);
    const QImage& image = layers.first().second;
    ASSERT_EQ(image.size(), QSize(100, 70));
    for (QPoint p : {QPoint(0, 0), QPoint(99, 0), QPoint(31, 32), QPoint(64, 63), QPoint(99, 69)}) {
        const int i = p.y() * 100 + p.x();
        EXPECT_EQ(image.pixel(p), qRgba((i * 7) & 255, (i * 7 + 1) & 255, (i * 7 + 2) & 255, 255))
            << p.x() << "," << p.y();
    }

    // One tile of 4112 x 4112 float RGBA holds over 256 MB before a single pixel is converted.
    const QString giant = path(QStringLiteral("giant-tiles.tif"));
    ASSERT_TRUE(write(giant, 16, 16, 4112, OIIO::TypeDesc::FLOAT));
    EXPECT_TRUE(m_adapter.readImage(giant).isEmpty());
    EXPECT_TRUE(m_adapter.errorString().contains(QStringLiteral("tiles of 4112 x 4112")))
        << qPrintable(m_adapter.errorString());
}

TEST_F(HostileImages, ForgedTiffResolutionReadsAsTheClamp)
{
    struct Case {
        float resolution;
        const char* unit;
        int dpi;
    };
    // A TIFF resolution is a fraction of 32-bit integers: infinity cannot be written, the
    // largest values can.
    const Case cases[] = {
        {300.0f, "in", 300},
        {2147483648.0f, "in", 1000000},
        {3.0e9f, "in", 1000000},
        {1.0e9f, "cm", 1000000},
    };
    for (Case const& c : cases) {
        auto out = OIIO::ImageOutput::create("tif");
        OIIO::ImageSpec spec(2, 2, 3, OIIO::TypeDesc::UINT8);
        spec.attribute("XResolution", c.resolution);
        spec.attribute("YResolution", c.resolution);
        spec.attribute("ResolutionUnit", c.unit);
        const QString file = path(QStringLiteral("resolution-%1.tif").arg(double(c.resolution)));
        ASSERT_TRUE(out->open(file.toStdString(), spec));
        const unsigned char pixels[12] = {};
        ASSERT_TRUE(out->write_image(OIIO::TypeDesc::UINT8, pixels));
        ASSERT_TRUE(out->close());
        EXPECT_EQ(m_adapter.dpi(file), c.dpi) << c.resolution << c.unit;
    }
}

// FITS pictures never reach their reader (it asks for gigabytes on forged headers): one with no
// pixel format the converter knows, and sound ones under any suffix, are refused with a message.
TEST_F(HostileImages, UnknownPixelFormatIsRefusedInsteadOfAbortingInTheConverter)
{
    const QString file = path(QStringLiteral("unknown-format.fits"));
    ASSERT_TRUE(StoreTest::writeFile(file, HostileFiles::fitsWithoutPixelFormat()));
    EXPECT_TRUE(m_adapter.readImage(file).isEmpty());
    EXPECT_TRUE(m_adapter.errorString().startsWith(QStringLiteral("Cannot read image")))
        << qPrintable(m_adapter.errorString());
    for (const int side : {4, 65536}) {
        auto out = OIIO::ImageOutput::create("fits");
        if (!out)
            GTEST_SKIP() << "no FITS writer in this image library";
        const QString written = path(QStringLiteral("sound-%1.fits").arg(side));
        OIIO::ImageSpec spec(4, 4, 1, OIIO::TypeDesc::UINT8);
        ASSERT_TRUE(out->open(written.toStdString(), spec));
        const unsigned char pixels[16] = {};
        ASSERT_TRUE(out->write_image(OIIO::TypeDesc::UINT8, pixels));
        ASSERT_TRUE(out->close());
        QByteArray bytes = StoreTest::readFile(written);
        // The second one claims 65536 x 65536 pixels in a file of a few kilobytes.
        const QByteArray naxis1 = "NAXIS1  =                    4";
        const QByteArray naxis2 = "NAXIS2  =                    4";
        ASSERT_TRUE(bytes.contains(naxis1) && bytes.contains(naxis2));
        const QByteArray claim = QByteArray::number(side).rightJustified(naxis1.size() - 10, ' ');
        bytes.replace(naxis1, "NAXIS1  = " + claim);
        bytes.replace(naxis2, "NAXIS2  = " + claim);
        for (const char* suffix : {"fits", "png", ""}) {
            const QString file = path(QStringLiteral("picture-%1.%2").arg(side).arg(QLatin1String(suffix)));
            ASSERT_TRUE(StoreTest::writeFile(file, bytes));
            EXPECT_TRUE(m_adapter.readImage(file).isEmpty()) << side << suffix;
            EXPECT_TRUE(m_adapter.errorString().startsWith(QStringLiteral("Cannot read image")))
                << qPrintable(m_adapter.errorString());
            EXPECT_FALSE(m_adapter.checkSize(file).isValid()) << side << suffix;
        }
    }
}

TEST_F(HostileImages, OpenExrAttributesLargerThanTheFileAreRefusedBeforeTheLibraryMakesThem)
{
    const QString bomb = path(QStringLiteral("attribute.exr"));
    ASSERT_TRUE(StoreTest::writeFile(bomb, HostileFiles::exrWithHugeAttribute()));
    EXPECT_TRUE(m_adapter.readImage(bomb).isEmpty());
    EXPECT_TRUE(m_adapter.errorString().contains(
        QStringLiteral("Damaged OpenEXR file: attribute \"comments\" of 2130706432 bytes")))
        << qPrintable(m_adapter.errorString());
    // The same under another suffix: the library would try its OpenEXR reader on it too.
    const QString disguised = path(QStringLiteral("attribute.png"));
    ASSERT_TRUE(QFile::copy(bomb, disguised));
    EXPECT_TRUE(m_adapter.readImage(disguised).isEmpty());
    EXPECT_TRUE(m_adapter.errorString().contains(QStringLiteral("Damaged OpenEXR file")));

    // Sound files pass the walk: scanlines, tiles, and two parts with long attribute lists.
    struct Case {
        const char* name;
        int tile;
        int parts;
    };
    for (Case c : {Case{"scanline.exr", 0, 1}, Case{"tiled.exr", 16, 1}, Case{"parts.exr", 0, 2}}) {
        const QString file = path(QString::fromLatin1(c.name));
        std::vector<OIIO::ImageSpec> specs;
        for (int part = 0; part < c.parts; ++part) {
            OIIO::ImageSpec spec(7, 5, 4, OIIO::TypeDesc::HALF);
            spec.tile_width = spec.tile_height = c.tile;
            spec.attribute("oiio:subimagename", part == 0 ? "first" : "second");
            spec.attribute("ImageDescription", std::string(300, 'x'));
            specs.push_back(spec);
        }
        auto out = OIIO::ImageOutput::create(file.toStdString());
        ASSERT_TRUE(out->open(file.toStdString(), c.parts, specs.data())) << out->geterror();
        const std::vector<float> pixels(7 * 5 * 4, 0.5f);
        for (int part = 0; part < c.parts; ++part) {
            if (part > 0) {
                ASSERT_TRUE(out->open(file.toStdString(), specs[part], OIIO::ImageOutput::AppendSubimage));
            }
            ASSERT_TRUE(out->write_image(OIIO::TypeDesc::FLOAT, pixels.data()));
        }
        ASSERT_TRUE(out->close());
        QString reason;
        EXPECT_TRUE(OpenExrFileCheck::check(file, &reason)) << c.name << qPrintable(reason);
        EXPECT_EQ(m_adapter.readImage(file).size(), c.parts) << c.name << qPrintable(m_adapter.errorString());
    }

    // Tiles of 16 x 11 million pixels: opening alone would make a buffer of 1.4 GB per thread.
    const QByteArray giant = HostileFiles::exrWithGiantTiles(StoreTest::readFile(path(QStringLiteral("tiled.exr"))));
    ASSERT_FALSE(giant.isEmpty());
    ASSERT_TRUE(StoreTest::writeFile(path(QStringLiteral("giant.exr")), giant));
    EXPECT_EQ(m_adapter.checkSize(path(QStringLiteral("giant.exr"))), QSize(-1, -1));
    EXPECT_TRUE(m_adapter.readImage(path(QStringLiteral("giant.exr"))).isEmpty());
    EXPECT_TRUE(m_adapter.errorString().contains(QStringLiteral("tiles of 16 x 11272208 pixels")))
        << qPrintable(m_adapter.errorString());
    // Sides whose product overflows 64 bits.
    ASSERT_TRUE(StoreTest::writeFile(path(QStringLiteral("huge.exr")),
        HostileFiles::exrWithGiantTiles(StoreTest::readFile(path(QStringLiteral("tiled.exr"))), true)));
    EXPECT_TRUE(m_adapter.readImage(path(QStringLiteral("huge.exr"))).isEmpty());
    EXPECT_TRUE(m_adapter.errorString().contains(QStringLiteral("tiles of 4294901776 x 4294967295 pixels")))
        << qPrintable(m_adapter.errorString());
    // The same tiles behind attributes whose sizes lie, as the fuzzer found them: a channel list
    // short by a channel or by its end, a compression that takes in the attributes after it.
    const QByteArray tiled = StoreTest::readFile(path(QStringLiteral("tiled.exr")));
    const QList<std::tuple<QByteArray, int, QString>> lies = {
        {"channels", -8, QStringLiteral("a channel list")},
        {"channels", -1, QStringLiteral("a channel list")},
        {"compression", 0, QStringLiteral("attribute \"compression\"")}};
    for (auto const& [attribute, shift, reason] : lies) {
        SCOPED_TRACE(attribute.toStdString() + " " + std::to_string(shift));
        const QByteArray hidden = HostileFiles::exrHidingGiantTiles(tiled, attribute, shift);
        ASSERT_FALSE(hidden.isEmpty());
        ASSERT_TRUE(StoreTest::writeFile(path(QStringLiteral("hidden.exr")), hidden));
        EXPECT_EQ(m_adapter.checkSize(path(QStringLiteral("hidden.exr"))), QSize(-1, -1));
        EXPECT_TRUE(m_adapter.readImage(path(QStringLiteral("hidden.exr"))).isEmpty());
        EXPECT_TRUE(m_adapter.errorString().contains(QStringLiteral("Damaged OpenEXR file: ") + reason))
            << qPrintable(m_adapter.errorString());
    }
}

TEST_F(HostileImages, FilesAreOfferedToTheListedReadersOnly)
{
    // A Wavefront RLA picture with an unknown colour channel type: its reader aborts the
    // program, under whatever suffix the file comes.
    const QString written = path(QStringLiteral("written.rla"));
    {
        auto out = OIIO::ImageOutput::create("rla");
        ASSERT_NE(out, nullptr);
        OIIO::ImageSpec spec(4, 3, 3, OIIO::TypeDesc::UINT8);
        ASSERT_TRUE(out->open(written.toStdString(), spec));
        const unsigned char pixels[4 * 3 * 3] = {};
        ASSERT_TRUE(out->write_image(OIIO::TypeDesc::UINT8, pixels));
        ASSERT_TRUE(out->close());
    }
    QByteArray bytes = StoreTest::readFile(written);
    ASSERT_GT(bytes.size(), 20);
    bytes[18] = 0;
    bytes[19] = 9; // colour channel type
    for (const char* name : {"damaged.rla", "damaged.png", "damaged"}) {
        const QString file = path(QString::fromLatin1(name));
        ASSERT_TRUE(StoreTest::writeFile(file, bytes));
        EXPECT_TRUE(m_adapter.readImage(file).isEmpty()) << name;
        EXPECT_TRUE(m_adapter.errorString().startsWith(QStringLiteral("Cannot read image"))) << name;
    }
    // A Softimage PIC picture (its reader reads rows through a file it failed to keep open):
    // refused however sound its header.
    QByteArray pic = QByteArrayLiteral("\x53\x80\xf6\x34") + QByteArray(4, '\0') + QByteArray(80, ' ')
                     + QByteArrayLiteral("PICT") + QByteArrayLiteral("\x00\x04\x00\x03")
                     + QByteArrayLiteral("\x3f\x80\x00\x00\x00\x03\x00\x00")
                     // One packet, uncompressed, 8 bits, red, green and blue; then the pixels.
                     + QByteArrayLiteral("\x00\x08\x00\xe0") + QByteArray(4 * 3 * 3, '\x40');
    for (const char* name : {"picture.pic", "picture.png", "picture"}) {
        const QString file = path(QString::fromLatin1(name));
        ASSERT_TRUE(StoreTest::writeFile(file, pic));
        EXPECT_TRUE(m_adapter.readImage(file).isEmpty()) << name;
    }
    // A listed format still opens whatever its suffix says.
    const QString png = path(QStringLiteral("picture.tif"));
    ASSERT_TRUE(m_adapter.writeImage(CoreTest::solid(3, 2, 0xff102030u), png, QStringLiteral("png")));
    const QList<GflAdapter::Layer> layers = m_adapter.readImage(png);
    ASSERT_EQ(layers.size(), 1);
    EXPECT_EQ(layers.first().second.pixel(2, 1), 0xff102030u);
}

// A file cut short is refused on its header, before its reader makes a picture of what is missing.
TEST_F(HostileImages, DamagedPngFailsWithTheReasonItIsDamaged)
{
    const QString file = path(QStringLiteral("damaged.png"));
    ASSERT_TRUE(StoreTest::writeFile(file, HostileFiles::damagedPng()));
    EXPECT_EQ(m_adapter.checkSize(file), QSize(-1, -1));
    EXPECT_TRUE(m_adapter.readImage(file).isEmpty());
    EXPECT_TRUE(m_adapter.errorString().startsWith(QStringLiteral("Cannot read image")))
        << qPrintable(m_adapter.errorString());
    EXPECT_EQ(m_adapter.errorReason(), QStringLiteral("Damaged PNG file: the file ends before its pixel data"));
    // The failure leaves the adapter usable.
    const QString good = path(QStringLiteral("good.png"));
    ASSERT_TRUE(m_adapter.writeImage(CoreTest::solid(3, 2, 0xff102030u), good));
    ASSERT_EQ(m_adapter.readImage(good).size(), 1);
}

// A large file that is no picture, picked under a picture's suffix: its format is guessed from
// its first bytes, not by asking every reader whether it can read it (the DICOM reader walks
// hundreds of megabytes of zeros tag by tag). Counted in bytes read, not in time.
TEST_F(HostileImages, AFileThatIsNoPictureIsJudgedOnItsFirstBytes)
{
    ASSERT_GE(bytesReadSoFar(), 0);
    for (const char* name : {"zeros.png", "zeros.dcm", "zeros"}) {
        const QString file = path(QString::fromLatin1(name));
        {
            QFile sparse(file);
            ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
            ASSERT_TRUE(sparse.resize(qint64(32) << 20));
        }
        const qint64 before = bytesReadSoFar();
        EXPECT_EQ(m_adapter.checkSize(file), QSize(-1, -1)) << name;
        EXPECT_EQ(m_adapter.dpi(file), 72) << name;
        EXPECT_TRUE(m_adapter.readImage(file).isEmpty()) << name;
        EXPECT_EQ(m_adapter.errorReason(), ImageLibrary::errorText(ImageLibrary::UnknownFormat)) << name;
        EXPECT_LT(bytesReadSoFar() - before, qint64(1) << 20) << name;
    }
    // A picture is still recognised by its first bytes whatever its suffix.
    const QString png = path(QStringLiteral("picture.dcm"));
    ASSERT_TRUE(m_adapter.writeImage(CoreTest::solid(3, 2, 0xff102030u), png, QStringLiteral("png")));
    const QList<GflAdapter::Layer> layers = m_adapter.readImage(png);
    ASSERT_EQ(layers.size(), 1);
    EXPECT_EQ(layers.first().second.pixel(2, 1), 0xff102030u);
}

// The readers open the checked descriptor under a name of its own; their messages still name the
// file by its path.
TEST_F(HostileImages, ReadersMessagesNameTheFileByItsPath)
{
    // Sound chunks over pixel data that is no compressed data: the reader, not the check, refuses it.
    const QString file = path(QStringLiteral("check-sum.png"));
    QByteArray bytes = HostileFiles::Png::header(4, 3, 2);
    HostileFiles::Png::appendChunk(bytes, "IDAT", QByteArray(16, '\x11'));
    HostileFiles::Png::appendChunk(bytes, "IEND", QByteArray());
    ASSERT_TRUE(StoreTest::writeFile(file, bytes));
    EXPECT_TRUE(m_adapter.readImage(file).isEmpty());
    EXPECT_TRUE(m_adapter.errorString().contains(file)) << qPrintable(m_adapter.errorString());
    EXPECT_FALSE(m_adapter.errorReason().isEmpty());
    EXPECT_FALSE(m_adapter.errorReason().contains(QStringLiteral("/proc/self/fd"))) << qPrintable(m_adapter.errorReason());
}
