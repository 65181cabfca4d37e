#pragma once

#include <QVariant>

class KelStyleConfig;
class XmlStanza;

// Reads one value element of the style file. Returns an invalid QVariant when the element
// yields no value; the reader then skips it (lenient) or fails the load (strict). Parsers hold
// no data and never report anything themselves.
class KelTagParser
{
public:
    KelTagParser() = default;
    KelTagParser(KelTagParser const&) = delete;
    KelTagParser& operator=(KelTagParser const&) = delete;
    virtual ~KelTagParser();

    // `config` is the store as filled so far, for elements that name other keys.
    virtual QVariant parse(XmlStanza const& element, KelStyleConfig const& config) = 0;
};
