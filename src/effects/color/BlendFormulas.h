#pragma once

// The Blend node's nineteen modes: effect colours from a background and a foreground colour and
// the final mix by an 8-bit opacity. Separate from the effect graph's own blend of whole objects,
// which has eight modes and integer rounding of its own.
namespace KelVyxNodes::BlendFormulas {

// Ids of the "mode" list items.
enum Mode : int {
    Normal = 0,
    Darken,
    Multiply,
    ColorBurn,
    LinearBurn,
    Lighten,
    Screen,
    ColorDodge,
    LinearDodge,
    Overlay,
    SoftLight,
    HardLight,
    VividLight,
    LinearLight,
    Difference,
    Hue,
    Saturation,
    Color,
    Luminosity,
    ModeCount
};

// The stored (untranslated) item text of a mode 0..ModeCount - 1.
char const* itemName(int mode);

// Blends foreground over background (0x??RRGGBB, top bytes ignored) and returns 0x00RRGGBB.
// Opacity 0 gives the background, 255 the mode's effect colour; ids outside the list blend as
// Normal.
unsigned int blend(int mode, unsigned int background, unsigned int foreground, unsigned char opacity);
// Whether each result channel of the mode depends only on the same channel of background and
// foreground (all but the colour-model modes), so that a table of byte pairs holds it.
bool perChannel(int mode);

// The 8-bit opacity of a percentage: trunc(percent x 2.55), so 100 gives 254, not 255. Values
// outside 0..100 keep the low byte of that product; products beyond the int range saturate.
unsigned char opacityByte(int percent);

} // namespace KelVyxNodes::BlendFormulas
