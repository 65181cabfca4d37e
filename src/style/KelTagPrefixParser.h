#pragma once

#include "style/KelTagParser.h"

// "prefix": the text of "path" as a string (a folder for "image" elements ends in "/").
class KelTagPrefixParser : public KelTagParser
{
public:
    QVariant parse(XmlStanza const& element, KelStyleConfig const& config) override;
};
