#pragma once

#include <QString>

#include <functional>

#include <sys/types.h>

// Reaps the reader processes the program has let go of. A reader killed while the kernel holds it
// (a read from a mount whose server stopped answering) ends only when the kernel lets it; nothing
// that holds a read or the window waits for that: a thread of its own looks now and then.
//
// A reader stopped while it read a file (at its time limit, or by Esc) is given the time a reader
// of its size may take to end on a busy machine; one that outlives it is held by the system, and
// so would be any new reader of a file on the same mount, which therefore starts none until it
// has ended. Any thread.
class ReaderReaper
{
public:
    enum class Hold {
        None,   // no reader let go of from the mount is left
        Ending, // one is, within the time it may take to end
        Held,   // one has outlived that time
    };

    // Takes `pid`, already killed; it is reaped once it has ended. `stalledOn` names the file it
    // was reading when it was stopped, if it was; `endingMs` is the time it may take to end.
    static void letGo(pid_t pid, const QString& stalledOn = QString(), int endingMs = 0);
    // A read of `path` the window gave up on (Esc) whose reader its own thread is still to stop:
    // counted as a reader let go of until settle(); a reader it lets go of then counts itself.
    static quint64 expect(const QString& path, int endingMs);
    static void settle(quint64 expected);

    // Readers let go of that have not ended yet.
    static int waiting();
    // How the mount of `path` stands, at once.
    static Hold holdOn(const QString& path);
    // Waits while a reader let go of from the mount of `path` is within the time it may take to
    // end, polling `giveUp` meanwhile. None once none is left; Held (with *words, when given, to
    // say so) once one has outlived its time; Ending when `giveUp` said so first.
    static Hold await(const QString& path, const std::function<bool()>& giveUp, QString* words = nullptr);

    // Calls `ended` (on the reaper's thread, with nothing locked) each time a held reader has
    // ended; the number given takes it back.
    static int onHeldEnded(std::function<void()> ended);
    static void removeHeldEnded(int listener);
};
