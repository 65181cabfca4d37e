#pragma once

#include <QColor>

namespace TestColours {

// What the Inversion node makes of an opaque or translucent pixel: alpha kept.
inline QRgb inverted(QRgb argb)
{
    return (argb & 0xFF000000u) | (~argb & 0x00FFFFFFu);
}

} // namespace TestColours
