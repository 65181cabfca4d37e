#include "EffectTestSupport.h"
#include "NodeSweep.h"

#include "effects/Base3DGeneratorNode.h"
#include "effects/NodeBlur.h"
#include "effects/NodeSharpen.h"
#include "effects/ParallelRows.h"
#include "effects/RenderThreadPool.h"
#include "effects/color/NodeAutolevels.h"
#include "nodes/NodeParameterContainer.h"
#include "params/ParameterContainer.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QRect>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace EffectTest;
using namespace KelVyxNodes;
using KelVyxTest::NodeSweep;

namespace {

QImage picture(int w, int h)
{
    return NodeSweep::largeTestImage(w, h);
}

// A graph built by `build` over its own copy of the picture, rendered at a thread count.
struct ParallelRendered
{
    ParallelRendered(QImage image, std::function<void(EffectHarness&)> const& build) : h(std::move(image))
    {
        build(h);
    }
    QImage render(int threads, KelUtils::StatusObserver* observer = nullptr)
    {
        h.graph()->setRenderThreadCount(threads);
        const int rc = h.render(observer);
        return rc == 0 ? h.result().copy() : QImage();
    }
    EffectHarness h;
};

NodeBlur* addBlur(EffectHarness& h, int radius)
{
    auto* blur = h.add<NodeBlur>();
    blur->paramContainer()->setIntParam(QStringLiteral("radius"), radius);
    return blur;
}

// source -> first -> second -> destination, through the colour terminals "in" / "out".
void chainOf(EffectHarness& h, KelNodes::Node* first, KelNodes::Node* second)
{
    EffectHarness::link(h.source(), QStringLiteral("rgb"), first, QStringLiteral("in"));
    EffectHarness::link(first, QStringLiteral("out"), second, QStringLiteral("in"));
    EffectHarness::link(second, QStringLiteral("out"), h.destination(), QStringLiteral("rgb"));
}

// The mean of the clipped box, worked out from the definition over a picture of colours.
QImage boxBlurOf(QImage const& in, int r)
{
    QImage out(in.size(), QImage::Format_ARGB32);
    for (int y = 0; y < in.height(); ++y) {
        for (int x = 0; x < in.width(); ++x) {
            long long s[3] = {0, 0, 0};
            long long n = 0;
            for (int v = std::max(0, y - r); v <= std::min(in.height() - 1, y + r); ++v) {
                for (int u = std::max(0, x - r); u <= std::min(in.width() - 1, x + r); ++u) {
                    const unsigned int c = in.pixel(u, v);
                    s[0] += (c >> 16) & 0xFF;
                    s[1] += (c >> 8) & 0xFF;
                    s[2] += c & 0xFF;
                    ++n;
                }
            }
            out.setPixel(x, y, 0xFF000000u | unsigned((s[0] + n / 2) / n) << 16
                                   | unsigned((s[1] + n / 2) / n) << 8 | unsigned((s[2] + n / 2) / n));
        }
    }
    return out;
}

// A colour generator that counts its samples. Once `gateAt` samples were taken, every sampling
// thread waits until the gate opens; after that, the render's helper threads (all but
// `coordinator`) wait until their run is cancelled, so that what happens after the
// cancellation does not depend on timing.
class GatedNode : public Base3DGeneratorNode
{
public:
    explicit GatedNode(int id)
        : Base3DGeneratorNode(id), m_container(QStringLiteral("test.gated"), QString(), this)
    {
        addTerminal(QStringLiteral("out"), 0, 5);
    }
    static inline KelNodes::NodeDescriptor m_descriptor{
        QStringLiteral("test.gated"), QUuid(QStringLiteral("{4d2c1b0a-1111-4a2b-8c3d-0000000000a1}")),
        QStringLiteral("Gated"), QString(), nullptr};
    KelNodes::NodeParameterContainer* paramContainer() override { return &m_container; }
    KelNodes::NodeParameterContainer const* paramContainer() const override { return &m_container; }
    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }
    unsigned int getSample3(QPoint const& p) const override
    {
        const long long n = samples.fetch_add(1) + 1;
        if (gateAt > 0 && n >= gateAt) {
            std::unique_lock<std::mutex> lock(m_lock);
            if (!reached) {
                reached = true;
                m_changed.notify_all();
            }
            m_changed.wait(lock, [this] { return open; });
            lock.unlock();
            while (std::this_thread::get_id() != coordinator && !ParallelRows::cancelRequested())
                std::this_thread::yield();
        }
        return unsigned(p.x() * 3 + p.y()) & 0xFFFFFFu;
    }
    void waitUntilReached()
    {
        std::unique_lock<std::mutex> lock(m_lock);
        m_changed.wait(lock, [this] { return reached; });
    }
    void openGate()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        open = true;
        m_changed.notify_all();
    }
    KelNodes::NodeParameterContainer m_container;
    long long gateAt = 0;
    std::thread::id coordinator;
    mutable std::atomic<long long> samples{0};

