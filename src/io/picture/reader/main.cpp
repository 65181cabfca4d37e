// The picture reader process: decodes pictures from outside for the program that started it,
// which talks to it on the socket it was given. It ends with that program.
#include "io/picture/PictureReaderService.h"
#include "io/picture/ReaderParentWatch.h"

#include <QCoreApplication>

#include <cstdlib>
#include <cstring>

#include <sys/resource.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    int socket = -1;
    long parent = -1;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--socket") == 0)
            socket = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--parent") == 0)
            parent = std::atol(argv[i + 1]);
    }
    if (socket < 0)
        return 2;
    if (!ReaderParentWatch::start(parent))
        return 0;
    // The program's own address-space limit is no bound of the reader's: its data limit is.
    rlimit space{};
    if (::getrlimit(RLIMIT_AS, &space) == 0 && space.rlim_cur != space.rlim_max) {
        space.rlim_cur = space.rlim_max;
        ::setrlimit(RLIMIT_AS, &space);
    }
    QCoreApplication application(argc, argv);
    return PictureReaderService::serve(socket);
}
