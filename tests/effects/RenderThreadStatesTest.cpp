// The per-thread running state of a render (row rings, row memos, every node's per-thread
// state) lives only while the render reads its node: it is given back when the render ends,
// whether it succeeded, failed or was cancelled, and after every node the render prepared, so a
// graph of hundreds of window nodes holds the rows of the few one pass reads, not of all of them.

#include "AddressSanitizer.h"
#include "DeepGraphs.h"
#include "EffectTestSupport.h"
#include "EngineTestNodes.h"
#include "ResidentMemory.h"

#include "../app/AddressSpaceLimit.h"
#include "effects/NodeTypeRegistry.h"
#include "effects/RenderStages.h"
#include "effects/RenderThreadPool.h"
#include "effects/ThreadStateOwner.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeDescriptor.h"

#include <QByteArray>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <stdexcept>

using namespace KelVyxNodes;

namespace EffectTest {
namespace {

enum class Ending { Done, Cancelled, Thrown, PreparationFailed };

char const* endingName(Ending ending)
{
    switch (ending) {
    case Ending::Done:
        return "done";
    case Ending::Cancelled:
        return "cancelled";
    case Ending::Thrown:
        return "thrown";
    case Ending::PreparationFailed:
        return "preparation failed";
    }
    return "";
}

// An inversion that throws on one row, or fails its preparation.
class FailingInvertNode : public InvertNode
{
public:
    explicit FailingInvertNode(int id) : InvertNode(id) {}
    unsigned int getSample3(QPoint const& p) const override
    {
        if (throwRow >= 0 && p.y() == throwRow)
            throw std::runtime_error("broken plug-in");
        return InvertNode::getSample3(p);
    }
    int throwRow = -1;
};

// Cancels on its `cancelAt`-th question (preparation, a stage's fill or the row loop).
class StatesCancelAfter : public CountingObserver
{
public:
    explicit StatesCancelAfter(int questions) : m_left(questions) {}
    bool cancelationRequested() override { return --m_left <= 0; }

private:
    int m_left;
};

// Every node type with a passage, in chains, stacks and nests of three with a failing
// inversion in front of every level: however the render ends, every thread's state it made is
// given back, and the next render makes the same picture.
TEST(RenderThreadStates, EveryNodeTypeGivesItsStateBackHoweverTheRenderEnds)
{
    const QImage picture = makeGradientImage(40, 36);
    int checked = 0;
    for (KelNodes::NodeDescriptor const* type : *NodeTypeRegistry::list()) {
        const std::optional<Passage> passage = passageOf(type->typeId);
        if (!passage)
            continue;
        for (Shape shape : {Shape::Chain, Shape::Stack, Shape::Nest}) {
            SCOPED_TRACE(testing::Message() << type->typeId.toStdString() << " " << shapeName(shape));
            QList<FailingInvertNode*> failing;
            Between between = [&failing](VyxNodeGraph* graph) -> KelNodes::Node* {
                auto* node = new FailingInvertNode(-1);
                graph->addNode(node, -1);
                failing.append(node);
                return node;
            };
            VyxNodeGraph root;
            ASSERT_EQ(root.setUp(&picture), 0);
            ASSERT_TRUE(buildDeep(&root, &picture, type->typeId, *passage, shape, 3, between, 2, 60));
            ASSERT_EQ(root.setUp(&picture), 0);
            root.setRenderThreadCount(4);
            const long long before = ThreadStateOwner::liveSlots();
            ASSERT_EQ(root.filter(nullptr), 0);
            const QImage expected = root.resultImage().copy();
            EXPECT_EQ(ThreadStateOwner::liveSlots(), before);
            for (Ending ending : {Ending::Cancelled, Ending::Thrown, Ending::PreparationFailed}) {
                for (int at : {1, 4, 12, 30}) {
                    SCOPED_TRACE(testing::Message() << endingName(ending) << " at " << at);
                    for (FailingInvertNode* node : failing) {
                        node->throwRow = ending == Ending::Thrown ? at : -1;
                        node->failPreparation = false;
                    }
                    if (ending == Ending::PreparationFailed)
                        failing[std::min<qsizetype>(at / 4, failing.size() - 1)]->failPreparation = true;
                    StatesCancelAfter observer(ending == Ending::Cancelled ? at : 1 << 30);
                    EXPECT_EQ(root.filter(&observer), -1);
                    EXPECT_EQ(ThreadStateOwner::liveSlots(), before);
                }
            }
            for (FailingInvertNode* node : failing) {
                node->throwRow = -1;
                node->failPreparation = false;
            }
            ASSERT_EQ(root.filter(nullptr), 0);
            EXPECT_EQ(root.resultImage(), expected);
            EXPECT_EQ(ThreadStateOwner::liveSlots(), before);
            ++checked;
        }
    }
    EXPECT_GT(checked, 30);
}

// The rows a window node keeps depend on the picture's width alone: a picture as wide as a
// 24-megapixel photo (6000 x 4000) but of few rows shows them at a fraction of the work.
constexpr int kWidth = 6000;
constexpr int kHeight = 160;
constexpr int kWindows = 200;
// As many as a big machine has, whatever the machine running the test.
constexpr int kThreads = 8;

// Renders a chain of kWindows nodes of `typeId` on kThreads threads under an address-space
// limit; exits 0 when the render held at most a few pictures and the rows of a few windows
// beyond what was resident before, and kept no more than the result afterwards.
[[noreturn]] void renderWindowChainInChild(QString const& typeId)
{
    QImage picture(kWidth, kHeight, QImage::Format_ARGB32);
    for (int y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<unsigned int*>(picture.scanLine(y));
        for (int x = 0; x < kWidth; ++x)
            row[x] = 0xFF000000u | (((unsigned(x) * 2654435761u >> 8) ^ (unsigned(y) * 40503u)) & 0xFFFFFFu);
    }
    const std::optional<Passage> passage = passageOf(typeId);
    VyxNodeGraph root;
    if (!passage || root.setUp(&picture) != 0
        || !buildDeep(&root, &picture, typeId, *passage, Shape::Chain, kWindows) || root.setUp(&picture) != 0)
        std::exit(2);
    root.setRenderThreadCount(kThreads);
    root.sortForRender();
    const qint64 pictureBytes = picture.sizeInBytes();
    // Room for the stages' budget, the render threads' stacks and heaps; a window's rows are
    // about 0.6 MB a thread here.
    if (!AppTest::limitAddressSpace((qint64(512) << 20) + (qint64(1) << 30)))
        std::exit(3);
    const qint64 peakBefore = peakResidentBytes();
    const qint64 residentBefore = residentBytes();
    const int result = root.filter(nullptr);
    const qint64 growth = peakResidentBytes() - peakBefore;
    const qint64 kept = residentBytes() - residentBefore;
    std::fprintf(stderr, "%s: result %d, peak growth %lld MB, kept %lld MB, pictures of %lld MB\n",
                 qPrintable(typeId), result, growth >> 20, kept >> 20, pictureBytes >> 20);
    // The result, the stages of a chain, and the rows of the windows one fill reads.
    const qint64 rows = qint64(4) * kThreads * (qint64(1) << 20);
    std::exit(result == 0 && growth <= 4 * pictureBytes + rows + (qint64(32) << 20)
                      && kept <= pictureBytes + (qint64(16) << 20)
                  ? 0
                  : 1);
}

TEST(RenderThreadStates, ChainsOfWindowNodesOnAWidePhotoHoldTheRowsOfAFewAndKeepNone)
{
#if defined(VYX_ADDRESS_SANITIZER)
    GTEST_SKIP() << "the address sanitizer's shadow memory does not fit under an address-space limit";
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (char const* type : {"operator.edgedetection", "operator.sharpen", "operator.emboss", "operator.blur"}) {
        SCOPED_TRACE(type);
        EXPECT_EXIT(renderWindowChainInChild(QString::fromLatin1(type)), ::testing::ExitedWithCode(0), "");
    }
}

TEST(RenderThreadPool, CoreCountFollowsTheCoresTheProcessMayRunOn)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto child = [] {
        cpu_set_t one;
        CPU_ZERO(&one);
        if (sched_getaffinity(0, sizeof(one), &one) != 0)
            std::exit(2);
        // The first core the process may run on, alone.
        int first = 0;
        while (first < CPU_SETSIZE && !CPU_ISSET(first, &one))
            ++first;
        CPU_ZERO(&one);
        CPU_SET(first, &one);
        if (sched_setaffinity(0, sizeof(one), &one) != 0)
            std::exit(2);
        std::exit(RenderThreadPool::coreCount() == 1 ? 0 : 1);
    };
    EXPECT_EXIT(child(), ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace EffectTest
