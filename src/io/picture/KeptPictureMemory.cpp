#include "io/picture/KeptPictureMemory.h"

#include "io/picture/ImageLibrary.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <map>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Kept {
    quint64 reader;
    int file;
    qint64 held;
    Clock::time_point since;
};

constexpr size_t maxKept = 2;

// Never freed: pictures let go of while the program ends may still come here.
struct State {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Kept> kept;
    // The readers that run, with the bytes of the whole picture each answered last.
    std::map<quint64, qint64> readers;
    bool sweeping = false;
};

State& state()
{
    static State* shared = new State;
    return *shared;
}

// Under the mutex: what a reader can decode into again, the bytes its pages hold; -1 otherwise.
// It must not be able to shrink under a mapping, and the reader must be able to write and grow it.
qint64 reusableBytes(int file)
{
    const int seals = ::fcntl(file, F_GET_SEALS);
    if (seals < 0 || !(seals & F_SEAL_SHRINK) || (seals & (F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_FUTURE_WRITE)))
        return -1;
    struct stat status {};
    if (::fstat(file, &status) != 0)
        return -1;
    return qint64(status.st_blocks) * 512;
}

// Frees what waited longer than the idle limit, on a thread of its own that sleeps while nothing
// is kept.
void sweep()
{
    State& shared = state();
    std::unique_lock lock(shared.mutex);
    for (;;) {
        if (shared.kept.empty()) {
            shared.changed.wait(lock);
            continue;
        }
        const auto oldest = std::min_element(shared.kept.begin(), shared.kept.end(),
                                             [](const Kept& a, const Kept& b) { return a.since < b.since; });
        const Clock::time_point due = oldest->since + std::chrono::milliseconds(KeptPictureMemory::idleLimitMs);
        if (Clock::now() < due) {
            shared.changed.wait_until(lock, due);
            continue;
        }
        ::close(oldest->file);
        shared.kept.erase(oldest);
    }
}

} // namespace

qint64 KeptPictureMemory::boundBytes()
{
    return ImageLibrary::maxPixels * 4;
}

void KeptPictureMemory::readerStarted(quint64 reader)
{
    State& shared = state();
    std::lock_guard lock(shared.mutex);
    shared.readers.emplace(reader, 0);
}

void KeptPictureMemory::answered(quint64 reader, qint64 bytes)
{
    State& shared = state();
    std::lock_guard lock(shared.mutex);
    const auto found = shared.readers.find(reader);
    if (found != shared.readers.end())
        found->second = bytes;
}

void KeptPictureMemory::readerEnded(quint64 reader)
{
    State& shared = state();
    std::lock_guard lock(shared.mutex);
    shared.readers.erase(reader);
    for (auto it = shared.kept.begin(); it != shared.kept.end();) {
        if (it->reader == reader) {
            ::close(it->file);
            it = shared.kept.erase(it);
        } else {
            ++it;
        }
    }
}

void KeptPictureMemory::keep(quint64 reader, int file)
{
    if (file < 0)
        return;
    State& shared = state();
    std::lock_guard lock(shared.mutex);
    const qint64 held = reusableBytes(file);
    const auto found = shared.readers.find(reader);
    if (held < smallestKeptBytes || held > boundBytes() || found == shared.readers.end()
        || held > 2 * found->second) {
        ::close(file);
        return;
    }
    if (!shared.sweeping) {
        // Nothing is kept that nothing would free.
        try {
            std::thread(&sweep).detach();
            shared.sweeping = true;
        } catch (const std::system_error&) {
            ::close(file);
            return;
        }
    }
    shared.kept.push_back(Kept{reader, file, held, Clock::now()});
    // The largest stay, within the bound.
    std::sort(shared.kept.begin(), shared.kept.end(), [](const Kept& a, const Kept& b) { return a.held > b.held; });
    qint64 total = 0;
    for (auto it = shared.kept.begin(); it != shared.kept.end();) {
        if (size_t(it - shared.kept.begin()) >= maxKept || total + it->held > boundBytes()) {
            ::close(it->file);
            it = shared.kept.erase(it);
        } else {
            total += it->held;
            ++it;
        }
    }
    shared.changed.notify_all();
}

int KeptPictureMemory::take(quint64 reader)
{
    State& shared = state();
    std::lock_guard lock(shared.mutex);
    // Sorted largest first.
    for (auto it = shared.kept.begin(); it != shared.kept.end(); ++it) {
        if (it->reader == reader) {
            const int file = it->file;
            shared.kept.erase(it);
            return file;
        }
    }
    return -1;
}

int KeptPictureMemory::keptCount()
{
    State& shared = state();
    std::lock_guard lock(shared.mutex);
    return int(shared.kept.size());
}
