#pragma once

namespace KelVyxNodes {

// The upper halves of the processor's vector registers. A thread starts with the register state
// of the thread that started it; one whose upper halves were left in use (by library code of the
// application's own thread) runs every plain SSE instruction of the pixel code with a false
// dependency on them, several times slower (the application's render thread and the pool
// threads it starts). Clearing them changes no value the pixel code reads.
class VectorRegisters
{
public:
    VectorRegisters() = delete;

    // Lets go of the upper halves where the processor has them; nothing elsewhere.
    static void clearUpperHalves();

    // Whether the processor can tell if the upper halves are in use on this thread.
    static bool canTellUpperHalvesInUse();
    // Whether they are in use on this thread (false where that cannot be told).
    static bool upperHalvesInUse();
};

} // namespace KelVyxNodes
