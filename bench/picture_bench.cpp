// Reading pictures from outside: in this process (as the program read them before its reader
// process) against through the reader process, in one run. A 24-megapixel JPEG picked as the
// source (its layers through the image library), and the thumbnails of a folder of 300 pictures
// (Qt's readers at the browser's thumbnail size). The pictures are written by the benchmark
// itself, by Qt's JPEG writer. A benchmark, not a test. See bench/README.md.
//
//   build-release/bin/picture_bench [Google Benchmark options]

#include "io/picture/ImageLibrary.h"
#include "io/picture/PictureFile.h"
#include "io/picture/PictureLayers.h"
#include "io/picture/PictureReader.h"

#include <QCoreApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

QTemporaryDir* g_work = nullptr;
QString g_photo;
QStringList g_folder;
const QSize thumbnailSize(160, 120);

// A picture with detail everywhere, so that its JPEG is of a photo's size.
QImage photoLike(QSize size, int seed)
{
    QImage image(size, QImage::Format_RGB32);
    quint32 state = 2463534242u + quint32(seed);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int grain = int(state & 31);
            line[x] = qRgb((x * 255 / size.width() + grain) & 255, (y * 255 / size.height() + grain) & 255,
                           ((x + y) / 8 + grain) & 255);
        }
    }
    return image;
}

bool write(const QImage& image, const QString& path)
{
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    return writer.write(image);
}

void pickInProcess(benchmark::State& state)
{
    for (auto _ : state) {
        QString reason;
        const QList<PictureLayers::Layer> layers = PictureLayers::read(g_photo, QByteArray(), 1, &reason);
        if (layers.isEmpty())
            state.SkipWithError(qPrintable(reason));
        benchmark::DoNotOptimize(layers);
    }
}

void pickThroughReader(benchmark::State& state)
{
    for (auto _ : state) {
        QString reason;
        const QList<PictureReader::Layer> layers = PictureReader::readLayers(g_photo, QByteArray(), 1, &reason);
        if (layers.isEmpty())
            state.SkipWithError(qPrintable(reason));
        benchmark::DoNotOptimize(layers);
    }
}

void folderInProcess(benchmark::State& state)
{
    for (auto _ : state) {
        for (const QString& path : std::as_const(g_folder))
            benchmark::DoNotOptimize(PictureFile::read(path, thumbnailSize));
    }
}

void folderThroughReader(benchmark::State& state)
{
    for (auto _ : state) {
        for (const QString& path : std::as_const(g_folder))
            benchmark::DoNotOptimize(PictureReader::readFile(path, thumbnailSize));
    }
}

} // namespace

// Interleaved, so that a machine busy for a while weighs on both sides alike.
BENCHMARK(pickInProcess)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(pickThroughReader)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(folderInProcess)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(folderThroughReader)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir work;
    g_work = &work;
    g_photo = work.filePath(QStringLiteral("photo-24mp.jpg"));
    if (!write(photoLike(QSize(6000, 4000), 0), g_photo)) {
        std::fprintf(stderr, "the photo could not be written\n");
        return 1;
    }
    for (int i = 0; i < 300; ++i) {
        const QString path = work.filePath(QStringLiteral("picture-%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
        // Of the sizes a download folder holds: 1 to 3 megapixels.
        if (!write(photoLike(QSize(1200 + (i % 3) * 400, 900 + (i % 3) * 300), i), path)) {
            std::fprintf(stderr, "the folder could not be written\n");
            return 1;
        }
        g_folder.append(path);
    }
    ImageLibrary::initialise();
    // The reader is started before the timing, as the program's first picture starts it.
    PictureReader::readLayers(g_folder.first(), QByteArray(), 1, nullptr);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ImageLibrary::exit();
    return 0;
}
