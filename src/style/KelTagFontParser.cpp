#include "style/KelTagFontParser.h"

#include "style/XmlStanza.h"

#include <QFont>

QVariant KelTagFontParser::parse(XmlStanza const& element, KelStyleConfig const&)
{
    XmlAttributes const& attrs = element.tag().attrs();
    QFont font;

    const QString name = attrs.value(QStringLiteral("name"));
    if (!name.isEmpty())
        font.setFamily(name);

    const QString size = attrs.value(QStringLiteral("size"));
    if (!size.isEmpty()) {
        // Qt refuses sizes below 1 with a warning; the font keeps its size either way.
        const int pixels = size.toInt(nullptr, 10);
        if (pixels > 0)
            font.setPixelSize(pixels);
    }

    const QString type = attrs.value(QStringLiteral("type"));
    if (type.contains(QLatin1Char('b')))
        font.setWeight(QFont::Bold);
    if (type.contains(QLatin1Char('i')))
        font.setItalic(true);
    if (type.contains(QLatin1Char('u')))
        font.setUnderline(true);
    return font;
}
