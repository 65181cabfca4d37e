// Photoshop files whose layers the image library's reader cannot decode (ImageMagick compresses
// them with zip: tests/data/pictures) show their merged picture, which the program reads itself.
// Read in the reader process, as the source pick and the thumbnails read them.

#include "io/picture/PictureReader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QString mergedPicture(QString const& name)
{
    return QStringLiteral(VYX_TEST_DATA_DIR "/pictures/") + name;
}

::testing::AssertionResult mergedNear(QRgb got, QRgb expected, int tolerance)
{
    if (std::abs(qRed(got) - qRed(expected)) <= tolerance && std::abs(qGreen(got) - qGreen(expected)) <= tolerance
        && std::abs(qBlue(got) - qBlue(expected)) <= tolerance && qAlpha(got) == qAlpha(expected))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << QString::number(got, 16).toStdString() << " for "
                                         << QString::number(expected, 16).toStdString();
}

// The picture as the source pick reads it (one layer at the canvas's corner) and as a thumbnail
// does; both must be the same picture.
QImage readBothWays(QString const& path)
{
    QString reason;
    const QList<PictureReader::Layer> layers = PictureReader::readLayers(path, QByteArray(), 1, &reason);
    EXPECT_EQ(layers.size(), 1) << reason.toStdString();
    if (layers.size() != 1)
        return QImage();
    EXPECT_EQ(layers.first().first, QRect(0, 0, 40, 30));
    QSize full;
    const QImage thumbnail = PictureReader::readLibraryFile(path, &full, &reason);
    EXPECT_FALSE(thumbnail.isNull()) << reason.toStdString();
    EXPECT_EQ(full, QSize(40, 30));
    const QImage picked = layers.first().second.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(thumbnail.convertToFormat(QImage::Format_ARGB32), picked);
    return picked;
}

// Where ImageMagick's gradient from rgb(200,100,50) to rgb(20,40,220) stands, as it reads it back.
const QList<QPair<QPoint, QRgb>> gradient = {{QPoint(0, 0), qRgb(200, 100, 50)},
                                             {QPoint(5, 5), qRgb(168, 89, 79)},
                                             {QPoint(25, 20), qRgb(75, 58, 167)},
                                             {QPoint(39, 29), qRgb(20, 40, 220)}};

} // namespace

// Flat (the picture its one layer) and layered (the merged picture the first image, the layers the
// rest): both were refused for their layers; the merged picture is read, opaque, with its pixels.
TEST(ImageMagickPhotoshop, FlatAndLayeredFilesReadAsTheirMergedPicture)
{
    const QImage flat = readBothWays(mergedPicture(QStringLiteral("zip-flat.psd")));
    const QImage layered = readBothWays(mergedPicture(QStringLiteral("zip-layers.psd")));
    ASSERT_EQ(flat.size(), QSize(40, 30));
    for (auto const& [at, colour] : gradient)
        EXPECT_EQ(flat.pixel(at), colour) << at.x() << ", " << at.y();
    EXPECT_EQ(layered, flat);

    // Straight alpha, as ImageMagick stores it (a negative count of layers names the channel).
    const QImage alpha = readBothWays(mergedPicture(QStringLiteral("zip-flat-alpha.psd")));
    ASSERT_EQ(alpha.size(), QSize(40, 30));
    EXPECT_EQ(qAlpha(alpha.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(alpha.pixel(19, 14)), 0);
    EXPECT_EQ(alpha.pixel(20, 15), qRgba(0, 200, 0, 128));
    EXPECT_EQ(alpha.pixel(39, 29), qRgba(0, 200, 0, 128));

    // Sixteen bits of grey, as ImageMagick reads them back.
    const QImage grey = readBothWays(mergedPicture(QStringLiteral("zip-grey-16.psd")));
    ASSERT_EQ(grey.size(), QSize(40, 30));
    EXPECT_TRUE(mergedNear(grey.pixel(0, 0), qRgb(117, 117, 117), 1));
    EXPECT_TRUE(mergedNear(grey.pixel(25, 20), qRgb(70, 70, 70), 1));
    EXPECT_TRUE(mergedNear(grey.pixel(39, 29), qRgb(48, 48, 48), 1));
}

// A merged picture that cannot be read either is refused with what is wrong with it: a row whose
// count runs past the file, a file cut short in its rows, a merged picture compressed with zip.
TEST(ImageMagickPhotoshop, AMergedPictureThatCannotBeReadIsRefusedWithWhatIsWrong)
{
    QFile written(mergedPicture(QStringLiteral("zip-flat.psd")));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    // The image data section is the file's last: its compression, then 3 x 30 row counts.
    qsizetype counts = -1;
    for (qsizetype at = 26; at + 2 + 180 <= bytes.size(); ++at) {
        qint64 sum = 0;
        for (int row = 0; row < 90; ++row)
            sum += qFromBigEndian<quint16>(bytes.constData() + at + 2 + 2 * row);
        if (qFromBigEndian<quint16>(bytes.constData() + at) == 1 && at + 2 + 180 + sum == bytes.size()) {
            counts = at + 2;
            break;
        }
    }
    ASSERT_GT(counts, 0);

    QByteArray longRow = bytes;
    qToBigEndian<quint16>(60000, longRow.data() + counts);
    QByteArray cut = bytes.left(bytes.size() - 40);
    QByteArray zipped = bytes;
    qToBigEndian<quint16>(2, zipped.data() + counts - 2);
    const struct {
        const char* name;
        QByteArray bytes;
        QString reason;
    } cases[] = {
        {"long-row.psd", longRow, QStringLiteral("Damaged Photoshop file: row 1 of its merged picture is damaged")},
        {"cut.psd", cut, QStringLiteral("Damaged Photoshop file: its merged picture is cut short")},
        {"zipped.psd", zipped,
         QStringLiteral("Unsupported Photoshop file: its layers and its merged picture are stored in ways the program "
                        "does not read (the merged picture is zip-compressed)")},
    };
    QTemporaryDir dir;
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        QFile out(dir.filePath(QString::fromLatin1(c.name)));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(c.bytes) == c.bytes.size());
        out.close();
        QString reason;
        EXPECT_TRUE(PictureReader::readLayers(out.fileName(), QByteArray(), 1, &reason).isEmpty());
        EXPECT_EQ(reason.toStdString(), c.reason.toStdString());
        EXPECT_TRUE(PictureReader::readLibraryFile(out.fileName(), nullptr, &reason).isNull());
        EXPECT_EQ(reason.toStdString(), c.reason.toStdString());
    }
}

