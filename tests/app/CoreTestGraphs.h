#pragma once

// Small effect graphs, images and render helpers for the core tests.

#include "app/InvertedColour.h"
#include "app/RenderStatus.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace CoreTest {

inline QImage solid(int w, int h, QRgb argb, QImage::Format format = QImage::Format_ARGB32)
{
    QImage image(w, h, format);
    image.fill(argb);
    return image;
}

using TestColours::inverted;

// A horizontal ramp, so that pixels differ from one another.
inline QImage ramp(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgba((x * 255) / qMax(1, w - 1), (y * 255) / qMax(1, h - 1), 90, 255));
    }
    return image;
}

// An effect sub-graph of `into`: source -> one node of `type` -> destination, through the
// node's terminals `in` and `out`. Left without an image.
inline KelVyxNodes::VyxNodeGraph* addEffect(KelVyxNodes::VyxNodeGraph* into,
                                            QString const& type = QStringLiteral("operator.inversion"),
                                            QString const& in = QStringLiteral("inRgb"),
                                            QString const& out = QStringLiteral("outRgb"))
{
    KelVyxNodes::VyxNodeGraph* effect = into->addSubGraph(-1);
    QImage bootstrap = solid(1, 1, 0);
    EXPECT_EQ(effect->setUp(&bootstrap), 0);
    KelNodes::Node* node = effect->addNode(type, -1);
    EXPECT_NE(node, nullptr);
    if (node) {
        EXPECT_EQ(effect->sourceNode()->connect(QStringLiteral("rgb"), node, in), 0);
        EXPECT_EQ(node->connect(out, effect->destinationNode(), QStringLiteral("rgb")), 0);
    }
    effect->setUp(nullptr);
    return effect;
}

// Starts the render the core was asked for, which otherwise waits in the event loop until the
// change that asked for it has returned; nothing else waiting there runs.
inline void startAskedRender(TwCore& core)
{
    QCoreApplication::sendPostedEvents(&core, QEvent::MetaCall);
}

// Slows the render thread down at every progress check, so that a render keeps running.
class SlowClock : public RenderStatus::Clock
{
public:
    explicit SlowClock(std::shared_ptr<std::atomic<int>> delayMs) : m_delayMs(std::move(delayMs)) {}
    void start() override {}
    qint64 elapsed() const override
    {
        QThread::msleep(m_delayMs->load());
        return 0;
    }

private:
    std::shared_ptr<std::atomic<int>> m_delayMs;
};

// Makes the core's renders slow (about `delayMs` per row) on a tall source image.
inline std::shared_ptr<std::atomic<int>> slowDown(TwCore& core, int delayMs = 2, int rows = 3000)
{
    auto delay = std::make_shared<std::atomic<int>>(delayMs);
    core.renderer()->status().setClock(std::make_unique<SlowClock>(delay));
    *core.sourceImage() = solid(8, rows, 0xFF102030u);
    return delay;
}

// Waits for the core's finished() signals until none came for `quietMs`; returns their number.
inline int waitForRenders(TwCore& core, int quietMs = 300, int timeoutMs = 20000)
{
    QSignalSpy spy(&core, &TwCore::finished);
    int total = 0;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (!spy.wait(quietMs)) {
            if (!core.renderer()->isRunning())
                break;
            continue;
        }
    }
    total = int(spy.count());
    return total;
}

} // namespace CoreTest
