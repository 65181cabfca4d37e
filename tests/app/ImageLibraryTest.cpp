#include "io/picture/ImageLibrary.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <OpenImageIO/imageio.h>

#include <gtest/gtest.h>

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

TEST_F(ImageLibraryTest, PngLoadsStraightAlphaAndGreyAsGrey)
{
    QImage argb(3, 2, QImage::Format_ARGB32);
    argb.fill(qRgba(0, 200, 40, 128));
    ASSERT_TRUE(argb.save(path("a.png")));
    Loaded rgba;
    load(rgba, path("a.png"));
    ASSERT_EQ(rgba.error, ImageLibrary::NoError) << rgba.message.toStdString();
    EXPECT_EQ(rgba.bitmap->type, ImageLibrary::RGBA);
    const unsigned char* p = rgba.bitmap->data + rgba.bitmap->bytesPerLine + 4;
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(p), 4), QByteArray("\x00\xc8\x28\x80", 4));

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
    // The window's sentence names the file; the reason does not again.
    EXPECT_EQ(info.message.toStdString(), "The file is no longer there.");
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
