#include "io/picture/ReaderReaper.h"

#include "io/picture/FileMounts.h"

#include <QMap>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include <sys/wait.h>

namespace {

using ReaperClock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds lookEvery(100);

struct LetGo {
    pid_t pid; // 0 for a read expected to let its reader go
    quint64 expected;
    QString stalledOn;
    QString mount;
    ReaperClock::time_point since;
    ReaperClock::time_point heldFrom;
};

// Never freed: the reaping thread may still run while the program's statics are destroyed.
struct Reaped {
    std::mutex mutex;
    std::vector<LetGo> waiting;
    quint64 lastExpected = 0;
    // The mount table when a reader was last let go of from a file (read then, never while a
    // read is looked up): a mount made later inside a held one's folder is taken for that one.
    FileMounts mounts;
    bool looking = false;
    bool heldEnded = false;
};

Reaped& reaped()
{
    static Reaped* state = new Reaped;
    return *state;
}

// Never freed, as the state above.
struct Listeners {
    std::mutex mutex;
    QMap<int, std::function<void()>> listeners;
    int last = 0;
};

Listeners& listeners()
{
    static Listeners* state = new Listeners;
    return *state;
}

bool isHeld(const LetGo& reader, ReaperClock::time_point now)
{
    return now >= reader.heldFrom;
}

// Under the mutex; never blocks.
void reapEnded(Reaped& state)
{
    const ReaperClock::time_point now = ReaperClock::now();
    std::erase_if(state.waiting, [&state, now](const LetGo& reader) {
        if (reader.pid <= 0)
            return false;
        const pid_t done = ::waitpid(reader.pid, nullptr, WNOHANG);
        const bool ended = done == reader.pid || (done < 0 && errno != EINTR);
        if (ended && !reader.stalledOn.isEmpty() && isHeld(reader, now))
            state.heldEnded = true;
        return ended;
    });
}

void tellHeldEnded()
{
    std::vector<std::function<void()>> calls;
    {
        std::lock_guard lock(listeners().mutex);
        for (const auto& listener : std::as_const(listeners().listeners))
            calls.push_back(listener);
    }
    for (const auto& call : calls)
        call();
}

void look()
{
    Reaped& state = reaped();
    std::unique_lock lock(state.mutex);
    for (;;) {
        reapEnded(state);
        const bool tell = std::exchange(state.heldEnded, false);
        const bool done = std::none_of(state.waiting.cbegin(), state.waiting.cend(),
                                       [](const LetGo& reader) { return reader.pid > 0; });
        if (done)
            state.looking = false;
        lock.unlock();
        if (tell)
            tellHeldEnded();
        if (done)
            return;
        std::this_thread::sleep_for(lookEvery);
        lock.lock();
    }
}

// Under the mutex: the reader let go of from `mount` that decides how it stands (a held one
// before one still ending); null when none is.
const LetGo* deciding(const Reaped& state, const QString& mount, ReaperClock::time_point now)
{
    const LetGo* found = nullptr;
    for (const LetGo& reader : state.waiting) {
        if (reader.stalledOn.isEmpty() || reader.mount != mount)
            continue;
        if (isHeld(reader, now))
            return &reader;
        found = &reader;
    }
    return found;
}

bool anyFromFile(const Reaped& state)
{
    return std::any_of(state.waiting.cbegin(), state.waiting.cend(),
                       [](const LetGo& reader) { return !reader.stalledOn.isEmpty(); });
}

QString heldWords(const LetGo& reader, ReaperClock::time_point now)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - reader.since).count();
    return QStringLiteral("The picture was not read: the reader stopped %1 s ago while it read \"%2\" has still "
                          "not ended (the system holds it), and no new read of a file in \"%3\" starts until it "
                          "has. Try again later.")
        .arg(seconds)
        .arg(reader.stalledOn, reader.mount);
}

} // namespace

