#include "style/KelTagPrefixParser.h"

#include "style/XmlStanza.h"

QVariant KelTagPrefixParser::parse(XmlStanza const& element, KelStyleConfig const&)
{
    const QString path = element.tag().attrs().value(QStringLiteral("path"));
    if (path.isEmpty())
        return QVariant();
    return path;
}
