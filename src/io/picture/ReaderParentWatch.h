#pragma once

// A picture reader process never outlives the program that started it, even while a read is
// stuck in a picture. (The parent-death signal would follow the thread that started the reader,
// not the program.)
class ReaderParentWatch
{
public:
    // Ends this process soon after `parent` is gone, watching from a thread of its own; false
    // when it is gone already. Nothing for a parent that is not positive.
    static bool start(long parent);
};
