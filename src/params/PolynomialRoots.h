#pragma once

// Real roots of quadratics and of real polynomials up to degree 8.

namespace KelUtils {

struct CplxNum
{
    double re = 0.0;
    double im = 0.0;
};

// Real roots of a*x^2 + b*x + c, with r1 <= r2; returns how many (0, 1 or 2). A single root is
// written to both r1 and r2. With a = 0 the equation is solved as linear (one root when b is
// non-zero); with a = b = 0 there is no isolated root and the result is 0. Non-finite input
// gives 0. Outputs are untouched when the result is 0.
int findQuadraticZeros(float a, float b, float c, float& r1, float& r2);
// The same for x^2 + b*x + c.
int findMonicQuadraticZeros(float b, float c, float& r1, float& r2);

// Real roots of the polynomial of the given degree (1..8) whose degree + 1 coefficients run
// from the highest power down to the constant term. Roots are written ascending; roots closer
// than 0.0005 (or than 1/2000 of their size) count once, at their mean. Returns the number of
// roots written, or -1 when the arguments are unusable (degree out of range, leading
// coefficient zero, a non-finite coefficient, null pointers) or the search does not converge;
// roots holds room for `degree` floats and its content is unspecified after -1.
int findPolyZeros(int degree, float const* coeffs, float* roots);

} // namespace KelUtils
