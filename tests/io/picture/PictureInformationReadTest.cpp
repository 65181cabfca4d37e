// The pick asks a picture's size and resolution first. A JPEG's come from its header, as its reader
// gives them once it has opened the file, but without what that reader does to open a progressive
// JPEG: decode every scan into its store of coefficients (12 to 16 s for a 24-megapixel photo on a
// busy core, beside the 2.5 to 5.5 s of its pixels). So do those of the kinds whose reader decodes
// or reads the whole file to open it: a GIF's first frame is decoded onto its canvas, a portable
// map and a WebP file are read whole, and a run-length bitmap's runs are undone.

#include "CameraPictures.h"
#include "ReaderPeakMemory.h"

#include "io/picture/ImageLibrary.h"
#include "io/picture/PictureReader.h"

#include <QDir>
#include <QHash>
#include <QFile>
#include <QImageWriter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVariant>
#include <QtEndian>

#include <OpenImageIO/imageio.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include <sys/types.h>

namespace {

class PictureInformationRead : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PictureReader::setProgram(QString());
        PictureReader::setTimeLimit(0);
        ImageLibrary::initialise();
    }
    void TearDown() override { ImageLibrary::exit(); }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // As Qt writes a photo: a JFIF segment of its resolution, baseline or progressive.
    QString writtenByQt(const QString& name, const QImage& image, bool progressive, int dotsPerMeter)
    {
        QImage copy = image;
        copy.setDotsPerMeterX(dotsPerMeter);
        copy.setDotsPerMeterY(dotsPerMeter);
        QImageWriter writer(path(name), "jpeg");
        writer.setQuality(90);
        writer.setProgressiveScanWrite(progressive);
        EXPECT_TRUE(writer.write(copy)) << qPrintable(writer.errorString());
        return path(name);
    }

    // As the image library writes one: a JFIF segment, and EXIF with the orientation and
    // resolution of `attributes`.
    QString writtenByLibrary(const QString& name, QSize size, const QList<QPair<const char*, QVariant>>& attributes)
    {
        OIIO::ImageSpec spec(size.width(), size.height(), 3, OIIO::TypeDesc::UINT8);
        for (const auto& [attribute, value] : attributes) {
            if (value.typeId() == QMetaType::QString)
                spec.attribute(attribute, value.toString().toStdString());
            else if (value.typeId() == QMetaType::Float)
                spec.attribute(attribute, value.toFloat());
            else
                spec.attribute(attribute, value.toInt());
        }
        const std::vector<unsigned char> pixels(size_t(size.width()) * size_t(size.height()) * 3, 90);
        std::unique_ptr<OIIO::ImageOutput> out = OIIO::ImageOutput::create("jpeg");
        const std::string file = path(name).toStdString();
        EXPECT_TRUE(out && out->open(file, spec) && out->write_image(OIIO::TypeDesc::UINT8, pixels.data()) && out->close());
        return path(name);
    }

    // Written by ImageMagick from its gradient at these sides, with the options before the file,
    // by its writer of `format` ("BMP3", say) when given, else the one the suffix names.
    QString writtenByConvert(const QString& name, QSize size, const QStringList& options,
                             const QString& format = QString())
    {
        const QString written = path(name);
        const QString failure = CameraPictures::run(
            CameraPictures::convertProgram(),
            QStringList{QStringLiteral("-size"), QStringLiteral("%1x%2").arg(size.width()).arg(size.height()),
                        QStringLiteral("gradient:#ff0000-#0000ff")}
                + options + QStringList{format.isEmpty() ? written : format + QLatin1Char(':') + written});
        EXPECT_TRUE(failure.isEmpty()) << qPrintable(failure);
        return written;
    }

    // A tool of the WebP package on these arguments.
    void runWebpTool(const char* tool, const QStringList& arguments)
    {
        const QString failure = CameraPictures::run(QStandardPaths::findExecutable(QLatin1String(tool)), arguments);
        EXPECT_TRUE(failure.isEmpty()) << qPrintable(failure);
    }

    // The EXIF block of a JPEG the image library wrote with this orientation, as webpmux takes it.
    QString exifOfOrientation(int orientation)
    {
        const QString jpeg = writtenByLibrary(QStringLiteral("exif-%1.jpg").arg(orientation), QSize(8, 8),
                                              {{"Orientation", orientation}});
        QFile in(jpeg);
        EXPECT_TRUE(in.open(QIODevice::ReadOnly));
        const QByteArray bytes = in.readAll();
        const int at = bytes.indexOf(QByteArray("Exif\0\0", 6));
        EXPECT_GT(at, 4);
        const int length = qFromBigEndian<quint16>(bytes.constData() + at - 2);
        const QString exif = path(QStringLiteral("orientation-%1.exif").arg(orientation));
        QFile out(exif);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes.mid(at + 6, length - 8));
        return exif;
    }

    QTemporaryDir m_dir;
};

