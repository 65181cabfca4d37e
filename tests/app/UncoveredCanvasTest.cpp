// What no frame of an animation covers is a fixed fill, never what memory held before: the
// reader decodes the first frame into a canvas it does not clear, so the rest of the canvas would
// show leftovers of earlier allocations (a user's other pictures among them).

#include "MultiImagePictures.h"

#include "AppTestSupport.h"
#include "HostilePictures.h"

#include "app/GflAdapter.h"
#include "io/picture/ImageLibrary.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Leaves freed blocks of about `bytes` bytes full of `pattern`, so that a buffer of that size
// allocated next and not cleared shows it.
void dirtyHeap(size_t bytes, int pattern = 0xa5)
{
    for (size_t size : {bytes, bytes + 16, bytes - 16}) {
        for (int round = 0; round < 4; ++round) {
            std::vector<void*> blocks;
            for (int i = 0; i < 8; ++i) {
                void* block = std::malloc(size);
                if (block)
                    std::memset(block, pattern, size);
                blocks.push_back(block);
            }
            for (void* block : blocks)
                std::free(block);
        }
    }
}

// First frames in a corner, along an edge, in the middle, a single row or column, the whole
// canvas but one column or two rows, on canvases with and without alpha: every shape of what is
// left uncovered.
std::vector<MultiImagePictures::PartialFrames> cases()
{
    std::vector<MultiImagePictures::PartialFrames> all;
    for (bool canvasAlpha : {false, true}) {
        for (QSize canvas : {QSize(96, 64), QSize(130, 40)}) {
            const int w = canvas.width();
            const int h = canvas.height();
            for (QRect first : {QRect(0, 0, 8, 6), QRect(w - 10, h - 6, 10, 6), QRect(20, 10, 31, 17),
                                QRect(0, 0, w, 1), QRect(2, 0, 1, h), QRect(0, 0, w - 1, h), QRect(0, 2, w, h - 2)}) {
                MultiImagePictures::PartialFrames frames;
                frames.canvas = canvas;
                frames.first = first;
                frames.canvasAlpha = canvasAlpha;
                all.push_back(frames);
            }
        }
    }
    return all;
}

QString describe(MultiImagePictures::PartialFrames const& c)
{
    return QStringLiteral("%1x%2 canvas%3, first frame %4x%5 at %6,%7")
        .arg(c.canvas.width()).arg(c.canvas.height()).arg(c.canvasAlpha ? " with alpha" : "")
        .arg(c.first.width()).arg(c.first.height()).arg(c.first.x()).arg(c.first.y());
}

// The fill of what no frame covers: black, transparent in a layout of four bytes a pixel.
QRgb fillOf(int bytesPerPixel)
{
    return bytesPerPixel == 4 ? qRgba(0, 0, 0, 0) : qRgb(0, 0, 0);
}

QString write(QTemporaryDir const& dir, QString const& name, QByteArray const& bytes)
{
    QFile out(dir.filePath(name));
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        return QString();
    return out.fileName();
}

// Pixels of the picture that differ from the file's first frame inside it or from the fill
// outside it.
int wrongPixels(QImage const& image, QRect first, QRgb fill)
{
    int wrong = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb expected = first.contains(x, y) ? MultiImagePictures::firstColour() : fill;
            wrong += image.pixel(x, y) != expected;
        }
    }
    return wrong;
}

} // namespace