private:
    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    mutable bool reached = false;
    bool open = false;
};

// Cancellation asked for by another thread; progress recorded by the rendering thread.
class RemoteCancel : public CountingObserver
{
public:
    bool cancelationRequested() override
    {
        ++cancelQuestions;
        return cancel.load();
    }
    std::atomic<bool> cancel{false};
};

} // namespace

// ------------------------------------------------------------------------------ row scheduler

TEST(ParallelRows, EveryRowOnceOnAnyNumberOfThreads)
{
    for (int rows : {1, 2, 7, 64, 1000}) {
        for (int threads : {1, 2, 3, 4, 8, 33}) {
            std::vector<std::atomic<int>> done(static_cast<size_t>(rows));
            std::atomic<int> badWorker{0};
            const int workers = ParallelRows::workerCount(rows, threads);
            EXPECT_LE(workers, std::min(rows, threads));
            EXPECT_EQ(ParallelRows::run(rows, threads, [&](int row, int worker) {
                done[size_t(row)].fetch_add(1);
                if (worker < 0 || worker >= workers)
                    badWorker.fetch_add(1);
            }, nullptr, false), 0);
            for (int row = 0; row < rows; ++row)
                ASSERT_EQ(done[size_t(row)].load(), 1) << rows << " rows, " << threads << " threads, row " << row;
            EXPECT_EQ(badWorker.load(), 0);
            EXPECT_EQ(RenderThreadPool::instance().busyThreads(), 0);
        }
    }
    EXPECT_EQ(ParallelRows::run(0, 4, [](int, int) { FAIL(); }, nullptr, true), 0);
}

// Progress and cancellation look the same as on one thread: one fraction per row, the same
// single-precision values, the question before the first row and after every reported one.
TEST(ParallelRows, ProgressAndCancellationAsOnOneThread)
{
    CountingObserver one;
    CountingObserver four;
    ASSERT_EQ(ParallelRows::run(50, 1, [](int, int) {}, &one, true), 0);
    ASSERT_EQ(ParallelRows::run(50, 4, [](int, int) {}, &four, true), 0);
    EXPECT_EQ(four.fractions, one.fractions);
    EXPECT_EQ(four.secondFractions, four.fractions);
    EXPECT_EQ(one.cancelQuestions, 50);
    EXPECT_EQ(four.cancelQuestions, 50);
    EXPECT_NEAR(four.fractions.last(), 1.0, 1e-5);

    // CountingObserver cancels once `cancelAtRow` fractions were reported (it needs an
    // operationStarted first, as the row loop makes).
    for (int threads : {1, 4}) {
        CountingObserver cancelled;
        cancelled.operationStarted(1.0);
        cancelled.cancelAtRow = 7;
        std::atomic<int> rowsDone{0};
        EXPECT_EQ(ParallelRows::run(50, threads, [&](int, int) { rowsDone.fetch_add(1); }, &cancelled, true), -1);
        EXPECT_EQ(cancelled.fractions.size(), 7);
        EXPECT_GE(rowsDone.load(), 7);
        EXPECT_EQ(RenderThreadPool::instance().busyThreads(), 0);
    }

    // Without progress the questions are asked all the same.
    CountingObserver quiet;
    quiet.cancelNow = true;
    std::atomic<int> rowsDone{0};
    EXPECT_EQ(ParallelRows::run(50, 4, [&](int, int) { rowsDone.fetch_add(1); }, &quiet, false), -1);
    EXPECT_EQ(rowsDone.load(), 0);
    EXPECT_TRUE(quiet.fractions.isEmpty());
}

