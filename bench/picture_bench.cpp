// Reading pictures from outside: in this process, as the program read them before its reader
// process (the same calls: a source pick through the image library, a drop and a thumbnail through
// Qt's readers, a thumbnail Qt refuses through the image library), against through the reader
// process, in one run. A 24-megapixel JPEG picked as the source and dropped on the image view, the
// thumbnails of a folder of 300 mixed pictures (JPEG, PNG, WebP, bitmap and Photoshop files) at
// the browser's thumbnail size, 200 small pictures read whole (icons), and a 24-megapixel OpenEXR
// and Radiance HDR picked (written by oiiotool, which must be installed); a 24-megapixel progressive
// JPEG of full chroma, as oiiotool writes it, through the pick's two reads (its size and
// resolution, then its pixels), each timed on its own. The folder is read a
// third time as the browser reads it: one ThumbnailLoader asked for every file, timed until every
// thumbnail is there, to be compared with the same case in a build of 4aff6e7 (the loader reading
// in process). The pictures are written by the benchmark itself. A benchmark, not a test. See
// bench/README.md.
//
//   build-release/bin/picture_bench [Google Benchmark options]

#include "browser/ThumbnailLoader.h"
#include "io/picture/ImageLibrary.h"
#include "io/picture/LibraryPictureFile.h"
#include "io/picture/PictureFile.h"
#include "io/picture/PictureLayers.h"
#include "io/picture/PictureReader.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <mutex>

#include <unistd.h>

namespace {

QString g_photo;
// Linear light as oiiotool writes it: a half OpenEXR and a Radiance HDR of the photo's size.
QString g_exr;
QString g_hdr;
// The photo as a progressive JPEG of full chroma (4:4:4), as oiiotool writes it.
QString g_progressive;
QStringList g_folder;
QStringList g_small;
// As the browser asks for its thumbnails.
const QSize thumbnailSize(120, 80);

// A picture with detail everywhere, so that its file is of a photo's size.
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

bool write(const QImage& image, const QString& path, const char* format)
{
    QImageWriter writer(path, format);
    if (qstrcmp(format, "jpeg") == 0 || qstrcmp(format, "webp") == 0)
        writer.setQuality(90);
    return writer.write(image);
}

// A flat Photoshop file (RGB, 8 bits, raw planes): Qt has no reader for it.
bool writePhotoshop(const QImage& image, const QString& path)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::BigEndian);
    out.writeRawData("8BPS", 4);
    out << quint16(1) << quint16(0) << quint16(0) << quint16(0) << quint16(3) << quint32(image.height())
        << quint32(image.width()) << quint16(8) << quint16(3) << quint32(0) << quint32(0) << quint32(0) << quint16(0);
    for (int channel = 0; channel < 3; ++channel) {
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                out << quint8(channel == 0 ? qRed(line[x]) : channel == 1 ? qGreen(line[x]) : qBlue(line[x]));
        }
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Of the kinds and sizes a downloads or pictures folder holds.
bool writeFolder(const QTemporaryDir& work)
{
    for (int i = 0; i < 300; ++i) {
        const QString name = work.filePath(QStringLiteral("picture-%1").arg(i, 3, 10, QLatin1Char('0')));
        const int kind = i % 30;
        bool written = false;
        if (kind < 18) // photos of 1 to 3 megapixels
            written = write(photoLike(QSize(1200 + (i % 3) * 400, 900 + (i % 3) * 300), i), name + ".jpg", "jpeg");
        else if (kind == 18) // a camera's 12 megapixels
            written = write(photoLike(QSize(4000, 3000), i), name + ".jpg", "jpeg");
        else if (kind < 25) // screenshots
            written = write(photoLike(QSize(800 + (i % 3) * 400, 600 + (i % 3) * 300), i), name + ".png", "png");
        else if (kind < 27)
            written = write(photoLike(QSize(1200, 900), i), name + ".webp", "webp");
        else if (kind < 29)
            written = write(photoLike(QSize(640, 480), i), name + ".bmp", "bmp");
        else
            written = writePhotoshop(photoLike(QSize(1000, 750), i), name + ".psd");
        if (!written)
            return false;
    }
    QDir folder(work.path());
    for (const QString& file : folder.entryList({QStringLiteral("picture-*")}, QDir::Files, QDir::Name))
        g_folder.append(folder.filePath(file));
    return g_folder.size() == 300;
}

