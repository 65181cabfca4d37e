#include "nodeui/KelParamEditorValues.h"

#include "params/Color.h"

#include <QString>

#include <cmath>

QColor KelParamEditorValues::toQColor(KelUtils::Color const& color)
{
    using KelUtils::Color;
    return QColor(Color::encodeChannel(color.red, Color::InverseGamma),
                  Color::encodeChannel(color.green, Color::InverseGamma),
                  Color::encodeChannel(color.blue, Color::InverseGamma),
                  Color::encodeAlpha(color.alpha));
}

int KelParamEditorValues::sliderPosition(double scaled)
{
    if (std::isnan(scaled))
        return 0;
    if (scaled >= SliderLimit)
        return SliderLimit;
    if (scaled <= -SliderLimit)
        return -SliderLimit;
    return static_cast<int>(std::trunc(scaled));
}

int KelParamEditorValues::floatSliderPosition(float value)
{
    return sliderPosition(static_cast<double>(value * 100.0f));
}

int KelParamEditorValues::floatSliderPositionOfBox(double boxValue)
{
    return sliderPosition(boxValue * 100.0);
}

bool KelParamEditorValues::floatBoxShowsValue(float stored, double boxValue)
{
    const double shown = QString::number(static_cast<double>(stored), 'f', FloatDecimals).toDouble();
    return static_cast<float>(shown) == static_cast<float>(boxValue);
}
