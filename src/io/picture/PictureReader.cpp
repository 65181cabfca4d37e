#include "io/picture/PictureReader.h"

#include "io/picture/ImageLibrary.h"
#include "io/picture/PictureReaderProcess.h"
#include "io/picture/ReaderReaper.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QThread>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int defaultTimeLimitMs = 20000;

thread_local int t_windowWaits = 0;
std::atomic<int> s_timeLimit{defaultTimeLimitMs};

// Never freed: a thread still reading while the program ends may ask for them.
struct Settings {
    QMutex mutex;
    PictureReader::Wait wait;
    QString program;
    // The reader the program started with: its path, fixed at start-up, and its file, held open
    // so that an upgrade replacing it on disk changes nothing until the next start.
    QString heldPath;
    int heldFile = -1;
};

Settings& settings()
{
    static Settings* state = new Settings;
    return *state;
}

// Readers not reading now, kept for the next picture of any thread: a thread that comes and goes
// (a folder's thumbnails) does not start one of its own each time.
struct IdleReaders {
    QMutex mutex;
    std::vector<std::unique_ptr<PictureReaderProcess>> readers;
};

IdleReaders& idleReaders()
{
    static IdleReaders* idle = new IdleReaders;
    return *idle;
}

// At the program's end the readers kept are stopped, none waited for; one still reading ends
// when it sees the program gone.
struct StopIdleReadersAtExit {
    ~StopIdleReadersAtExit()
    {
        std::vector<std::unique_ptr<PictureReaderProcess>> readers;
        {
            QMutexLocker lock(&idleReaders().mutex);
            readers.swap(idleReaders().readers);
        }
    }
} s_stopIdleReadersAtExit;

// The most readers kept waiting: the window's and the two a folder's thumbnails are read by.
constexpr size_t maxIdleReaders = 3;

// The executable's own folder, from the kernel (there may be no application object); once the
// executable is replaced on disk the kernel names the old file "... (deleted)".
QString readerBesideProgram()
{
    char target[4096];
    const ssize_t length = ::readlink("/proc/self/exe", target, sizeof(target) - 1);
    QString self = length > 0 ? QString::fromLocal8Bit(target, length) : QString();
    const QLatin1String deleted(" (deleted)");
    if (self.endsWith(deleted))
        self.chop(deleted.size());
    return QFileInfo(self).absolutePath() + QStringLiteral("/vyx-picture-reader");
}

// Under the settings' mutex.
void holdDefaultProgram(Settings& state)
{
    if (state.heldPath.isEmpty())
        state.heldPath = readerBesideProgram();
    if (state.heldFile < 0)
        state.heldFile = ::open(QFile::encodeName(state.heldPath).constData(), O_PATH | O_CLOEXEC);
}

// The reader's path and its file held open (-1: none, the path is run).
void programToStart(QString* program, int* file)
{
    Settings& state = settings();
    QMutexLocker lock(&state.mutex);
    if (!state.program.isEmpty()) {
        *program = state.program;
        *file = -1;
        return;
    }
    holdDefaultProgram(state);
    *program = state.heldPath;
    *file = state.heldFile;
}

std::unique_ptr<PictureReaderProcess> takeReader()
{
    QString wanted;
    int file = -1;
    programToStart(&wanted, &file);
    IdleReaders& idle = idleReaders();
    QMutexLocker lock(&idle.mutex);
    while (!idle.readers.empty()) {
        std::unique_ptr<PictureReaderProcess> reader = std::move(idle.readers.back());
        idle.readers.pop_back();
        if (reader->program() == wanted)
            return reader;
    }
    return std::make_unique<PictureReaderProcess>(wanted, file);
}