TEST(RenderThreadCount, DefaultsToEveryCoreAndFollowsTheTopLevelGraph)
{
    EffectHarness h;
    EXPECT_EQ(h.graph()->renderThreadCount(), 0);
    EXPECT_EQ(h.graph()->renderThreads(), RenderThreadPool::coreCount());
    VyxNodeGraph* sub = h.graph()->addSubGraph(-1);
    ASSERT_NE(sub, nullptr);
    h.graph()->setRenderThreadCount(3);
    EXPECT_EQ(sub->renderThreads(), 3);
    h.graph()->setRenderThreadCount(-5);
    EXPECT_EQ(h.graph()->renderThreadCount(), 0);
    h.graph()->setRenderThreadCount(1 << 20);
    EXPECT_EQ(h.graph()->renderThreadCount(), RenderThreadPool::maxThreads());
}

// ------------------------------------------------------------------------------ whole renders

// Chains of nodes that keep running state over rows, at one thread and at four.
TEST(ParallelRender, ChainsGiveTheSameBytesOnOneAndFourThreads)
{
    const QImage input = picture(61, 47);
    const std::vector<std::pair<const char*, std::function<void(EffectHarness&)>>> chains = {
        {"blur into blur", [](EffectHarness& h) { chainOf(h, addBlur(h, 3), addBlur(h, 7)); }},
        {"sharpen into blur", [](EffectHarness& h) { chainOf(h, h.add<NodeSharpen>(), addBlur(h, 4)); }},
        {"blur into sharpen", [](EffectHarness& h) { chainOf(h, addBlur(h, 2), h.add<NodeSharpen>()); }},
        {"Autolevels over blur", [](EffectHarness& h) {
             NodeBlur* blur = addBlur(h, 5);
             auto* levels = h.add<NodeAutolevels>();
             EffectHarness::link(h.source(), QStringLiteral("rgb"), blur, QStringLiteral("in"));
             EffectHarness::link(blur, QStringLiteral("out"), levels, QStringLiteral("in"));
             EffectHarness::link(levels, QStringLiteral("rgb"), h.destination(), QStringLiteral("rgb"));
         }},
    };
    for (auto const& chain : chains) {
        SCOPED_TRACE(chain.first);
        ParallelRendered graph(input, chain.second);
        const QImage one = graph.render(1);
        ASSERT_FALSE(one.isNull());
        EXPECT_TRUE(graph.render(4) == one);
        EXPECT_TRUE(graph.render(4) == one) << "second render on the same pool";
        ParallelRendered fresh(input, chain.second);
        EXPECT_TRUE(fresh.render(4) == one);
    }

    // And the blur chain is the box mean of the box mean, as worked out from the definition.
    ParallelRendered twice(input, [](EffectHarness& h) { chainOf(h, addBlur(h, 3), addBlur(h, 7)); });
    const QImage expected = boxBlurOf(boxBlurOf(input, 3), 7);
    const QImage got = twice.render(4);
    for (int y = 0; y < input.height(); ++y) {
        for (int x = 0; x < input.width(); ++x)
            ASSERT_EQ(got.pixel(x, y) & 0xFFFFFFu, expected.pixel(x, y) & 0xFFFFFFu) << x << "," << y;
    }
}