// Photoshop stores a transparent merged picture blended over white (ImageMagick stores it straight):
// the same file with its merged picture as Photoshop writes it, raw, is read straight all the same.
TEST(PhotoshopMergedPicture, AMergedPictureBlendedOverWhiteIsReadStraight)
{
    QFile written(mergedPicture(QStringLiteral("zip-flat-alpha.psd")));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    QByteArray bytes = written.readAll();
    // The image data section, the file's last: its compression, then 4 x 30 row counts.
    qsizetype section = -1;
    for (qsizetype at = 26; at + 2 + 240 <= bytes.size(); ++at) {
        qint64 sum = 0;
        for (int row = 0; row < 120; ++row)
            sum += qFromBigEndian<quint16>(bytes.constData() + at + 2 + 2 * row);
        if (qFromBigEndian<quint16>(bytes.constData() + at) == 1 && at + 2 + 240 + sum == bytes.size()) {
            section = at;
            break;
        }
    }
    ASSERT_GT(section, 0);
    bytes.truncate(section);
    bytes.append(QByteArray("\0\0", 2));
    // top.png: transparent, with a half-transparent green block from 20, 15 to the corner.
    auto straight = [](int x, int y) { return x >= 20 && y >= 15 ? qRgba(0, 200, 0, 128) : qRgba(0, 0, 0, 0); };
    for (int channel = 0; channel < 4; ++channel) {
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 40; ++x) {
                const QRgb pixel = straight(x, y);
                const int a = qAlpha(pixel);
                const int c = channel == 0 ? qRed(pixel) : channel == 1 ? qGreen(pixel) : qBlue(pixel);
                bytes.append(char(channel == 3 ? a : (c * a + 127) / 255 + 255 - a));
            }
        }
    }
    QTemporaryDir dir;
    QFile out(dir.filePath(QStringLiteral("blended.psd")));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
    out.close();
    QString reason;
    const QList<PictureReader::Layer> layers = PictureReader::readLayers(out.fileName(), QByteArray(), 1, &reason);
    ASSERT_EQ(layers.size(), 1) << reason.toStdString();
    const QImage image = layers.first().second.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(19, 14)), 0);
    EXPECT_TRUE(mergedNear(image.pixel(20, 15), qRgba(0, 200, 0, 128), 1));
    EXPECT_TRUE(mergedNear(image.pixel(39, 29), qRgba(0, 200, 0, 128), 1));
}
