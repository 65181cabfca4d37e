// The reader decodes a picture into the memory it shares with the program: the picture is held
// once on its way (no copy of it is made in the reader), and the program maps it as it is. The
// memory of a large picture the program let go of is handed back to be decoded into again, and a
// reader cannot use it to make the program read past its end.

#include "io/picture/KeptPictureMemory.h"
#include "io/picture/PictureReader.h"
#include "io/picture/PictureReaderProcess.h"
#include "io/picture/PictureRequest.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The most memory the process has held at once (VmHWM), in bytes; 0 when unknown.
qint64 peakResident(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}

// Whether `address` lies in a mapping of a picture the reader shared.
bool inSharedPicture(const void* address)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    const quintptr at = quintptr(address);
    for (const QByteArray& line : maps.readAll().split('\n')) {
        if (!line.contains("/memfd:vyx-picture"))
            continue;
        const QList<QByteArray> range = line.left(line.indexOf(' ')).split('-');
        if (range.size() == 2 && at >= range[0].toULongLong(nullptr, 16) && at < range[1].toULongLong(nullptr, 16))
            return true;
    }
    return false;
}

// The shared memory (its inode) a picture's pixels lie in; 0 when none.
quint64 sharedMemoryOf(const QImage& image)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (image.isNull() || !maps.open(QIODevice::ReadOnly))
        return 0;
    const quintptr at = quintptr(image.constBits());
    for (const QByteArray& line : maps.readAll().split('\n')) {
        if (!line.contains("/memfd:vyx-picture"))
            continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        const QList<QByteArray> range = fields.value(0).split('-');
        if (range.size() == 2 && at >= range[0].toULongLong(nullptr, 16) && at < range[1].toULongLong(nullptr, 16))
            return fields.value(4).toULongLong();
    }
    return 0;
}

QString sharedBesideThisTest(const QString& name)
{
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath() + '/' + name;
}

class SharedPictures : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        // Detail everywhere, so that no reader takes a shortcut.
        QImage picture(size, QImage::Format_RGB32);
        quint32 state = 2463534242u;
        for (int y = 0; y < size.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < size.width(); ++x) {
                state ^= state << 13;
                state ^= state >> 17;
                state ^= state << 5;
                line[x] = qRgb(x & 255, y & 255, int(state & 255));
            }
        }
        photo = m_dir.filePath(QStringLiteral("photo.jpg"));
        QImageWriter writer(photo, "jpeg");
        ASSERT_TRUE(writer.write(picture));
        small = m_dir.filePath(QStringLiteral("small.png"));
        ASSERT_TRUE(QImage(4, 4, QImage::Format_RGB32).save(small));
    }

    // What a read of `request` adds to the peak memory of a reader that read one small picture.
    qint64 readersPeakFor(const PictureRequest& request, QImage* image)
    {
        PictureReaderProcess reader(PictureReader::program());
        PictureRequest first;
        first.path = small;
        PictureReply reply;
        QList<QImage> images;
        QString reason;
        if (!reader.run(first, 20000, &reply, &images, &reason))
            return -1;
        const qint64 before = peakResident(reader.processId());
        if (!reader.run(request, 20000, &reply, &images, &reason) || images.size() != 1)
            return -1;
        *image = images.first();
        const qint64 after = peakResident(reader.processId());
        return before > 0 && after > 0 ? after - before : -1;
    }

    // One picture of `request` read by `reader`.
    static QImage readOne(PictureReaderProcess& reader, const PictureRequest& request)
    {
        PictureReply reply;
        QList<QImage> images;
        QString reason;
        if (!reader.run(request, 20000, &reply, &images, &reason) || images.size() != 1) {
            ADD_FAILURE() << qPrintable(reason);
            return QImage();
        }
        return images.first();
    }

    PictureRequest pickOf(const QString& path) const
    {
        PictureRequest pick;
        pick.kind = PictureRequest::Kind::Layers;
        pick.path = path;
        pick.wanted = 1;
        return pick;
    }

    const QSize size{4000, 3000};
    const qint64 pictureBytes = qint64(4000) * 3000 * 4;
    QString photo;
    QString small;
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(SharedPictures, APictureIsHeldOnceOnItsWayToTheProgram)
{
    PictureRequest pick;
    pick.kind = PictureRequest::Kind::Layers;
    pick.path = photo;
    pick.wanted = 1;
    PictureRequest drop;
    drop.kind = PictureRequest::Kind::RasterFile;
    drop.path = photo;
    for (const PictureRequest& request : {pick, drop}) {
        SCOPED_TRACE(int(request.kind));
        QImage image;
        const qint64 added = readersPeakFor(request, &image);
        ASSERT_GT(added, 0);
        ASSERT_EQ(image.size(), size);
        // Once, with the decoder's own buffers beside it (a band of rows); a copy would hold it
        // twice.
        EXPECT_LT(added, pictureBytes * 7 / 4) << added / (1 << 20) << " MB";
        // The program's picture is the shared memory itself.
        EXPECT_TRUE(inSharedPicture(image.constBits()));
        EXPECT_NEAR(qGreen(image.pixel(1000, 2000)), 2000 & 255, 16);
    }
}

