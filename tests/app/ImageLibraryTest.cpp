#include "app/ImageLibrary.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <OpenImageIO/imageio.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Keeps the library started for one test.
class ImageLibraryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ImageLibrary::initialise();
        ASSERT_TRUE(m_dir.isValid());
    }
    void TearDown() override { ImageLibrary::exit(); }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    struct Loaded {
        ImageLibrary::Error error = ImageLibrary::NoError;
        ImageLibrary::Bitmap* bitmap = nullptr;
        ImageLibrary::FileInformation information;
        QString message;
        ~Loaded() { ImageLibrary::freeBitmap(bitmap); }
    };

    static void load(Loaded& out, const QString& file, int image = 0, int format = -1)
    {
        ImageLibrary::LoadParams params = ImageLibrary::defaultLoadParams();
        params.imageWanted = image;
        params.formatIndex = format;
        out.error = ImageLibrary::loadBitmap(file, &out.bitmap, params, &out.information, &out.message);
    }

    QTemporaryDir m_dir;
};

// Writes an RGB TIFF of three pages of different sizes and grey levels through OpenImageIO.
bool writeThreePageTiff(const QString& file, float xResolution = 0.0f, const char* unit = "in")
{
    auto out = OIIO::ImageOutput::create(file.toStdString());
    if (!out || !out->supports("multiimage"))
        return false;
    std::vector<OIIO::ImageSpec> specs;
    for (int page = 0; page < 3; ++page) {
        OIIO::ImageSpec spec(4 + page, 3 + page, 3, OIIO::TypeDesc::UINT8);
        if (xResolution > 0.0f) {
            spec.attribute("XResolution", xResolution);
            spec.attribute("YResolution", xResolution);
            spec.attribute("ResolutionUnit", unit);
        }
        specs.push_back(spec);
    }
    if (!out->open(file.toStdString(), int(specs.size()), specs.data()))
        return false;
    for (int page = 0; page < 3; ++page) {
        if (page > 0 && !out->open(file.toStdString(), specs[page], OIIO::ImageOutput::AppendSubimage))
            return false;
        std::vector<unsigned char> pixels(size_t(specs[page].image_pixels()) * 3,
                                          static_cast<unsigned char>(50 * (page + 1)));
        if (!out->write_image(OIIO::TypeDesc::UINT8, pixels.data()))
            return false;
    }
    return out->close();
}

} // namespace

TEST(ImageLibraryLifetime, CountsStartsAndStopsAndRefusesWorkWhileStopped)
{
    ASSERT_FALSE(ImageLibrary::isInitialised());
    EXPECT_EQ(ImageLibrary::numberOfFormats(), 0);
    ImageLibrary::Bitmap* bitmap = nullptr;
    EXPECT_EQ(ImageLibrary::loadBitmap(QStringLiteral(VYX_TEST_DATA_DIR "/layered.psd"), &bitmap,
                                       ImageLibrary::defaultLoadParams()),
              ImageLibrary::NotInitialised);
    EXPECT_EQ(bitmap, nullptr);

    ImageLibrary::initialise();
    ImageLibrary::initialise();
    ImageLibrary::exit();
    EXPECT_TRUE(ImageLibrary::isInitialised());
    EXPECT_GT(ImageLibrary::numberOfFormats(), 10);
    ImageLibrary::exit();
    EXPECT_FALSE(ImageLibrary::isInitialised());
    ImageLibrary::exit(); // one too many does not underflow
    ImageLibrary::initialise();
    EXPECT_TRUE(ImageLibrary::isInitialised());
    ImageLibrary::exit();
}

TEST_F(ImageLibraryTest, FormatTableHasTheStillImageFormatsOnly)
{
    const int count = ImageLibrary::numberOfFormats();
    for (const char* name : {"png", "jpeg", "tiff", "gif", "bmp", "psd"}) {
        const int index = ImageLibrary::formatIndexByName(name);
        ASSERT_GE(index, 0) << name;
        EXPECT_EQ(ImageLibrary::formatName(index), QByteArray(name));
        EXPECT_TRUE(ImageLibrary::formatIsReadable(index)) << name;
        EXPECT_FALSE(ImageLibrary::formatDescription(index).isEmpty());
    }
    for (const char* name : {"null", "term", "ffmpeg", "openvdb", "nonsense", ""})
        EXPECT_EQ(ImageLibrary::formatIndexByName(name), -1) << name;
    EXPECT_EQ(ImageLibrary::formatIndexByName("PNG"), ImageLibrary::formatIndexByName("png"));
    EXPECT_EQ(ImageLibrary::formatDefaultSuffix(ImageLibrary::formatIndexByName("jpeg")), "jpg");
    EXPECT_EQ(ImageLibrary::formatDefaultSuffix(ImageLibrary::formatIndexByName("tiff")), "tif");
    EXPECT_TRUE(ImageLibrary::formatIsWritable(ImageLibrary::formatIndexByName("png")));
    EXPECT_FALSE(ImageLibrary::formatIsWritable(ImageLibrary::formatIndexByName("psd")));
    EXPECT_TRUE(ImageLibrary::formatName(count).isEmpty());
    EXPECT_TRUE(ImageLibrary::formatName(-1).isEmpty());
    EXPECT_FALSE(ImageLibrary::formatIsWritable(count));
}