void giveBackReader(std::unique_ptr<PictureReaderProcess> reader)
{
    // A cancel that came after the read it meant had ended must not end the next one.
    reader->forgetCancel();
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

QString canceledReason()
{
    return QStringLiteral("The picture was not read: the read was canceled.");
}

// No reader starts for a file on a mount where one the program let go of is held by the system:
// that one would be held too. One let go of lately may still end on its own (a large one on a busy
// machine takes a while): the read waits for it, as long as that may take, unless `giveUp`.
bool mountAnswers(const QString& path, const std::function<bool()>& giveUp, QString* reason)
{
    QString words;
    switch (ReaderReaper::await(path, giveUp, &words)) {
    case ReaderReaper::Hold::None:
        return true;
    case ReaderReaper::Hold::Held:
        *reason = words;
        return false;
    case ReaderReaper::Hold::Ending:
        *reason = canceledReason();
        return false;
    }
    return false;
}

// A read the window waits for: the wait may end before the read does (Esc), so the read owns all
// it touches, and its reader is let go of once it returns.
struct WindowRead {
    std::mutex mutex;
    std::unique_ptr<PictureReaderProcess> reader;
    PictureRequest request;
    int limit = 0;
    std::atomic<bool> canceled{false};
    // Guarded by the mutex, as everything below.
    bool finished = false;
    // The read counted as letting its reader go, once the window gave up on it.
    quint64 expected = 0;
    bool done = false;
    PictureReply reply;
    QList<QImage> images;
    QString reason;
};

bool runThroughWait(const PictureReader::Wait& wait, const PictureRequest& request, int limit, PictureReply* reply,
                    QList<QImage>* images, QString* reason)
{
    auto read = std::make_shared<WindowRead>();
    read->reader = takeReader();
    read->request = request;
    read->limit = limit;
    wait(
        [read] {
            PictureReply answer;
            QList<QImage> pictures;
            QString why;
            bool done = false;
            const bool answers =
                mountAnswers(read->request.path, [read] { return read->canceled.load(); }, &why);
            if (answers)
                done = read->reader->run(read->request, read->limit, &answer, &pictures, &why);
            std::lock_guard lock(read->mutex);
            read->done = done;
            read->reply = answer;
            read->images = pictures;
            read->reason = why;
            read->finished = true;
            ReaderReaper::settle(read->expected);
            // A reader that read nothing is as good as it was.
            if (!answers)
                giveBackReader(std::move(read->reader));
        },
        // Only while the wait runs, so the reader is still the read's; once the read has ended
        // there is nothing to cancel.
        [read] {
            read->canceled = true;
            std::lock_guard lock(read->mutex);
            if (!read->finished)
                read->reader->cancel();
        });
    std::lock_guard lock(read->mutex);
    if (!read->finished) {
        // Its reader, stopped on its own thread any moment now, counts from here: the next read
        // of a file on its mount waits for it as for any reader let go of.
        read->expected =
            ReaderReaper::expect(read->request.path, PictureReaderProcess::endingTimeFor(0));
        *reason = canceledReason();
        return false;
    }
    if (read->reader)
        giveBackReader(std::move(read->reader));
    *reply = read->reply;
    *images = read->images;
    *reason = read->reason;
    return read->done;
}

// Runs the request on a reader of its own; on the window's thread through the wait.
bool run(const PictureRequest& request, PictureReply* reply, QList<QImage>* images, QString* reason)
{
    const int limit = PictureReader::timeLimit();
    PictureReader::Wait wait;
    if (t_windowWaits > 0 && onWindowThread()) {
        QMutexLocker lock(&settings().mutex);
        wait = settings().wait;
    }
    QString why;
    bool done = false;
    if (wait) {
        done = runThroughWait(wait, request, limit, reply, images, &why);
    } else if (mountAnswers(request.path, {}, &why)) {
        std::unique_ptr<PictureReaderProcess> reader = takeReader();
        done = reader->run(request, limit, reply, images, &why);
        giveBackReader(std::move(reader));
    }
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

QImage PictureReader::readThumbnail(const QString& path, QSize fitInto, QSize* fullSize, QString* reason)
{
    PictureRequest request;
    request.kind = PictureRequest::Kind::Thumbnail;
    request.path = path;
    request.fitInto = fitInto;
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
    QMutexLocker lock(&settings().mutex);
    settings().wait = std::move(wait);
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
    Settings& state = settings();
    QMutexLocker lock(&state.mutex);
    if (!state.program.isEmpty())
        return state.program;
    holdDefaultProgram(state);
    return state.heldPath;
}

void PictureReader::setProgram(const QString& path)
{
    QMutexLocker lock(&settings().mutex);
    settings().program = path;
    // Readers already started keep serving their threads until they end.
}

void PictureReader::holdProgram()
{
    Settings& state = settings();
    QMutexLocker lock(&state.mutex);
    holdDefaultProgram(state);
}

bool PictureReader::programPresent(QString* reason)
{
    Settings& state = settings();
    QMutexLocker lock(&state.mutex);
    QString path = state.program;
    bool present = false;
    if (path.isEmpty()) {
        holdDefaultProgram(state);
        path = state.heldPath;
        present = state.heldFile >= 0;
    } else {
        present = ::access(QFile::encodeName(path).constData(), X_OK) == 0;
    }
    if (!present && reason)
        *reason = QStringLiteral("The picture reader \"%1\" is missing: Vyx-Solenne can neither show nor read "
                                 "a picture. Install Vyx-Solenne again.")
                      .arg(QDir::toNativeSeparators(path));
    return present;
}
