#pragma once

#include <atomic>

namespace KelVyxNodes {

class RenderThreadStates;

// What every owner of per-thread running state (PerRenderThreadState) is to the render that
// gives the state back (RenderThreadStates).
class ThreadStateOwner
{
public:
    ThreadStateOwner(ThreadStateOwner const&) = delete;
    ThreadStateOwner& operator=(ThreadStateOwner const&) = delete;

    // Threads' states alive in the process, of every owner (tests).
    static long long liveSlots() { return s_liveSlots.load(std::memory_order_relaxed); }

protected:
    ThreadStateOwner() = default;
    ~ThreadStateOwner();

    // Held by the render the calling thread works for, if any.
    void holdInCurrentRender();
    static void slotsMade(long long count) { s_liveSlots.fetch_add(count, std::memory_order_relaxed); }

private:
    friend class RenderThreadStates;
    // Frees every thread's state; only while no thread samples.
    virtual void releaseThreadStates() = 0;

    // Guarded by the holder's lock.
    RenderThreadStates* m_holder = nullptr;
    static inline std::atomic<long long> s_liveSlots{0};
};

} // namespace KelVyxNodes
