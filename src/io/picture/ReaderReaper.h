#pragma once

#include <sys/types.h>

// Reaps the reader processes the program has let go of. A reader killed while the kernel holds
// it (a read from a mount whose server stopped answering) ends only when the kernel lets it;
// nothing that holds a read or the window waits for that: a thread of its own looks now and then.
class ReaderReaper
{
public:
    // Takes `pid`, already killed; it is reaped once it has ended.
    static void letGo(pid_t pid);
    // Readers let go of that have not ended yet.
    static int waiting();
};
