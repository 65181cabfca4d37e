#pragma once

#include <QString>
#include <QtGlobal>

class QDomElement;

namespace KelUtils {

// Numbers in XML attributes. Integers are signed decimal; floats are written in general notation
// with at most six significant digits ("0.1", "100", "1.23457e+06", "1e-07"), whatever the
// locale. Reading takes base-10 integers and decimal floats with a point; text that is not a
// number reads as 0.

QString formatXmlInt(qint64 value);
QString formatXmlUnsigned(quint64 value);
QString formatXmlFloat(double value);

// Overloads for code written once for int and float values.
inline QString formatXmlNumber(int value) { return formatXmlInt(value); }
inline QString formatXmlNumber(float value) { return formatXmlFloat(value); }

// Plain text conversions: not a number gives 0 and *ok false.
int parseXmlInt(QString const& text, bool* ok = nullptr);
unsigned parseXmlUnsigned(QString const& text, bool* ok = nullptr);
double parseXmlDouble(QString const& text, bool* ok = nullptr);

// Attribute readers. They return true and write out when the attribute is present and not
// empty; text that is not a number gives 0. A non-finite number ("nan", "inf", or a float
// beyond the float range) counts as absent: false, out untouched. Absent or empty: false, out
// untouched.
bool readXmlAttribute(QDomElement const& element, QString const& name, int& out);
bool readXmlAttribute(QDomElement const& element, QString const& name, unsigned& out);
bool readXmlAttribute(QDomElement const& element, QString const& name, float& out);
bool readXmlAttribute(QDomElement const& element, QString const& name, double& out);

// The same rules for attribute text already at hand ("" counts as absent).
bool readXmlNumber(QString const& text, int& out);
bool readXmlNumber(QString const& text, unsigned& out);
bool readXmlNumber(QString const& text, float& out);
bool readXmlNumber(QString const& text, double& out);

} // namespace KelUtils
