#include "io/picture/ReaderReaper.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include <sys/wait.h>

namespace {

constexpr std::chrono::milliseconds lookEvery(100);

struct LetGo {
    pid_t pid;
    QString stalledOn;
};

// Never freed: the reaping thread may still run while the program's statics are destroyed.
struct Reaped {
    std::mutex mutex;
    std::vector<LetGo> waiting;
    bool looking = false;
};

Reaped& reaped()
{
    static Reaped* state = new Reaped;
    return *state;
}

// Under the mutex; never blocks.
void reapEnded(Reaped& state)
{
    std::erase_if(state.waiting, [](const LetGo& reader) {
        const pid_t done = ::waitpid(reader.pid, nullptr, WNOHANG);
        return done == reader.pid || (done < 0 && errno != EINTR);
    });
}

void look()
{
    Reaped& state = reaped();
    std::unique_lock lock(state.mutex);
    for (;;) {
        reapEnded(state);
        if (state.waiting.empty())
            break;
        lock.unlock();
        std::this_thread::sleep_for(lookEvery);
        lock.lock();
    }
    state.looking = false;
}

} // namespace

void ReaderReaper::letGo(pid_t pid, const QString& stalledOn)
{
    if (pid <= 0)
        return;
    Reaped& state = reaped();
    std::lock_guard lock(state.mutex);
    state.waiting.push_back({pid, stalledOn});
    reapEnded(state);
    if (state.waiting.empty() || state.looking)
        return;
    try {
        std::thread(&look).detach();
        state.looking = true;
    } catch (const std::system_error&) {
        // No thread now: the next reader let go of starts one that reaps this one too.
    }
}

int ReaderReaper::waiting()
{
    Reaped& state = reaped();
    std::lock_guard lock(state.mutex);
    reapEnded(state);
    return int(state.waiting.size());
}

bool ReaderReaper::holds(const QString& path)
{
    if (path.isEmpty())
        return false;
    Reaped& state = reaped();
    std::lock_guard lock(state.mutex);
    reapEnded(state);
    return std::any_of(state.waiting.cbegin(), state.waiting.cend(),
                       [&path](const LetGo& reader) { return reader.stalledOn == path; });
}
