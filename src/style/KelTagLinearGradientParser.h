#pragma once

#include "style/KelTagParser.h"

// "linear_gradient": only the colour stops, one per "color" child with "at" and either "defined" (a complete key read from the store as filled so far) or the colour attributes. Readers set the geometry.
class KelTagLinearGradientParser : public KelTagParser
{
public:
    QVariant parse(XmlStanza const& element, KelStyleConfig const& config) override;
};
