#pragma once

#include "style/KelTagParser.h"

// "size": "width" and "height", both required, not both 0.
class KelTagSizeParser : public KelTagParser
{
public:
    QVariant parse(XmlStanza const& element, KelStyleConfig const& config) override;
};
