// A picture a reader refuses is refused in the user's words, read in the reader process as the
// source pick and the drop read it: what the program found, never the reader's own terms nor the
// file's path (the window's sentence names the file).

#include "io/picture/PictureReader.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <zlib.h>

namespace {

QString refusalPicture(QString const& name)
{
    return QStringLiteral(VYX_TEST_DATA_DIR "/pictures/") + name;
}

// Neither the path, nor the name the reader opened the file under, nor a reader's terms.
void expectPlain(QString const& reason, QString const& path)
{
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_FALSE(reason.contains(path)) << reason.toStdString();
    EXPECT_FALSE(reason.contains(QLatin1String("/proc/"))) << reason.toStdString();
    for (const char* term : {"colormap", "failed", "error", "Error", "["})
        EXPECT_FALSE(reason.contains(QLatin1String(term))) << reason.toStdString();
}

// A PNG whose compressed pixels are broken in their middle, its chunks' checksums sound: every
// header check passes, and only the decoder finds the damage.
QByteArray pngWithBrokenPixels()
{
    QImage image(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 37 + y * 11) & 255, (x * y) & 255, (x ^ y) * 4 & 255));
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(image);
    QByteArray png = buffer.data();
    const qsizetype idat = png.indexOf("IDAT");
    if (idat < 4)
        return QByteArray();
    const quint32 length = qFromBigEndian<quint32>(png.constData() + idat - 4);
    // Past the stream's header, in its blocks: a run of bytes no deflate stream holds there.
    for (quint32 i = length / 3; i < length / 3 + 40; ++i)
        png[idat + 4 + i] = char(0xff);
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.constData() + idat), uInt(4 + length));
    qToBigEndian<quint32>(quint32(crc), png.data() + idat + 4 + length);
    return png;
}

} // namespace

// ImageMagick's GIF reader and the format allow a GIF without any colour table; the image
// library's reader refuses it, and said so in its own words.
TEST(PlainRefusal, AGifWithoutAColourTableIsRefusedInPlainWords)
{
    const QString path = refusalPicture(QStringLiteral("no-colour-table.gif"));
    QString reason;
    EXPECT_TRUE(PictureReader::readLayers(path, QByteArray(), 1, &reason).isEmpty());
    EXPECT_EQ(reason.toStdString(), "Unsupported GIF file: it has no colour table, so its colours are unknown.");
    expectPlain(reason, path);
    // Its size, read from its header, is refused in the same words.
    QString sizeReason;
    EXPECT_FALSE(PictureReader::readInformation(path, nullptr, nullptr, &sizeReason));
    EXPECT_EQ(sizeReason, reason);
}

// A damaged file that only a decoder finds damaged: refused as damaged, named by its kind.
TEST(PlainRefusal, ADamagedFileIsRefusedInPlainWords)
{
    const QByteArray bytes = pngWithBrokenPixels();
    ASSERT_FALSE(bytes.isEmpty());
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("broken.png")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    QString reason;
    EXPECT_TRUE(PictureReader::readLayers(file.fileName(), QByteArray(), 1, &reason).isEmpty());
    EXPECT_EQ(reason.toStdString(), "Damaged or unsupported PNG file: the program cannot read its pixels.");
    expectPlain(reason, file.fileName());
    // The drop reads through Qt's readers.
    reason.clear();
    EXPECT_TRUE(PictureReader::readFile(file.fileName(), QSize(), nullptr, &reason).isNull());
    EXPECT_EQ(reason.toStdString(), "Damaged or unsupported PNG file: the program cannot read its pixels.");
    expectPlain(reason, file.fileName());
}

// A picked file gone before it is read: said once, by the window's sentence that names it.
TEST(PlainRefusal, AMissingFileIsRefusedWithoutItsPath)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone.png"));
    QString reason;
    EXPECT_TRUE(PictureReader::readLayers(path, QByteArray(), 1, &reason).isEmpty());
    EXPECT_EQ(reason.toStdString(), "The file is no longer there.");
    expectPlain(reason, path);
}
