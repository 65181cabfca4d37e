#include "style/KelTagSizeParser.h"

#include "style/XmlStanza.h"

#include <QSize>

QVariant KelTagSizeParser::parse(XmlStanza const& element, KelStyleConfig const&)
{
    XmlAttributes const& attrs = element.tag().attrs();
    const QString widthText = attrs.value(QStringLiteral("width"));
    const QString heightText = attrs.value(QStringLiteral("height"));
    if (widthText.isEmpty() || heightText.isEmpty())
        return QVariant();
    const QSize size(widthText.toInt(nullptr, 10), heightText.toInt(nullptr, 10));
    if (size.isNull())
        return QVariant();
    return size;
}
