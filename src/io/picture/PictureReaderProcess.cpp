#include "io/picture/PictureReaderProcess.h"

#include "io/picture/ImageLibrary.h"
#include "io/picture/KeptPictureMemory.h"
#include "io/picture/ReaderReaper.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <limits>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr qint64 pageBytes = 4096;
// The socket's number in the reader.
constexpr int readerSocket = 3;

// An answer's shared memory while the program maps its pictures; kept for its reader's next
// read once the last of them is let go of.
struct AnswerMemory {
    std::atomic<int> pictures;
    int file;
    quint64 reader;
};

struct MappedPicture {
    void* address;
    size_t length;
    AnswerMemory* answer;
};

void unmapPicture(void* info)
{
    auto* mapped = static_cast<MappedPicture*>(info);
    ::munmap(mapped->address, mapped->length);
    AnswerMemory* answer = mapped->answer;
    if (answer && answer->pictures.fetch_sub(1) == 1) {
        KeptPictureMemory::keep(answer->reader, answer->file);
        delete answer;
    }
    delete mapped;
}

QString stoppedReason(int status)
{
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        return QStringLiteral("The picture's reader stopped (it was ended, perhaps for lack of memory).");
    return QStringLiteral("The picture's reader stopped.");
}

// The pictures of an answer, mapped from the reader's shared memory after every layer was found
// to lie inside it; an answer that does not fit is no picture.
bool mapPictures(int memory, const PictureReply& reply, QList<QImage>* images, QString* reason, quint64 reader)
{
    const QString broken = QStringLiteral("The picture's reader gave no picture.");
    struct stat status {};
    if (::fstat(memory, &status) != 0 || status.st_size != reply.dataBytes) {
        *reason = broken;
        return false;
    }
    // Sealed against shrinking: a page mapped here can never vanish under the program.
    const int seals = ::fcntl(memory, F_GET_SEALS);
    if (seals < 0 || !(seals & F_SEAL_SHRINK)) {
        *reason = broken;
        return false;
    }
    qint64 pixels = 0;
    for (const PictureReply::Layer& layer : reply.layers) {
        const qint64 width = layer.size.width();
        const qint64 height = layer.size.height();
        pixels += width * height;
        if (width <= 0 || height <= 0 || width * height > ImageLibrary::maxPixels
            || pixels > 2 * ImageLibrary::maxPixels || layer.bytesPerLine < width * 4
            || layer.bytesPerLine > width * 4 + 64 || layer.offset < 0 || layer.offset % pageBytes != 0
            || layer.offset + qint64(layer.bytesPerLine) * height > reply.dataBytes) {
            *reason = broken;
            return false;
        }
    }
    std::vector<std::pair<void*, size_t>> views;
    for (const PictureReply::Layer& layer : reply.layers) {
        const size_t length = size_t(qint64(layer.bytesPerLine) * layer.size.height());
        // Private: the program may draw on its copy without the reader's memory changing.
        void* address = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE, memory, layer.offset);
        if (address == MAP_FAILED) {
            for (const auto& [at, bytes] : views)
                ::munmap(at, bytes);
            *reason = ImageLibrary::errorText(ImageLibrary::NoMemory);
            return false;
        }
        // Every page is read next (the picture is shown or rendered): mapped at once, each still
        // the reader's page until the program writes on it.
        ::madvise(address, length, MADV_POPULATE_READ);
        views.emplace_back(address, length);
    }
    // A large picture's memory stays open while it is mapped, to be decoded into again.
    AnswerMemory* answer = nullptr;
    if (reply.dataBytes >= KeptPictureMemory::smallestKeptBytes) {
        const int file = ::fcntl(memory, F_DUPFD_CLOEXEC, 0);
        if (file >= 0)
            answer = new AnswerMemory{{int(views.size())}, file, reader};
    }
    QList<QImage> mapped;
    for (int i = 0; i < reply.layers.size(); ++i) {
        const PictureReply::Layer& layer = reply.layers[i];
        QImage image(static_cast<uchar*>(views[i].first), layer.size.width(), layer.size.height(),
                     layer.bytesPerLine,
                     !layer.alpha         ? QImage::Format_RGB32
                     : layer.premultiplied ? QImage::Format_ARGB32_Premultiplied
                                           : QImage::Format_ARGB32,
                     &unmapPicture,
                     new MappedPicture{views[i].first, views[i].second, answer});
        mapped.append(image);
    }
    *images = mapped;
    return true;
}

} // namespace

