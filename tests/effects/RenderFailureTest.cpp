// A node that runs out of memory while it is prepared or while rows are rendered, on the calling
// thread or a helper: the render fails with a message to the observer instead of ending the
// program, nothing of it is left behind, and the next render works.

#include "EffectTestSupport.h"
#include "EngineTestNodes.h"

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

} // namespace
} // namespace EffectTest
