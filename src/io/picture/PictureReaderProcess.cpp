#include "io/picture/PictureReaderProcess.h"

#include "io/picture/ImageLibrary.h"

#include <QScopeGuard>

#include <csignal>
#include <cstring>

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

struct MappedPicture {
    void* address;
    size_t length;
};

void unmapPicture(void* info)
{
    auto* mapped = static_cast<MappedPicture*>(info);
    ::munmap(mapped->address, mapped->length);
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
bool mapPictures(int memory, const PictureReply& reply, QList<QImage>* images, QString* reason)
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
    QList<QImage> mapped;
    for (const PictureReply::Layer& layer : reply.layers) {
        const size_t length = size_t(qint64(layer.bytesPerLine) * layer.size.height());
        // Private: the program may draw on its copy without the reader's memory changing.
        void* address = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE, memory, layer.offset);
        if (address == MAP_FAILED) {
            *reason = ImageLibrary::errorText(ImageLibrary::NoMemory);
            return false;
        }
        QImage image(static_cast<uchar*>(address), layer.size.width(), layer.size.height(), layer.bytesPerLine,
                     !layer.alpha         ? QImage::Format_RGB32
                     : layer.premultiplied ? QImage::Format_ARGB32_Premultiplied
                                           : QImage::Format_ARGB32,
                     &unmapPicture,
                     new MappedPicture{address, length});
        mapped.append(image);
    }
    *images = mapped;
    return true;
}

} // namespace

PictureReaderProcess::PictureReaderProcess(QString program) : m_program(std::move(program)) {}

PictureReaderProcess::~PictureReaderProcess()
{
    stop();
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
    const QByteArray program = m_program.toLocal8Bit();
    const QByteArray parent = QByteArray::number(qint64(::getpid()));
    char* arguments[] = {const_cast<char*>(program.constData()), const_cast<char*>("--socket"),
                         const_cast<char*>("3"), const_cast<char*>("--parent"),
                         const_cast<char*>(parent.constData()), nullptr};
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, program.constData(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(childEnd);
    if (spawned != 0) {
        ::close(sockets[0]);
        *reason = QStringLiteral("The picture's reader could not be started: %1").arg(m_program);
        return false;
    }
    m_pid = pid;
    m_channel = ReaderChannel(sockets[0]);
    return true;
}

void PictureReaderProcess::stop()
{
    const pid_t pid = m_pid.exchange(-1);
    if (m_channel.socket() >= 0) {
        ::close(m_channel.socket());
        m_channel = ReaderChannel();
    }
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
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
    const QByteArray frame = request.encode();
    ReaderChannel::Result sent = ReaderChannel::Result::Closed;
    // A reader that ended after its last answer is started again, once.
    for (int attempt = 0; attempt < 2 && sent != ReaderChannel::Result::Done; ++attempt) {
        if (m_pid < 0 && !start(reason))
            return false;
        sent = m_channel.send(frame);
        if (sent == ReaderChannel::Result::Refused) {
            *reason = QStringLiteral("The picture is too large to be read.");
            return false;
        }
        if (sent != ReaderChannel::Result::Done)
            stop();
    }
    if (sent != ReaderChannel::Result::Done) {
        *reason = QStringLiteral("The picture's reader could not be started: %1").arg(m_program);
        return false;
    }
    QByteArray answer;
    int memory = -1;
    const ReaderChannel::Result received = m_channel.receive(&answer, &memory, timeLimitMs, &m_cancel);
    if (received != ReaderChannel::Result::Done) {
        if (memory >= 0)
            ::close(memory);
        const pid_t pid = m_pid;
        int status = 0;
        if (received == ReaderChannel::Result::Closed && pid > 0) {
            // It ended by itself: say how.
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            m_pid = -1;
            ::close(m_channel.socket());
            m_channel = ReaderChannel();
            *reason = stoppedReason(status);
            return false;
        }
        stop();
        if (received == ReaderChannel::Result::TimedOut)
            *reason = QStringLiteral("The picture's reader took longer than %1 s.").arg((timeLimitMs + 999) / 1000);
        else if (received == ReaderChannel::Result::Canceled) {
            m_canceled = true;
            *reason = QStringLiteral("The picture was not read: the read was canceled.");
        } else
            *reason = QStringLiteral("The picture's reader gave no picture.");
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
    const bool mapped = mapPictures(memory, *reply, images, reason);
    ::close(memory);
    return mapped;
}