namespace {

// How long a reader that closed its socket is given to end by itself, so that the reason says
// how it ended; and how long a killed one, before the reaper takes it.
constexpr int closingGraceMs = 500;
constexpr int killedGraceMs = 50;

void killReader(pid_t pid)
{
    ::kill(pid, SIGKILL);
}

std::atomic<PictureReaderProcess::Kill> s_kill{&killReader};
std::atomic<int> s_msPerMegapixel{PictureReaderProcess::defaultMsPerMegapixel};
std::atomic<quint64> s_requestsSent{0};
std::atomic<quint64> s_readersStarted{0};

// Whether the request reads a whole picture, which may be large: the memory of one the program
// let go of is handed back with it. Thumbnails and icons would free most of its pages.
bool readsWholePicture(const PictureRequest& request)
{
    switch (request.kind) {
    case PictureRequest::Kind::Layers:
    case PictureRequest::Kind::LibraryFile:
        return true;
    case PictureRequest::Kind::RasterFile:
        return !request.fitInto.isValid();
    default:
        return false;
    }
}

// Whether `pid` ended within `graceMs`, reaped then; never waits longer.
bool endedWithin(pid_t pid, int graceMs, int* status)
{
    const QDeadlineTimer deadline(graceMs);
    int pause = 1;
    for (;;) {
        const pid_t done = ::waitpid(pid, status, WNOHANG);
        if (done == pid)
            return true;
        if (done < 0 && errno != EINTR)
            return true; // not ours to wait for any more
        if (deadline.hasExpired())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<qint64>(pause, deadline.remainingTime())));
        pause = std::min(pause * 2, 20);
    }
}

// Killed, and reaped now or, for one the kernel holds, whenever it ends: nothing waits for it.
// `stalledOn`: the file it read when it was stopped, if it was.
void endReader(pid_t pid, const QString& stalledOn = QString(), qint64 claimedPixels = 0)
{
    s_kill.load()(pid);
    if (!endedWithin(pid, killedGraceMs, nullptr))
        ReaderReaper::letGo(pid, stalledOn, PictureReaderProcess::endingTimeFor(claimedPixels));
}

// Whether a read that ended so was stopped in the middle of its file, which may hold its reader.
bool stoppedInRead(ReaderChannel::Result result)
{
    return result == ReaderChannel::Result::TimedOut || result == ReaderChannel::Result::Canceled;
}

// What is left of the time limit, for the next step of a read.
int remainingMs(const QDeadlineTimer& deadline)
{
    return int(std::min<qint64>(deadline.remainingTime(), std::numeric_limits<int>::max()));
}

QString unansweredReason(ReaderChannel::Result result, int timeLimitMs)
{
    if (result == ReaderChannel::Result::TimedOut)
        return QStringLiteral("The picture's reader took longer than %1 s.").arg((timeLimitMs + 999) / 1000);
    if (result == ReaderChannel::Result::Canceled)
        return QStringLiteral("The picture was not read: the read was canceled.");
    return QStringLiteral("The picture's reader gave no picture.");
}

} // namespace

PictureReaderProcess::PictureReaderProcess(QString program, int file) : m_program(std::move(program)), m_file(file) {}

PictureReaderProcess::~PictureReaderProcess()
{
    stop();
}

void PictureReaderProcess::setKill(Kill kill)
{
    s_kill = kill ? kill : &killReader;
}

void PictureReaderProcess::setMsPerMegapixel(int milliseconds)
{
    s_msPerMegapixel = milliseconds > 0 ? milliseconds : defaultMsPerMegapixel;
}

int PictureReaderProcess::timeLimitFor(int baseMs, qint64 pixels)
{
    // Never more than the pixels of a read at the cap: its layers and a composite.
    const qint64 counted = std::clamp<qint64>(pixels, 0, 2 * ImageLibrary::maxPixels);
    const qint64 limit = qint64(baseMs) + counted * s_msPerMegapixel / 1000000;
    return int(std::min<qint64>(limit, std::numeric_limits<int>::max()));
}

