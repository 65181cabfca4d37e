#include "app/GflAdapter.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <OpenImageIO/imageio.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

const QString dataDir = QStringLiteral(VYX_TEST_DATA_DIR);

class GflAdapterTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    bool writeFile(const QString& name, const QByteArray& data) const
    {
        QFile file(path(name));
        return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
    }

    // An RGB Photoshop file with its composite only: no layer section at all.
    QByteArray bareComposite(int width, int height, QRgb colour) const
    {
        QByteArray data;
        QDataStream out(&data, QIODevice::WriteOnly);
        out.writeRawData("8BPS", 4);
        out << quint16(1) << quint32(0) << quint16(0) << quint16(3) << quint32(height) << quint32(width)
            << quint16(8) << quint16(3) << quint32(0) << quint32(0) << quint32(0) << quint16(0);
        for (int channel : {qRed(colour), qGreen(colour), qBlue(colour)})
            data.append(QByteArray(width * height, char(channel)));
        return data;
    }

    GflAdapter m_adapter;
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(GflAdapterTest, PngGivesOneStraightArgbLayer)
{
    QImage image(7, 5, QImage::Format_ARGB32);
    image.fill(qRgba(10, 20, 30, 255));
    image.setPixel(3, 2, qRgba(200, 100, 50, 64));
    ASSERT_TRUE(image.save(path("one.png")));
    const auto layers = m_adapter.readImage(path("one.png"));
    ASSERT_EQ(layers.size(), 1);
    EXPECT_EQ(layers[0].first, QRect(0, 0, 7, 5));
    EXPECT_EQ(layers[0].second.format(), QImage::Format_ARGB32);
    EXPECT_EQ(layers[0].second.pixel(0, 0), qRgba(10, 20, 30, 255));
    EXPECT_EQ(layers[0].second.pixel(3, 2), qRgba(200, 100, 50, 64));
    EXPECT_TRUE(m_adapter.errorString().isEmpty());

    QImage opaque(4, 4, QImage::Format_RGB32);
    opaque.fill(qRgb(1, 2, 3));
    ASSERT_TRUE(opaque.save(path("opaque.jpg"), "JPEG", 100));
    const auto jpeg = m_adapter.readImage(path("opaque.jpg"));
    ASSERT_EQ(jpeg.size(), 1);
    EXPECT_EQ(qAlpha(jpeg[0].second.pixel(2, 2)), 255);
}

