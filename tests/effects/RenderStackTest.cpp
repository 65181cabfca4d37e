// Deep graphs of every node type, as chains, stacks of effects and nests of effects, render on
// a thread of exactly the stack the program gives its render threads: each renders, or fails
// with the message that it is too deep, and never overflows. Chains of 200 nodes and stacks of
// 1,000 effects (far beyond real use) render.

#include "DeepGraphs.h"
#include "EffectTestSupport.h"
#include "SanitizedSweep.h"

#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/NodeTypeRegistry.h"
#include "effects/RenderStack.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeDescriptor.h"

#include <QImage>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace KelVyxNodes;

namespace EffectTest {
namespace {

struct StackOutcome
{
    int result = -2;
    QString failure;
};

class StackFailureObserver : public CountingObserver
{
public:
    void failed(QString const& reason) override { failure = reason; }
    QString failure;
};

// Renders `graph` on a thread of the render threads' stack size (and helpers of the pool).
StackOutcome renderOnRenderThread(VyxNodeGraph* graph)
{
    StackOutcome outcome;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        StackFailureObserver observer;
        outcome.result = graph->filter(&observer);
        outcome.failure = observer.failure;
    }));
    thread->setStackSize(uint(RenderStack::kThreadBytes));
    thread->start();
    thread->wait();
    return outcome;
}

void expectRendersOrRefuses(StackOutcome const& outcome, bool mustRender)
{

    if (mustRender || outcome.result == 0) {
        EXPECT_EQ(outcome.result, 0) << outcome.failure.toStdString();
        return;
    }
    EXPECT_EQ(outcome.result, -1);
    EXPECT_EQ(outcome.failure, QString::fromUtf8(RenderStack::message()));
}

struct Depths
{
    Shape shape;
    int deep;     // far beyond real use: renders or is refused
    int realUse;  // must render
};

TEST(RenderStack, DeepGraphsOfEveryNodeTypeRenderOrAreRefusedWithoutOverflowing)
{
    const QImage picture = makeGradientImage(9, 7);
    const Depths depths[] = {{Shape::Chain, 2000, 200}, {Shape::Stack, 1500, 1000}, {Shape::Nest, 300, 50}};
    const QString source = NodeOriginalImage::m_descriptor.typeId;
    const QString destination = NodeFilteredImage::m_descriptor.typeId;
    int built = 0;
    int passing = 0;
    for (KelNodes::NodeDescriptor const* type : NodeTypeRegistry::builtIns()) {
        if (type->typeId == source || type->typeId == destination)
            continue;
        const std::optional<Passage> passage = passageOf(type->typeId);
        if (!passage)
            continue; // nothing goes through it: no chain of it
        // Under the sanitizers every sixth type, each in one shape, the shapes taken in turn.
        const int index = passing++;
        if (!SanitizedSweep::takes(index, 6))
            continue;
        for (int shape = 0; shape < 3; ++shape) {
            if (!SanitizedSweep::takes(shape, 3, index / 6))
                continue;
            Depths const& d = depths[shape];
            for (int depth : {d.realUse, d.deep}) {
                SCOPED_TRACE(type->typeId.toStdString() + " " + shapeName(d.shape) + " " + std::to_string(depth));
                VyxNodeGraph root;
                root.setRenderThreadCount(2);
                ASSERT_EQ(root.setUp(&picture), 0);
                ASSERT_TRUE(buildDeep(&root, &picture, type->typeId, *passage, d.shape, depth));
                ASSERT_EQ(root.setUp(&picture), 0);
                root.sortForRender();
                expectRendersOrRefuses(renderOnRenderThread(&root), depth == d.realUse);
                ++built;
            }
        }
    }
    EXPECT_GE(built, SanitizedSweep::pick(6 * 35, 2 * 35 / 6));
}

// The cases the stack overflowed on: thousands of blended effects, thousands of chained Blends
// and hundreds of noise reductions.
TEST(RenderStack, TheGraphsThatOverflowedRender)
{
    const QImage picture = makeGradientImage(16, 12);
    struct Deep
    {
        char const* type;
        Shape shape;
        int depth;
        int blendMode;
    };
    const Deep cases[] = {{"operator.noiseReduction", Shape::Chain, 800, 0},
                          {"operator.blend", Shape::Chain, 8000, 0},
                          {"operator.inversion", Shape::Stack, 10000, 0},
                          {"operator.inversion", Shape::Stack, 7000, 2}};
    // Under the sanitizers, whose frames are larger, at a quarter of the depth.
    const int divisor = SanitizedSweep::pick(1, 4);
    for (Deep c : cases) {
        c.depth /= divisor;
        SCOPED_TRACE(std::string(c.type) + " " + shapeName(c.shape) + " " + std::to_string(c.depth));
        const std::optional<Passage> passage = passageOf(QString::fromLatin1(c.type));
        ASSERT_TRUE(passage);
        VyxNodeGraph root;
        root.setRenderThreadCount(3);
        ASSERT_EQ(root.setUp(&picture), 0);
        ASSERT_TRUE(buildDeep(&root, &picture, QString::fromLatin1(c.type), *passage, c.shape, c.depth, {},
                              c.blendMode, 100));
        ASSERT_EQ(root.setUp(&picture), 0);
        root.sortForRender();
        expectRendersOrRefuses(renderOnRenderThread(&root), true);
    }
}


// A node's preview samples on the GUI thread, outside any render: the preview of a deep stack of
// effects gives a picture or none (-1), never an overflow, before its first render and after one.
TEST(RenderStack, APreviewOfADeepStackNeverOverflows)
{
    const QImage picture = makeGradientImage(6, 5);
    const std::optional<Passage> passage = passageOf(QStringLiteral("operator.inversion"));
    ASSERT_TRUE(passage);
    for (bool rendered : {false, true}) {
        SCOPED_TRACE(rendered ? "after a render" : "before any render");
        VyxNodeGraph root;
        root.setRenderThreadCount(1);
        ASSERT_EQ(root.setUp(&picture), 0);
        // Under the sanitizers, whose frames are larger, a fifth as deep.
        ASSERT_TRUE(buildDeep(&root, &picture, QStringLiteral("operator.inversion"), *passage, Shape::Stack,
                              SanitizedSweep::pick(20000, 4000)));
        ASSERT_EQ(root.setUp(&picture), 0);
        if (rendered) {
            ASSERT_EQ(root.filter(nullptr), 0);
        }
        VyxNode const* last = nullptr;
        for (KelNodes::Node* node : root.nodes()) {
            if (auto const* effect = dynamic_cast<VyxNodeGraph const*>(node))
                last = effect;
        }
        ASSERT_NE(last, nullptr);
        int result = -2;
        QImage preview(4, 4, QImage::Format_ARGB32);
        std::unique_ptr<QThread> thread(QThread::create([&] { result = last->getPreview(&preview); }));
        // A small stack, so that the walk down the stack would overflow it.
        thread->setStackSize(uint(RenderStack::kReserveBytes + (std::size_t(128) << 10)));
        thread->start();
        thread->wait();
        EXPECT_TRUE(result == -1 || result == 0) << result;
        if (result == 0) {
            EXPECT_FALSE(preview.isNull());
        }
    }
}

} // namespace
} // namespace EffectTest
