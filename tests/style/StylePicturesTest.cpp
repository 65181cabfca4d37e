// A picture the style file names is read as every picture from outside is: a pipe in its place
// is never opened (it would hold start-up), an SVG picture under any name never opens what it
// names, a picture above the pixel cap is refused on its header, and raster pictures of the
// formats the program reads load as their own reader reads them.

#include "app/HostileFiles.h"
#include "app/HostilePictures.h"
#include "app/OpenWatcher.h"
#include "app/PipeWatcher.h"

#include "style/KelStyleConfig.h"
#include "style/KelTagImageParser.h"
#include "style/XmlStanza.h"

#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using HostilePictures::Sample;

QVariant styleImage(QString const& name)
{
    XmlStanza stanza;
    stanza.tag().setName(QStringLiteral("image"));
    stanza.tag().addAttribute(QStringLiteral("name"), name);
    KelTagImageParser parser;
    return parser.parse(stanza, *KelStyleConfig::instance());
}

bool write(QString const& path, QByteArray const& bytes)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(bytes) == bytes.size();
}

TEST(StylePictures, PipesSvgAndOversizedPicturesAreRefusedWithoutOpeningAnything)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    PipeWatcher pipe(dir.filePath(QStringLiteral("pipe.png")));
    ASSERT_TRUE(pipe.isValid());
    const QString held = dir.filePath(QStringLiteral("held.png"));
    ASSERT_TRUE(write(held, HostilePictures::written(HostilePictures::pattern(), "png")));
    const HeldFile heldFile(held);
    ASSERT_TRUE(heldFile.isValid());
    OpenWatcher heldOpens(held);
    ASSERT_TRUE(heldOpens.isValid());

    EXPECT_FALSE(styleImage(pipe.path()).isValid());
    const QList<Sample> samples = HostilePictures::svgNaming(pipe.path())
                                  + HostilePictures::svgNaming(heldFile.name())
                                  + QList<Sample>{{QStringLiteral("bomb"), HostileFiles::pngBomb(16384, 16384)}}
                                  + HostilePictures::aboveTheCap();
    int n = 0;
    for (Sample const& sample : samples) {
        for (QString const suffix : {QStringLiteral("png"), QStringLiteral("svg"), QStringLiteral("tga")}) {
            const QString file = dir.filePath(QStringLiteral("picture-%1.%2").arg(n++).arg(suffix));
            ASSERT_TRUE(write(file, sample.bytes));
            EXPECT_FALSE(styleImage(file).isValid()) << qPrintable(sample.name + QLatin1Char(' ') + suffix);
        }
    }
    EXPECT_EQ(pipe.readerOpens(), 0);
    EXPECT_EQ(heldOpens.opens(), 0);
}

TEST(StylePictures, RasterPicturesLoadAsTheirOwnReaderReadsThem)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QImage picture = HostilePictures::pattern();
    const QList<std::pair<QByteArray, QString>> formats = {
        {"png", QStringLiteral("png")}, {"bmp", QStringLiteral("bmp")},   {"jpeg", QStringLiteral("jpg")},
        {"tiff", QStringLiteral("tif")}, {"webp", QStringLiteral("webp")}, {"tga", QStringLiteral("tga")},
        {"gif", QStringLiteral("gif")},
    };
    for (auto const& [format, suffix] : formats) {
        const QString file = dir.filePath(QStringLiteral("picture.") + suffix);
        const QByteArray bytes = format == "tga"   ? HostilePictures::tga(picture)
                                 : format == "gif" ? HostilePictures::gif(picture)
                                                   : HostilePictures::written(picture, format);
        ASSERT_TRUE(write(file, bytes));
        QImageReader own(file, format);
        own.setAutoDetectImageFormat(false);
        const QImage expected = own.read();
        ASSERT_FALSE(expected.isNull()) << format.constData();
        const QVariant loaded = styleImage(file);
        ASSERT_EQ(loaded.metaType(), QMetaType::fromType<QPixmap>()) << format.constData();
        EXPECT_EQ(loaded.value<QPixmap>().toImage().convertToFormat(QImage::Format_ARGB32),
                  QPixmap::fromImage(expected).toImage().convertToFormat(QImage::Format_ARGB32))
            << format.constData();
    }
}

} // namespace
