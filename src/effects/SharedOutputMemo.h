#pragma once

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/PerRenderThreadState.h"
#include "effects/RowMemo.h"

#include <atomic>

namespace KelVyxNodes {

// Stands in front of a node output that several inputs read, or that a reader samples around
// each point (noise reduction, chromatic aberration): each thread keeps the values it asked
// for over the last rows (RowMemo), so the node behind is evaluated once per point and render
// instead of once per reader or tap. Values are handed through unchanged; one with bits above
// the low 24 is never kept. Made and owned by the output's node (VyxNode::sharedOutput).
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

    unsigned int getSample(QPoint const& point) const override;
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

private:
    RowMemo& memo() const;

    Base1DGenerator const* m_channel;
    Base3DGenerator const* m_colour;
    std::atomic<int> m_width{0};
    std::atomic<int> m_height{0};
    PerRenderThreadState<RowMemo> m_memo;
};

} // namespace KelVyxNodes
