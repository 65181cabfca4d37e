#pragma once

#include "effects/GammaLUT.h"
#include "effects/Histogram.h"

// Value helpers that effect nodes call per pixel or once per render. Several node types must
// give identical bytes, so each function keeps a fixed order of floating-point operations,
// rounding and clamping; none keeps state, allocates or reports errors.
//
// Colours are 0xAARRGGBB. "Rounded half up" is KelUtils::roundHalfUp.

namespace KelVyxNodes {

// Maps value from lo..hi onto newLo..newHi (value clamped first), rounded half up, clamped
// to newLo..newHi. An empty source range (hi == lo) gives newLo.
int transformToNewBounds(int value, int lo, int hi, int newLo, int newHi);

// The same without rounding. A NaN value counts as lo; hi == lo gives newLo.
double transformToNewBounds(double value, double lo, double hi, double newLo, double newHi);

// Maps lo..hi onto 0..1 (value clamped first). Callers pass lo = 0, where this is
// value / hi; an empty or reversed range gives 0.
double transformToRealOne(int value, int lo, int hi);

// Maps 0..1 onto lo..hi (x clamped first, NaN as 0), rounded half up, clamped to lo..hi.
int transformFromRealOne(double x, int lo, int hi);

// Stretches red, green and blue from lo..hi onto 0..255; note the white point comes first.
// The result is opaque; hi == lo gives 0 (transparent black). The factor 255 / (hi - lo) is
// computed first and the product truncated, so some spans top out at 254.
unsigned int linearCorrection(unsigned int color, unsigned int hi, unsigned int lo);

// One channel of linearCorrection; hi == lo and hi < lo give 0.
unsigned char linearCorrectionOneChannel(unsigned char c, unsigned char hi, unsigned char lo);

// Logarithm of x to the base; base 1 gives 0. Domain errors give the IEEE result.
// Inside this namespace a one-argument log(x) is hidden by this one: write std::log.
double log(double x, double base);

double toRadians(double degrees);
double acosInAngle(double x);
double asinInAngle(double x);
double cosAtAngle(double degrees);
double sinAtAngle(double degrees);

// Linear mix a * (1 - t) + b * t, truncated (saturated at the int range, NaN gives 0).
int blendVal(int a, int b, double t);

// Channel-wise linear mix of two colours, truncated; the result is opaque. Meant for t in
// 0..1; outside it every channel is held to 0..255.
unsigned int blend(unsigned int a, unsigned int b, double t);

} // namespace KelVyxNodes
