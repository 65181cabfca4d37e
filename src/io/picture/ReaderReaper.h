#pragma once

#include <QString>

#include <sys/types.h>

// Reaps the reader processes the program has let go of. A reader killed while the kernel holds
// it (a read from a mount whose server stopped answering) ends only when the kernel lets it;
// nothing that holds a read or the window waits for that: a thread of its own looks now and then.
class ReaderReaper
{
public:
    // Takes `pid`, already killed; it is reaped once it has ended. `stalledOn` names the file it
    // was reading when it was stopped at its time limit, if it was.
    static void letGo(pid_t pid, const QString& stalledOn = QString());
    // Readers let go of that have not ended yet.
    static int waiting();
    // Whether a reader stopped at its time limit while reading `path` (named as that read named
    // it) has not ended yet: the kernel holds it, and a new read of the file would be held too.
    static bool holds(const QString& path);
};
