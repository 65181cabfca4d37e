// The pick asks a picture's size and resolution first. A JPEG's come from its header, as its reader
// gives them once it has opened the file, but without what that reader does to open a progressive
// JPEG: decode every scan into its store of coefficients (12 to 16 s for a 24-megapixel photo on a
// busy core, beside the 2.5 to 5.5 s of its pixels).

#include "CameraPictures.h"
#include "ReaderPeakMemory.h"

#include "io/picture/ImageLibrary.h"
#include "io/picture/PictureReader.h"

#include <QHash>
#include <QDir>
#include <QFile>
#include <QImageWriter>
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