void ReaderReaper::letGo(pid_t pid, const QString& stalledOn, int endingMs)
{
    if (pid <= 0)
        return;
    // Read before the lock: the table is a file.
    const FileMounts mounts = stalledOn.isEmpty() ? FileMounts() : FileMounts::current();
    Reaped& state = reaped();
    std::lock_guard lock(state.mutex);
    const ReaperClock::time_point now = ReaperClock::now();
    LetGo reader{pid, 0, stalledOn, QString(), now, now + std::chrono::milliseconds(std::max(0, endingMs))};
    if (!stalledOn.isEmpty()) {
        state.mounts = mounts;
        reader.mount = mounts.mountOf(stalledOn);
    }
    state.waiting.push_back(reader);
    reapEnded(state);
    if (state.looking || std::none_of(state.waiting.cbegin(), state.waiting.cend(),
                                      [](const LetGo& waiting) { return waiting.pid > 0; }))
        return;
    try {
        std::thread(&look).detach();
        state.looking = true;
    } catch (const std::system_error&) {
        // No thread now: the next reader let go of starts one that reaps this one too.
    }
}

quint64 ReaderReaper::expect(const QString& path, int endingMs)
{
    if (path.isEmpty())
        return 0;
    const FileMounts mounts = FileMounts::current();
    Reaped& state = reaped();
    std::lock_guard lock(state.mutex);
    const ReaperClock::time_point now = ReaperClock::now();
    state.mounts = mounts;
    const quint64 expected = ++state.lastExpected;
    state.waiting.push_back(
        {0, expected, path, mounts.mountOf(path), now, now + std::chrono::milliseconds(std::max(0, endingMs))});
    return expected;
}

void ReaderReaper::settle(quint64 expected)
{
    if (expected == 0)
        return;
    Reaped& state = reaped();
    std::lock_guard lock(state.mutex);
    std::erase_if(state.waiting,
                  [expected](const LetGo& reader) { return reader.pid <= 0 && reader.expected == expected; });
}

int ReaderReaper::waiting()
{
    Reaped& state = reaped();
    std::lock_guard lock(state.mutex);
    reapEnded(state);
    return int(std::count_if(state.waiting.cbegin(), state.waiting.cend(),
                             [](const LetGo& reader) { return reader.pid > 0; }));
}

ReaderReaper::Hold ReaderReaper::holdOn(const QString& path)
{
    if (path.isEmpty())
        return Hold::None;
    Reaped& state = reaped();
    std::lock_guard lock(state.mutex);
    if (!anyFromFile(state))
        return Hold::None;
    reapEnded(state);
    const ReaperClock::time_point now = ReaperClock::now();
    const LetGo* reader = deciding(state, state.mounts.mountOf(path), now);
    return !reader ? Hold::None : isHeld(*reader, now) ? Hold::Held : Hold::Ending;
}

ReaderReaper::Hold ReaderReaper::await(const QString& path, const std::function<bool()>& giveUp, QString* words)
{
    if (path.isEmpty())
        return Hold::None;
    Reaped& state = reaped();
    int pause = 1;
    for (;;) {
        {
            std::lock_guard lock(state.mutex);
            if (!anyFromFile(state))
                return Hold::None;
            reapEnded(state);
            const ReaperClock::time_point now = ReaperClock::now();
            const LetGo* reader = deciding(state, state.mounts.mountOf(path), now);
            if (!reader)
                return Hold::None;
            if (isHeld(*reader, now)) {
                if (words)
                    *words = heldWords(*reader, now);
                return Hold::Held;
            }
        }
        if (giveUp && giveUp())
            return Hold::Ending;
        std::this_thread::sleep_for(std::chrono::milliseconds(pause));
        pause = std::min(pause * 2, 20);
    }
}

int ReaderReaper::onHeldEnded(std::function<void()> ended)
{
    std::lock_guard lock(listeners().mutex);
    const int listener = ++listeners().last;
    listeners().listeners.insert(listener, std::move(ended));
    return listener;
}

void ReaderReaper::removeHeldEnded(int listener)
{
    std::lock_guard lock(listeners().mutex);
    listeners().listeners.remove(listener);
}
