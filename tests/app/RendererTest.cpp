#include "AppTestSupport.h"
#include "CoreTestGraphs.h"

#include "app/Renderer.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeSubscriber.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

using KelVyxNodes::VyxNodeGraph;
using CoreTest::inverted;
using CoreTest::solid;

namespace {

// Rows of a render that the slow clock stretches to about twenty seconds; tests cancel it early.
constexpr int kLongRows = 4000;

// A clock that slows every progress check of the render thread down and says when the render
// has reached its row loop, so that a render lasts long enough to be caught while it runs.
struct RendererSlowClockState
{
    std::atomic<int> delayMs{0};
    std::atomic<int> calls{0};
    std::atomic<qint64> now{0};
    // Each render starts the clock: checks counted per render (up to four).
    std::atomic<int> renders{0};
    std::atomic<int> callsOfRender[4] = {0, 0, 0, 0};
};

class RendererSlowClock : public RenderStatus::Clock
{
public:
    explicit RendererSlowClock(std::shared_ptr<RendererSlowClockState> state) : m_state(std::move(state)) {}
    void start() override { m_state->renders.fetch_add(1); }
    qint64 elapsed() const override
    {
        m_state->calls.fetch_add(1);
        const int render = m_state->renders.load();
        if (render > 0 && render <= 4)
            m_state->callsOfRender[render - 1].fetch_add(1);
        if (const int delay = m_state->delayMs.load())
            QThread::msleep(delay);
        return m_state->now.load();
    }

private:
    std::shared_ptr<RendererSlowClockState> m_state;
};

// A real effect graph: source -> inversion -> destination.
class InvertingGraph
{
public:
    InvertingGraph()
    {
        QImage bootstrap(1, 1, QImage::Format_ARGB32);
        bootstrap.fill(0);
        // The type node first, then the ends: the node list starts out of evaluation order.
        KelNodes::Node* inversion = graph.addNode(QStringLiteral("operator.inversion"), -1);
        EXPECT_NE(inversion, nullptr);
        EXPECT_EQ(graph.setUp(&bootstrap), 0);
        EXPECT_EQ(graph.sourceNode()->connect(QStringLiteral("rgb"), inversion, QStringLiteral("inRgb")), 0);
        EXPECT_EQ(inversion->connect(QStringLiteral("outRgb"), graph.destinationNode(), QStringLiteral("rgb")), 0);
        graph.setUp(nullptr);
    }
    VyxNodeGraph graph;
};

// Records the thread of every node event.
class ThreadRecorder : public KelNodes::NodeSubscriber
{
public:
    void notify(KelNodes::Node*, Event event) override
    {
        events.append(event);
        threads.append(QThread::currentThread());
    }
    QList<int> events;
    QList<QThread*> threads;
};

class RendererTest : public ::testing::Test
{
protected:
    RendererTest()
    {
        renderer.status().setClock(std::make_unique<RendererSlowClock>(clock));
    }

    // Waits (running the event loop) until the render thread is in its row loop.
    bool waitUntilRowsRun()
    {
        return QTest::qWaitFor([this] { return clock->calls.load() > 0; }, 10000);
    }
    // Runs the event loop until the thread has stopped and posted events are delivered.
    void settle()
    {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !renderer.isRunning(); }, 30000));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    std::shared_ptr<RendererSlowClockState> clock = std::make_shared<RendererSlowClockState>();
    Renderer renderer;
    QSignalSpy finished{&renderer, &Renderer::renderFinished};
};

TEST_F(RendererTest, RendersTheGraphOffTheGuiThread)
{
    InvertingGraph g;
    ThreadRecorder recorder;
    recorder.subscribe(&g.graph);
    QImage source = solid(8, 6, 0xFF20A0F0u);
    QImage result;
    const quint64 generation = renderer.render(&source, &result, &g.graph);
    EXPECT_EQ(generation, renderer.generation());
    EXPECT_FALSE(renderer.completedSucceeded()) << "false from the hand-over on";
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(renderer.completedSucceeded());
    ASSERT_EQ(result.size(), source.size());
    EXPECT_EQ(result.pixel(3, 2), inverted(0xFF20A0F0u));
    // Set-up and sorting happened on this thread: the render thread publishes nothing.
    for (QThread* thread : std::as_const(recorder.threads))
        EXPECT_EQ(thread, QThread::currentThread());
    recorder.unsubscribe(&g.graph);
}

TEST_F(RendererTest, RenderDuringRenderGivesOneFinishedTheLatest)
{
    InvertingGraph g;
    // Long enough never to end on its own before the test catches it.
    QImage first = solid(32, kLongRows, 0xFF000000u);
    QImage second = solid(32, 400, 0xFF0080FFu);
    QImage result = solid(1, 1, 0xFFABCDEFu);
    clock->delayMs = 5;

    renderer.render(&first, &result, &g.graph);
    ASSERT_TRUE(waitUntilRowsRun());
    renderer.render(&second, &result, &g.graph);
    // The first run had stopped, long before its last row, when render() returned.
    const int rowsOfFirst = clock->callsOfRender[0].load();
    EXPECT_LT(rowsOfFirst, kLongRows - 100);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(result.size(), QSize(1, 1)) << "a cancelled render leaves the result alone";

    // The second render is slow too; the GUI thread stays free while it runs.
    EXPECT_TRUE(renderer.isRunning());
    EXPECT_FALSE(renderer.completedSucceeded());
    bool timerRan = false;
    QTimer::singleShot(0, [&] { timerRan = timerRan || renderer.isRunning(); });
    clock->delayMs = 1;
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_TRUE(timerRan);
    settle();
    EXPECT_EQ(clock->callsOfRender[0].load(), rowsOfFirst);
    EXPECT_GT(clock->callsOfRender[1].load(), 350) << "the second render ran to its end";
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(renderer.completedSucceeded());
    ASSERT_EQ(result.size(), second.size());
    EXPECT_EQ(result.pixel(10, 399), inverted(0xFF0080FFu));
}

