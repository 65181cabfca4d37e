#include "effects/color/VyxGradientPoint.h"

#include "effects/LinearColorBytes.h"

namespace KelVyxNodes {

unsigned int VyxGradientPoint::color() const
{
    const unsigned int alpha = KelUtils::Color::encodeAlpha(m_color.alpha);
    return alpha << 24 | linearColorToRgb(m_color);
}

} // namespace KelVyxNodes
