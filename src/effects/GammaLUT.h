#pragma once

namespace KelVyxNodes {

// A levels table: 256 output bytes indexed by an input channel value, built once per render
// so that sampling needs no power per pixel.
struct GammaLUT
{
    // The exponent last computed; -1 until the table is first filled.
    double exponent = -1.0;
    unsigned char table[256] = {};
};

// Fills the table: each input is stretched from black..white onto 0..255 (as
// linearCorrectionOneChannel does) and raised to the exponent of gamma (-100..100; negative
// darkens, positive brightens). Equal white and black give an all-zero table.
void initGammaLUT(int white, int black, int gamma, GammaLUT& lut);

} // namespace KelVyxNodes