int PictureReaderProcess::endingTimeFor(qint64 pixels)
{
    // 2 s for any reader, and what it may hold of its picture (16 bytes a pixel) given back at a
    // quarter of a gigabyte a second, as a loaded core may.
    constexpr qint64 baseMs = 2000;
    constexpr qint64 pixelsPerMs = 16384;
    const qint64 counted = std::clamp<qint64>(pixels, 0, ImageLibrary::maxPixels);
    return int(baseMs + counted / pixelsPerMs);
}

quint64 PictureReaderProcess::requestsSent()
{
    return s_requestsSent;
}

QString PictureReaderProcess::otherVersionReason()
{
    return QStringLiteral("The picture's reader is from another version of Vyx-Solenne. "
                          "Restart Vyx-Solenne to read pictures again.");
}

bool PictureReaderProcess::start(QString* reason)
{
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
        *reason = QStringLiteral("The picture's reader could not be started.");
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // dup2 onto another number clears close-on-exec; onto its own number it would not.
    int childEnd = sockets[1];
    if (childEnd == readerSocket) {
        childEnd = ::fcntl(sockets[1], F_DUPFD_CLOEXEC, readerSocket + 1);
        ::close(sockets[1]);
    }
    posix_spawn_file_actions_adddup2(&actions, childEnd, readerSocket);
    // The held file, by its number in the reader before it runs: never the socket's number.
    int file = m_file;
    if (file == readerSocket)
        file = ::fcntl(m_file, F_DUPFD_CLOEXEC, readerSocket + 1);
    const QByteArray program = m_program.toLocal8Bit();
    const QByteArray executable = file >= 0 ? "/proc/self/fd/" + QByteArray::number(file) : program;
    const QByteArray parent = QByteArray::number(qint64(::getpid()));
    char* arguments[] = {const_cast<char*>(program.constData()), const_cast<char*>("--socket"),
                         const_cast<char*>("3"), const_cast<char*>("--parent"),
                         const_cast<char*>(parent.constData()), nullptr};
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, executable.constData(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(childEnd);
    if (file != m_file && file >= 0)
        ::close(file);
    if (spawned != 0) {
        ::close(sockets[0]);
        *reason = spawned == ENOENT
                      ? QStringLiteral("The picture's reader could not be started: %1 is missing.").arg(m_program)
                      : QStringLiteral("The picture's reader could not be started: %1").arg(m_program);
        return false;
    }
    m_pid = pid;
    m_channel = ReaderChannel(sockets[0]);
    m_serial = ++s_readersStarted;
    KeptPictureMemory::readerStarted(m_serial);
    return true;
}

void PictureReaderProcess::closeChannel()
{
    if (m_channel.socket() >= 0) {
        ::close(m_channel.socket());
        m_channel = ReaderChannel();
        KeptPictureMemory::readerEnded(m_serial);
    }
}

void PictureReaderProcess::stop(const QString& stalledOn, qint64 claimedPixels)
{
    const pid_t pid = m_pid.exchange(-1);
    closeChannel();
    if (pid > 0)
        endReader(pid, stalledOn, claimedPixels);
}

void PictureReaderProcess::cancel()
{
    m_cancel = true;
}

bool PictureReaderProcess::run(const PictureRequest& request, int timeLimitMs, PictureReply* reply,
                               QList<QImage>* images, QString* reason)
{
    images->clear();
    m_canceled = false;
    // A cancel that came before the read began still ends it; none outlives the read.
    const auto forget = qScopeGuard([this] { m_cancel = false; });
    // The limit holds for the whole read: a reader that does not take the request uses it up too.
    const int baseLimitMs = timeLimitMs;
    QElapsedTimer started;
    started.start();
    QDeadlineTimer deadline(timeLimitMs);
    const QByteArray frame = request.encode();
    ReaderChannel::Result sent = ReaderChannel::Result::Closed;
    // A reader that ended after its last answer is started again, once.
    for (int attempt = 0; attempt < 2 && sent == ReaderChannel::Result::Closed; ++attempt) {
        if (m_pid < 0 && !start(reason))
            return false;
        const int handedBack = readsWholePicture(request) ? KeptPictureMemory::take(m_serial) : -1;
        sent = m_channel.send(frame, handedBack, remainingMs(deadline), &m_cancel);
        if (handedBack >= 0)
            ::close(handedBack);
        // A frame cut short leaves the reader in the middle of it.
        if (sent != ReaderChannel::Result::Done && sent != ReaderChannel::Result::Refused)
            stop(stoppedInRead(sent) ? request.path : QString());
    }
    if (sent == ReaderChannel::Result::Refused) {
        *reason = QStringLiteral("The picture is too large to be read.");
        return false;
    }
    if (sent == ReaderChannel::Result::Closed) {
        *reason = QStringLiteral("The picture's reader could not be started: %1").arg(m_program);
        return false;
    }
    if (sent == ReaderChannel::Result::Done)
        ++s_requestsSent;
    if (sent != ReaderChannel::Result::Done) {
        m_canceled = sent == ReaderChannel::Result::Canceled;
        *reason = unansweredReason(sent, timeLimitMs);
        return false;
    }
    QByteArray answer;
    int memory = -1;
    ReaderChannel::Result received = ReaderChannel::Result::Closed;
    // Claims come first: the limit follows the pixels the picture's header claims, as the
    // reader's data limit does, from the read's start.
    qint64 claimedPixels = 0;
    for (;;) {
        received = m_channel.receive(&answer, &memory, remainingMs(deadline), &m_cancel);
        qint64 pixels = 0;
        if (received != ReaderChannel::Result::Done || memory >= 0 || !PictureReply::decodeClaim(answer, &pixels))
            break;
        claimedPixels = std::max(claimedPixels, pixels);
        timeLimitMs = timeLimitFor(baseLimitMs, claimedPixels);
        deadline.setRemainingTime(std::max<qint64>(0, timeLimitMs - started.elapsed()));
    }
    if (received != ReaderChannel::Result::Done) {
        if (memory >= 0)
            ::close(memory);
        if (received == ReaderChannel::Result::Closed && m_pid > 0) {
            // It closed its end: it ended by itself (say how), or lives on without answering and
            // is stopped as any reader that does not answer.
            const pid_t pid = m_pid.exchange(-1);
            closeChannel();
            int status = 0;
            if (endedWithin(pid, closingGraceMs, &status)) {
                *reason = stoppedReason(status);
            } else {
                endReader(pid);
                *reason = QStringLiteral("The picture's reader stopped.");
            }
            return false;
        }
        stop(stoppedInRead(received) ? request.path : QString(), claimedPixels);
        m_canceled = received == ReaderChannel::Result::Canceled;
        *reason = unansweredReason(received, timeLimitMs);
        return false;
    }
    const quint32 version = PictureRequest::versionOf(answer);
    if (version != 0 && version != PictureRequest::protocolVersion) {
        if (memory >= 0)
            ::close(memory);
        stop();
        *reason = otherVersionReason();
        return false;
    }
    if (!PictureReply::decode(answer, reply)) {
        if (memory >= 0)
            ::close(memory);
        stop();
        *reason = QStringLiteral("The picture's reader gave no picture.");
        return false;
    }
    if (!reply->ok) {
        if (memory >= 0)
            ::close(memory);
        *reason = reply->reason;
        return false;
    }
    if (reply->layers.isEmpty()) {
        if (memory >= 0)
            ::close(memory);
        return true;
    }
    if (memory < 0) {
        *reason = QStringLiteral("The picture's reader gave no picture.");
        return false;
    }
    const bool mapped = mapPictures(memory, *reply, images, reason, m_serial);
    ::close(memory);
    if (mapped && readsWholePicture(request)) {
        qint64 bytes = 0;
        for (const PictureReply::Layer& layer : reply->layers)
            bytes += qint64(layer.bytesPerLine) * layer.size.height();
        KeptPictureMemory::answered(m_serial, bytes);
    }
    return mapped;
}
