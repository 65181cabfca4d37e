#pragma once

namespace KelVyxNodes {

// A hue travelling on a one-channel terminal is a byte: degrees scaled by 0.71031 (single
// precision), rounded half up. Stored graphs carry these bytes, so the scale and the rounding
// must stay exactly as they are.

// Degrees 0..359, or -1 for a grey, to the byte 0..255 (a grey gives 0, 359 gives 255).
int hueToByte(int degrees);
// The byte (low 8 bits of a sample are expected; anything else is held) back to degrees 0..359.
int byteToHue(int byte);

} // namespace KelVyxNodes
