#pragma once

// While one lives, the program's kill leaves its readers running, as the kernel holds a reader
// stuck in a read from a mount whose server stopped answering: the program's end of them never
// comes. When it goes they are killed for real.

#include "io/picture/PictureReaderProcess.h"

#include <chrono>
#include <csignal>
#include <mutex>
#include <thread>
#include <vector>

#include <cerrno>
#include <sys/types.h>

class UnendingKill
{
public:
    UnendingKill() { PictureReaderProcess::setKill(&record); }
    ~UnendingKill()
    {
        PictureReaderProcess::setKill(nullptr);
        endAll();
    }
    UnendingKill(const UnendingKill&) = delete;
    UnendingKill& operator=(const UnendingKill&) = delete;

    // The readers the program killed so far.
    static std::vector<pid_t> killed()
    {
        std::lock_guard lock(mutex());
        return pids();
    }

    // Kills them for real; true once the program has reaped every one (a zombie still answers a
    // signal), within a generous time.
    static bool endAll()
    {
        const std::vector<pid_t> ended = killed();
        for (pid_t pid : ended)
            ::kill(pid, SIGKILL);
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (pid_t pid : ended) {
            while (!(::kill(pid, 0) != 0 && errno == ESRCH)) {
                if (std::chrono::steady_clock::now() > giveUp)
                    return false;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        std::lock_guard lock(mutex());
        pids().clear();
        return true;
    }

private:
    static void record(pid_t pid)
    {
        std::lock_guard lock(mutex());
        pids().push_back(pid);
    }
    static std::mutex& mutex()
    {
        static std::mutex m;
        return m;
    }
    static std::vector<pid_t>& pids()
    {
        static std::vector<pid_t> list;
        return list;
    }
};