// A render after a change never sees values of the render before (the memos are per render).
TEST(ParallelRender, ChangedRadiusOnTheSamePoolRendersAfresh)
{
    const QImage input = picture(53, 41);
    NodeBlur* blur = nullptr;
    ParallelRendered graph(input, [&](EffectHarness& h) { chainOf(h, addBlur(h, 2), blur = addBlur(h, 3)); });
    const QImage first = graph.render(4);
    ASSERT_FALSE(first.isNull());
    blur->paramContainer()->setIntParam(QStringLiteral("radius"), 9);
    const QImage second = graph.render(4);
    ParallelRendered fresh(input, [](EffectHarness& h) { chainOf(h, addBlur(h, 2), addBlur(h, 9)); });
    EXPECT_TRUE(second == fresh.render(1));
    EXPECT_FALSE(second == first);

    // New picture contents, same size: nothing of the old picture survives either.
    graph.h.image() = picture(53, 41).mirrored(true, false);
    ParallelRendered mirrored(graph.h.image(), [](EffectHarness& h) { chainOf(h, addBlur(h, 2), addBlur(h, 9)); });
    EXPECT_TRUE(graph.render(4) == mirrored.render(1));
}

// Two graphs rendered at the same time from two threads, sharing the pool (as the main render
// and a template icon render do).
TEST(ParallelRender, TwoGraphsAtOnceFromTwoThreads)
{
    const QImage input = picture(90, 70);
    auto buildA = [](EffectHarness& h) { chainOf(h, addBlur(h, 6), h.add<NodeSharpen>()); };
    auto buildB = [](EffectHarness& h) {
        NodeBlur* blur = addBlur(h, 11);
        auto* levels = h.add<NodeAutolevels>();
        EffectHarness::link(h.source(), QStringLiteral("rgb"), blur, QStringLiteral("in"));
        EffectHarness::link(blur, QStringLiteral("out"), levels, QStringLiteral("in"));
        EffectHarness::link(levels, QStringLiteral("rgb"), h.destination(), QStringLiteral("rgb"));
    };
    const QImage expectedA = ParallelRendered(input, buildA).render(1);
    const QImage expectedB = ParallelRendered(input, buildB).render(1);
    ParallelRendered a(input, buildA);
    ParallelRendered b(input, buildB);
    for (int round = 0; round < 5; ++round) {
        QImage gotA;
        QImage gotB;
        std::thread first([&] { gotA = a.render(4); });
        std::thread second([&] { gotB = b.render(3); });
        first.join();
        second.join();
        EXPECT_TRUE(gotA == expectedA) << "round " << round;
        EXPECT_TRUE(gotB == expectedB) << "round " << round;
    }
    EXPECT_EQ(RenderThreadPool::instance().busyThreads(), 0);
}

