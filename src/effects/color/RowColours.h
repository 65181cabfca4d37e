#pragma once

#include "effects/Base3DGenerator.h"
#include "effects/SpanBuffer.h"

#include <algorithm>

namespace KelVyxNodes {

// Hands visit(colour) every colour of row y of input, x = 0 .. width - 1 in order, asked for in
// spans (the statistics scans read whole rows).
template<class Visit>
void visitRowColours(Base3DGenerator const* input, int y, int width, Visit&& visit)
{
    unsigned int span[SpanBuffer::kInline];
    for (int x = 0; x < width; x += SpanBuffer::kInline) {
        const int count = std::min(SpanBuffer::kInline, width - x);
        input->getSpan3(y, x, count, span);
        for (int i = 0; i < count; ++i)
            visit(span[i]);
    }
}

} // namespace KelVyxNodes