// The file's information read from its header, after it was found the same as the reader's.
ImageLibrary::FileInformation expectSameAsOpened(const QString& path)
{
    SCOPED_TRACE(path.toStdString());
    ImageLibrary::FileInformation header;
    QString reason;
    EXPECT_EQ(ImageLibrary::fileInformation(path, -1, &header, &reason), ImageLibrary::NoError) << qPrintable(reason);
    EXPECT_TRUE(header.fromHeader);
    // The reader's own answer once it has opened the file, as a load of the first image gets it.
    ImageLibrary::FileInformation opened;
    EXPECT_EQ(ImageLibrary::loadBitmap(path, nullptr, ImageLibrary::defaultLoadParams(), &opened, &reason),
              ImageLibrary::NoError)
        << qPrintable(reason);
    EXPECT_FALSE(opened.fromHeader);
    EXPECT_EQ(header.formatName, opened.formatName);
    EXPECT_EQ(QSize(header.width, header.height), QSize(opened.width, opened.height));
    EXPECT_EQ(header.xDpi, opened.xDpi);
    EXPECT_EQ(header.yDpi, opened.yDpi);
    EXPECT_EQ(header.numberOfImages, opened.numberOfImages);
    return header;
}

// `file` without its JFIF segment, as some cameras write a photo: EXIF alone.
QString withoutJfif(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return QString();
    QByteArray bytes = in.readAll();
    if (bytes.mid(2, 2) == QByteArray("\xff\xe0", 2))
        bytes.remove(2, 2 + qFromBigEndian<quint16>(bytes.constData() + 4));
    const QString copy = file + QStringLiteral(".exif-only.jpg");
    QFile out(copy);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        return QString();
    return copy;
}

} // namespace

// Baseline and progressive, grey and colour, turned by their EXIF orientation, with their
// resolution in the JFIF segment, in EXIF, in both or in neither.
TEST_F(PictureInformationRead, AJpegsHeaderGivesWhatItsReaderGivesOnceItHasOpenedTheFile)
{
    const QImage photo = CameraPictures::gradientPicture(64, 40);
    for (const bool progressive : {false, true}) {
        const QString kind = progressive ? QStringLiteral("progressive") : QStringLiteral("baseline");
        expectSameAsOpened(writtenByQt(kind + QStringLiteral("-qt-72.jpg"), photo, progressive, 2835));
        EXPECT_EQ(expectSameAsOpened(writtenByQt(kind + QStringLiteral("-qt-300.jpg"), photo, progressive, 11811)).xDpi,
                  300);
        expectSameAsOpened(writtenByQt(kind + QStringLiteral("-qt-grey.jpg"),
                                       photo.convertToFormat(QImage::Format_Grayscale8), progressive, 3937));
        for (const int orientation : {1, 3, 6, 8}) {
            for (const char* unit : {"in", "cm", "none"}) {
                const QString name = kind + QStringLiteral("-oiio-%1-%2.jpg").arg(orientation).arg(QLatin1String(unit));
                const QString written = writtenByLibrary(
                    name, QSize(48, 30),
                    {{"Orientation", orientation}, {"XResolution", 300.0f}, {"YResolution", 150.0f},
                     {"ResolutionUnit", QString::fromLatin1(unit)}, {"jpeg:progressive", progressive ? 1 : 0},
                     {"jpeg:subsampling", QStringLiteral("4:4:4")}});
                const ImageLibrary::FileInformation both = expectSameAsOpened(written);
                EXPECT_EQ(QSize(both.width, both.height), orientation >= 5 ? QSize(30, 48) : QSize(48, 30));
                const int perInch = qstrcmp(unit, "in") == 0 ? 300 : qstrcmp(unit, "cm") == 0 ? 762 : 72;
                EXPECT_EQ(both.xDpi, perInch);
                // The decoder's unit of a file without JFIF is none, whatever EXIF says.
                EXPECT_EQ(expectSameAsOpened(withoutJfif(written)).xDpi, 72);
            }
        }
    }
}

