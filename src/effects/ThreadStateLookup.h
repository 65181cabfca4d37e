#pragma once

#include <cstdint>

namespace KelVyxNodes {

// A small per-thread memo from an owner of per-thread state (PerRenderThreadState) to the
// calling thread's slot in it, so that the steady state of sampling finds its slot with one
// compare instead of a walk over every thread's slot. Owners get ids that are never reused,
// so an entry of an owner that has died can never be matched again.
class ThreadStateLookup
{
public:
    ThreadStateLookup() = delete;

    static std::uint64_t newOwnerId();
    // The slot remembered for `owner` on this thread, or null.
    static void* find(std::uint64_t owner)
    {
        Entry const& e = t_entries[owner % kEntries];
        return e.owner == owner ? e.slot : nullptr;
    }
    static void remember(std::uint64_t owner, void* slot)
    {
        Entry& e = t_entries[owner % kEntries];
        e.owner = owner;
        e.slot = slot;
    }

private:
    static constexpr int kEntries = 32;
    struct Entry
    {
        std::uint64_t owner;
        void* slot;
    };
    // Zero-initialised: owner ids start at 1.
    static inline thread_local Entry t_entries[kEntries];
};

} // namespace KelVyxNodes