// Noise, so that each file holds as much as a photo's; false without oiiotool.
bool writeLinearLight(const QTemporaryDir& work)
{
    g_exr = work.filePath(QStringLiteral("linear-24mp.exr"));
    g_hdr = work.filePath(QStringLiteral("linear-24mp.hdr"));
    const QStringList pattern{QStringLiteral("--pattern"), QStringLiteral("noise:type=uniform:min=0:max=1.5"),
                              QStringLiteral("6000x4000"), QStringLiteral("3")};
    QProcess oiiotool;
    oiiotool.start(QStringLiteral("oiiotool"), pattern + QStringList{QStringLiteral("-d"), QStringLiteral("half"),
                                                                     QStringLiteral("-o"), g_exr, QStringLiteral("-d"),
                                                                     QStringLiteral("float"), QStringLiteral("-o"), g_hdr});
    return oiiotool.waitForFinished(-1) && oiiotool.exitStatus() == QProcess::NormalExit && oiiotool.exitCode() == 0
           && QFile::exists(g_exr) && QFile::exists(g_hdr);
}

bool writeProgressive(const QTemporaryDir& work)
{
    const QString source = work.filePath(QStringLiteral("photo-24mp.ppm"));
    g_progressive = work.filePath(QStringLiteral("progressive-24mp-444.jpg"));
    if (!write(photoLike(QSize(6000, 4000), 1), source, "ppm"))
        return false;
    QProcess oiiotool;
    oiiotool.start(QStringLiteral("oiiotool"),
                   {source, QStringLiteral("--attrib"), QStringLiteral("jpeg:progressive"), QStringLiteral("1"),
                    QStringLiteral("--attrib"), QStringLiteral("jpeg:subsampling"), QStringLiteral("4:4:4"),
                    QStringLiteral("--compression"), QStringLiteral("jpeg:90"), QStringLiteral("-o"), g_progressive});
    return oiiotool.waitForFinished(-1) && oiiotool.exitStatus() == QProcess::NormalExit && oiiotool.exitCode() == 0
           && QFile::remove(source) && QFile::exists(g_progressive);
}

bool writeSmall(const QTemporaryDir& work)
{
    for (int i = 0; i < 200; ++i) {
        const QString name = work.filePath(QStringLiteral("small-%1").arg(i, 3, 10, QLatin1Char('0')));
        const bool png = i % 2 == 0;
        const QString path = name + (png ? ".png" : ".jpg");
        if (!write(photoLike(png ? QSize(64, 64) : QSize(320, 240), i), path, png ? "png" : "jpeg"))
            return false;
        g_small.append(path);
    }
    return true;
}

// What the program does next with a picture (renders it, shows it): every page of it is read.
int touch(const QImage& image)
{
    const uchar* bits = image.constBits();
    const qsizetype bytes = image.sizeInBytes();
    int sum = 0;
    for (qsizetype at = 0; at < bytes; at += 4096)
        sum += bits[at];
    return sum;
}

// CPU time of this process and of its readers, in milliseconds: on a machine other work shares,
// what a read costs beside its wall time. A reader's time is counted while it lives.
double cpuMs()
{
    timespec own{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &own);
    double ms = own.tv_sec * 1e3 + own.tv_nsec / 1e6;
    const double tick = 1e3 / double(::sysconf(_SC_CLK_TCK));
    QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(tasks.filePath(task + QStringLiteral("/children")));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& pid : children.readAll().split(' ')) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(QString::fromLatin1(pid.trimmed())));
            if (pid.trimmed().isEmpty() || !stat.open(QIODevice::ReadOnly))
                continue;
            const QByteArray line = stat.readAll();
            // The fields after the name, which may hold spaces: utime and stime are the 12th and 13th.
            const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 12)
                ms += (fields[11].toDouble() + fields[12].toDouble()) * tick;
        }
    }
    return ms;
}

