// The header checks read what they judge in time linear in its bytes: a file of many small blocks
// (a GIF's one-byte sub-blocks, a TIFF's strips on many pages, a PNG's, JPEG's or WebP's many
// chunks) is read forward in large pieces, never with a move in the file for each block. Counted
// on the file itself: its reads and moves stay a few for each 16 kB however many blocks it holds.

#include "CostlyPictures.h"
#include "CountingDevice.h"

#include "io/picture/PictureFormatTable.h"

#include <gtest/gtest.h>

namespace {

struct Walked {
    bool sound = false;
    QString reason;
    qint64 calls = 0;
    qint64 bound = 0;
};

Walked walk(QByteArray const& format, QByteArray const& bytes)
{
    CountingDevice device(bytes);
    Walked walked;
    const PictureFormatTable::Format* offered = PictureFormatTable::find(format);
    if (!offered)
        return walked;
    walked.sound = offered->check(device, &walked.reason);
    walked.calls = device.calls();
    walked.bound = device.linearBound();
    return walked;
}

} // namespace

TEST(HeaderWalkCost, ManySmallBlocksAreReadInLargePieces)
{
    const struct {
        const char* what;
        QByteArray format;
        QByteArray bytes;
    } cases[] = {
        {"GIF of 500,000 one-byte sub-blocks", "gif", CostlyPictures::gifWithOneByteBlocks(500000)},
        {"PNG of 50,000 text chunks", "png", CostlyPictures::pngWith(CostlyPictures::pngChunk("tEXt", QByteArray("k\0v", 3)), 50000)},
        {"JPEG of 50,000 comments", "jpeg", CostlyPictures::jpegWithComments(50000)},
        {"WebP of 50,000 unknown chunks", "webp", CostlyPictures::webpWithChunks(50000)},
    };
    for (const auto& c : cases) {
        const Walked walked = walk(c.format, c.bytes);
        EXPECT_TRUE(walked.sound) << c.what << ": " << walked.reason.toStdString();
        EXPECT_LE(walked.calls, walked.bound) << c.what;
    }
}

// The page read is judged whole, the pages after it only by their chain of directories: 1,000
// strips of each of 200 pages cost the strips of one.
TEST(HeaderWalkCost, ATiffOfManyPagesIsWalkedOverItsFirstPage)
{
    const QByteArray file = CostlyPictures::tiffOfManyStrips(200, 1000);
    const Walked walked = walk("tiff", file);
    EXPECT_TRUE(walked.sound) << walked.reason.toStdString();
    EXPECT_LE(walked.calls, walked.bound);
}
