#include "style/KelTagColorParser.h"

#include "style/XmlStanza.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

QList<int> decimalFields(QString const& text, int count)
{
    static const QRegularExpression separator(QStringLiteral("[,; ]"));
    const QStringList fields = text.split(separator, Qt::SkipEmptyParts);
    QList<int> values;
    for (int i = 0; i < count; ++i)
        values.append(i < fields.size() ? fields.at(i).toInt(nullptr, 10) : 0);
    return values;
}

// An out-of-range component gives an invalid colour, as Qt would, but without its warning.
QColor rgbColor(int red, int green, int blue, int alpha)
{
    for (int component : {red, green, blue, alpha}) {
        if (component < 0 || component > 255)
            return QColor();
    }
    return QColor(red, green, blue, alpha);
}

} // namespace

QVariant KelTagColorParser::parse(XmlStanza const& element, KelStyleConfig const&)
{
    return readColor(element);
}

QVariant KelTagColorParser::readColor(XmlStanza const& element)
{
    XmlAttributes const& attrs = element.tag().attrs();
    const QString type = attrs.value(QStringLiteral("type"));
    const QString rgba = attrs.value(QStringLiteral("rgba"));
    const QString rgb = attrs.value(QStringLiteral("rgb"));

    if (type.isEmpty() || type == QLatin1String("hex") || type == QLatin1String("name")) {
        const QString text = !rgba.isEmpty() ? rgba : rgb;
        if (text.isEmpty())
            return QVariant();
        // An unknown name is an invalid colour, and still a value.
        return QColor::fromString(text);
    }
    if (type == QLatin1String("dec")) {
        if (!rgba.isEmpty())
            return parseRgbaDec(rgba);
        if (!rgb.isEmpty())
            return parseRgbDec(rgb);
        return QVariant();
    }
    return QVariant();
}

QColor KelTagColorParser::parseRgbaDec(QString const& text)
{
    const QList<int> v = decimalFields(text, 4);
    return rgbColor(v[0], v[1], v[2], v[3]);
}

QColor KelTagColorParser::parseRgbDec(QString const& text)
{
    const QList<int> v = decimalFields(text, 3);
    return rgbColor(v[0], v[1], v[2], 255);
}
