#include "io/picture/PictureReader.h"

#include "io/picture/ImageLibrary.h"
#include "io/picture/PictureReaderProcess.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMutex>
#include <QScopeGuard>
#include <QThread>

#include <atomic>
#include <memory>
#include <vector>

namespace {

constexpr int defaultTimeLimitMs = 20000;

QMutex settingsMutex;
thread_local int t_windowWaits = 0;
PictureReader::Wait s_wait;
QString s_program;
std::atomic<int> s_timeLimit{defaultTimeLimitMs};

// Readers not reading now, kept for the next picture of any thread: a thread that comes and goes
// (a folder's thumbnails) does not start one of its own each time.
struct IdleReaders {
    QMutex mutex;
    std::vector<std::unique_ptr<PictureReaderProcess>> readers;
};

IdleReaders& idleReaders()
{
    static IdleReaders idle;
    return idle;
}

// The most readers kept waiting: the window's and a thumbnail thread's, with room to spare.
constexpr size_t maxIdleReaders = 3;

QString defaultProgram()
{
    // The executable's own folder, from the kernel: there may be no application object.
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFileInfo(self).absolutePath() + QStringLiteral("/vyx-picture-reader");
}

std::unique_ptr<PictureReaderProcess> takeReader()
{
    const QString wanted = PictureReader::program();
    IdleReaders& idle = idleReaders();
    QMutexLocker lock(&idle.mutex);
    while (!idle.readers.empty()) {
        std::unique_ptr<PictureReaderProcess> reader = std::move(idle.readers.back());
        idle.readers.pop_back();
        if (reader->program() == wanted)
            return reader;
    }
    return std::make_unique<PictureReaderProcess>(wanted);
}

void giveBack(std::unique_ptr<PictureReaderProcess> reader)
{
    IdleReaders& idle = idleReaders();
    QMutexLocker lock(&idle.mutex);
    if (idle.readers.size() < maxIdleReaders)
        idle.readers.push_back(std::move(reader));
}

bool onWindowThread()
{
    const QCoreApplication* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

// Runs the request on this thread's reader; on the window's thread through the wait.
bool run(const PictureRequest& request, PictureReply* reply, QList<QImage>* images, QString* reason)
{
    std::unique_ptr<PictureReaderProcess> taken = takeReader();
    PictureReaderProcess& reader = *taken;
    const auto keep = qScopeGuard([&taken] { giveBack(std::move(taken)); });
    const int limit = PictureReader::timeLimit();
    PictureReader::Wait wait;
    if (t_windowWaits > 0 && onWindowThread()) {
        QMutexLocker lock(&settingsMutex);
        wait = s_wait;
    }
    QString why;
    bool done = false;
    if (wait)
        wait([&] { done = reader.run(request, limit, reply, images, &why); }, [&reader] { reader.cancel(); });
    else
        done = reader.run(request, limit, reply, images, &why);
    if (!done && reason)
        *reason = why;
    return done;
}

QImage firstImage(const PictureRequest& request, QSize* fullSize, QString* reason)
{
    if (fullSize)
        *fullSize = QSize();
    PictureReply reply;
    QList<QImage> images;
    if (!run(request, &reply, &images, reason) || images.isEmpty())
        return QImage();
    if (fullSize)
        *fullSize = reply.fullSize;
    return images.first();
}

} // namespace

QList<PictureReader::Layer> PictureReader::readLayers(const QString& path, const QByteArray& format, int wanted,
                                                      QString* reason)
{
    PictureRequest request;
    request.kind = PictureRequest::Kind::Layers;
    request.path = path;
    request.format = format;
    request.wanted = wanted;
    PictureReply reply;
    QList<QImage> images;
    QList<Layer> layers;
    if (!run(request, &reply, &images, reason))
        return layers;
    for (int i = 0; i < images.size(); ++i)
        layers.append(Layer(QRect(reply.layers[i].rect.topLeft(), images[i].size()), images[i]));
    return layers;
}

bool PictureReader::readInformation(const QString& path, QSize* size, int* dpi, QString* reason)
{
    PictureRequest request;
    request.kind = PictureRequest::Kind::Information;
    request.path = path;
    PictureReply reply;
    QList<QImage> images;
    if (!run(request, &reply, &images, reason))
        return false;
    if (size)
        *size = reply.fullSize;
    if (dpi)
        *dpi = reply.dpi;
    return true;
}

QImage PictureReader::readFile(const QString& path, QSize fitInto, QSize* fullSize, QString* reason)
{
    PictureRequest request;
    request.kind = PictureRequest::Kind::RasterFile;
    request.path = path;
    request.fitInto = fitInto;
    return firstImage(request, fullSize, reason);
}

QImage PictureReader::readLibraryFile(const QString& path, QSize* fullSize, QString* reason)
{
    PictureRequest request;
    request.kind = PictureRequest::Kind::LibraryFile;
    request.path = path;
    return firstImage(request, fullSize, reason);
}

QImage PictureReader::readBytes(const QByteArray& bytes, qint64 pixelCap, QSize fitInto, QString* reason)
{
    PictureRequest request;
    request.kind = PictureRequest::Kind::RasterBytes;
    request.bytes = bytes;
    request.pixelCap = pixelCap;
    request.fitInto = fitInto;
    return firstImage(request, nullptr, reason);
}

qint64 PictureReader::defaultPixelCap()
{
    return ImageLibrary::maxPixels;
}

PictureReader::WindowWait::WindowWait()
{
    ++t_windowWaits;
}

PictureReader::WindowWait::~WindowWait()
{
    --t_windowWaits;
}

void PictureReader::setWait(Wait wait)
{
    QMutexLocker lock(&settingsMutex);
    s_wait = std::move(wait);
}

int PictureReader::timeLimit()
{
    return s_timeLimit;
}

void PictureReader::setTimeLimit(int milliseconds)
{
    s_timeLimit = milliseconds > 0 ? milliseconds : defaultTimeLimitMs;
}

QString PictureReader::program()
{
    QMutexLocker lock(&settingsMutex);
    return s_program.isEmpty() ? defaultProgram() : s_program;
}

void PictureReader::setProgram(const QString& path)
{
    QMutexLocker lock(&settingsMutex);
    s_program = path;
    // Readers already started keep serving their threads until they end.
}