// Its size and resolution come through the reader process with what it holds while it reads them
// (the reader's resident memory at its peak, beyond what it held before): about nothing, where its
// scans' coefficients alone take 144 MB. Then its pixels, on the same reader.
TEST_F(PictureInformationRead, AProgressivePhotosSizeIsReadWithoutDecodingItsScans)
{
    QString failure;
    const QString photo = CameraPictures::progressiveJpeg(6000, 4000, QStringLiteral("4:4:4"), &failure);
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    // A reader started, with the libraries it reads a JPEG with.
    QString reason;
    ASSERT_TRUE(PictureReader::readInformation(writtenByQt(QStringLiteral("small.jpg"),
                                                           CameraPictures::gradientPicture(32, 24), true, 2835),
                                               nullptr, nullptr, &reason))
        << qPrintable(reason);
    QSize size;
    int dpi = 0;
    bool read = false;
    const qint64 growth = ReaderPeakMemory::growthWhile(
        [&] { read = PictureReader::readInformation(photo, &size, &dpi, &reason); });
    ASSERT_TRUE(read) << qPrintable(reason);
    EXPECT_EQ(size, QSize(6000, 4000));
    EXPECT_EQ(dpi, 72);
    EXPECT_LT(growth, qint64(16) << 20) << (growth >> 20) << " MB";
    const QList<PictureReader::Layer> layers = PictureReader::readLayers(photo, QByteArray(), 1, &reason);
    ASSERT_EQ(layers.size(), 1) << qPrintable(reason);
    EXPECT_EQ(layers.first().second.size(), QSize(6000, 4000));
}

// As ImageMagick, cwebp, img2webp and webpmux, Qt and the image library write them: GIFs still and
// animated, one with its first frame past the screen; every portable map; WebP files lossy,
// lossless, animated and turned by their EXIF chunk; bitmaps plain, run-length coded, of OS/2 and
// top-down, with and without a resolution.
TEST_F(PictureInformationRead, TheHeaderOfEveryKindWhoseReaderDecodesToOpenGivesWhatItsReaderGives)
{
    const QSize sides(60, 36);
    expectSameAsOpened(writtenByConvert(QStringLiteral("still.gif"), sides, {QStringLiteral("+dither")}));
    expectSameAsOpened(writtenByConvert(QStringLiteral("animated.gif"), sides,
                                        {QStringLiteral("(")
                                         , QStringLiteral("+clone"), QStringLiteral("-negate"), QStringLiteral(")"),
                                         QStringLiteral("-loop"), QStringLiteral("0")}));
    const ImageLibrary::FileInformation past = expectSameAsOpened(
        writtenByConvert(QStringLiteral("past-screen.gif"), sides, {QStringLiteral("-page"), QStringLiteral("40x20+30+10")}));
    EXPECT_EQ(QSize(past.width, past.height), QSize(90, 46));

    for (const char* form : {"PBM", "PGM", "PPM"}) {
        for (const bool plain : {false, true}) {
            const QString name = QStringLiteral("%1-%2.pnm").arg(QLatin1String(form)).arg(plain ? "plain" : "raw");
            const QStringList options = plain ? QStringList{QStringLiteral("-compress"), QStringLiteral("none")} : QStringList();
            const ImageLibrary::FileInformation information =
                expectSameAsOpened(writtenByConvert(name, sides, options, QLatin1String(form)));
            EXPECT_EQ(QSize(information.width, information.height), sides);
        }
    }
    writtenByConvert(QStringLiteral("float.pfm"), sides, {}, QStringLiteral("PFM"));
    expectSameAsOpened(path(QStringLiteral("float.pfm")));
    // A header with comments between its numbers, as netpbm's tools keep them.
    {
        QFile commented(path(QStringLiteral("commented.pgm")));
        ASSERT_TRUE(commented.open(QIODevice::WriteOnly));
        commented.write("P5\n# made by a scanner\n7 # wide\n5\n#high\n255\n" + QByteArray(35, '\x40'));
        commented.close();
        const ImageLibrary::FileInformation information = expectSameAsOpened(commented.fileName());
        EXPECT_EQ(QSize(information.width, information.height), QSize(7, 5));
    }

    writtenByConvert(QStringLiteral("source.ppm"), sides, {});
    runWebpTool("cwebp", {QStringLiteral("-quiet"), path(QStringLiteral("source.ppm")), QStringLiteral("-o"),
                          path(QStringLiteral("lossy.webp"))});
    expectSameAsOpened(path(QStringLiteral("lossy.webp")));
    runWebpTool("cwebp", {QStringLiteral("-quiet"), QStringLiteral("-lossless"), path(QStringLiteral("source.ppm")),
                          QStringLiteral("-o"), path(QStringLiteral("lossless.webp"))});
    expectSameAsOpened(path(QStringLiteral("lossless.webp")));
    runWebpTool("img2webp", {QStringLiteral("-loop"), QStringLiteral("0"), path(QStringLiteral("lossy.webp")),
                             path(QStringLiteral("lossless.webp")), QStringLiteral("-o"),
                             path(QStringLiteral("animated.webp"))});
    expectSameAsOpened(path(QStringLiteral("animated.webp")));
    for (const int orientation : {3, 6, 8}) {
        const QString turned = path(QStringLiteral("turned-%1.webp").arg(orientation));
        runWebpTool("webpmux", {QStringLiteral("-set"), QStringLiteral("exif"), exifOfOrientation(orientation),
                                path(QStringLiteral("lossy.webp")), QStringLiteral("-o"), turned});
        const ImageLibrary::FileInformation information = expectSameAsOpened(turned);
        EXPECT_EQ(QSize(information.width, information.height), orientation >= 5 ? sides.transposed() : sides);
    }

    QImage photo = CameraPictures::gradientPicture(sides.width(), sides.height());
    photo.setDotsPerMeterX(11811);
    photo.setDotsPerMeterY(5906);
    ASSERT_TRUE(photo.save(path(QStringLiteral("qt.bmp")), "BMP"));
    expectSameAsOpened(path(QStringLiteral("qt.bmp")));
    expectSameAsOpened(writtenByConvert(QStringLiteral("rle8.bmp"), sides,
                                        {QStringLiteral("-colors"), QStringLiteral("200"), QStringLiteral("-type"),
                                         QStringLiteral("Palette"), QStringLiteral("-compress"), QStringLiteral("RLE")}, QStringLiteral("BMP3")));
    expectSameAsOpened(writtenByConvert(QStringLiteral("rle4.bmp"), sides,
                                        {QStringLiteral("-colors"), QStringLiteral("12"), QStringLiteral("-type"),
                                         QStringLiteral("Palette"), QStringLiteral("-compress"), QStringLiteral("RLE")}, QStringLiteral("BMP3")));
    expectSameAsOpened(writtenByConvert(QStringLiteral("os2.bmp"), sides,
                                        {QStringLiteral("-colors"), QStringLiteral("16")}, QStringLiteral("BMP2")));
    expectSameAsOpened(writtenByConvert(QStringLiteral("dense.bmp"), sides,
                                        {QStringLiteral("-density"), QStringLiteral("300"), QStringLiteral("-units"),
                                         QStringLiteral("PixelsPerInch")}, QStringLiteral("BMP")));
    expectSameAsOpened(writtenByConvert(QStringLiteral("undense.bmp"), sides,
                                        {QStringLiteral("-density"), QStringLiteral("0")}, QStringLiteral("BMP3")));
    {
        // Top down, with a resolution across only: the reader gives none.
        QFile bitmap(path(QStringLiteral("qt.bmp")));
        ASSERT_TRUE(bitmap.open(QIODevice::ReadOnly));
        QByteArray bytes = bitmap.readAll();
        qToLittleEndian<qint32>(-sides.height(), bytes.data() + 22);
        qToLittleEndian<qint32>(0, bytes.data() + 42);
        QFile changed(path(QStringLiteral("top-down.bmp")));
        ASSERT_TRUE(changed.open(QIODevice::WriteOnly));
        changed.write(bytes);
        changed.close();
        const ImageLibrary::FileInformation information = expectSameAsOpened(changed.fileName());
        EXPECT_EQ(QSize(information.width, information.height), sides);
    }
}

