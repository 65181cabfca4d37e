#pragma once

#include "style/KelTagParser.h"

#include <QColor>
#include <QString>

// "color": attributes "type" ("hex" or empty, "name", "dec"), "rgba" and "rgb"; "rgba" wins.
// Hex and name forms go to Qt's named-colour parser; "dec" holds base-10 fields separated by
// commas, semicolons or blanks. A colour Qt rejects is stored as an invalid colour.
class KelTagColorParser : public KelTagParser
{
public:
    QVariant parse(XmlStanza const& element, KelStyleConfig const& config) override;

    // The colour of an element's "type"/"rgba"/"rgb" attributes; invalid QVariant for no value.
    static QVariant readColor(XmlStanza const& element);

    // "r g b a": a missing field reads as 0 (so three fields give a transparent colour).
    static QColor parseRgbaDec(QString const& text);
    // "r g b", opaque.
    static QColor parseRgbDec(QString const& text);
};
