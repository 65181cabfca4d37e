#pragma once

#include <cstddef>
#include <cstdint>

namespace KelVyxNodes {

// The picture memory a render's stages may take, from the memory the process may use: half the
// machine's physical memory (or of its control group's memory.max where that is lower), and no
// more than half the room left under the process's address-space and data limits. The stages'
// budget (filled as they come) is two thirds of it; the hard cap (filled where a stage must be)
// all of it. Read once per limit seen, so a render pays nothing for it.
class RenderMemory
{
public:
    static constexpr std::size_t kNoLimit = SIZE_MAX;

    // What bounds the memory of the process; kNoLimit where nothing does.
    struct Limits
    {
        std::size_t physical = kNoLimit;
        std::size_t controlGroup = kNoLimit;
        // Room left under RLIMIT_AS and RLIMIT_DATA.
        std::size_t addressRoom = kNoLimit;
        std::size_t dataRoom = kNoLimit;
    };

    RenderMemory() = delete;

    // The rule itself, for any machine.
    static std::size_t usableBytes(Limits const& limits);
    static std::size_t budgetBytes(Limits const& limits) { return usableBytes(limits) / 3 * 2; }
    // A machine with `physical` bytes of memory and no other limit.
    static Limits machineWith(std::size_t physical);

    // This process's limits now.
    static Limits processLimits();
    // The budget of this process (usableBytes of processLimits, read again only when a limit
    // changed).
    static std::size_t processBudgetBytes();
};

} // namespace KelVyxNodes
