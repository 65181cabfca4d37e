#include "effects/ParallelRows.h"
#include "effects/VectorRegisters.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ostream>
#include <thread>

using KelVyxNodes::ParallelRows;
using KelVyxNodes::VectorRegisters;

namespace {

// Leaves the upper half of ymm0 in use, as library code of the application's thread may; the
// compiler adds no clearing after an asm statement.
void useUpperHalves()
{
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
    __asm__ volatile("vpcmpeqd %%xmm0, %%xmm0, %%xmm0\n\t"
                     "vinsertf128 $1, %%xmm0, %%ymm0, %%ymm0"
                     :
                     :
                     : "xmm0");
#endif
}

// Rows that found the upper halves in use, of a run on `threads` threads started right after
// they were put in use on the calling thread.
int rowsWithUpperHalvesInUse(int threads)
{
    std::atomic<int> dirty{0};
    useUpperHalves();
    ParallelRows::run(64, threads, [&](int, int) {
        if (VectorRegisters::upperHalvesInUse())
            dirty.fetch_add(1);
    }, nullptr, false);
    return dirty.load();
}

struct RowStart
{
    char const* name;
    int threads;
    bool onThreadStartedWhileInUse; // as the application's render thread is
};

void PrintTo(RowStart const& c, std::ostream* os)
{
    *os << c.name;
}

class VectorRegistersRows : public testing::TestWithParam<RowStart>
{
};

} // namespace

TEST(VectorRegisters, ClearingLetsGoOfTheUpperHalves)
{
    if (!VectorRegisters::canTellUpperHalvesInUse())
        GTEST_SKIP() << "the processor cannot tell whether the upper halves are in use";
    useUpperHalves();
    EXPECT_TRUE(VectorRegisters::upperHalvesInUse());
    VectorRegisters::clearUpperHalves();
    EXPECT_FALSE(VectorRegisters::upperHalvesInUse());
}

// Each case in a process of its own: the pool's threads are started by the run under test.
TEST_P(VectorRegistersRows, EveryRowStartsWithTheUpperHalvesFree)
{
    if (!VectorRegisters::canTellUpperHalvesInUse())
        GTEST_SKIP() << "the processor cannot tell whether the upper halves are in use";
    RowStart const& c = GetParam();
    int dirty = -1;
    if (c.onThreadStartedWhileInUse) {
        useUpperHalves();
        std::thread render([&] { dirty = rowsWithUpperHalvesInUse(c.threads); });
        render.join();
    } else {
        dirty = rowsWithUpperHalvesInUse(c.threads);
    }
    EXPECT_EQ(dirty, 0);
}

INSTANTIATE_TEST_SUITE_P(Runs, VectorRegistersRows,
                         testing::Values(RowStart{"CallingThreadAlone", 1, false},
                                         RowStart{"CallingThreadAndPool", 4, false},
                                         RowStart{"RenderThread", 4, true}),
                         [](testing::TestParamInfo<RowStart> const& info) { return info.param.name; });
