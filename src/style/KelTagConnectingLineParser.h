#pragma once

#include "style/KelTagParser.h"

// "connect_line": "arrow_size", "arc_radius", "topbottom", "top_horisontal" and "pen" children named "pen_arrow" or "pen_line". Always a value. Nothing reads a stored curve back.
class KelTagConnectingLineParser : public KelTagParser
{
public:
    QVariant parse(XmlStanza const& element, KelStyleConfig const& config) override;
};