// A long render cancelled from another thread returns -1, reports no more progress, and none
// of its workers samples anything once it has returned.
TEST(ParallelRender, CancelFromAnotherThreadStopsEveryWorker)
{
    EffectHarness h(makeImage(64, 2000));
    auto* gated = h.add<GatedNode>();
    h.output(gated, QStringLiteral("out"));
    gated->gateAt = 64 * 20; // the first 20 rows' worth of samples, then every thread waits
    h.graph()->setRenderThreadCount(4);

    RemoteCancel observer;
    int result = 1;
    std::thread render([&] {
        gated->coordinator = std::this_thread::get_id();
        result = h.render(&observer);
    });
    gated->waitUntilReached();
    observer.cancel = true;
    gated->openGate();
    render.join();

    EXPECT_EQ(result, -1);
    EXPECT_TRUE(h.result().isNull());
    EXPECT_EQ(observer.completedCalls, 0);
    EXPECT_LT(observer.fractions.size(), 2000);
    EXPECT_EQ(RenderThreadPool::instance().busyThreads(), 0);
    // The rows in progress at the gate are finished, none is started after the cancellation.
    const long long samples = gated->samples.load();
    EXPECT_LT(samples, 64ll * (20 + 4 + 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(gated->samples.load(), samples) << "a worker sampled after the render returned";

    // The graph renders completely afterwards.
    observer.cancel = false;
    gated->gateAt = -1;
    EXPECT_EQ(h.render(&observer), 0);
    EXPECT_EQ(h.rgb(5, 300), unsigned(5 * 3 + 300));
}

// Progress as the row loop reports it on one thread: the same fractions in the same order,
// and a cancellation before row k leaves exactly k fractions.
TEST(ParallelRender, ProgressOfTheRowLoopMatchesOneThread)
{
    const QImage input = picture(20, 33);
    auto build = [](EffectHarness& h) { chainOf(h, addBlur(h, 1), h.add<NodeSharpen>()); };
    ParallelRendered one(input, build);
    ParallelRendered four(input, build);
    CountingObserver o1;
    CountingObserver o4;
    ASSERT_FALSE(one.render(1, &o1).isNull());
    ASSERT_FALSE(four.render(4, &o4).isNull());
    EXPECT_EQ(o4.fractions, o1.fractions);
    EXPECT_EQ(o4.fractions.size(), 33);
    EXPECT_EQ(o4.completedCalls, 2);
    EXPECT_EQ(o4.operationCalls, 1);

    CountingObserver cancelled;
    cancelled.cancelAtRow = 5;
    EXPECT_TRUE(four.render(4, &cancelled).isNull());
    EXPECT_EQ(cancelled.fractions.size(), 5);
    EXPECT_EQ(cancelled.completedCalls, 0);
}

// Source straight into destination: rows are copied, with the bytes the per-pixel loop gives
// (alpha from the picture, opaque without an alpha link or channel, grey outside a selection).
TEST(ParallelRender, PlainGraphCopiesRowsWithTheLoopsBytes)
{
    const QImage argb = picture(31, 19);
    const QRect rect(QPoint(3, 2), QPoint(27, 17));
    std::vector<unsigned char> mask(size_t(31 * 19));
    for (size_t i = 0; i < mask.size(); ++i)
        mask[i] = i % 5 == 1 ? 0 : 1;
    for (QImage::Format format : {QImage::Format_ARGB32, QImage::Format_RGB32}) {
        for (bool alphaLinked : {true, false}) {
            for (bool selected : {false, true}) {
                SCOPED_TRACE(testing::Message() << "format " << int(format) << " alpha " << alphaLinked
                                                << " selection " << selected);
                EffectHarness h(argb.convertToFormat(format));
                if (!alphaLinked)
                    h.destination()->terminal(1)->disconnectAll();
                h.graph()->setRenderThreadCount(4);
                ASSERT_EQ(h.graph()->setUp(&h.image(), selected ? mask.data() : nullptr, selected ? &rect : nullptr), 0);
                ASSERT_EQ(h.graph()->filter(nullptr), 0);
                const QRect area = selected ? rect : h.image().rect();
                ASSERT_EQ(h.result().size(), area.size());
                for (int y = area.top(); y <= area.bottom(); ++y) {
                    for (int x = area.left(); x <= area.right(); ++x) {
                        const unsigned int in = h.image().pixel(x, y);
                        const bool hasAlpha = format == QImage::Format_ARGB32 && alphaLinked;
                        unsigned int expected = (hasAlpha ? in & 0xFF000000u : 0xFF000000u) | (in & 0xFFFFFFu);
                        if (selected && mask[size_t(y * 31 + x)] == 0)
                            expected = 0x00808080u;
                        ASSERT_EQ(h.result().pixel(x - area.left(), y - area.top()), expected) << x << "," << y;
                    }
                }
            }
        }
    }
}
