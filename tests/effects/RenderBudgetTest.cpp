// The stages' budget follows the memory the process may use: half the machine's physical memory
// or of its control group's limit, within half the room left under its address-space and data
// limits; two thirds of that filled as stages come, all of it where a stage must be filled.

#include "AddressSanitizer.h"
#include "app/AddressSpaceLimit.h"
#include "effects/RenderMemory.h"
#include "effects/RenderStages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace KelVyxNodes;

namespace {

constexpr std::size_t kGB = std::size_t(1000) * 1000 * 1000;

TEST(RenderBudget, TheRuleTakesHalfOfWhatTheTightestLimitLeaves)
{
    RenderMemory::Limits limits = RenderMemory::machineWith(16 * kGB);
    EXPECT_EQ(RenderMemory::usableBytes(limits), 8 * kGB);
    EXPECT_EQ(RenderMemory::budgetBytes(limits), 8 * kGB / 3 * 2);
    EXPECT_EQ(RenderStages::hardCapBytes(RenderMemory::budgetBytes(limits)), 8 * kGB / 3 * 2 + 8 * kGB / 3);
    limits.controlGroup = 6 * kGB;
    EXPECT_EQ(RenderMemory::usableBytes(limits), 3 * kGB);
    limits.addressRoom = 4 * kGB;
    EXPECT_EQ(RenderMemory::usableBytes(limits), 2 * kGB);
    limits.dataRoom = kGB;
    EXPECT_EQ(RenderMemory::usableBytes(limits), kGB / 2);
    EXPECT_EQ(RenderMemory::usableBytes(RenderMemory::Limits{}), RenderMemory::kNoLimit);
}

// Renders use the process's budget unless a test set one; this machine's figures are those of
// the rule over its limits.
TEST(RenderBudget, RendersUseTheProcesssBudget)
{
    RenderStages::setBudgetBytesForTests(3 * 4 * 16);
    EXPECT_EQ(RenderStages::budgetBytes(), std::size_t(3 * 4 * 16));
    RenderStages::setBudgetBytesForTests(RenderStages::kMachineBudget);
    const RenderMemory::Limits limits = RenderMemory::processLimits();
    EXPECT_NE(limits.physical, RenderMemory::kNoLimit);
    EXPECT_EQ(RenderStages::budgetBytes(), RenderMemory::processBudgetBytes());
    EXPECT_LE(RenderStages::budgetBytes(), limits.physical / 2);
    EXPECT_GT(RenderStages::budgetBytes(), std::size_t(0));
}

// A process given 600 MB of room more under its address-space limit gets a third of it as its
// budget, where a fixed budget of 512 MiB would fill past what it may take.
TEST(RenderBudget, TheBudgetFollowsALimitSetOnTheProcess)
{
#if defined(VYX_ADDRESS_SANITIZER)
    GTEST_SKIP() << "the address sanitizer's shadow memory does not fit under an address-space limit";
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto child = [] {
        const std::size_t before = RenderStages::budgetBytes();
        if (!AppTest::limitAddressSpace(qint64(600) * 1000 * 1000))
            std::exit(3);
        const std::size_t budget = RenderStages::budgetBytes();
        const bool follows = budget <= std::size_t(210) * 1000 * 1000 && budget >= std::size_t(150) * 1000 * 1000
                             && budget < before;
        std::fprintf(stderr, "budget %zu before, %zu under the limit\n", before, budget);
        std::exit(follows ? 0 : 1);
    };
    EXPECT_EXIT(child(), ::testing::ExitedWithCode(0), "");
}

} // namespace
