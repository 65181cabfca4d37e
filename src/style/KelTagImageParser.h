#pragma once

#include "style/KelTagParser.h"

// "image": "name", optionally below the folder stored under the key "prefix" in the resources folder; without a prefix a relative name is taken from the current directory (which an include moves). Read as every picture from outside is, by RasterPictureReader.
class KelTagImageParser : public KelTagParser
{
public:
    QVariant parse(XmlStanza const& element, KelStyleConfig const& config) override;
};
