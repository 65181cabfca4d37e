#pragma once

#include "params/Color.h"

namespace KelVyxNodes {

// One colour stop of a multi-stop gradient: a linear-light colour, a position on the 0..100
// scale and a key that orders stops of equal position (gradient nodes pass the stop's index).
class VyxGradientPoint
{
public:
    VyxGradientPoint(KelUtils::Color color, int position, int key)
        : m_color(color), m_position(position), m_key(key) {}

    // Position first, then key: the order a gradient keeps its stops in.
    bool operator<(VyxGradientPoint const& other) const
    {
        return m_position < other.m_position
               || (m_position == other.m_position && m_key < other.m_key);
    }
    bool operator<(int position) const { return m_position < position; }
    bool operator>(int position) const { return m_position > position; }
    // Stops at the same place compare equal, whatever their key and colour.
    bool operator==(VyxGradientPoint const& other) const { return m_position == other.m_position; }

    int pos() const { return m_position; }
    int key() const { return m_key; }
    KelUtils::Color const& linearColor() const { return m_color; }

    // The stop as 0xAARRGGBB: channels trunc(pow(c, 1 / 2.2) * 255.999), alpha rounded.
    unsigned int color() const;

private:
    KelUtils::Color m_color;
    int m_position;
    int m_key;
};

} // namespace KelVyxNodes