// Counts the CPU time of a benchmark's iterations, as milliseconds an iteration.
class CpuCounter
{
public:
    explicit CpuCounter(benchmark::State& state) : m_state(state), m_start(cpuMs()) {}
    ~CpuCounter()
    {
        if (m_state.iterations() > 0)
            m_state.counters["cpu_ms"] = (cpuMs() - m_start) / double(m_state.iterations());
    }

private:
    benchmark::State& m_state;
    double m_start;
};

// --- as the program read them in its own process -------------------------------------------

void pickInProcessOf(benchmark::State& state, const QString& path)
{
    const CpuCounter cpu(state);
    for (auto _ : state) {
        QString reason;
        const QList<PictureLayers::Layer> layers = PictureLayers::read(path, QByteArray(), 1, &reason);
        if (layers.isEmpty())
            state.SkipWithError(qPrintable(reason));
        else
            benchmark::DoNotOptimize(touch(layers.first().second));
    }
}

void pickInProcess(benchmark::State& state)
{
    pickInProcessOf(state, g_photo);
}

void pickExrInProcess(benchmark::State& state)
{
    pickInProcessOf(state, g_exr);
}

void pickHdrInProcess(benchmark::State& state)
{
    pickInProcessOf(state, g_hdr);
}

void dropInProcess(benchmark::State& state)
{
    const CpuCounter cpu(state);
    for (auto _ : state) {
        const QImage image = PictureFile::read(g_photo);
        if (image.isNull())
            state.SkipWithError("the drop read nothing");
        benchmark::DoNotOptimize(touch(image));
    }
}

void folderInProcess(benchmark::State& state)
{
    const CpuCounter cpu(state);
    for (auto _ : state) {
        for (const QString& path : std::as_const(g_folder)) {
            QSize full;
            QImage picture = PictureFile::read(path, thumbnailSize, &full);
            if (picture.isNull())
                picture = LibraryPictureFile::read(path, &full);
            if (picture.isNull())
                state.SkipWithError(qPrintable(path));
            benchmark::DoNotOptimize(touch(picture));
        }
    }
}

void smallInProcess(benchmark::State& state)
{
    const CpuCounter cpu(state);
    for (auto _ : state) {
        for (const QString& path : std::as_const(g_small))
            benchmark::DoNotOptimize(touch(PictureFile::read(path)));
    }
}

// --- through the reader process -----------------------------------------------------------------

void pickThroughReaderOf(benchmark::State& state, const QString& path)
{
    const CpuCounter cpu(state);
    for (auto _ : state) {
        QString reason;
        const QList<PictureReader::Layer> layers = PictureReader::readLayers(path, QByteArray(), 1, &reason);
        if (layers.isEmpty())
            state.SkipWithError(qPrintable(reason));
        else
            benchmark::DoNotOptimize(touch(layers.first().second));
    }
}

void pickThroughReader(benchmark::State& state)
{
    pickThroughReaderOf(state, g_photo);
}

void pickExrThroughReader(benchmark::State& state)
{
    pickThroughReaderOf(state, g_exr);
}

void pickHdrThroughReader(benchmark::State& state)
{
    pickThroughReaderOf(state, g_hdr);
}

void dropThroughReader(benchmark::State& state)
{
    const CpuCounter cpu(state);
    for (auto _ : state) {
        QString reason;
        const QImage image = PictureReader::readFile(g_photo, QSize(), nullptr, &reason);
        if (image.isNull())
            state.SkipWithError(qPrintable(reason));
        benchmark::DoNotOptimize(touch(image));
    }
}