TEST_F(GflAdapterTest, LayeredPsdGivesItsLayersAtTheirOffsets)
{
    const auto layers = m_adapter.readImage(dataDir + "/layered.psd");
    ASSERT_EQ(layers.size(), 3);
    EXPECT_EQ(layers[0].first, QRect(2, 1, 6, 4));
    EXPECT_EQ(layers[1].first, QRect(8, 5, 5, 6));
    EXPECT_EQ(layers[2].first, QRect(0, 9, 16, 3));
    EXPECT_EQ(layers[0].second.size(), QSize(6, 4));
    EXPECT_EQ(layers[0].second.pixel(5, 3), qRgba(255, 0, 0, 255));
    EXPECT_EQ(layers[1].second.pixel(0, 0), qRgba(0, 200, 0, 128)); // straight, not premultiplied
    EXPECT_EQ(layers[2].second.pixel(15, 2), qRgba(0, 0, 255, 255));

    // The canvas placement of a layer, as the document shows it.
    const QImage canvas = GflAdapter::fixPsdLayer(QSize(16, 12), layers[0].second, layers[0].first.topLeft());
    EXPECT_EQ(canvas.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(canvas.pixel(2, 1), qRgba(255, 0, 0, 255));
    EXPECT_EQ(canvas.pixel(1, 1), 0u);
    EXPECT_EQ(canvas.pixel(8, 1), 0u);
    EXPECT_EQ(m_adapter.checkSize(dataDir + "/layered.psd"), QSize(16, 12));
}

TEST_F(GflAdapterTest, PsdWithoutLayersGivesItsComposite)
{
    // Written with an empty layer record beside the composite.
    const auto flat = m_adapter.readImage(dataDir + "/flat.psd");
    ASSERT_EQ(flat.size(), 1);
    EXPECT_EQ(flat[0].first, QRect(0, 0, 8, 6));
    EXPECT_EQ(flat[0].second.pixel(7, 5), qRgba(10, 20, 30, 255));

    ASSERT_TRUE(writeFile("bare.psd", bareComposite(5, 3, qRgb(40, 50, 60))));
    const auto bare = m_adapter.readImage(path("bare.psd"));
    ASSERT_EQ(bare.size(), 1);
    EXPECT_EQ(bare[0].first, QRect(0, 0, 5, 3));
    EXPECT_EQ(bare[0].second.pixel(4, 2), qRgba(40, 50, 60, 255));
}

TEST_F(GflAdapterTest, ThreePageTiffGivesThreeLayersInOrder)
{
    const std::string file = path("pages.tif").toStdString();
    auto out = OIIO::ImageOutput::create(file);
    ASSERT_TRUE(out);
    std::vector<OIIO::ImageSpec> specs;
    for (int page = 0; page < 3; ++page)
        specs.emplace_back(3 + page, 2, 4, OIIO::TypeDesc::UINT8);
    for (auto& spec : specs)
        spec.attribute("oiio:UnassociatedAlpha", 1);
    ASSERT_TRUE(out->open(file, 3, specs.data()));
    for (int page = 0; page < 3; ++page) {
        if (page > 0) {
            ASSERT_TRUE(out->open(file, specs[page], OIIO::ImageOutput::AppendSubimage));
        }
        std::vector<unsigned char> pixels;
        for (int i = 0; i < specs[page].width * 2; ++i)
            pixels.insert(pixels.end(), {static_cast<unsigned char>(60 * page), 7, 8, 200});
        ASSERT_TRUE(out->write_image(OIIO::TypeDesc::UINT8, pixels.data()));
    }
    ASSERT_TRUE(out->close());

    const auto layers = m_adapter.readImage(path("pages.tif"));
    ASSERT_EQ(layers.size(), 3);
    for (int page = 0; page < 3; ++page) {
        EXPECT_EQ(layers[page].first, QRect(0, 0, 3 + page, 2));
        EXPECT_EQ(layers[page].second.pixel(page, 1), qRgba(60 * page, 7, 8, 200));
    }
    // A format name the library does not know means "detect it".
    EXPECT_EQ(m_adapter.readImage(path("pages.tif"), "no-such-format").size(), 3);
    EXPECT_TRUE(m_adapter.readImage(path("pages.tif"), "png").isEmpty());
    EXPECT_FALSE(m_adapter.errorString().isEmpty());
}

TEST_F(GflAdapterTest, UnreadableFilesGiveNoLayersAndAClearError)
{
    QFile psd(dataDir + "/layered.psd");
    ASSERT_TRUE(psd.open(QIODevice::ReadOnly));
    const QByteArray layered = psd.readAll();
    ASSERT_TRUE(writeFile("layers-cut.psd", layered.left(400)));
    ASSERT_TRUE(writeFile("header-only.psd", layered.left(30)));
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(path("whole.png")));
    QFile png(path("whole.png"));
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    ASSERT_TRUE(writeFile("cut.png", png.readAll().left(60)));
    ASSERT_TRUE(writeFile("noise.bmp", QByteArray("BM") + QByteArray(100, '\xff')));

    for (const char* name : {"layers-cut.psd", "header-only.psd", "cut.png", "noise.bmp", "missing.png"}) {
        const auto layers = m_adapter.readImage(path(name));
        EXPECT_TRUE(layers.isEmpty()) << name;
        EXPECT_TRUE(m_adapter.errorString().contains(name)) << m_adapter.errorString().toStdString();
    }
    EXPECT_TRUE(m_adapter.readImage(QString()).isEmpty());
    EXPECT_EQ(m_adapter.checkSize(path("missing.png")), QSize(-1, -1));
    EXPECT_EQ(m_adapter.dpi(path("missing.png")), 72);

    // Only the composite is cut short: the file fails as a whole, with a reason.
    ASSERT_TRUE(writeFile("composite-cut.psd", layered.left(layered.size() - 20)));
    EXPECT_TRUE(m_adapter.readImage(path("composite-cut.psd")).isEmpty());
    EXPECT_TRUE(m_adapter.errorString().contains("composite-cut.psd"));
}

