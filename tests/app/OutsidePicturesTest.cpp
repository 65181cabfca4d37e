// Every picture from outside is decoded only by a raster reader that reads its own bytes, chosen
// from the file's first bytes, within the pixel cap: an SVG document under any suffix the program
// lists (or none) that names a pipe, /proc/self/fd/N or itself, or embeds pictures, is refused by
// the picture reader and by the image library without opening anything; real raster pictures of
// every format read come out as that format's own reader gives them.

#include "AddressSpaceLimit.h"
#include "HostileFiles.h"
#include "HostilePictures.h"
#include "OpenWatcher.h"
#include "PipeWatcher.h"

#include "app/GflAdapter.h"
#include "io/picture/ImageLibrary.h"
#include "io/picture/PictureFile.h"
#include "app/TextDocumentResources.h"
#include "io/picture/RasterPictureReader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

using HostilePictures::Sample;

// Every suffix the image library lists, the suffixes of SVG pictures, and none.
QStringList listedSuffixes()
{
    QStringList suffixes;
    GflAdapter adapter;
    for (GflAdapter::Format const& format : adapter.supportedFormats()) {
        for (QString const& suffix : format.suffixes) {
            if (!suffixes.contains(suffix))
                suffixes << suffix;
        }
    }
    return suffixes << QStringLiteral("svg") << QStringLiteral("svgz") << QString();
}

class OutsidePictures : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString path(QString const& name) const { return dir.filePath(name); }

    bool write(QString const& file, QByteArray const& bytes) const
    {
        QFile out(file);
        return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(bytes) == bytes.size();
    }

    // Whether the file is refused by every reader of pictures from outside.
    static bool refusedEverywhere(QString const& file)
    {
        GflAdapter adapter;
        return !PictureFile::isReadable(file) && PictureFile::read(file).isNull()
               && adapter.readImage(file).isEmpty();
    }

    QTemporaryDir dir;
};

TEST_F(OutsidePictures, SvgUnderEveryListedSuffixIsRefusedWithoutOpeningWhatItNames)
{
    PipeWatcher pipe(path(QStringLiteral("pipe")));
    ASSERT_TRUE(pipe.isValid());
    // A picture the process holds open, named by its descriptor.
    const QString held = path(QStringLiteral("held.png"));
    ASSERT_TRUE(write(held, HostilePictures::written(HostilePictures::pattern(), "png")));
    const HeldFile heldFile(held);
    ASSERT_TRUE(heldFile.isValid());
    OpenWatcher heldOpens(held);
    ASSERT_TRUE(heldOpens.isValid());

    const QList<Sample> named = HostilePictures::svgNaming(pipe.path())
                                + HostilePictures::svgNaming(heldFile.name());
    const QList<Sample> embedded = {
        {QStringLiteral("embedded bomb"), HostilePictures::svgEmbedding(HostileFiles::pngBomb(30000, 30000), 3)},
        {QStringLiteral("embedded picture"),
         HostilePictures::svgEmbedding(HostilePictures::written(HostilePictures::pattern(), "png"), 2)},
    };
    const QStringList suffixes = listedSuffixes();
    ASSERT_GT(suffixes.size(), 20);
    int cases = 0;
    for (int s = 0; s < suffixes.size(); ++s) {
        const QString dot = suffixes[s].isEmpty() ? QString() : QStringLiteral(".") + suffixes[s];
        // Every shape under the first suffixes and the SVG ones, one in turn under the rest.
        QList<Sample> samples = embedded;
        for (int k = 0; k < named.size(); ++k) {
            if (s < 4 || suffixes[s].startsWith(QLatin1String("svg")) || k % 12 == s % 12)
                samples << named[k];
        }
        for (Sample const& sample : samples) {
            const QString file = path(QStringLiteral("picture-%1%2").arg(cases++).arg(dot));
            ASSERT_TRUE(write(file, sample.bytes));
            EXPECT_TRUE(refusedEverywhere(file)) << qPrintable(sample.name + QLatin1Char(' ') + dot);
        }
        // Naming itself, by its path and by a relative name.
        const QString self = path(QStringLiteral("self-%1%2").arg(s).arg(dot));
        for (QString const& name : {self, QFileInfo(self).fileName()}) {
            const QList<Sample> shapes = HostilePictures::svgNaming(name);
            ASSERT_TRUE(write(self, shapes[s % shapes.size()].bytes));
            EXPECT_TRUE(refusedEverywhere(self)) << qPrintable(self);
        }
    }
    EXPECT_EQ(pipe.readerOpens(), 0);
    EXPECT_EQ(heldOpens.opens(), 0);
}