// A GIF's canvas, a portable map and a run-length bitmap of a camera's size: the reader holds about
// nothing more while it reads their size, where decoding the first frame onto its canvas, reading
// the map whole or undoing the runs take 24 to 96 MB. Then their pixels, on the same reader.
TEST_F(PictureInformationRead, ACameraSizedPicturesSizeIsReadWithoutItsPixels)
{
    QString failure;
    const QSize camera(6000, 4000);
    QStringList pictures{CameraPictures::gif(camera.width(), camera.height(), &failure)};
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    pictures << CameraPictures::ppm(camera.width(), camera.height(), &failure);
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    pictures << writtenByConvert(QStringLiteral("camera-rle.bmp"), camera,
                                 {QStringLiteral("-limit"), QStringLiteral("area"), QStringLiteral("1GP"),
                                  QStringLiteral("-colors"), QStringLiteral("64"), QStringLiteral("-type"),
                                  QStringLiteral("Palette"), QStringLiteral("-compress"), QStringLiteral("RLE")}, QStringLiteral("BMP3"));
    QString reason;
    ASSERT_TRUE(PictureReader::readInformation(writtenByQt(QStringLiteral("first.jpg"),
                                                           CameraPictures::gradientPicture(32, 24), false, 2835),
                                               nullptr, nullptr, &reason))
        << qPrintable(reason);
    for (const QString& picture : pictures) {
        SCOPED_TRACE(picture.toStdString());
        QSize size;
        bool read = false;
        const qint64 growth = ReaderPeakMemory::growthWhile(
            [&] { read = PictureReader::readInformation(picture, &size, nullptr, &reason); });
        ASSERT_TRUE(read) << qPrintable(reason);
        EXPECT_EQ(size, camera);
        EXPECT_LT(growth, qint64(16) << 20) << (growth >> 20) << " MB";
        const QList<PictureReader::Layer> layers = PictureReader::readLayers(picture, QByteArray(), 1, &reason);
        ASSERT_EQ(layers.size(), 1) << qPrintable(reason);
        EXPECT_EQ(layers.first().second.size(), camera);
    }
}
