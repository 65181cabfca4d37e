#include "style/KelTagPenParser.h"

#include "style/XmlStanza.h"

QVariant KelTagPenParser::parse(XmlStanza const& element, KelStyleConfig const&)
{
    return readPen(element);
}

QVariant KelTagPenParser::readPen(XmlStanza const& element)
{
    const QVariant color = readColor(element);
    if (!color.isValid())
        return QVariant();
    // Qt 6 pens start at width 1; the style file's pens are cosmetic unless they say otherwise.
    QPen pen(color.value<QColor>(), 0);

    XmlAttributes const& attrs = element.tag().attrs();
    const QString style = attrs.value(QStringLiteral("style"));
    if (!style.isEmpty()) {
        if (style == QLatin1String("solid"))
            pen.setStyle(Qt::SolidLine);
        else if (style == QLatin1String("dash"))
            pen.setStyle(Qt::DashLine);
        else if (style == QLatin1String("dot"))
            pen.setStyle(Qt::DotLine);
        else if (style == QLatin1String("dashdot"))
            pen.setStyle(Qt::DashDotLine);
        else if (style == QLatin1String("dashdotdot"))
            pen.setStyle(Qt::DashDotDotLine);
        else
            return QVariant();
    }

    const QString widthText = attrs.value(QStringLiteral("width"));
    if (!widthText.isEmpty()) {
        bool ok = false;
        const int width = widthText.toInt(&ok, 10);
        // Qt ignores widths outside this range with a warning; such a pen is not what was asked.
        if (!ok || width < 0 || width >= (1 << 15))
            return QVariant();
        pen.setWidth(width);
    }
    return pen;
}
