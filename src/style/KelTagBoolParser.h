#pragma once

#include "style/KelTagParser.h"

// "bool": "value", one of twelve words in any letter case.
class KelTagBoolParser : public KelTagParser
{
public:
    QVariant parse(XmlStanza const& element, KelStyleConfig const& config) override;
};
