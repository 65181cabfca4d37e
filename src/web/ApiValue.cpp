#include "web/ApiValue.h"

namespace ApiValue {

QVariantMap toMap(QVariant const& value)
{
    return value.typeId() == QMetaType::QVariantMap ? value.toMap() : QVariantMap();
}

QVariantList toList(QVariant const& value)
{
    return value.typeId() == QMetaType::QVariantList ? value.toList() : QVariantList();
}

QString toText(QVariant const& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        return QString();
    }
}

int toInt(QVariant const& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? 1 : 0;
    bool ok = false;
    int const number = toText(value).toInt(&ok, 10);
    return ok ? number : 0;
}

float toFloat(QVariant const& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? 1.0f : 0.0f;
    bool ok = false;
    float const number = toText(value).toFloat(&ok);
    return ok ? number : 0.0f;
}

QDateTime toDateTime(QVariant const& value)
{
    if (value.typeId() != QMetaType::QString)
        return QDateTime();
    return QDateTime::fromString(value.toString(), Qt::ISODate);
}

QByteArray toBytes(QVariant const& value)
{
    return toText(value).toLatin1();
}

bool isPresent(QVariant const& value)
{
    if (!value.isValid())
        return false;
    if (value.typeId() == QMetaType::QString)
        return !value.toString().isEmpty();
    return true;
}

} // namespace ApiValue
