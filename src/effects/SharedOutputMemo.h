#pragma once

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/PerRenderThreadState.h"
#include "effects/RowMemo.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace KelUtils {
class StatusObserver;
}

namespace KelVyxNodes {

// Stands in front of a node output that several inputs read, that a reader samples around each
// point (noise reduction, the kernels, chromatic aberration), or that lies deep below its
// readers: a stage of the render (RenderStages). Filled, it holds the output's value at every
// point of the image (all 32 bits), made on the render threads before anything reads it, so the
// node behind is evaluated once per point and render and no read inside the image goes further
// down. Points outside the image, and every point while the stage is not filled (before its
// turn, beyond the memory budget, a preview), are asked of the node behind through a per-thread
// memo of the last rows (RowMemo; values above 24 bits are not kept there). Values are handed
// through unchanged either way. Made and owned by the output's node (VyxNode::sharedOutput).
class SharedOutputMemo : public Base1DGenerator, public Base3DGenerator
{
public:
    SharedOutputMemo(Base1DGenerator const* channel, Base3DGenerator const* colour)
        : m_channel(channel), m_colour(colour)
    {
    }

    Base1DGenerator const* channelSource() const { return m_channel; }
    Base3DGenerator const* colourSource() const { return m_colour; }

    // Starts a render over an image of width x height (before any sampling thread runs).
    void startRender(int width, int height)
    {
        m_width.store(width, std::memory_order_relaxed);
        m_height.store(height, std::memory_order_relaxed);
        m_memo.startRender();
    }

    // Bytes a filled store takes for the current image.
    std::size_t storeBytes() const;
    // Computes every point of the image into the store on `threads` threads, row by row, asking
    // the observer about cancellation after every row. 1 when filled, 0 when the store cannot
    // be had (reads stay on the row memo), -1 when cancelled (nothing is kept). `spare`, when
    // given, is a store of storeBytes() another stage gave back: its pages are taken already,
    // where a new one would fault every page in again.
    int fill(int threads, KelUtils::StatusObserver* observer, std::unique_ptr<std::uint32_t[]> spare = nullptr);
    bool filled() const { return m_filled.load(std::memory_order_acquire); }
    // Gives back the store and every thread's rows; reads go to the node behind again. Only
    // while no thread samples. The store is handed over.
    std::unique_ptr<std::uint32_t[]> release();

    unsigned int getSample(QPoint const& point) const override;
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    // Which render's stage list holds this memo, and at which place (RenderStages).
    unsigned long long stageSerial = 0;
    int stageIndex = -1;

private:
    RowMemo& memo() const;
    std::uint32_t const* storedRow(int y) const;
    void computeSpan(int y, int x, int count, unsigned int* out) const;

    Base1DGenerator const* m_channel;
    Base3DGenerator const* m_colour;
    std::atomic<int> m_width{0};
    std::atomic<int> m_height{0};
    PerRenderThreadState<RowMemo> m_memo;
    std::unique_ptr<std::uint32_t[]> m_store;
    int m_storeWidth = 0;
    int m_storeHeight = 0;
    std::atomic<bool> m_filled{false};
};

} // namespace KelVyxNodes