// Every read, each on a heap left full of a pattern in blocks of the canvas's size, gives the
// first frame where it lies and the fill elsewhere; later frames leave what no frame covers as
// it was and read the same every time.
TEST(UncoveredCanvas, WhatNoFrameCoversIsTheFillOnEveryRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    int index = 0;
    for (MultiImagePictures::PartialFrames c : cases()) {
        c.later = 2;
        const QString file = write(dir, QStringLiteral("partial-%1.webp").arg(index++),
                                   MultiImagePictures::webpPartialFrames(c));
        ASSERT_FALSE(file.isEmpty());
        const size_t canvasBytes = size_t(c.canvas.width()) * c.canvas.height();
        QList<QImage> earlier;
        for (int read = 0; read < 4; ++read) {
            dirtyHeap(canvasBytes * 3);
            dirtyHeap(canvasBytes * 4);
            GflAdapter adapter;
            const auto layers = adapter.readImage(file);
            ASSERT_EQ(layers.size(), 3) << adapter.errorString().toStdString();
            const QImage& image = layers[0].second;
            ASSERT_EQ(image.size(), c.canvas);
            EXPECT_EQ(wrongPixels(image, c.first, fillOf(4)), 0) << qPrintable(describe(c)) << ", read " << read;
            for (int later = 1; later < 3; ++later) {
                const QImage& next = layers[later].second;
                // An opaque later frame is the file's own wherever it lies.
                EXPECT_EQ(next.pixel(0, 0), MultiImagePictures::laterColour()) << "image " << later;
                for (int y = 0; y < next.height(); ++y) {
                    for (int x = 0; x < next.width(); ++x) {
                        if (!c.first.contains(x, y) && (x > 0 || y > 0)) {
                            ASSERT_EQ(next.pixel(x, y), fillOf(4)) << qPrintable(describe(c)) << ", image " << later << " at " << x << "," << y;
                        }
                    }
                }
                if (read > 0) {
                    EXPECT_EQ(next, earlier[later]) << "image " << later;
                }
            }
            if (read == 0) {
                for (auto const& layer : layers)
                    earlier.append(layer.second);
            }
        }
    }
}

// The same through the image library alone, in the layout closest to the file.
TEST(UncoveredCanvas, TheLibrarysOwnLayoutIsFilledAlike)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (MultiImagePictures::PartialFrames const& c : cases()) {
        const QString file = write(dir, QStringLiteral("library.webp"), MultiImagePictures::webpPartialFrames(c));
        ASSERT_FALSE(file.isEmpty());
        for (int read = 0; read < 3; ++read) {
            dirtyHeap(size_t(c.canvas.width()) * c.canvas.height() * 3);
            ImageLibrary::initialise();
            ImageLibrary::Bitmap* bitmap = nullptr;
            QString message;
            ImageLibrary::loadBitmap(file, &bitmap, ImageLibrary::defaultLoadParams(), nullptr, &message);
            ImageLibrary::exit();
            ASSERT_NE(bitmap, nullptr) << message.toStdString();
            const QImage image = GflAdapter::bitmapToImage(*bitmap);
            const int bytesPerPixel = bitmap->bytesPerPixel;
            ImageLibrary::freeBitmap(bitmap);
            ASSERT_EQ(image.size(), c.canvas);
            EXPECT_EQ(wrongPixels(image, c.first, fillOf(bytesPerPixel)), 0) << qPrintable(describe(c)) << ", read " << read;
        }
    }
}

