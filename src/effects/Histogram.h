#pragma once

#include <cstdint>

namespace KelVyxNodes {

// Pixel counts per level of each colour channel, filled by its user (one scan per render).
struct Histogram
{
    Histogram()
    {
        for (int i = 0; i < 256; ++i) {
            red[i] = 0;
            green[i] = 0;
            blue[i] = 0;
        }
    }

    std::int32_t red[256];
    std::int32_t green[256];
    std::int32_t blue[256];
};

} // namespace KelVyxNodes
