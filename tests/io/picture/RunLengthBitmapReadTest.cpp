// A run-length bitmap as ImageMagick writes it ends its last row with an end of line, so the image
// library's reader is shown the file through a proxy that amends that code. The reader takes its
// codes a byte or two at a time: each must not be a call to the system, or a camera-sized bitmap
// takes 27 s to open where a plain one takes a second. Counted in the system's own tally of this
// process's reads.

#include "CameraPictures.h"

#include "io/picture/ImageLibrary.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

// The read calls this process has made so far.
qint64 readCalls()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n')) {
        if (line.startsWith("syscr:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

} // namespace

TEST(RunLengthBitmapRead, ItsCodesAreReadInBlocksNotACallEach)
{
    const QString path = CameraPictures::folder().filePath(QStringLiteral("run-lengths-2400x1600.bmp"));
    const QString failure = CameraPictures::run(
        CameraPictures::convertProgram(),
        CameraPictures::gradient(2400, 1600)
            + QStringList{QStringLiteral("-colors"), QStringLiteral("64"), QStringLiteral("-type"),
                          QStringLiteral("Palette"), QStringLiteral("-compress"), QStringLiteral("RLE"),
                          QStringLiteral("BMP3:") + path});
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    const qint64 fileBytes = QFileInfo(path).size();
    ASSERT_GT(fileBytes, 1 << 20);

    ImageLibrary::initialise();
    const qint64 before = readCalls();
    ASSERT_GE(before, 0);
    ImageLibrary::Bitmap* bitmap = nullptr;
    QString reason;
    ImageLibrary::LoadParams params = ImageLibrary::defaultLoadParams();
    params.layout = ImageLibrary::BGRA;
    ASSERT_EQ(ImageLibrary::loadBitmap(path, &bitmap, params, nullptr, &reason), ImageLibrary::NoError)
        << qPrintable(reason);
    const qint64 calls = readCalls() - before;
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->width, 2400);
    EXPECT_EQ(bitmap->height, 1600);
    // Its rows run from red to blue, through 64 colours.
    const unsigned char* top = bitmap->data + 8 * bitmap->bytesPerLine;
    const unsigned char* bottom = bitmap->data + 1590 * bitmap->bytesPerLine;
    EXPECT_GT(top[2], 230);
    EXPECT_LT(top[0], 25);
    EXPECT_GT(bottom[0], 230);
    EXPECT_LT(bottom[2], 25);
    ImageLibrary::freeBitmap(bitmap);
    ImageLibrary::exit();
    // The checks' and the reader's reads of a few blocks each, and a call for every 4 kB at most.
    EXPECT_LT(calls, 1000 + fileBytes / 4096) << fileBytes << " bytes";
}
