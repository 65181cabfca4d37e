#include "effects/ThreadStateLookup.h"

#include <atomic>

namespace KelVyxNodes {

namespace {

std::atomic<std::uint64_t> s_nextOwner{1};

} // namespace

std::uint64_t ThreadStateLookup::newOwnerId()
{
    return s_nextOwner.fetch_add(1, std::memory_order_relaxed);
}

} // namespace KelVyxNodes
