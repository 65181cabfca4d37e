#pragma once

#include <QtGlobal>

// Pictures whose values are linear light (OpenEXR, Radiance HDR) as the common tools and viewers
// show them in 8 bits: colour through the sRGB transfer, alpha as it is.
class LinearLight
{
public:
    // The 8-bit sRGB value of a linear one, as OpenImageIO's conversion gives it: the transfer in
    // float, rounded to the nearest; 0 below 0 (and for NaN), 255 above 1.
    static unsigned char toSrgb8(float linear);
    // Converts `pixels` pixels of `channels` floats each into as many bytes. The channel `alpha`
    // (-1: none) is only scaled; the others go through the transfer, divided by alpha first where
    // `associated`, so that what comes out holds straight alpha.
    static void toDisplay(const float* in, qint64 pixels, int channels, int alpha, bool associated,
                          unsigned char* out);
};
