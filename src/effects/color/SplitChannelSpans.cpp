#include "effects/color/SplitChannelSpans.h"

#include "effects/Base3DGenerator.h"

#include <algorithm>

namespace KelVyxNodes {

void SplitChannelSpans::channelSpan(Base3DGenerator const* input, int channel, int y, int x, int count,
                                    unsigned int* out) const
{
    State& state = m_state.local([](State& s) { s.count = 0; });
    unsigned int* channels[kChannels] = {state.channels[0], state.channels[1], state.channels[2]};
    if (state.count == count && state.y == y && state.x == x) {
        std::copy(channels[channel], channels[channel] + count, out);
        return;
    }
    // Longer spans than the row loop asks for go through in pieces, and are not kept.
    state.count = 0;
    for (int start = 0; start < count; start += SpanBuffer::kInline) {
        const int n = std::min(SpanBuffer::kInline, count - start);
        input->getSpan3(y, x + start, n, out + start);
        m_convert(out + start, n, channels);
        std::copy(channels[channel], channels[channel] + n, out + start);
    }
    if (count <= SpanBuffer::kInline) {
        state.y = y;
        state.x = x;
        state.count = count;
    }
}

} // namespace KelVyxNodes
