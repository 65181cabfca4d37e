#include "effects/NodeCache.h"
#include "effects/PerRenderThreadState.h"
#include "effects/ThreadPixelsCache.h"

#include <gtest/gtest.h>

#include <climits>
#include <thread>
#include <vector>

using namespace KelVyxNodes;

TEST(NodeCache, GrowsOnlyWhenNeededAndZeroesEveryInit)
{
    NodeCache<unsigned int> cache;
    EXPECT_FALSE(cache.valid);
    cache.init(100, 50);
    ASSERT_TRUE(cache.valid);
    auto* block = cache.entries;
    cache.store(99, 49, 7u);
    unsigned int v = 0;
    ASSERT_TRUE(cache.lookup(99, 49, v));
    EXPECT_EQ(v, 7u);
    cache.init(50, 100); // same number of entries: the block stays
    EXPECT_EQ(cache.entries, block);
    EXPECT_FALSE(cache.lookup(49, 98, v));
    cache.init(100, 80);
    EXPECT_TRUE(cache.valid);
    EXPECT_EQ(cache.width, 100);
    EXPECT_EQ(cache.height, 80);
    EXPECT_FALSE(cache.lookup(99, 79, v));
    // Points outside the grid are neither stored nor found.
    cache.store(100, 0, 1u);
    cache.store(-1, 0, 1u);
    EXPECT_FALSE(cache.lookup(100, 0, v));
    EXPECT_FALSE(cache.lookup(-1, 0, v));
}

TEST(NodeCache, ImpossibleSizesLeaveItInvalid)
{
    NodeCache<unsigned char> cache;
    cache.init(INT_MAX, INT_MAX); // would overflow an int count
    EXPECT_FALSE(cache.valid);
    cache.store(5, 5, 1);
    unsigned char v = 0;
    EXPECT_FALSE(cache.lookup(5, 5, v));
    cache.init(0, 10);
    EXPECT_FALSE(cache.valid);
    cache.init(-3, 10);
    EXPECT_FALSE(cache.valid);
    cache.init(2, 2);
    EXPECT_TRUE(cache.valid);
}

TEST(ThreadPixelsCache, EveryThreadHasItsOwnMemo)
{
    ThreadPixelsCache<unsigned char> cache;
    cache.init(16, 16);
    cache.local().store(0, 0, 1);
    constexpr int kThreads = 8;
    std::vector<std::thread> threads;
    std::vector<int> sawOther(kThreads, -1);
    std::vector<int> keptOwn(kThreads, -1);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t]() {
            NodeCache<unsigned char>& mine = cache.local();
            unsigned char v = 0;
            sawOther[t] = mine.lookup(0, 0, v) ? 1 : 0;
            for (int i = 0; i < 1000; ++i)
                mine.store(t, i % 16, (unsigned char)(t + 1));
            keptOwn[t] = (cache.local().lookup(t, 5, v) && v == t + 1) ? 1 : 0;
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(sawOther[t], 0) << t;
        EXPECT_EQ(keptOwn[t], 1) << t;
    }
    unsigned char v = 0;
    EXPECT_TRUE(cache.local().lookup(0, 0, v));
    EXPECT_FALSE(cache.local().lookup(3, 5, v));
}

TEST(PerRenderThreadState, CopiesTheInitialValuePerThreadAndRender)
{
    struct Running
    {
        int sum = 0;
        int last = -10;
    };
    PerRenderThreadState<Running> state;
    state.init(Running{0, -10});
    state.local().sum = 5;
    EXPECT_EQ(state.local().sum, 5);
    int otherSum = -1;
    std::thread([&]() {
        otherSum = state.local().sum;
        state.local().sum = 77;
    }).join();
    EXPECT_EQ(otherSum, 0);
    EXPECT_EQ(state.local().sum, 5);
    state.init(Running{1, -10});
    EXPECT_EQ(state.local().sum, 1);
    std::thread([&]() { otherSum = state.local().sum; }).join();
    EXPECT_EQ(otherSum, 1);
}
