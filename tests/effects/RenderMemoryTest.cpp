// Stacks of thousands of blended effects render in a child process under an address-space
// limit, holding a few pictures beyond the source and the result, whatever the stack's length:
// the stages' budget does not grow with the number of effects, and nothing stays after the
// render.

#include "AddressSanitizer.h"
#include "DeepGraphs.h"
#include "ResidentMemory.h"

#include "app/AddressSpaceLimit.h"
#include "effects/RenderStages.h"
#include "effects/VyxNodeGraph.h"

#include <QByteArray>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

using namespace KelVyxNodes;

namespace EffectTest {
namespace {

// Renders `root` (set up on `picture`) and exits 0 when it rendered holding at most `pictures`
// pictures more, and keeps no more than the result afterwards.
[[noreturn]] void renderInChild(VyxNodeGraph& root, QImage const& picture, int pictures)
{
    root.sortForRender();
    const qint64 pictureBytes = picture.sizeInBytes();
    // Room for the result, the stages' budget and the render threads, far from what a memo per
    // effect took.
    if (!AppTest::limitAddressSpace((qint64(512) << 20) + 4 * pictureBytes + (qint64(768) << 20)))
        std::exit(3);
    const qint64 before = peakResidentBytes();
    const qint64 residentBefore = residentBytes();
    const int result = root.filter(nullptr);
    const qint64 growth = peakResidentBytes() - before;
    const qint64 kept = residentBytes() - residentBefore;
    std::fprintf(stderr, "result %d, peak growth %lld MB, kept %lld MB, for pictures of %lld MB\n", result,
                 growth >> 20, kept >> 20, pictureBytes >> 20);
    std::exit(result == 0 && growth <= pictures * pictureBytes + (qint64(64) << 20)
                      && kept <= pictureBytes + (qint64(16) << 20)
                  ? 0
                  : 1);
}

// Renders `effects` Multiply effects (each blends its input with itself) over a picture of
// width x height in a child (renderInChild).
[[noreturn]] void renderStackInChild(int width, int height, int effects, int pictures)
{
    QImage picture(width, height, QImage::Format_ARGB32);
    picture.fill(0xFF9080A0u);
    const std::optional<Passage> passage = passageOf(QStringLiteral("operator.inversion"));
    VyxNodeGraph root;
    if (!passage || root.setUp(&picture) != 0
        || !buildDeep(&root, &picture, QStringLiteral("operator.inversion"), *passage, Shape::Stack, effects, {}, 2,
                      100)
        || root.setUp(&picture) != 0)
        std::exit(2);
    renderInChild(root, picture, pictures);
}

TEST(RenderMemory, FiveThousandBlendedEffectsOnTheDefaultPicture)
{
#if defined(VYX_ADDRESS_SANITIZER)
    GTEST_SKIP() << "the address sanitizer's shadow memory does not fit under an address-space limit";
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The result and the colour and alpha stages of two effects.
    EXPECT_EXIT(renderStackInChild(600, 400, 5000, 5), ::testing::ExitedWithCode(0), "");
}

// A thousand effects on a 24-megapixel photo: each is a pass over 24 million points (about a
// minute of processor time in all at -O1 tests; the engine is built optimised). A memo per effect
// kept 1.5 MB per effect after the render.
TEST(RenderMemory, BlendedEffectsOnABigPhoto)
{
#if defined(VYX_ADDRESS_SANITIZER)
    GTEST_SKIP() << "the address sanitizer's shadow memory does not fit under an address-space limit";
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The result and the colour and alpha stages of two effects.
    EXPECT_EXIT(renderStackInChild(6000, 4000, 1000, 5), ::testing::ExitedWithCode(0), "");
}

// Past the budget (none here: the least number of stores), a stack of effects that change and
// blend both colour and alpha fills every other effect's two stages and keeps what they read:
// the stores one fill reads, whatever the stack's length, besides the result.
TEST(RenderMemory, PastTheBudgetAStackHoldsTheStoresOneFillReads)
{
#if defined(VYX_ADDRESS_SANITIZER)
    GTEST_SKIP() << "the address sanitizer's shadow memory does not fit under an address-space limit";
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto child = [] {
        RenderStages::setBudgetBytesForTests(0);
        QImage picture(2000, 1500, QImage::Format_ARGB32);
        picture.fill(0xC09080A0u);
        VyxNodeGraph root;
        if (root.setUp(&picture) != 0 || !buildTwoKindStack(&root, &picture, 300, {}, {}, 2, 60)
            || root.setUp(&picture) != 0)
            std::exit(2);
        renderInChild(root, picture, 5);
    };
    EXPECT_EXIT(child(), ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace EffectTest
