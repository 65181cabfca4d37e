#pragma once

#include "effects/PerRenderThreadState.h"
#include "effects/SpanBuffer.h"

namespace KelVyxNodes {

class Base3DGenerator;

// The channels of the last span a split node's outputs asked for, per thread: a reader of
// the outputs asks each for the same span in turn, and each colour is converted once for all
// of them. Fresh for each render (startRender from the node's onFilterStart).
class SplitChannelSpans
{
public:
    static constexpr int kChannels = 3;
    // Fills channels[c][i] for c < kChannels from colours[i], i < count.
    using Convert = void (*)(unsigned int const* colours, int count, unsigned int* const* channels);

    explicit SplitChannelSpans(Convert convert) : m_convert(convert) {}

    void startRender() { m_state.startRender(); }

    // Channel `channel` of input's colours over the span (y, x .. x + count - 1).
    void channelSpan(Base3DGenerator const* input, int channel, int y, int x, int count, unsigned int* out) const;

private:
    struct State
    {
        int y = 0;
        int x = 0;
        int count = 0; // 0: nothing kept
        unsigned int channels[kChannels][SpanBuffer::kInline];
    };

    Convert m_convert;
    PerRenderThreadState<State> m_state;
};

} // namespace KelVyxNodes
