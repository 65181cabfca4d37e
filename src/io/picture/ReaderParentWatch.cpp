#include "io/picture/ReaderParentWatch.h"

#include <chrono>
#include <thread>

#include <unistd.h>

bool ReaderParentWatch::start(long parent)
{
    if (parent <= 0)
        return true;
    if (::getppid() != parent)
        return false;
    std::thread([parent] {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            if (::getppid() != parent)
                ::_exit(0);
        }
    }).detach();
    return true;
}