// A half-transparent later frame over what no frame covered shows no leftovers through it: where
// it lies, the image is the fill or the frame over transparent black, never anything else.
TEST(UncoveredCanvas, AHalfTransparentFrameOverWhatNoFrameCoversShowsNoLeftovers)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    int index = 0;
    for (MultiImagePictures::PartialFrames c : cases()) {
        // The first place of even offsets, left of or below the first frame, that it leaves uncovered.
        const QRect candidates[] = {QRect(0, 0, 4, 4), QRect(c.canvas.width() - 4, c.canvas.height() - 4, 4, 4),
                                    QRect(0, c.canvas.height() - 4, 4, 4), QRect(c.canvas.width() - 4, 0, 4, 4)};
        const auto free = std::find_if(std::begin(candidates), std::end(candidates),
                                       [&](QRect const& r) { return !r.intersects(c.first); });
        if (free == std::end(candidates))
            continue;
        c.later = 1;
        c.laterRect = *free;
        c.laterAlpha = true;
        const QString file = write(dir, QStringLiteral("over-%1.webp").arg(index++), MultiImagePictures::webpPartialFrames(c));
        ASSERT_FALSE(file.isEmpty());
        for (int read = 0; read < 3; ++read) {
            const size_t canvasBytes = size_t(c.canvas.width()) * c.canvas.height();
            dirtyHeap(canvasBytes * 3);
            dirtyHeap(canvasBytes * 4);
            GflAdapter adapter;
            const auto layers = adapter.readImage(file);
            ASSERT_EQ(layers.size(), 2) << adapter.errorString().toStdString();
            const QImage& image = layers[1].second;
            int wrong = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb pixel = image.pixel(x, y);
                    if (c.first.contains(x, y))
                        continue;
                    const bool overTransparent = qRed(pixel) == 0 && qGreen(pixel) == 0 && qBlue(pixel) >= 254
                                                 && std::abs(qAlpha(pixel) - 128) <= 1;
                    wrong += pixel != fillOf(4) && !(c.laterRect.contains(x, y) && overTransparent);
                }
            }
            EXPECT_EQ(wrong, 0) << qPrintable(describe(c)) << ", read " << read;
        }
    }
}

// Every picture of every kind the tests make, read on a heap full of one pattern and then of
// another in blocks of its images' sizes, reads the same: no reader lets memory show.
TEST(UncoveredCanvas, EveryPictureReadsTheSameWhateverMemoryHeldBefore)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QImage picture = HostilePictures::pattern(QSize(90, 60));
    QList<HostilePictures::Sample> samples;
    for (QByteArray format : {"png", "bmp", "jpg", "tif", "webp", "ppm", "pgm"})
        samples.append({QString::fromLatin1(format), HostilePictures::written(picture, format)});
    samples.append({QStringLiteral("tga"), HostilePictures::tga(picture)});
    samples.append({QStringLiteral("gif"), HostilePictures::gif(picture)});
    samples.append({QStringLiteral("gif"), MultiImagePictures::gifFrames(QSize(90, 60), 3)});
    samples.append({QStringLiteral("tif"), MultiImagePictures::tiffPages(QSize(90, 60), 2)});
    samples.append({QStringLiteral("webp"), MultiImagePictures::webpFrames(QSize(90, 60), 3)});
    for (MultiImagePictures::PartialFrames c : cases()) {
        c.later = 1;
        samples.append({QStringLiteral("webp"), MultiImagePictures::webpPartialFrames(c)});
    }
    for (const char* name : {"/flat.psd", "/layered.psd"}) {
        QFile file(AppTest::testDataDir() + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        samples.append({QStringLiteral("psd"), file.readAll()});
    }
    int index = 0;
    for (HostilePictures::Sample const& sample : samples) {
        if (sample.bytes.isEmpty())
            continue;
        const QString file = write(dir, QStringLiteral("sample-%1.%2").arg(index++).arg(sample.name), sample.bytes);
        ASSERT_FALSE(file.isEmpty());
        std::vector<size_t> sizes;
        {
            GflAdapter adapter;
            for (auto const& layer : adapter.readImage(file)) {
                for (int bytes : {1, 2, 3, 4, 8})
                    sizes.push_back(size_t(layer.second.width()) * layer.second.height() * bytes);
            }
        }
        ASSERT_FALSE(sizes.empty()) << qPrintable(file);
        QList<QList<QImage>> reads;
        for (int pattern : {0xa5, 0x3c}) {
            for (size_t size : sizes)
                dirtyHeap(size, pattern);
            GflAdapter adapter;
            QList<QImage> images;
            for (auto const& layer : adapter.readImage(file))
                images.append(layer.second);
            reads.append(images);
        }
        EXPECT_EQ(reads[0], reads[1]) << qPrintable(sample.name) << " sample " << index - 1;
    }
}
