#include "effects/RenderMemory.h"

#include <algorithm>
#include <fstream>
#include <mutex>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace KelVyxNodes {

namespace {

std::size_t half(std::size_t bytes)
{
    return bytes == RenderMemory::kNoLimit ? bytes : bytes / 2;
}

// The lowest memory.max of the process's control group and those above it (cgroup v2).
std::size_t controlGroupLimit()
{
    std::ifstream groups("/proc/self/cgroup");
    std::string line;
    std::string path;
    while (std::getline(groups, line)) {
        if (line.rfind("0::", 0) == 0)
            path = line.substr(3);
    }
    if (path.empty())
        return RenderMemory::kNoLimit;
    std::size_t lowest = RenderMemory::kNoLimit;
    while (true) {
        std::ifstream max("/sys/fs/cgroup" + (path == "/" ? std::string() : path) + "/memory.max");
        std::string value;
        if (max >> value && value != "max") {
            try {
                lowest = std::min<std::size_t>(lowest, std::stoull(value));
            } catch (...) {
            }
        }
        if (path == "/" || path.empty())
            break;
        const std::size_t slash = path.find_last_of('/');
        path = slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
    }
    return lowest;
}

// The process's address space and data now, from /proc/self/statm (pages).
void heldBytes(std::size_t& address, std::size_t& data)
{
    std::ifstream statm("/proc/self/statm");
    std::size_t size = 0, resident = 0, shared = 0, text = 0, lib = 0, dataPages = 0;
    statm >> size >> resident >> shared >> text >> lib >> dataPages;
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    address = size * page;
    data = dataPages * page;
}

std::size_t roomUnder(int resource, std::size_t held)
{
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return RenderMemory::kNoLimit;
    return std::size_t(limit.rlim_cur) > held ? std::size_t(limit.rlim_cur) - held : 0;
}

} // namespace

std::size_t RenderMemory::usableBytes(Limits const& limits)
{
    return std::min({half(std::min(limits.physical, limits.controlGroup)), half(limits.addressRoom),
                     half(limits.dataRoom)});
}

RenderMemory::Limits RenderMemory::machineWith(std::size_t physical)
{
    Limits limits;
    limits.physical = physical;
    return limits;
}

RenderMemory::Limits RenderMemory::processLimits()
{
    Limits limits;
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page = sysconf(_SC_PAGESIZE);
    if (pages > 0 && page > 0)
        limits.physical = std::size_t(pages) * std::size_t(page);
    limits.controlGroup = controlGroupLimit();
    std::size_t address = 0;
    std::size_t data = 0;
    heldBytes(address, data);
    limits.addressRoom = roomUnder(RLIMIT_AS, address);
    limits.dataRoom = roomUnder(RLIMIT_DATA, data);
    return limits;
}

std::size_t RenderMemory::processBudgetBytes()
{
    // The limits are read again only where the process's own limits changed (a test's child,
    // a launcher): the files behind them are not read at every render.
    static std::mutex mutex;
    static rlim_t seenAddress = 0;
    static rlim_t seenData = 0;
    static bool known = false;
    static std::size_t budget = 0;
    rlimit address{};
    rlimit data{};
    getrlimit(RLIMIT_AS, &address);
    getrlimit(RLIMIT_DATA, &data);
    std::lock_guard<std::mutex> lock(mutex);
    if (!known || address.rlim_cur != seenAddress || data.rlim_cur != seenData) {
        budget = budgetBytes(processLimits());
        seenAddress = address.rlim_cur;
        seenData = data.rlim_cur;
        known = true;
    }
    return budget;
}

} // namespace KelVyxNodes
