#pragma once

#include "params/Color.h"

namespace KelUtils {

// One colour keyframe, owned by its colour parameter.
struct ColorKey
{
    int frame = 0;
    Color color;

    ColorKey() = default;
    ColorKey(int f, Color const& c) : frame(f), color(c) {}
};

} // namespace KelUtils