TEST_F(GflAdapterTest, FormatsComePngFirstThenThePreferredInLibraryOrder)
{
    const QList<GflAdapter::Format> formats = m_adapter.supportedFormats();
    ASSERT_EQ(formats.size(), ImageLibrary::numberOfFormats());
    ASSERT_EQ(formats[0].name, "png");
    QStringList preferred;
    QStringList rest;
    for (int i = 0; i < ImageLibrary::numberOfFormats(); ++i) {
        const QString name = QString::fromLatin1(ImageLibrary::formatName(i));
        if (name == "jpeg" || name == "tiff" || name == "gif" || name == "bmp")
            preferred.append(name);
        else if (name != "png")
            rest.append(name);
    }
    ASSERT_EQ(preferred.size(), 4);
    QStringList expected = QStringList{"png"} + preferred + rest;
    QStringList names;
    for (const GflAdapter::Format& format : formats)
        names.append(format.name);
    EXPECT_EQ(names, expected);

    const QStringList suffixes = m_adapter.supportedFormatsSuffixes();
    ASSERT_EQ(suffixes.size(), formats.size());
    for (int i = 0; i < formats.size(); ++i) {
        const int index = ImageLibrary::formatIndexByName(formats[i].name.toLatin1());
        EXPECT_EQ(suffixes[i], formats[i].defaultSuffix);
        EXPECT_EQ(formats[i].defaultSuffix, QString::fromLatin1(ImageLibrary::formatDefaultSuffix(index)));
        EXPECT_EQ(formats[i].writable, ImageLibrary::formatIsWritable(index));
        EXPECT_FALSE(formats[i].description.isEmpty());
    }
    EXPECT_TRUE(suffixes.contains("psd"));
    EXPECT_EQ(suffixes[0], "png");
}

TEST_F(GflAdapterTest, WriteImageGoesThroughQtWritersByFormatOrSuffix)
{
    QImage image(3, 3, QImage::Format_ARGB32);
    image.fill(qRgba(9, 8, 7, 128));
    EXPECT_TRUE(m_adapter.writeImage(image, path("upper.PNG")));
    const auto back = m_adapter.readImage(path("upper.PNG"));
    ASSERT_EQ(back.size(), 1);
    EXPECT_EQ(back[0].second.pixel(1, 1), qRgba(9, 8, 7, 128));
    EXPECT_TRUE(m_adapter.writeImage(image, path("named.bin"), "bmp"));
    EXPECT_EQ(m_adapter.checkSize(path("named.bin")), QSize(3, 3));

    EXPECT_FALSE(m_adapter.writeImage(image, path("unknown.xyz")));
    EXPECT_FALSE(m_adapter.writeImage(image, path("nosuffix")));
    EXPECT_FALSE(m_adapter.writeImage(QImage(), path("null.png")));
    EXPECT_FALSE(m_adapter.writeImage(image, QString()));
    EXPECT_FALSE(QFileInfo::exists(path("unknown.xyz")));
    EXPECT_FALSE(QFileInfo::exists(path("null.png")));
}

TEST_F(GflAdapterTest, DpiHalvesTheSumOfBothResolutions)
{
    auto out = OIIO::ImageOutput::create("tif");
    OIIO::ImageSpec spec(2, 2, 3, OIIO::TypeDesc::UINT8);
    spec.attribute("XResolution", 300.0f);
    spec.attribute("YResolution", 151.0f);
    spec.attribute("ResolutionUnit", "in");
    spec.attribute("PixelAspectRatio", 151.0f / 300.0f); // else the writer derives YResolution
    const std::string file = path("dpi.tif").toStdString();
    ASSERT_TRUE(out->open(file, spec));
    const unsigned char pixels[12] = {};
    ASSERT_TRUE(out->write_image(OIIO::TypeDesc::UINT8, pixels));
    ASSERT_TRUE(out->close());
    EXPECT_EQ(m_adapter.dpi(path("dpi.tif")), 225);
}
