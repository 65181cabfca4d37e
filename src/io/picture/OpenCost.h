#pragma once

#include <QtGlobal>

#include <functional>

// What a format's reader holds once it has opened a file, beyond its own small tables: a
// progressive JPEG's coefficients, a WebP decoded whole, a portable map read whole, a Photoshop
// file's thumbnail decoded. The program's header check of the format finds it from the header
// and tells it before the reader opens the file, so that the picture reader process can make
// room for it under the read's data limit first. Where nobody listens (the program's own
// process, a fuzz run) it goes nowhere.
class OpenCost
{
public:
    using Listener = std::function<void(qint64 bytes)>;

    // While one lives, what is told on this thread goes to its listener.
    class Listening
    {
    public:
        explicit Listening(Listener listener);
        ~Listening();
        Listening(const Listening&) = delete;
        Listening& operator=(const Listening&) = delete;

    private:
        Listener m_previous;
    };

    // The reader about to open a file holds `bytes` once it has.
    static void tell(qint64 bytes);
};
