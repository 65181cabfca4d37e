#pragma once

#include "effects/Base1DGenerator.h"
#include "effects/SpanBuffer.h"

#include <algorithm>

namespace KelVyxNodes {

// A setting over a span: ofByte of each byte of the input linked to it, else its parameter's
// value everywhere. Read once per span, so the per-point loop does not ask for the link.
template <class T, class OfByte>
void settingSpan(Base1DGenerator const* input, T setting, int y, int x, int count, T* out, OfByte ofByte)
{
    if (!input) {
        std::fill(out, out + count, setting);
        return;
    }
    SpanBuffer bytes(count);
    input->getSpan(y, x, count, bytes.data());
    for (int i = 0; i < count; ++i)
        out[i] = ofByte(bytes[i] & 0xFFu);
}

} // namespace KelVyxNodes