TEST_F(ImageLibraryTest, PngLoadsStraightAlphaAndGreyAsGrey)
{
    QImage argb(3, 2, QImage::Format_ARGB32);
    argb.fill(qRgba(0, 200, 40, 128));
    ASSERT_TRUE(argb.save(path("a.png")));
    Loaded rgba;
    load(rgba, path("a.png"));
    ASSERT_EQ(rgba.error, ImageLibrary::NoError) << rgba.message.toStdString();
    EXPECT_EQ(rgba.bitmap->type, ImageLibrary::RGBA);
    EXPECT_EQ(rgba.bitmap->width, 3);
    EXPECT_EQ(rgba.bitmap->bytesPerLine, 12);
    const unsigned char* p = rgba.bitmap->data + rgba.bitmap->bytesPerLine + 4;
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[1], 200);
    EXPECT_EQ(p[2], 40);
    EXPECT_EQ(p[3], 128);
    EXPECT_EQ(rgba.information.numberOfImages, 1);
    EXPECT_EQ(rgba.information.formatName, "png");

    QImage grey(5, 1, QImage::Format_Grayscale8);
    grey.fill(77);
    ASSERT_TRUE(grey.save(path("g.png")));
    Loaded g;
    load(g, path("g.png"));
    ASSERT_EQ(g.error, ImageLibrary::NoError);
    EXPECT_EQ(g.bitmap->type, ImageLibrary::Grey);
    EXPECT_EQ(g.bitmap->bytesPerLine, 8); // lines padded to four bytes
    EXPECT_EQ(g.bitmap->data[4], 77);
}

TEST_F(ImageLibraryTest, MultiPageTiffNumbersItsPagesAndRefusesOthers)
{
    ASSERT_TRUE(writeThreePageTiff(path("pages.tif")));
    for (int page = 0; page < 3; ++page) {
        Loaded loaded;
        load(loaded, path("pages.tif"), page);
        ASSERT_EQ(loaded.error, ImageLibrary::NoError) << page;
        EXPECT_EQ(loaded.information.numberOfImages, 3);
        EXPECT_EQ(loaded.information.formatName, "tiff");
        EXPECT_EQ(loaded.bitmap->type, ImageLibrary::RGB);
        EXPECT_EQ(loaded.bitmap->width, 4 + page);
        EXPECT_EQ(loaded.bitmap->height, 3 + page);
        EXPECT_EQ(loaded.bitmap->data[0], 50 * (page + 1));
    }
    for (int page : {3, -1}) {
        Loaded loaded;
        load(loaded, path("pages.tif"), page);
        EXPECT_EQ(loaded.error, ImageLibrary::BadImageIndex);
        EXPECT_EQ(loaded.bitmap, nullptr);
        EXPECT_EQ(loaded.information.numberOfImages, 3);
    }
}

TEST_F(ImageLibraryTest, ForcedFormatReadsOnlyThatFormat)
{
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(path("picture.png")));
    Loaded asTiff;
    load(asTiff, path("picture.png"), 0, ImageLibrary::formatIndexByName("tiff"));
    EXPECT_NE(asTiff.error, ImageLibrary::NoError);
    EXPECT_EQ(asTiff.bitmap, nullptr);
    Loaded asPng;
    load(asPng, path("picture.png"), 0, ImageLibrary::formatIndexByName("png"));
    EXPECT_EQ(asPng.error, ImageLibrary::NoError);
    Loaded badIndex;
    load(badIndex, path("picture.png"), 0, ImageLibrary::numberOfFormats());
    EXPECT_EQ(badIndex.error, ImageLibrary::BadFormatIndex);
}

