#include "params/XmlNumbers.h"

#include <QDomElement>

#include <charconv>
#include <cmath>
#include <limits>

namespace KelUtils {

namespace {

// Text such as "nan", "inf" or "1e999": a number, but not a finite one.
bool isNonFiniteNumber(QString const& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (ok)
        return !std::isfinite(value);
    // Qt reports an overflowing literal as not ok but returns an infinity.
    return std::isinf(value);
}

} // namespace

QString formatXmlInt(qint64 value)
{
    return QString::number(value);
}

QString formatXmlUnsigned(quint64 value)
{
    return QString::number(value);
}

QString formatXmlFloat(double value)
{
    // std::to_chars is locale-independent and matches printf's "%.6g".
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::general, 6);
    if (result.ec != std::errc())
        return QStringLiteral("0");
    return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

int parseXmlInt(QString const& text, bool* ok)
{
    bool valid = false;
    const int value = text.toInt(&valid, 10);
    if (ok)
        *ok = valid;
    return valid ? value : 0;
}

unsigned parseXmlUnsigned(QString const& text, bool* ok)
{
    bool valid = false;
    const unsigned value = text.toUInt(&valid, 10);
    if (ok)
        *ok = valid;
    return valid ? value : 0u;
}

double parseXmlDouble(QString const& text, bool* ok)
{
    // QString::toDouble always reads the C locale's form (a point, optional exponent).
    bool valid = false;
    const double value = text.toDouble(&valid);
    if (ok)
        *ok = valid;
    return valid ? value : 0.0;
}

bool readXmlNumber(QString const& text, int& out)
{
    if (text.isEmpty())
        return false;
    bool ok = false;
    const int value = parseXmlInt(text, &ok);
    if (!ok && isNonFiniteNumber(text))
        return false;
    out = value;
    return true;
}

bool readXmlNumber(QString const& text, unsigned& out)
{
    if (text.isEmpty())
        return false;
    bool ok = false;
    const unsigned value = parseXmlUnsigned(text, &ok);
    if (!ok && isNonFiniteNumber(text))
        return false;
    out = value;
    return true;
}

bool readXmlNumber(QString const& text, double& out)
{
    if (text.isEmpty() || isNonFiniteNumber(text))
        return false;
    out = parseXmlDouble(text);
    return true;
}

bool readXmlNumber(QString const& text, float& out)
{
    double value = 0.0;
    if (!readXmlNumber(text, value))
        return false;
    // Beyond the float range the value would become infinite (and the conversion is undefined).
    if (std::fabs(value) > double(std::numeric_limits<float>::max()))
        return false;
    out = float(value);
    return true;
}

bool readXmlAttribute(QDomElement const& element, QString const& name, int& out)
{
    return readXmlNumber(element.attribute(name), out);
}

bool readXmlAttribute(QDomElement const& element, QString const& name, unsigned& out)
{
    return readXmlNumber(element.attribute(name), out);
}

bool readXmlAttribute(QDomElement const& element, QString const& name, float& out)
{
    return readXmlNumber(element.attribute(name), out);
}

bool readXmlAttribute(QDomElement const& element, QString const& name, double& out)
{
    return readXmlNumber(element.attribute(name), out);
}

} // namespace KelUtils
