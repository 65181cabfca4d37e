// A node that runs out of memory while it is prepared or while rows are rendered, on the calling
// thread or a helper: the render fails with a message to the observer instead of ending the
// program, nothing of it is left behind, and the next render works. A node that gives up while
// it is prepared is named.

#include "DeepGraphs.h"
#include "EffectTestSupport.h"
#include "EngineTestNodes.h"

#include "nodes/Node.h"
#include "params/ParameterContainer.h"

#include "effects/RowSweepHint.h"
#include "effects/VyxNodeGraph.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <stdexcept>

using namespace KelVyxNodes;

namespace EffectTest {
namespace {

enum class Throw { Never, OnPrepare, OnRow, OtherOnRow };

class ThrowingInvertNode : public InvertNode
{
public:
    explicit ThrowingInvertNode(int id) : InvertNode(id) {}
    int onFilterStart(KelUtils::StatusObserver* observer) override
    {
        if (when == Throw::OnPrepare)
            throw std::bad_alloc();
        return InvertNode::onFilterStart(observer);
    }
    unsigned int getSample3(QPoint const& p) const override
    {
        // A row well inside the picture, so that helpers reach it as well as the caller.
        if (p.y() == throwRow && when == Throw::OnRow)
            throw std::bad_alloc();
        if (p.y() == throwRow && when == Throw::OtherOnRow)
            throw std::runtime_error("broken plug-in");
        return InvertNode::getSample3(p);
    }
    std::atomic<Throw> when{Throw::Never};
    int throwRow = 0;
};

class FailureObserver : public CountingObserver
{
public:
    void failed(QString const& reason) override { reasons.append(reason); }
    QStringList reasons;
};

TEST(RenderFailure, AThrowingNodeFailsTheRenderWithAMessageAndTheNextRenderWorks)
{
    for (int threads : {1, 4}) {
        for (Throw when : {Throw::OnPrepare, Throw::OnRow, Throw::OtherOnRow}) {
            for (int row : {0, 17, 47}) {
                SCOPED_TRACE(testing::Message() << "threads " << threads << " case " << int(when) << " row " << row);
                EffectHarness h(makeGradientImage(64, 48));
                h.graph()->setRenderThreadCount(threads);
                auto* node = h.add<ThrowingInvertNode>();
                h.chain(node, "in", "out");
                ASSERT_EQ(h.render(), 0);
                const QImage expected = h.result().copy();

                node->throwRow = row;
                node->when = when;
                FailureObserver observer;
                EXPECT_EQ(h.render(&observer), -1);
                EXPECT_TRUE(h.result().isNull());
                ASSERT_EQ(observer.reasons.size(), 1);
                EXPECT_FALSE(observer.reasons.front().isEmpty());
                if (when == Throw::OtherOnRow)
                    EXPECT_TRUE(observer.reasons.front().contains(QStringLiteral("broken plug-in")));
                else
                    EXPECT_TRUE(observer.reasons.front().contains(QStringLiteral("memory")));
                EXPECT_EQ(observer.completedCalls, 0);
                // The calling thread is not left walking a row.
                EXPECT_EQ(RowSweepHint::current(), RowSweepHint::kNone);

                node->when = Throw::Never;
                ASSERT_EQ(h.render(), 0);
                EXPECT_EQ(h.result(), expected);
            }
        }
    }
}

// An Equalize node without input gives up while it is prepared: inside a nested effect, the one
// reason the render fails with names it, and no effect around it is named again.
TEST(RenderFailure, ANodeThatGivesUpWhileItIsPreparedIsNamed)
{
    EffectHarness h(makeGradientImage(16, 12));
    KelVyxNodes::VyxNodeGraph* outer = h.graph()->addSubGraph(-1);
    ASSERT_EQ(outer->setUp(&h.image()), 0);
    KelVyxNodes::VyxNodeGraph* inner = outer->addSubGraph(-1);
    ASSERT_EQ(inner->setUp(&h.image()), 0);
    KelNodes::Node* equalize = inner->addNode(QStringLiteral("operator.equalize"), -1);
    ASSERT_NE(equalize, nullptr);
    ASSERT_EQ(equalize->connect(QStringLiteral("rgb"), inner->destinationNode(), QStringLiteral("rgb")), 0);
    ASSERT_EQ(outer->sourceNode()->connect(QStringLiteral("rgb"), inner, QStringLiteral("rgbIn")), 0);
    ASSERT_EQ(inner->connect(QStringLiteral("rgbOut"), outer->destinationNode(), QStringLiteral("rgb")), 0);
    h.chain(outer, QStringLiteral("rgbIn"), QStringLiteral("rgbOut"));

    FailureObserver observer;
    MessageCapture capture;
    EXPECT_EQ(h.render(&observer), -1);
    EXPECT_EQ(observer.reasons.join(" | ").toStdString(), "the node \"Equalize\" could not be prepared for rendering");
    EXPECT_TRUE(capture.contains(QStringLiteral("failed"))) << "a failure is logged";
}

// Twenty stacked effects, each rotating its input, render without a failure: nothing is logged.
// Cancelled while the nodes are prepared or while rows are rendered, they log the cancel as any
// render does, and give no reason, so that the window says only that the render was cancelled.
TEST(RenderFailure, TwentyStackedRotatesRenderWithoutAFailure)
{
    const LevelNode rotate{QStringLiteral("operator.rotate"), Passage{QStringLiteral("rgbIn"), QStringLiteral("rgbOut"), 4},
                           [](KelNodes::Node* node) {
                               ASSERT_EQ(node->paramContainer()->setIntParam(QStringLiteral("rotateAngle"), 30), 0);
                           }};
    enum class Cancel { Never, WhilePrepared, InTheRows };
    for (Cancel cancel : {Cancel::Never, Cancel::WhilePrepared, Cancel::InTheRows}) {
        SCOPED_TRACE(int(cancel));
        EffectHarness h(makeGradientImage(64, 48));
        ASSERT_TRUE(buildDeep(h.graph(), &h.image(), {rotate}, Shape::Stack, 20));
        FailureObserver observer;
        observer.cancelNow = cancel == Cancel::WhilePrepared;
        observer.cancelAtRow = cancel == Cancel::InTheRows ? 5 : -1;
        MessageCapture capture;
        EXPECT_EQ(h.render(&observer), cancel == Cancel::Never ? 0 : -1);
        EXPECT_EQ(observer.reasons.join(" | ").toStdString(), "");
        if (cancel == Cancel::Never)
            EXPECT_EQ(capture.messages().join(" | ").toStdString(), "");
        if (cancel == Cancel::InTheRows)
            EXPECT_GT(observer.operationCalls, 0) << "the rows had begun";
    }
}

} // namespace
} // namespace EffectTest
