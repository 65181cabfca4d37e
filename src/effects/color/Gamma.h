#pragma once

class QPainterPath;

namespace KelVyxNodes {

// The exponent of a gamma slider value (-100..100, clamped): 100 / (100 - |g + 10|) below 0,
// 10 / (g + 10) above. The levels table maps the same slider by its own rule.
double gammaExpFrom(int gamma);

// A tone curve: the input window start..end stretched onto 0..1, raised to the exponent and
// mapped onto the output window minimum..maximum. Values are flipped (1 - m) so that they are
// downward y coordinates of the unit square, as a picture draws them.
class Gamma
{
public:
    // Each window is put in order, so swapped ends give the same window.
    Gamma(double exponent, double a, double b, double c, double d);

    double valueAt(double x) const;
    // The curve sampled at x = 0, 0.001, ..., 1 as a polyline in the unit square.
    QPainterPath path() const;

    double exponent() const { return m_exponent; }
    double start() const { return m_start; }
    double end() const { return m_end; }
    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }

private:
    double m_exponent;
    double m_start;
    double m_end;
    double m_minimum;
    double m_maximum;
};

} // namespace KelVyxNodes
