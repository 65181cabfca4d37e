#pragma once

#include "style/KelTagParser.h"

// "font": "name" (family), "size" (pixels), "type" (letters b, i, u). Always a value.
class KelTagFontParser : public KelTagParser
{
public:
    QVariant parse(XmlStanza const& element, KelStyleConfig const& config) override;
};
