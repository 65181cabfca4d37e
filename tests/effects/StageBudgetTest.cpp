// Past the stages' memory budget (set small here, so that small pictures reach it): stacks of
// blended effects, chains of fan-outs, and chains, stacks and nests of window nodes of depth 1..64
// compute every level's output a bounded number of times per point, and no read goes down a
// chain of unfilled stages, with the bytes of the render that fills every stage.

#include "DeepGraphs.h"
#include "EffectTestSupport.h"
#include "SanitizedSweep.h"

#include "effects/RenderStages.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace KelVyxNodes;

namespace EffectTest {
namespace {

Between budgetCounting(bool channel = false)
{
    return [channel](VyxNodeGraph* graph) -> KelNodes::Node* {
        auto* node = new CountingPassNode(-1, channel);
        graph->addNode(node, -1);
        return node;
    };
}

struct Rendered
{
    QImage image;
    long long asked = 0;
    int deepest = 0;
    int chained = 0;
    int peakStores = 0;
    int unfilled = 0;
    int filled = 0;
    QString reason;
};

class BudgetReasonObserver : public CountingObserver
{
public:
    void failed(QString const& text) override { reason = text; }
    QString reason;
};

Rendered renderBudgeted(VyxNodeGraph& root, std::size_t budget)
{
    BudgetScope scope(budget);
    CountingPassNode::asked() = 0;
    CountingPassNode::deepest() = 0;
    Rendered out;
    BudgetReasonObserver observer;
    if (root.filter(&observer) != 0) {
        out.reason = observer.reason;
        out.asked = CountingPassNode::asked();
        out.filled = root.renderStages().filledCount();
        return out;
    }
    out.image = root.resultImage().copy();
    out.asked = CountingPassNode::asked();
    out.deepest = CountingPassNode::deepest();
    out.peakStores = root.renderStages().peakLiveStores();
    out.unfilled = root.renderStages().unfilledCount();
    out.chained = root.renderStages().chainedCount();
    return out;
}

struct GraphKind
{
    std::string name;
    // Builds the graph of `depth` levels; false when a link could not be made.
    std::function<bool(VyxNodeGraph*, QImage const*, int)> build;
    // The most stores it may hold at once past the budget (0: as many as the full render).
    int holds;
};

std::vector<GraphKind> graphKinds()
{
    std::vector<GraphKind> all;
    const Passage inversion = *passageOf(QStringLiteral("operator.inversion"));
    for (int mode : {2, 0}) {
        all.push_back({"inversion stack blend " + std::to_string(mode),
                       [=](VyxNodeGraph* root, QImage const* image, int depth) {
                           return buildDeep(root, image, QStringLiteral("operator.inversion"), inversion,
                                            Shape::Stack, depth, budgetCounting(), mode, 60);
                       },
                       2});
        all.push_back({"two-kind stack blend " + std::to_string(mode),
                       [=](VyxNodeGraph* root, QImage const* image, int depth) {
                           return buildTwoKindStack(root, image, depth, budgetCounting(), budgetCounting(true), mode,
                                                    60);
                       },
                       4});
    }
    for (bool skips : {false, true}) {
        all.push_back({skips ? "fan-outs over two levels" : "fan-outs",
                       [=](VyxNodeGraph* root, QImage const*, int depth) {
                           return buildFanOuts(root, depth, budgetCounting(), skips);
                       },
                       skips ? 4 : 2});
    }
    for (char const* type : {"operator.noiseReduction", "operator.sharpen", "operator.blur"}) {
        const QString id = QString::fromLatin1(type);
        const Passage passage = *passageOf(id);
        for (Shape shape : {Shape::Chain, Shape::Stack, Shape::Nest}) {
            all.push_back({std::string(type) + " " + shapeName(shape),
                           [=](VyxNodeGraph* root, QImage const* image, int depth) {
                               return buildDeep(root, image, id, passage, shape, depth, budgetCounting(), 2, 60);
                           },
                           shape == Shape::Nest ? 0 : 2});
        }
    }
    return all;
}

// A nest keeps every level's input until the row loop reads it, so it holds about half its depth
// in stores past the budget (every other one filled), never more than filling them all; and
// never more than the hard cap: a graph needing more is refused before any work.
TEST(StageBudget, PastTheBudgetWorkStaysBoundedWithTheSameBytes)
{
    const QImage picture = makeGradientImage(24, 16);
    const long long pixels = 24 * 16;
    const std::size_t store = std::size_t(pixels) * 4;
    // Under the sanitizers every other depth, the deepest always.
    std::vector<int> const depths =
        SanitizedSweep::pick<std::vector<int>>({1, 2, 3, 5, 8, 13, 21, 34, 64}, {1, 3, 8, 21, 64});
    for (GraphKind const& s : graphKinds()) {
        for (int depth : depths) {
            VyxNodeGraph root;
            const int threads = depth % 2 == 0 ? 3 : 1;
            root.setRenderThreadCount(threads);
            ASSERT_EQ(root.setUp(&picture), 0);
            ASSERT_TRUE(s.build(&root, &picture, depth)) << s.name;
            ASSERT_EQ(root.setUp(&picture), 0);
            const Rendered full = renderBudgeted(root, kEveryStageFits);
            ASSERT_FALSE(full.image.isNull()) << s.name;
            ASSERT_EQ(full.unfilled, 0);
            bool heldChecked = false;
            for (int stores : {0, 1, 2, 3, 4}) {
                SCOPED_TRACE(s.name + " depth " + std::to_string(depth) + " budget " + std::to_string(stores));
                const Rendered tight = renderBudgeted(root, std::size_t(stores) * store);
                const int cap = std::max(2 * RenderStages::kMinStores, stores * 3 / 2);
                if (tight.image.isNull()) {
                    // Only a graph needing more than the hard cap, with the reason, before any
                    // stage is filled or any point computed.
                    std::size_t needs = 0;
                    ASSERT_TRUE(isMemoryRefusal(tight.reason, picture.size(), &needs)) << tight.reason.toStdString();
                    // What it says it needs is what it needs: a cap that holds it renders.
                    if (!heldChecked) {
                        heldChecked = true;
                        const Rendered held = renderBudgeted(root, needs / 3 * 2 + 4);
                        ASSERT_EQ(held.image, full.image) << held.reason.toStdString();
                    }
                    ASSERT_TRUE(s.holds == 0 ? full.peakStores > cap : s.holds > cap);
                    ASSERT_EQ(tight.asked, 0);
                    ASSERT_EQ(tight.filled, 0);
                    continue;
                }
                ASSERT_EQ(tight.image, full.image);
                EXPECT_LE(tight.peakStores, cap);
                // Stops at the first depth that breaks it: down a chain of unfilled stages the
                // work and the depth of a read grow with the depth of the graph.
                // Down a chain of windows each thread's band of rows reads the rows around it at
                // every level, so on a picture this small each band may cost a pass of the
                // picture per level: linear still.
                ASSERT_LE(tight.asked, 4LL * threads * (depth + 1) * pixels);
                // Down a chain of unfilled stages (none of them read more than once per point)
                // a read goes a call per level; elsewhere one unfilled stage down at most.
                if (tight.chained == 0)
                    ASSERT_LE(tight.deepest, full.deepest + 1);
                EXPECT_LE(tight.peakStores, s.holds > 0 ? std::max(s.holds, stores) : full.peakStores);
            }
        }
    }
}

} // namespace
} // namespace EffectTest