TEST_F(ImageLibraryTest, UnreadableFilesGiveAnErrorAndAMessage)
{
    QImage image(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixel(x, y, qRgb(x * 4, y * 4, (x * y) & 255));
    ASSERT_TRUE(image.save(path("whole.png")));
    QFile whole(path("whole.png"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    auto write = [&](const QString& name, const QByteArray& data) {
        QFile file(path(name));
        return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
    };
    ASSERT_TRUE(write("truncated.png", bytes.left(bytes.size() / 2)));
    ASSERT_TRUE(write("header.png", bytes.left(20)));
    ASSERT_TRUE(write("garbage.png", QByteArray(300, 'x')));
    ASSERT_TRUE(write("empty.png", QByteArray()));

    for (const QString& name : {QStringLiteral("truncated.png"), QStringLiteral("header.png"),
                                QStringLiteral("garbage.png"), QStringLiteral("empty.png"),
                                QStringLiteral("missing.png"), QString()}) {
        Loaded loaded;
        load(loaded, name.isEmpty() ? m_dir.path() : path(name));
        EXPECT_NE(loaded.error, ImageLibrary::NoError) << name.toStdString();
        EXPECT_EQ(loaded.bitmap, nullptr);
        EXPECT_FALSE(loaded.message.isEmpty()) << name.toStdString();
    }
    Loaded info;
    EXPECT_EQ(ImageLibrary::fileInformation(path("missing.png"), -1, &info.information, &info.message),
              ImageLibrary::FileOpenError);
    EXPECT_TRUE(info.message.contains("missing.png"));
}

TEST_F(ImageLibraryTest, ARewrittenFileIsReadAgain)
{
    QImage small(2, 2, QImage::Format_RGB32);
    small.fill(Qt::blue);
    ASSERT_TRUE(small.save(path("changing.png")));
    Loaded first;
    load(first, path("changing.png"));
    ASSERT_EQ(first.error, ImageLibrary::NoError);
    QImage large(9, 7, QImage::Format_RGB32);
    large.fill(Qt::green);
    ASSERT_TRUE(large.save(path("changing.png")));
    Loaded second;
    load(second, path("changing.png"));
    ASSERT_EQ(second.error, ImageLibrary::NoError);
    EXPECT_EQ(second.bitmap->width, 9);
    EXPECT_EQ(second.bitmap->data[1], 255); // green of the new file
}

TEST_F(ImageLibraryTest, FileInformationReadsResolution)
{
    ASSERT_TRUE(writeThreePageTiff(path("inch.tif"), 300.0f, "in"));
    ASSERT_TRUE(writeThreePageTiff(path("cm.tif"), 100.0f, "cm"));
    ASSERT_TRUE(writeThreePageTiff(path("none.tif")));
    ImageLibrary::FileInformation information;
    ASSERT_EQ(ImageLibrary::fileInformation(path("inch.tif"), -1, &information), ImageLibrary::NoError);
    EXPECT_EQ(information.xDpi, 300);
    EXPECT_EQ(information.width, 4);
    EXPECT_EQ(information.numberOfImages, 3);
    ASSERT_EQ(ImageLibrary::fileInformation(path("cm.tif"), -1, &information), ImageLibrary::NoError);
    EXPECT_EQ(information.yDpi, 254);
    ASSERT_EQ(ImageLibrary::fileInformation(path("none.tif"), -1, &information), ImageLibrary::NoError);
    EXPECT_EQ(information.xDpi, 72);
}

TEST(ImageLibraryBitmap, AllocationPadsLinesAndRefusesNonsense)
{
    ImageLibrary::Bitmap* rgb = ImageLibrary::allocBitmap(ImageLibrary::RGB, 5, 2, 4);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(rgb->bytesPerPixel, 3);
    EXPECT_EQ(rgb->bytesPerLine, 16);
    EXPECT_EQ(rgb->data[31], 0);
    EXPECT_EQ(rgb->colorMap, nullptr);
    ImageLibrary::freeBitmap(rgb);

    ImageLibrary::Bitmap* bits = ImageLibrary::allocBitmap(ImageLibrary::Binary, 9, 1);
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bits->bytesPerLine, 2);
    ImageLibrary::freeBitmap(bits);

    ImageLibrary::Bitmap* palette = ImageLibrary::allocBitmap(ImageLibrary::Colors, 1, 1);
    ASSERT_NE(palette, nullptr);
    EXPECT_NE(palette->colorMap, nullptr);
    ImageLibrary::freeBitmap(palette);

    EXPECT_EQ(ImageLibrary::allocBitmap(ImageLibrary::RGB, 0, 5), nullptr);
    EXPECT_EQ(ImageLibrary::allocBitmap(ImageLibrary::RGB, 5, -1), nullptr);
    EXPECT_EQ(ImageLibrary::allocBitmap(3, 5, 5), nullptr);
    EXPECT_EQ(ImageLibrary::allocBitmap(ImageLibrary::ARGB, 1 << 16, 1 << 16), nullptr);
    ImageLibrary::freeBitmap(nullptr);
}

TEST_F(ImageLibraryTest, AssociatedAlphaIsMadeStraight)
{
    // A TIFF without the unassociated-alpha mark holds premultiplied colour.
    auto out = OIIO::ImageOutput::create("tif");
    OIIO::ImageSpec spec(1, 1, 4, OIIO::TypeDesc::UINT8);
    const std::string file = path("associated.tif").toStdString();
    ASSERT_TRUE(out->open(file, spec));
    const unsigned char pixel[4] = {0, 100, 64, 128};
    ASSERT_TRUE(out->write_image(OIIO::TypeDesc::UINT8, pixel));
    ASSERT_TRUE(out->close());
    Loaded loaded;
    load(loaded, path("associated.tif"));
    ASSERT_EQ(loaded.error, ImageLibrary::NoError);
    ASSERT_EQ(loaded.bitmap->type, ImageLibrary::RGBA);
    EXPECT_EQ(loaded.bitmap->data[1], 199); // 100 * 255 / 128
    EXPECT_EQ(loaded.bitmap->data[2], 128);
    EXPECT_EQ(loaded.bitmap->data[3], 128);
}
