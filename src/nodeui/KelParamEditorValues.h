#pragma once

#include <QColor>

namespace KelUtils {
struct Color;
}

// Conversions between parameter values and the editors' widgets, shared by the panel and the
// single-parameter editor.
class KelParamEditorValues
{
public:
    KelParamEditorValues() = delete;

    // Spin boxes of float groups show this many decimals.
    static constexpr int FloatDecimals = 3;
    // Slider positions stay within +-SliderLimit, so that a slider's span fits an int.
    static constexpr int SliderLimit = 1000000000;

    // The swatch colour: gamma-encoded red, green and blue, alpha rounded (not gamma-encoded).
    static QColor toQColor(KelUtils::Color const& color);
    // Truncates toward zero and clamps into +-SliderLimit; not-a-number gives 0.
    static int sliderPosition(double scaled);
    // Slider position of a float value, the product in single precision.
    static int floatSliderPosition(float value);
    // Slider position of a float spin box value, the product in double precision.
    static int floatSliderPositionOfBox(double boxValue);
    // Whether a float box still shows the stored value (at the box's decimals): leaving such a
    // box must not write.
    static bool floatBoxShowsValue(float stored, double boxValue);
};
