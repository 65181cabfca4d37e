#pragma once

#include "style/KelTagColorParser.h"

#include <QPen>

// "pen": the colour attributes of "color", plus "style" ("solid", "dash", "dot", "dashdot",
// "dashdotdot") and "width" (a whole number of pixels, 0 to 32767). Width 0 and solid by default.
class KelTagPenParser : public KelTagColorParser
{
public:
    QVariant parse(XmlStanza const& element, KelStyleConfig const& config) override;

    // The pen of an element; invalid QVariant for no value.
    static QVariant readPen(XmlStanza const& element);
};
