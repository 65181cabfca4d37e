#pragma once

#include <QByteArray>

#include <atomic>

// One end of the socket between the program and its picture reader process: frames of bytes
// (a length, then the bytes), each of which may carry one file descriptor beside it.
class ReaderChannel
{
public:
    enum class Result { Done, Closed, TimedOut, Canceled, Refused };

    // The largest frame either side takes: a request may carry a service's picture bytes.
    static constexpr qint64 maxFrameBytes = qint64(64) << 20;

    explicit ReaderChannel(int socket = -1) : m_socket(socket) {}

    int socket() const { return m_socket; }

    // Sends one frame; `descriptor`, when not negative, travels with it. Waits for room at most
    // `timeoutMs` (negative: without end), ending early once *cancel is set; a frame cut short
    // leaves the channel unusable.
    Result send(const QByteArray& frame, int descriptor = -1, int timeoutMs = -1,
                const std::atomic<bool>* cancel = nullptr);
    // Receives one frame, waiting at most `timeoutMs` (negative: without end) and ending early
    // once *cancel is set. A descriptor that came with it goes to *descriptor (else -1); the
    // caller closes it.
    Result receive(QByteArray* frame, int* descriptor, int timeoutMs = -1,
                   const std::atomic<bool>* cancel = nullptr);

private:
    int m_socket = -1;
};
