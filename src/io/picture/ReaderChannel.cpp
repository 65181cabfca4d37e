#include "io/picture/ReaderChannel.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Waits until the socket can be read (or written, for POLLOUT), the time is up or the wait is
// canceled; polls the cancel flag every few milliseconds, which costs nothing next to a
// picture's decode.
ReaderChannel::Result waitReady(int socket, short events, const QDeadlineTimer& deadline,
                                const std::atomic<bool>* cancel)
{
    for (;;) {
        if (cancel && cancel->load())
            return ReaderChannel::Result::Canceled;
        const qint64 left = deadline.remainingTime();
        if (left == 0)
            return ReaderChannel::Result::TimedOut;
        const int slice = int(left < 0 ? 50 : std::min<qint64>(left, 50));
        pollfd entry{socket, events, 0};
        const int ready = ::poll(&entry, 1, slice);
        if (ready > 0)
            return ReaderChannel::Result::Done;
        if (ready < 0 && errno != EINTR)
            return ReaderChannel::Result::Closed;
    }
}

// Receives exactly `count` bytes; the first call may take a descriptor.
ReaderChannel::Result receiveExactly(int socket, char* data, qint64 count, int* descriptor,
                                     const QDeadlineTimer& deadline, const std::atomic<bool>* cancel)
{
    qint64 done = 0;
    while (done < count) {
        const ReaderChannel::Result ready = waitReady(socket, POLLIN, deadline, cancel);
        if (ready != ReaderChannel::Result::Done)
            return ready;
        iovec part{data + done, size_t(count - done)};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof(control);
        const ssize_t got = ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return ReaderChannel::Result::Closed;
        for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
            if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS)
                continue;
            int received = -1;
            std::memcpy(&received, CMSG_DATA(header), sizeof(int));
            if (descriptor && *descriptor < 0)
                *descriptor = received;
            else
                ::close(received);
        }
        done += got;
    }
    return ReaderChannel::Result::Done;
}

} // namespace

ReaderChannel::Result ReaderChannel::send(const QByteArray& frame, int descriptor, int timeoutMs,
                                          const std::atomic<bool>* cancel)
{
    if (m_socket < 0)
        return Result::Closed;
    if (frame.size() > maxFrameBytes)
        return Result::Refused;
    const quint32 length = quint32(frame.size());
    QByteArray bytes(reinterpret_cast<const char*>(&length), sizeof(length));
    bytes += frame;
    const QDeadlineTimer deadline = timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
    qint64 sent = 0;
    bool first = true;
    while (sent < bytes.size()) {
        // A reader that does not read fills the socket: the send then waits no longer than a read.
        const Result ready = waitReady(m_socket, POLLOUT, deadline, cancel);
        if (ready != Result::Done)
            return ready;
        iovec part{bytes.data() + sent, size_t(bytes.size() - sent)};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        if (first && descriptor >= 0) {
            message.msg_control = control;
            message.msg_controllen = sizeof(control);
            cmsghdr* header = CMSG_FIRSTHDR(&message);
            header->cmsg_level = SOL_SOCKET;
            header->cmsg_type = SCM_RIGHTS;
            header->cmsg_len = CMSG_LEN(sizeof(int));
            std::memcpy(CMSG_DATA(header), &descriptor, sizeof(int));
        }
        // A reader that has ended must not end the program with SIGPIPE.
        const ssize_t put = ::sendmsg(m_socket, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (put < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (put <= 0)
            return Result::Closed;
        first = false;
        sent += put;
    }
    return Result::Done;
}

ReaderChannel::Result ReaderChannel::receive(QByteArray* frame, int* descriptor, int timeoutMs,
                                             const std::atomic<bool>* cancel)
{
    if (descriptor)
        *descriptor = -1;
    if (m_socket < 0)
        return Result::Closed;
    const QDeadlineTimer deadline = timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
    quint32 length = 0;
    Result result = receiveExactly(m_socket, reinterpret_cast<char*>(&length), sizeof(length), descriptor,
                                   deadline, cancel);
    if (result != Result::Done)
        return result;
    if (length > maxFrameBytes)
        return Result::Refused;
    frame->resize(qsizetype(length));
    return receiveExactly(m_socket, frame->data(), length, descriptor, deadline, cancel);
}