TEST_F(SharedPictures, APictureLetGoOfLendsItsMemoryToTheNextWholePictureOnly)
{
    PictureRequest drop;
    drop.kind = PictureRequest::Kind::RasterFile;
    drop.path = photo;
    for (const PictureRequest& next : {pickOf(photo), drop}) {
        SCOPED_TRACE(int(next.kind));
        PictureReaderProcess reader(PictureReader::program());
        QImage first = readOne(reader, pickOf(photo));
        const quint64 firstMemory = sharedMemoryOf(first);
        ASSERT_NE(firstMemory, 0u);
        // Held: the next picture never lands in it.
        QImage second = readOne(reader, next);
        const quint64 secondMemory = sharedMemoryOf(second);
        ASSERT_NE(secondMemory, 0u);
        EXPECT_NE(secondMemory, firstMemory);
        EXPECT_NEAR(qGreen(first.pixel(1000, 2000)), 2000 & 255, 16);
        // Let go of: the next whole picture is decoded into its pages, and reads as itself.
        first = QImage();
        const QImage third = readOne(reader, next);
        EXPECT_EQ(sharedMemoryOf(third), firstMemory);
        ASSERT_EQ(third.size(), size);
        EXPECT_NEAR(qGreen(third.pixel(1000, 2000)), 2000 & 255, 16);
        EXPECT_NEAR(qRed(third.pixel(3999, 0)), 3999 & 255, 16);
        EXPECT_EQ(third.pixel(0, 0), second.pixel(0, 0));
        // A thumbnail does not take the second's memory, once let go of, from the next pick.
        second = QImage();
        PictureRequest thumbnail;
        thumbnail.kind = PictureRequest::Kind::Thumbnail;
        thumbnail.path = photo;
        thumbnail.fitInto = QSize(120, 80);
        EXPECT_EQ(readOne(reader, thumbnail).height(), 80);
        EXPECT_EQ(sharedMemoryOf(readOne(reader, pickOf(photo))), secondMemory);
    }
}

TEST_F(SharedPictures, AReaderCannotMakeTheProgramReadPastTheEndOfMemoryHandedBack)
{
    for (const QString& lie : {QStringLiteral("x.overreach"), QStringLiteral("x.overreachrows")}) {
        SCOPED_TRACE(qPrintable(lie));
        PictureReaderProcess reader(sharedBesideThisTest(QStringLiteral("vyx-picture-reader-standin")));
        ASSERT_EQ(readOne(reader, pickOf(photo)).size(), size);
        PictureReply reply;
        QList<QImage> images;
        QString reason;
        EXPECT_FALSE(reader.run(pickOf(m_dir.filePath(lie)), 20000, &reply, &images, &reason));
        EXPECT_TRUE(images.isEmpty());
        EXPECT_EQ(reason.toStdString(), "The picture's reader gave no picture.");
    }
}

TEST_F(SharedPictures, MemoryKeptForAReaderGoesWithIt)
{
    const int before = KeptPictureMemory::keptCount();
    QImage held;
    {
        PictureReaderProcess reader(PictureReader::program());
        held = readOne(reader, pickOf(photo));
        QImage small = readOne(reader, pickOf(this->small));
        ASSERT_FALSE(small.isNull());
        // Too small to be worth a descriptor.
        small = QImage();
        EXPECT_EQ(KeptPictureMemory::keptCount(), before);
        readOne(reader, pickOf(photo));
        EXPECT_EQ(KeptPictureMemory::keptCount(), before + 1);
    }
    // The reader ended: what it left is closed, and its picture let go of now is not kept.
    EXPECT_EQ(KeptPictureMemory::keptCount(), before);
    ASSERT_EQ(held.size(), size);
    held = QImage();
    EXPECT_EQ(KeptPictureMemory::keptCount(), before);
}