TEST_F(RendererTest, CancelWaitsForTheThread)
{
    InvertingGraph g;
    QImage source = solid(16, kLongRows, 0xFF336699u);
    QImage result = solid(1, 1, 0xFF010203u);
    EXPECT_FALSE(renderer.cancel()) << "idle: nothing to cancel";

    clock->delayMs = 5;
    renderer.render(&source, &result, &g.graph);
    ASSERT_TRUE(waitUntilRowsRun());
    EXPECT_TRUE(renderer.cancel());
    EXPECT_FALSE(renderer.isRunning());
    EXPECT_TRUE(renderer.isFinished());
    EXPECT_FALSE(renderer.completedSucceeded());
    EXPECT_EQ(result.pixel(0, 0), 0xFF010203u);
    EXPECT_FALSE(renderer.cancel());

    // The cancelled run is still the latest one: its end is announced, as a failure.
    settle();
    EXPECT_EQ(finished.count(), 1);

    // The next render starts with the cancel flag clear.
    clock->delayMs = 0;
    renderer.render(&source, &result, &g.graph);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(renderer.completedSucceeded());
    EXPECT_EQ(result.pixel(5, 5), inverted(0xFF336699u));
}

TEST_F(RendererTest, AdvancedGenerationSilencesTheStoppedRun)
{
    InvertingGraph g;
    QImage source = solid(16, kLongRows, 0xFF336699u);
    QImage result;
    clock->delayMs = 5;
    const quint64 generation = renderer.render(&source, &result, &g.graph);
    ASSERT_TRUE(waitUntilRowsRun());
    ASSERT_TRUE(renderer.cancel());
    EXPECT_EQ(renderer.advanceGeneration(), generation + 1);
    EXPECT_EQ(renderer.generation(), generation + 1);
    settle();
    EXPECT_EQ(finished.count(), 0);
}

TEST_F(RendererTest, RefusedSetUpGivesOneQueuedFailure)
{
    InvertingGraph g;
    QImage good = solid(4, 4, 0xFF808080u);
    QImage result;
    renderer.render(&good, &result, &g.graph);
    ASSERT_TRUE(finished.wait(10000));
    ASSERT_TRUE(renderer.completedSucceeded());
    const QImage before = result;

    QImage rgb888 = solid(4, 4, 0xFF808080u, QImage::Format_RGB888);
    renderer.render(&rgb888, &result, &g.graph);
    EXPECT_FALSE(renderer.isRunning());
    EXPECT_FALSE(renderer.completedSucceeded());
    EXPECT_EQ(finished.count(), 1) << "queued, not emitted inside render()";
    settle();
    EXPECT_EQ(finished.count(), 2);
    EXPECT_EQ(result, before);

    // A missing result image is refused the same way.
    renderer.render(&good, nullptr, &g.graph);
    settle();
    EXPECT_EQ(finished.count(), 3);
    EXPECT_FALSE(renderer.completedSucceeded());
}

TEST_F(RendererTest, ProgressReachesTheGuiThreadQueued)
{
    InvertingGraph g;
    QImage source = solid(8, 200, 0xFF445566u);
    QImage result;
    // Every progress check finds a full 600 ms later.
    class SteppingClock : public RenderStatus::Clock
    {
    public:
        void start() override { m_now = 0; }
        qint64 elapsed() const override { return m_now += 600; }
    private:
        mutable std::atomic<qint64> m_now{0};
    };
    renderer.status().setClock(std::make_unique<SteppingClock>());
    QList<QThread*> threads;
    QList<int> values;
    QObject::connect(&renderer, &Renderer::progress, &renderer, [&](int percent) {
        threads.append(QThread::currentThread());
        values.append(percent);
    });
    renderer.render(&source, &result, &g.graph);
    ASSERT_TRUE(finished.wait(10000));
    settle();
    ASSERT_GE(values.size(), 50);
    for (int i = 1; i < values.size(); ++i)
        EXPECT_GT(values[i], values[i - 1]);
    for (QThread* thread : std::as_const(threads))
        EXPECT_EQ(thread, QThread::currentThread());
}

TEST(RendererLifetime, DestroyedWhileRunning)
{
    auto state = std::make_shared<RendererSlowClockState>();
    state->delayMs = 5;
    InvertingGraph g;
    QImage source = solid(16, kLongRows, 0xFF102030u);
    QImage result = solid(1, 1, 0xFF000000u);
    auto renderer = std::make_unique<Renderer>();
    renderer->status().setClock(std::make_unique<RendererSlowClock>(state));
    renderer->render(&source, &result, &g.graph);
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->calls.load() > 0; }, 10000));
    renderer.reset(); // cancels and waits
    const int callsAfter = state->calls.load();
    QCoreApplication::processEvents();
    QThread::msleep(30);
    EXPECT_EQ(state->calls.load(), callsAfter) << "the thread is gone";
    EXPECT_EQ(result.size(), QSize(1, 1));

    // The graph is whole and renders on this thread afterwards.
    ASSERT_EQ(g.graph.setUp(&source), 0);
    ASSERT_EQ(g.graph.filter(nullptr), 0);
    EXPECT_EQ(g.graph.resultImage().pixel(0, 0), inverted(0xFF102030u));
}

} // namespace
