#pragma once

#include <functional>

// How the window's thread waits for the picture reader process: the read runs on a thread of its
// own while the window repaints, and Esc ends the wait and the read (as a render's wait does).
// Esc ends the wait at once: the read, which owns what it touches, ends on its own thread.
class PictureReadWait
{
public:
    // Makes every picture read on the window's thread wait this way.
    static void install();
    static void wait(const std::function<void()>& work, const std::function<void()>& cancel);
};
