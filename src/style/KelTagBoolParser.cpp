#include "style/KelTagBoolParser.h"

#include "style/XmlStanza.h"

QVariant KelTagBoolParser::parse(XmlStanza const& element, KelStyleConfig const&)
{
    XmlAttributes const& attrs = element.tag().attrs();
    if (!attrs.has(QStringLiteral("value")))
        return QVariant();
    const QString word = attrs.value(QStringLiteral("value")).toLower();
    for (char const* yes : {"true", "1", "yes", "on", "enabled", "enable"}) {
        if (word == QLatin1String(yes))
            return true;
    }
    for (char const* no : {"0", "false", "no", "off", "disabled", "disable"}) {
        if (word == QLatin1String(no))
            return false;
    }
    return QVariant();
}
