// Past the stages' memory budget and its hard cap (set small here, so that small pictures reach
// them): every node type in chains, stacks and nests either renders with the bytes of the full
// budget and a work linear in nodes x pixels, or is refused with the reason before any point is
// computed; and a cancellation is seen within a bounded count of points.

#include "DeepGraphs.h"
#include "EffectTestSupport.h"
#include "SanitizedSweep.h"

#include "effects/NodeTypeRegistry.h"
#include "effects/RenderStages.h"
#include "effects/VyxNode.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"
#include "params/ParameterContainer.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using namespace KelVyxNodes;

namespace EffectTest {
namespace {

Between capCounting()
{
    return [](VyxNodeGraph* graph) -> KelNodes::Node* {
        auto* node = new CountingPassNode(-1);
        graph->addNode(node, -1);
        return node;
    };
}

// Sets the budget, and a fuse on the counted points, for one scope.
class Limits
{
public:
    Limits(std::size_t bytes, long long fuse) : m_budget(bytes) { CountingPassNode::fuse() = fuse; }
    ~Limits() { CountingPassNode::fuse() = std::numeric_limits<long long>::max(); }
    Limits(Limits const&) = delete;
    Limits& operator=(Limits const&) = delete;

private:
    BudgetScope m_budget;
};

class ReasonObserver : public CountingObserver
{
public:
    void failed(QString const& text) override { reason = text; }
    QString reason;
};

struct Outcome
{
    QImage image;
    QString reason;
    long long asked = 0;
    int filled = 0;
    int peakStores = 0;
};

// The smallest budget whose hard cap holds `bytes`.
std::size_t budgetHolding(std::size_t bytes)
{
    return bytes / 3 * 2 + 4;
}

Outcome render(VyxNodeGraph& root, std::size_t budget, long long fuse)
{
    Limits scope(budget, fuse);
    CountingPassNode::asked() = 0;
    ReasonObserver observer;
    Outcome out;
    if (root.filter(&observer) == 0)
        out.image = root.resultImage().copy();
    out.reason = observer.reason;
    out.asked = CountingPassNode::asked();
    out.filled = root.renderStages().filledCount();
    out.peakStores = root.renderStages().peakLiveStores();
    return out;
}

LevelNode levelOf(QString const& type)
{
    return LevelNode{type, *passageOf(type)};
}

LevelNode reduction()
{
    return levelOf(QStringLiteral("operator.noiseReduction"));
}

LevelNode aberration()
{
    return levelOf(QStringLiteral("operator.chromaaber"));
}

struct CapKind
{
    std::string name;
    std::vector<LevelNode> levels;
    bool window;
};

// Every built-in type with an input and an output of one kind; those reading their input more
// than once per point or around it go through every depth, the others through a few.
std::vector<CapKind> kinds()
{
    std::vector<CapKind> all;
    for (KelNodes::NodeDescriptor const* type : NodeTypeRegistry::builtIns()) {
        const std::optional<Passage> passage = passageOf(type->typeId);
        if (!passage || passage->kind != 4u)
            continue;
        VyxNodeGraph graph;
        auto const* node = dynamic_cast<VyxNode const*>(graph.addNode(type->typeId, -1));
        if (!node)
            continue;
        const bool window = node->readsInputsRepeatedly() || node->keepsInputRows();
        all.push_back({type->typeId.toStdString(), {LevelNode{type->typeId, *passage}}, window});
    }
    all.push_back({"noise reduction and chromatic aberration", {reduction(), aberration()}, true});
    return all;
}

// Every level's nodes and the counting node in front of each, plus the destination's.
int nodesOf(CapKind const& kind, int depth)
{
    return depth * (int(kind.levels.size()) + 1) + 1;
}

TEST(StageCap, PastTheBudgetEveryNodeTypeRendersLinearlyOrIsRefusedBeforeAnyWork)
{
    const QImage picture = makeGradientImage(16, 12);
    const long long pixels = 16 * 12;
    const std::size_t store = std::size_t(pixels) * 4;
    int refused = 0;
    int rendered = 0;
    std::vector<CapKind> const all = kinds();
    for (std::size_t k = 0; k < all.size(); ++k) {
        CapKind const& kind = all[k];
        std::vector<int> depths{1, 8, 63};
        if (kind.window)
            depths = SanitizedSweep::pick<std::vector<int>>({1, 2, 3, 5, 8, 13, 21, 32, 63, 64}, {1, 3, 8, 21, 64});
        const Shape shapes[] = {Shape::Chain, Shape::Stack, Shape::Nest};
        for (int s = 0; s < 3; ++s) {
            // Under the sanitizers each kind in one shape, the shapes taken in turn.
            if (!SanitizedSweep::takes(s, 3, int(k)))
                continue;
            const Shape shape = shapes[s];
            for (int depth : depths) {
                VyxNodeGraph root;
                root.setRenderThreadCount(depth % 2 == 0 ? 3 : 1);
                ASSERT_EQ(root.setUp(&picture), 0);
                ASSERT_TRUE(buildDeep(&root, &picture, kind.levels, shape, depth, capCounting(), 2, 60)) << kind.name;
                ASSERT_EQ(root.setUp(&picture), 0);
                // Far more than any render within the bound asks, far less than one without it.
                const long long bound = 8LL * nodesOf(kind, depth) * pixels;
                const Outcome full = render(root, kEveryStageFits, 4 * bound);
                ASSERT_FALSE(full.image.isNull()) << kind.name << " " << full.reason.toStdString();
                ASSERT_LE(full.asked, bound) << kind.name;
                bool renderedBelow = false;
                bool heldChecked = false;
                for (int stores : {0, 1, 2, 3, 4}) {
                    SCOPED_TRACE(kind.name + " " + shapeName(shape) + " depth " + std::to_string(depth) + " budget "
                                 + std::to_string(stores));
                    const Outcome tight = render(root, std::size_t(stores) * store, 4 * bound);
                    if (tight.image.isNull()) {
                        // Refused before any stage was filled or any point computed, in figures
                        // that hold: where the cap holds what it says it needs, it renders.
                        ++refused;
                        std::size_t needs = 0;
                        ASSERT_TRUE(isMemoryRefusal(tight.reason, picture.size(), &needs)) << tight.reason.toStdString();
                        ASSERT_EQ(tight.asked, 0);
                        ASSERT_EQ(tight.filled, 0);
                        // A larger budget never refuses what a smaller one renders.
                        ASSERT_FALSE(renderedBelow);
                        // Only a graph holding more stores at once than the cap allows.
                        ASSERT_GT(full.peakStores, std::max(2 * RenderStages::kMinStores, stores * 3 / 2));
                        // Once per graph: the figures of a smaller budget are those of a larger.
                        if (!heldChecked) {
                            heldChecked = true;
                            const Outcome held = render(root, budgetHolding(needs), 4 * bound);
                            ASSERT_EQ(held.image, full.image) << held.reason.toStdString();
                            ASSERT_LE(held.asked, bound);
                        }
                        continue;
                    }
                    ++rendered;
                    renderedBelow = true;
                    ASSERT_EQ(tight.image, full.image);
                    ASSERT_LE(tight.asked, bound);
                    ASSERT_LE(tight.peakStores, std::max(2 * RenderStages::kMinStores, stores * 3 / 2));
                }
            }
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(rendered, refused);
}

// A graph of levels of the same nodes in one shape, `depth` deep.
struct DeepCase
{
    std::vector<LevelNode> levels;
    Shape shape;
    int depth;

    int nodes() const { return depth * (int(levels.size()) + 1) + 1; }
    std::string trace(int threads) const
    {
        return std::string(shapeName(shape)) + " of " + std::to_string(depth) + " levels of "
               + std::to_string(levels.size()) + " on " + std::to_string(threads) + " threads";
    }
    // Built on the picture, a counting node in front of every level, rendered on `threads`.
    void build(VyxNodeGraph& root, QImage const& picture, int threads) const
    {
        root.setRenderThreadCount(threads);
        ASSERT_EQ(root.setUp(&picture), 0);
        ASSERT_TRUE(buildDeep(&root, &picture, levels, shape, depth, capCounting(), 2, 60));
        ASSERT_EQ(root.setUp(&picture), 0);
    }
};

// The graphs the cap was made for, named: a nest of 32 noise reductions, a noise reduction and
// a chromatic aberration at every level of a nest, chromatic aberration alone 64 deep, all at a
// budget of no store. Each is refused before any work, or renders linearly.
TEST(StageCap, DeepNestsOfRepeatedReadersAtNoBudget)
{
    const QImage picture = makeGradientImage(40, 30);
    const long long pixels = 40 * 30;
    const LevelNode nr = reduction();
    const LevelNode ca = aberration();
    for (DeepCase const& c : {DeepCase{{nr}, Shape::Nest, 32}, DeepCase{{nr, ca}, Shape::Nest, 16},
                              DeepCase{{ca}, Shape::Nest, 64}, DeepCase{{ca}, Shape::Chain, 64},
                              DeepCase{{nr}, Shape::Stack, 63}}) {
        for (int threads : {1, 3}) {
            SCOPED_TRACE(c.trace(threads));
            VyxNodeGraph root;
            ASSERT_NO_FATAL_FAILURE(c.build(root, picture, threads));
            const long long bound = 8LL * c.nodes() * pixels;
            const Outcome full = render(root, kEveryStageFits, 4 * bound);
            ASSERT_FALSE(full.image.isNull());
            const Outcome tight = render(root, 0, 4 * bound);
            if (tight.image.isNull()) {
                EXPECT_TRUE(isMemoryRefusal(tight.reason, picture.size())) << tight.reason.toStdString();
                EXPECT_EQ(tight.asked, 0);
                continue;
            }
            EXPECT_EQ(tight.image, full.image);
            EXPECT_LE(tight.asked, bound);
        }
    }
}

// Nests of nodes that read each point once render a few levels past the cap, reading down a
// short chain of unfilled stages a call per level, with the full budget's bytes; a nest whose
// chain would multiply its reads (noise reduction) is still refused.
TEST(StageCap, NestsReadOncePerPointRenderAFewLevelsPastTheCap)
{
    const QImage picture = makeGradientImage(40, 30);
    const long long pixels = 40 * 30;
    for (char const* type : {"operator.inversion", "operator.blur", "operator.sharpen", "operator.edgedetection",
                             "operator.noiseReduction"}) {
        const DeepCase c{{levelOf(QString::fromLatin1(type))}, Shape::Nest, 10};
        for (int threads : {1, 3}) {
            SCOPED_TRACE(type + (" " + c.trace(threads)));
            VyxNodeGraph root;
            ASSERT_NO_FATAL_FAILURE(c.build(root, picture, threads));
            const long long bound = 8LL * c.nodes() * pixels;
            const Outcome full = render(root, kEveryStageFits, 4 * bound);
            ASSERT_FALSE(full.image.isNull());
            const Outcome tight = render(root, 0, 4 * bound);
            if (QString::fromLatin1(type) == QStringLiteral("operator.noiseReduction")) {
                EXPECT_TRUE(tight.image.isNull());
                EXPECT_TRUE(isMemoryRefusal(tight.reason, picture.size())) << tight.reason.toStdString();
                EXPECT_EQ(tight.asked, 0);
                continue;
            }
            EXPECT_EQ(tight.image, full.image);
            EXPECT_LE(tight.asked, bound);
            EXPECT_LE(tight.peakStores, 2 * RenderStages::kMinStores);
        }
    }
}

LevelNode rotated(int degrees)
{
    LevelNode level = levelOf(QStringLiteral("operator.rotate"));
    level.configure = [degrees](KelNodes::Node* node) {
        node->paramContainer()->setIntParam(QStringLiteral("rotateAngle"), degrees);
    };
    return level;
}

// Nodes that read their input at other points (rotate, deform, flip) or several times at other
// points (chromatic aberration) over window nodes, at every level past the depth the old chain
// rule allowed: every level's read of the one below is at moved points, so down a chain of
// unfilled stages each level would multiply the reads of the next (a rotate-and-blur nest 7 deep
// took half a minute on 120 x 90 at no budget). Each renders with the full budget's bytes
// within a constant times nodes x pixels, or is refused before any work in figures that hold.
TEST(StageCap, MovedReadsOverWindowsStayLinearPastTheOldChainLimit)
{
    // Rows enough that a rotated read leaves the row memos' rows.
    const QImage picture = makeGradientImage(64, 48);
    const long long pixels = 64 * 48;
    const std::size_t store = std::size_t(pixels) * 4;
    const LevelNode blur = levelOf(QStringLiteral("operator.blur"));
    const LevelNode sharpen = levelOf(QStringLiteral("operator.sharpen"));
    const std::vector<std::vector<LevelNode>> kinds{{rotated(30), blur},
                                                    {aberration(), blur},
                                                    {levelOf(QStringLiteral("operator.deform")), sharpen},
                                                    {levelOf(QStringLiteral("operator.flip")), blur},
                                                    {rotated(30), sharpen, rotated(-30), blur}};
    int rendered = 0;
    for (std::vector<LevelNode> const& levels : kinds) {
        for (Shape shape : {Shape::Nest, Shape::Stack}) {
            for (int depth : {10}) {
                const DeepCase c{levels, shape, depth};
                const int threads = shape == Shape::Nest ? 3 : 1;
                SCOPED_TRACE(levels.front().typeId.toStdString() + " " + c.trace(threads));
                VyxNodeGraph root;
                ASSERT_NO_FATAL_FAILURE(c.build(root, picture, threads));
                const long long bound = 8LL * c.nodes() * pixels;
                const Outcome full = render(root, kEveryStageFits, 4 * bound);
                ASSERT_FALSE(full.image.isNull());
                ASSERT_LE(full.asked, bound);
                for (int stores : {0, 3}) {
                    SCOPED_TRACE("budget " + std::to_string(stores));
                    const Outcome tight = render(root, std::size_t(stores) * store, 4 * bound);
                    if (tight.image.isNull()) {
                        std::size_t needs = 0;
                        ASSERT_TRUE(isMemoryRefusal(tight.reason, picture.size(), &needs)) << tight.reason.toStdString();
                        ASSERT_EQ(tight.asked, 0);
                        continue;
                    }
                    ++rendered;
                    ASSERT_EQ(tight.image, full.image);
                    ASSERT_LE(tight.asked, bound);
                }
            }
        }
    }
    EXPECT_GT(rendered, 0);
}

// An observer that wishes to cancel once `after` points have been asked for, and records the
// most points asked between two of its questions and after the one it answered yes.
class CancelAfter : public ReasonObserver
{
public:
    explicit CancelAfter(long long after) : m_after(after) {}
    bool cancelationRequested() override
    {
        const long long now = CountingPassNode::asked();
        longestStretch = std::max(longestStretch, now - m_last);
        m_last = now;
        if (now >= m_after && answeredAt < 0)
            answeredAt = now;
        return now >= m_after;
    }
    long long longestStretch = 0;
    long long answeredAt = -1;

private:
    long long m_after;
    long long m_last = 0;
};

// Past the budget a row costs at most about a row of every level: the questions come within
// that much work, and the render ends soon after the yes (helpers stop inside their rows).
TEST(StageCap, ACancellationPastTheBudgetIsSeenWithinABoundedCountOfPoints)
{
    const QImage picture = makeGradientImage(48, 36);
    const long long width = 48;
    const LevelNode nr = reduction();
    const LevelNode ca = aberration();
    for (DeepCase const& c : {DeepCase{{nr}, Shape::Nest, 32}, DeepCase{{nr, ca}, Shape::Nest, 16},
                              DeepCase{{nr}, Shape::Nest, 4}, DeepCase{{nr, ca}, Shape::Stack, 24},
                              DeepCase{{ca}, Shape::Chain, 64}}) {
        for (int threads : {1, 3}) {
            SCOPED_TRACE(c.trace(threads));
            VyxNodeGraph root;
            ASSERT_NO_FATAL_FAILURE(c.build(root, picture, threads));
            const int nodes = c.nodes();
            // A row of every node, with room for a window's rows, on every thread.
            const long long row = 16LL * nodes * width * threads;
            const Outcome whole = render(root, 0, 1000 * row);
            if (whole.image.isNull()) {
                EXPECT_TRUE(isMemoryRefusal(whole.reason, picture.size())) << whole.reason.toStdString();
                EXPECT_EQ(whole.asked, 0);
                continue;
            }
            // Wished for halfway through.
            Limits scope(0, 1000 * row);
            CountingPassNode::asked() = 0;
            CancelAfter observer(whole.asked / 2);
            EXPECT_EQ(root.filter(&observer), -1);
            EXPECT_TRUE(observer.reason.isEmpty());
            EXPECT_LE(observer.longestStretch, row);
            ASSERT_GE(observer.answeredAt, 0);
            EXPECT_LE(CountingPassNode::asked() - observer.answeredAt, row);
        }
    }
}

} // namespace
} // namespace EffectTest