void folderThroughReader(benchmark::State& state)
{
    const CpuCounter cpu(state);
    for (auto _ : state) {
        for (const QString& path : std::as_const(g_folder)) {
            QSize full;
            const QImage picture = PictureReader::readThumbnail(path, thumbnailSize, &full);
            if (picture.isNull())
                state.SkipWithError(qPrintable(path));
            benchmark::DoNotOptimize(touch(picture));
        }
    }
}

// As the browser asks: one loader asked for every file of the folder at once, timed until every
// thumbnail is there. Whatever the loader reads through is what the program's browser reads through.
void folderThroughLoader(benchmark::State& state)
{
    const CpuCounter cpu(state);
    for (auto _ : state) {
        std::mutex mutex;
        std::condition_variable allThere;
        int ready = 0;
        ThumbnailLoader loader;
        QObject::connect(&loader, &ThumbnailLoader::thumbnailReady, [&](const QString&) {
            std::lock_guard lock(mutex);
            ++ready;
            allThere.notify_all();
        });
        for (const QString& path : std::as_const(g_folder))
            benchmark::DoNotOptimize(loader.getThumbnail(QFileInfo(path)));
        std::unique_lock lock(mutex);
        allThere.wait(lock, [&] { return ready >= int(g_folder.size()); });
        lock.unlock();
        for (const QString& path : std::as_const(g_folder)) {
            if (loader.imageSize(path).isEmpty())
                state.SkipWithError(qPrintable(path));
        }
    }
}

// The pick's two reads of a progressive JPEG: its size and resolution, then its pixels.
void progressiveInformationThroughReader(benchmark::State& state)
{
    const CpuCounter cpu(state);
    for (auto _ : state) {
        QString reason;
        QSize size;
        if (!PictureReader::readInformation(g_progressive, &size, nullptr, &reason) || size != QSize(6000, 4000))
            state.SkipWithError(qPrintable(reason));
    }
}

void progressivePickThroughReader(benchmark::State& state)
{
    pickThroughReaderOf(state, g_progressive);
}

void smallThroughReader(benchmark::State& state)
{
    const CpuCounter cpu(state);
    for (auto _ : state) {
        for (const QString& path : std::as_const(g_small))
            benchmark::DoNotOptimize(touch(PictureReader::readFile(path)));
    }
}

} // namespace

// Each pair side by side; --benchmark_enable_random_interleaving=true interleaves the repetitions,
// so that a machine busy for a while weighs on both sides alike.
BENCHMARK(pickInProcess)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(pickThroughReader)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(pickExrInProcess)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(pickExrThroughReader)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(pickHdrInProcess)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(pickHdrThroughReader)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(dropInProcess)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(dropThroughReader)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(folderInProcess)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(folderThroughReader)->Unit(benchmark::kMillisecond)->Iterations(1);
// Against the same case in a build of 4aff6e7 (see bench/README.md).
BENCHMARK(folderThroughLoader)->Unit(benchmark::kMillisecond)->Iterations(1);
// The information read against the pixel read of the same progressive photo.
BENCHMARK(progressiveInformationThroughReader)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(progressivePickThroughReader)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(smallInProcess)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(smallThroughReader)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    // Thumbnails come as pixmaps: a GUI application, on no screen unless one is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QTemporaryDir work;
    g_photo = work.filePath(QStringLiteral("photo-24mp.jpg"));
    if (!write(photoLike(QSize(6000, 4000), 0), g_photo, "jpeg") || !writeLinearLight(work) || !writeProgressive(work)
        || !writeFolder(work)
        || !writeSmall(work)) {
        std::fprintf(stderr, "the pictures could not be written\n");
        return 1;
    }
    ImageLibrary::initialise();
    // The reader is started before the timing, as the program's first picture starts it.
    PictureReader::readLayers(g_small.first(), QByteArray(), 1, nullptr);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ImageLibrary::exit();
    return 0;
}
