#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

// The reply conversions the service accessors read with: those of the classic variant, made
// explicit because Qt 6 differs (a string's toByteArray is UTF-8 there, and a variant holding a
// null string is not null). Every conversion of a value of another kind gives the empty value.
namespace ApiValue {

QVariantMap toMap(QVariant const& value);
QVariantList toList(QVariant const& value);
// A string unchanged, a number as its text, true and false as "true" and "false"; else empty.
QString toText(QVariant const& value);
// The text read as a decimal integer (0 when it is not one); true gives 1.
int toInt(QVariant const& value);
float toFloat(QVariant const& value);
// ISO 8601, date and time joined by T; else invalid.
QDateTime toDateTime(QVariant const& value);
// One byte per character of the text (Latin-1, "?" above U+00FF).
QByteArray toBytes(QVariant const& value);
// Present and not null: absent, null and "" are not.
bool isPresent(QVariant const& value);

} // namespace ApiValue
