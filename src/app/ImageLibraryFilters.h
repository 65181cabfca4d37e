#pragma once

#include "io/picture/ImageLibrary.h"

// The image library's one-call filters. Each changes an ARGB bitmap in place (other
// layouts give BadBitmap and stay untouched); alpha is kept, colour channels are filtered
// one by one, and neighbourhoods reaching past an edge repeat the edge pixel.
class ImageLibraryFilters
{
public:
    using Bitmap = ImageLibrary::Bitmap;
    using Error = ImageLibrary::Error;

    // Gaussian of a kernel `size` pixels wide (sigma half the radius); below 3 nothing changes.
    static Error gaussianBlur(Bitmap* bitmap, int size);
    // 3 x 3 mean, mixed with the original by `percentage` (0..100).
    static Error blur(Bitmap* bitmap, int percentage);
    // 3 x 3 binomial (1 2 1) smoothing, mixed with the original by `percentage`.
    static Error soften(Bitmap* bitmap, int percentage);
    // Mean of a `size` x `size` box; below 3 nothing changes.
    static Error average(Bitmap* bitmap, int size);
    // 3 x 3 median.
    static Error reduceNoise(Bitmap* bitmap);
    static Error embossMore(Bitmap* bitmap);
    static Error emboss(Bitmap* bitmap);
    static Error edgeDetectHeavy(Bitmap* bitmap);
    static Error edgeDetectMedium(Bitmap* bitmap);
    static Error edgeDetectLight(Bitmap* bitmap);
    static Error focusRestoration(Bitmap* bitmap);
    static Error enhanceFocus(Bitmap* bitmap);
    static Error enhanceDetail(Bitmap* bitmap);
    // Each channel stretched from its own darkest to its brightest value.
    static Error automaticLevels(Bitmap* bitmap);
    // Each channel mapped through its cumulative histogram.
    static Error equalize(Bitmap* bitmap);
    // All channels stretched alike from the darkest to the brightest value of any of them.
    static Error normalize(Bitmap* bitmap);
    // 255 * log(1 + v) / log(256).
    static Error logCorrection(Bitmap* bitmap);
    // All channels stretched alike by the channel mean's range, 0.5 % cut at either end.
    static Error automaticContrast(Bitmap* bitmap);

    // Kernel in rows, result = sum / divisor + offset, rounded half up and clamped.
    static Error convolve3x3(Bitmap* bitmap, const int (&kernel)[9], int divisor, int offset);
};
