// Chains, stacks and nests of window nodes (each output point reads a square of its input) of
// depth 1..32: every level's output is computed a bounded number of times per point, whatever
// reads it, with the bytes of the levels rendered one at a time; cancellation is seen within a
// row of work; a stack of blended effects holds a bounded number of stage pictures.

#include "BenchGraphs.h"
#include "DeepGraphs.h"
#include "EffectTestSupport.h"
#include "SanitizedSweep.h"

#include "effects/RenderStages.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"

#include <QImage>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

using namespace KelVyxNodes;

namespace EffectTest {
namespace {

const char* const kWindowTypes[] = {"operator.noiseReduction", "operator.sharpen", "operator.emboss",
                                    "operator.edgedetection", "operator.chromaaber", "operator.blur"};
const int kDepths[] = {1, 2, 3, 4, 6, 8, 12, 16, 24, 32};

Between counting()
{
    return [](VyxNodeGraph* graph) -> KelNodes::Node* {
        auto* node = new CountingPassNode(-1);
        graph->addNode(node, -1);
        return node;
    };
}

// The picture after `depth` levels rendered one at a time, each over the picture the one
// before made.
QImage oneAtATime(QImage picture, QString const& type, Passage const& passage, Shape shape, int depth, int blendMode,
                  int opacity)
{
    for (int i = 0; i < depth; ++i) {
        VyxNodeGraph root;
        if (root.setUp(&picture) != 0
            || !buildDeep(&root, &picture, type, passage, shape == Shape::Stack ? Shape::Stack : Shape::Chain, 1,
                          {}, blendMode, opacity)
            || root.setUp(&picture) != 0 || root.filter(nullptr) != 0)
            return QImage();
        picture = root.resultImage().copy();
    }
    return picture;
}

struct Case
{
    Shape shape;
    int blendMode;
    int opacity;
};

// Counted by the pass nodes in front of every level: the points each level's output was asked
// for. Once per point is what a staged render needs; a little more where a reader asks outside
// the image or a row memo stands in.
TEST(StagedRender, WindowNodesAreEvaluatedLinearlyWithTheBytesOfOneLevelAtATime)
{
    const QImage picture = makeGradientImage(40, 30);
    const long long pixels = 40 * 30;
    const Case cases[] = {{Shape::Chain, 0, 100}, {Shape::Stack, 0, 100}, {Shape::Stack, 2, 60}, {Shape::Nest, 0, 100}};
    for (int t = 0; t < int(std::size(kWindowTypes)); ++t) {
        char const* typeName = kWindowTypes[t];
        const QString type = QString::fromLatin1(typeName);
        const std::optional<Passage> passage = passageOf(type);
        ASSERT_TRUE(passage) << typeName;
        for (int k = 0; k < int(std::size(cases)); ++k) {
            // Under the sanitizers every other case of each type and every other depth, the
            // deepest always.
            if (!SanitizedSweep::takes(k, 2, t))
                continue;
            Case const& c = cases[k];
            for (int d = 0; d < int(std::size(kDepths)); ++d) {
                if (!SanitizedSweep::takes(d, 2, 1))
                    continue;
                const int depth = kDepths[d];
                SCOPED_TRACE(std::string(typeName) + " " + shapeName(c.shape) + " blend " + std::to_string(c.blendMode)
                             + " depth " + std::to_string(depth));
                VyxNodeGraph root;
                root.setRenderThreadCount(depth % 2 == 0 ? 3 : 1);
                ASSERT_EQ(root.setUp(&picture), 0);
                ASSERT_TRUE(buildDeep(&root, &picture, type, *passage, c.shape, depth, counting(), c.blendMode,
                                      c.opacity));
                ASSERT_EQ(root.setUp(&picture), 0);
                CountingPassNode::asked() = 0;
                ASSERT_EQ(root.filter(nullptr), 0);
                const long long asked = CountingPassNode::asked();
                // Stops at the first depth that breaks it: the slow way's work grows by a factor
                // per level.
                ASSERT_LE(asked, 4 * (depth + 1) * pixels);
                const QImage expected = oneAtATime(picture, type, *passage, c.shape, depth, c.blendMode, c.opacity);
                ASSERT_FALSE(expected.isNull());
                ASSERT_EQ(root.resultImage(), expected);
            }
        }
    }
}

// A stack alternating an effect whose output a window keeping its rows makes (unblended) and a
// blended effect over it: the blend reads that output twice, as its input and as the
// original, with no stage between. Counted in front of every window: each level's window reads
// its input about once per point, not twice per level below (the work of a reread stays within
// twice, once per stretch), with the bytes of the effects rendered one at a time.
TEST(StagedRender, AnOutputReadTwiceFromItsKeptRowsStaysLinear)
{
    const QImage picture = makeGradientImage(40, 30);
    const long long pixels = 40 * 30;
    // One window effect, or one blended effect of `blended` (an inversion, or a vertical flip,
    // which reads other rows than it gives), after `previous`.
    QString blended;
    auto addEffect = [&blended](VyxNodeGraph* root, KelNodes::Node* previous, QString const& window, int blendMode) {
        VyxNodeGraph* effect = root->addSubGraph(-1);
        const QString colour = previous == root->sourceNode() ? QStringLiteral("rgb") : QStringLiteral("rgbOut");
        const QString alpha = previous == root->sourceNode() ? QStringLiteral("alpha") : QStringLiteral("alphaOut");
        if (!effect || previous->connect(colour, effect, QStringLiteral("rgbIn")) != 0
            || previous->connect(alpha, effect, QStringLiteral("alphaIn")) != 0)
            return static_cast<VyxNodeGraph*>(nullptr);
        KelNodes::Node* in = effect->sourceNode();
        KelNodes::Node* out = effect->destinationNode();
        if (!window.isEmpty()) {
            const std::optional<Passage> passage = passageOf(window);
            auto* counter = new CountingPassNode(-1);
            effect->addNode(counter, -1);
            KelNodes::Node* node = effect->addNode(window, -1);
            if (!passage || !node || in->connect(QStringLiteral("rgb"), counter, QStringLiteral("in")) != 0
                || counter->connect(QStringLiteral("out"), node, passage->in) != 0
                || node->connect(passage->out, out, QStringLiteral("rgb")) != 0)
                return static_cast<VyxNodeGraph*>(nullptr);
            return effect;
        }
        effect->paramContainer()->setListParam(QStringLiteral("blendMode"), blendMode);
        effect->paramContainer()->setIntParam(QStringLiteral("opacity"), 60);
        const std::optional<Passage> passage = passageOf(blended);
        KelNodes::Node* node = effect->addNode(blended, -1);
        if (!passage || !node || in->connect(QStringLiteral("rgb"), node, passage->in) != 0
            || node->connect(passage->out, out, QStringLiteral("rgb")) != 0)
            return static_cast<VyxNodeGraph*>(nullptr);
        if (blended == QStringLiteral("operator.flip"))
            node->paramContainer()->setIntParam(QStringLiteral("flipVert"), 1);
        return effect;
    };
    auto finish = [](VyxNodeGraph* root, KelNodes::Node* last) {
        return last->connect(QStringLiteral("rgbOut"), root->destinationNode(), QStringLiteral("rgb")) == 0
               && last->connect(QStringLiteral("alphaOut"), root->destinationNode(), QStringLiteral("alpha")) == 0;
    };
    int variant = 0;
    for (char const* node : {"operator.inversion", "operator.flip"}) {
        blended = QString::fromLatin1(node);
        for (char const* window : {"operator.blur", "operator.sharpen", "operator.emboss", "operator.edgedetection"}) {
        for (int blendMode : {0, 2, 14}) {
            // Under the sanitizers one blend mode of the three for each window, in turn.
            const int v = variant++;
            if (!SanitizedSweep::takes(v % 3, 3, v / 3))
                continue;
            for (int pairs : {1, 2, 3, 5, 8, 16}) {
                SCOPED_TRACE(std::string(node) + " " + window + " blend " + std::to_string(blendMode) + " pairs "
                             + std::to_string(pairs));
                VyxNodeGraph root;
                root.setRenderThreadCount(pairs % 2 == 0 ? 3 : 1);
                ASSERT_EQ(root.setUp(&picture), 0);
                KelNodes::Node* previous = root.sourceNode();
                for (int i = 0; i < pairs; ++i) {
                    previous = addEffect(&root, previous, QString::fromLatin1(window), 0);
                    ASSERT_TRUE(previous);
                    previous = addEffect(&root, previous, QString(), blendMode);
                    ASSERT_TRUE(previous);
                }
                ASSERT_TRUE(finish(&root, previous));
                ASSERT_EQ(root.setUp(&picture), 0);
                CountingPassNode::asked() = 0;
                ASSERT_EQ(root.filter(nullptr), 0);
                // Each band a helper thread takes warms its windows again, and how the rows are
                // split among threads varies from run to run: one more pass per pair covers that.
                const long long passes = pairs % 2 == 0 ? 4 : 3;
                ASSERT_LE(CountingPassNode::asked(), passes * pairs * pixels);

                QImage expected = picture;
                for (int i = 0; i < 2 * pairs; ++i) {
                    VyxNodeGraph one;
                    ASSERT_EQ(one.setUp(&expected), 0);
                    KelNodes::Node* effect =
                        addEffect(&one, one.sourceNode(), i % 2 == 0 ? QString::fromLatin1(window) : QString(), blendMode);
                    ASSERT_TRUE(effect && finish(&one, effect));
                    ASSERT_EQ(one.setUp(&expected), 0);
                    ASSERT_EQ(one.filter(nullptr), 0);
                    expected = one.resultImage().copy();
                }
                ASSERT_EQ(root.resultImage(), expected);
            }
        }
        }
    }
}

// An observer that cancels once the levels have been asked for `after` points, and records the
// most points asked between two of its questions.
class WorkWatcher : public CountingObserver
{
public:
    explicit WorkWatcher(long long after) : m_after(after) {}
    bool cancelationRequested() override
    {
        const long long now = CountingPassNode::asked();
        longestStretch = std::max(longestStretch, now - m_last);
        m_last = now;
        ++questions;
        return now >= m_after;
    }
    long long longestStretch = 0;
    int questions = 0;

private:
    long long m_after;
    long long m_last = 0;
};

// Between two questions about cancellation a render does at most about a row of every level:
// an edit or a close waits that long, not for a row of a deep graph made by pulling.
TEST(StagedRender, CancellationIsAskedWithinARowOfWork)
{
    const QImage picture = makeGradientImage(64, 48);
    for (char const* typeName : kWindowTypes) {
        for (Shape shape : {Shape::Chain, Shape::Stack, Shape::Nest}) {
            const QString type = QString::fromLatin1(typeName);
            const std::optional<Passage> passage = passageOf(type);
            ASSERT_TRUE(passage);
            const int depth = 16;
            SCOPED_TRACE(std::string(typeName) + " " + shapeName(shape));
            VyxNodeGraph root;
            root.setRenderThreadCount(1);
            ASSERT_EQ(root.setUp(&picture), 0);
            ASSERT_TRUE(buildDeep(&root, &picture, type, *passage, shape, depth, counting()));
            ASSERT_EQ(root.setUp(&picture), 0);
            CountingPassNode::asked() = 0;
            WorkWatcher watcher(64LL * 48 * 3);
            EXPECT_EQ(root.filter(&watcher), -1);
            EXPECT_GT(watcher.questions, 1);
            // A row of the picture through every level, with room for a window's rows.
            EXPECT_LE(watcher.longestStretch, 16LL * 64 * (depth + 1));
        }
    }
}

// A stack of blended effects stages every effect's colour input but the first (the picture's
// own); the alpha is the picture's own all the way and passes by every effect. A stage is given back once the next
// is filled, so the render holds a few pictures whatever the stack's length.
TEST(StagedRender, AStackOfBlendedEffectsHoldsAFewStagesAtOnce)
{
    const QImage picture = makeGradientImage(32, 24);
    const std::optional<Passage> passage = passageOf(QStringLiteral("operator.inversion"));
    ASSERT_TRUE(passage);
    for (int depth : {10, 100, 400}) {
        VyxNodeGraph root;
        ASSERT_EQ(root.setUp(&picture), 0);
        ASSERT_TRUE(buildDeep(&root, &picture, QStringLiteral("operator.inversion"), *passage, Shape::Stack, depth,
                              {}, 2, 70));
        ASSERT_EQ(root.setUp(&picture), 0);
        ASSERT_EQ(root.filter(nullptr), 0);
        EXPECT_EQ(root.renderStages().stageCount(), depth - 1);
        EXPECT_LE(root.renderStages().peakLiveStores(), 4);
        EXPECT_EQ(root.resultImage(),
                  oneAtATime(picture, QStringLiteral("operator.inversion"), *passage, Shape::Stack, depth, 2, 70));
    }
}

// Stages only where they are needed: the photo graph's one blended effect reads the blur
// effect's output twice, and the blur keeps its rows, so it needs no stage (its alpha is the
// picture's own, read directly); a single blur (a window over the picture itself) none.
TEST(StagedRender, PlainGraphsMakeNoStages)
{
    const QImage picture = makeGradientImage(64, 48);
    struct Expected
    {
        VyxBench::Builder build;
        int stages;
    };
    for (Expected const& e : {Expected{VyxBench::photoObjects, 0}, Expected{VyxBench::blur(5), 0}}) {
        VyxNodeGraph root;
        ASSERT_EQ(root.setUp(&picture), 0);
        ASSERT_TRUE(e.build(&root));
        ASSERT_EQ(root.setUp(&picture), 0);
        ASSERT_EQ(root.filter(nullptr), 0);
        EXPECT_EQ(root.renderStages().stageCount(), e.stages);
    }
}

} // namespace
} // namespace EffectTest