TEST_F(OutsidePictures, RasterPicturesOfEveryFormatReadAsTheirOwnReaderReadsThem)
{
    const QImage picture = HostilePictures::pattern();
    struct Case {
        QByteArray format; // Qt's
        QString suffix;
        QByteArray bytes;
        bool hasSignature = true; // read under any suffix
    };
    const QList<Case> cases = {
        {"png", QStringLiteral("png"), HostilePictures::written(picture, "png")},
        {"jpeg", QStringLiteral("jpg"), HostilePictures::written(picture, "jpeg")},
        {"bmp", QStringLiteral("bmp"), HostilePictures::written(picture, "bmp")},
        {"ppm", QStringLiteral("ppm"), HostilePictures::written(picture, "ppm")},
        {"ppm", QStringLiteral("pgm"), HostilePictures::written(picture.convertToFormat(QImage::Format_Grayscale8), "pgm")},
        {"ppm", QStringLiteral("pbm"), HostilePictures::written(picture.convertToFormat(QImage::Format_Mono), "pbm")},
        {"tiff", QStringLiteral("tif"), HostilePictures::written(picture, "tiff")},
        {"webp", QStringLiteral("webp"), HostilePictures::written(picture, "webp")},
        {"gif", QStringLiteral("gif"), HostilePictures::gif(picture)},
        {"tga", QStringLiteral("tga"), HostilePictures::tga(picture), false},
    };
    int n = 0;
    for (Case const& c : cases) {
        ASSERT_FALSE(c.bytes.isEmpty()) << c.format.constData();
        // The format's own reader, asked by name.
        QBuffer buffer;
        buffer.setData(c.bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader own(&buffer, c.format);
        own.setAutoDetectImageFormat(false);
        const QImage expected = own.read();
        ASSERT_FALSE(expected.isNull()) << c.format.constData();
        if (c.format == "gif")
            EXPECT_EQ(expected.convertToFormat(QImage::Format_RGB32), HostilePictures::gifColours(picture));

        const QStringList suffixes = c.hasSignature ? QStringList{c.suffix, QStringLiteral("exr"), QStringLiteral("psd"),
                                                             QStringLiteral("svg"), QString()}
                                               : QStringList{c.suffix};
        for (QString const& suffix : suffixes) {
            const QString file = path(QStringLiteral("raster-%1.%2").arg(n++).arg(suffix));
            ASSERT_TRUE(write(file, c.bytes));
            QSize size;
            const QImage read = PictureFile::read(file, QSize(), &size);
            EXPECT_TRUE(PictureFile::isReadable(file)) << qPrintable(file);
            EXPECT_EQ(size, picture.size()) << qPrintable(file);
            EXPECT_EQ(read, expected) << qPrintable(file);
        }
        if (!c.hasSignature) {
            // A picture without a signature is taken only under its own suffix.
            const QString file = path(QStringLiteral("raster-%1.png").arg(n++));
            ASSERT_TRUE(write(file, c.bytes));
            EXPECT_TRUE(PictureFile::read(file).isNull());
        }
    }
}

TEST_F(OutsidePictures, FormatsAreChosenByTheirFirstBytesAmongRasterFormatsOnly)
{
    EXPECT_EQ(RasterPictureReader::formatOf("\x89PNG\r\n\x1a\n....", QStringLiteral("svg")), "png");
    EXPECT_EQ(RasterPictureReader::formatOf("GIF89a", QString()), "gif");
    EXPECT_EQ(RasterPictureReader::formatOf("P5 1 1 255", QStringLiteral("exr")), "ppm");
    EXPECT_EQ(RasterPictureReader::formatOf(QByteArray("RIFF\0\0\0\0WEBPVP8L", 16), QString()), "webp");
    EXPECT_EQ(RasterPictureReader::formatOf(QByteArray(18, '\0'), QStringLiteral("TGA")), "tga");
    // Formats Qt reads but that are documents, icons of several pictures or text.
    for (QByteArray const head : {QByteArray("<svg/>"), QByteArray("\x1f\x8b\x08"), QByteArray("/* XPM */"),
                                  QByteArray("#define x_width 1"), QByteArray("\x00\x00\x01\x00", 4),
                                  QByteArray("icns"), QByteArray("\x8aMNG\r\n\x1a\n")})
        EXPECT_TRUE(RasterPictureReader::formatOf(head, QStringLiteral("tga.svg")).isEmpty()) << head.constData();
}

TEST_F(OutsidePictures, SvgEmbeddingLargePicturesCostsNothing)
{
    // Four pictures of 36 megapixels, 144 MB each when decoded.
    const QString large = path(QStringLiteral("large.png"));
    ASSERT_TRUE(HostileFiles::writeLargePng(large, 6000, 6000));
    QFile in(large);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray document = HostilePictures::svgEmbedding(in.readAll(), 4);
    QStringList files;
    for (QString const& suffix : {QStringLiteral("exr"), QStringLiteral("hdr"), QStringLiteral("svg")}) {
        files << path(QStringLiteral("embedding.") + suffix);
        ASSERT_TRUE(write(files.last(), document));
    }
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // The program's own limit of Qt's readers.
            QImageReader::setAllocationLimit(PictureFile::readerAllocationLimit());
            AppTest::limitAddressSpace(qint64(256) << 20);
            bool refused = true;
            for (QString const& file : files)
                refused = refused && !PictureFile::isReadable(file) && PictureFile::read(file).isNull();
            std::exit(refused ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(OutsidePictures, PicturesAboveTheCapAreRefusedOnTheirHeadersInEveryFormat)
{
    QStringList files;
    for (Sample const& sample : HostilePictures::aboveTheCap()) {
        ASSERT_FALSE(sample.bytes.isEmpty()) << qPrintable(sample.name);
        const bool targa = sample.name == QLatin1String("tga");
        files << path(QStringLiteral("above-%1.%2").arg(files.size()).arg(targa ? "tga" : "exr"));
        ASSERT_TRUE(write(files.last(), sample.bytes));
    }
    ASSERT_GE(files.size(), 10);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QImageReader::setAllocationLimit(PictureFile::readerAllocationLimit());
            AppTest::limitAddressSpace(qint64(256) << 20);
            bool refused = true;
            for (QString const& file : files) {
                QString reason;
                QSize size;
                const bool read = !PictureFile::read(file, QSize(), &size, &reason).isNull();
                fprintf(stderr, "%s: %s\n", qPrintable(QFileInfo(file).fileName()), qPrintable(reason));
                // Qt's Targa reader refuses pictures of this size itself.
                refused = refused && !read
                          && (file.endsWith(QLatin1String(".tga"))
                              || reason.startsWith(QLatin1String("Image too large: 12000 x 12000")));
            }
            std::exit(refused ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(OutsidePictures, DocumentPicturesOfDataUrlsAreReadAsRasterPicturesOnly)
{
    PipeWatcher pipe(path(QStringLiteral("pipe")));
    ASSERT_TRUE(pipe.isValid());
    auto image = [](QVariant const& resource) {
        return resource.value<QPixmap>().toImage().convertToFormat(QImage::Format_ARGB32);
    };
    const QImage stand = image(TextDocumentResources::refused(QTextDocument::ImageResource));
    for (Sample const& sample : HostilePictures::svgNaming(pipe.path())) {
        for (QUrl const& url : {QUrl(QStringLiteral("data:image/svg+xml;base64,") + QString::fromLatin1(sample.bytes.toBase64())),
                                QUrl(QStringLiteral("data:image/png;base64,") + QString::fromLatin1(sample.bytes.toBase64())),
                                QUrl(QStringLiteral("data:,") + QString::fromLatin1(sample.bytes.toPercentEncoding()))}) {
            EXPECT_EQ(image(TextDocumentResources::load(QTextDocument::ImageResource, url)), stand)
                << qPrintable(sample.name);
        }
    }
    EXPECT_EQ(pipe.readerOpens(), 0);

    const QImage picture = HostilePictures::pattern().convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_ARGB32);
    const QUrl png(QStringLiteral("data:image/png;base64,")
                   + QString::fromLatin1(HostilePictures::written(picture, "png").toBase64()));
    EXPECT_EQ(image(TextDocumentResources::load(QTextDocument::ImageResource, png)), picture);
    // Other resources of data: URLs are Qt's to load.
    EXPECT_FALSE(TextDocumentResources::load(QTextDocument::StyleSheetResource, QUrl(QStringLiteral("data:,a"))).isValid());
}

} // namespace
