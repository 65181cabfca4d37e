#include "web/AbstractSearchMethod.h"

#include "web/ApiValue.h"

AbstractSearchMethod::AbstractSearchMethod(QObject* parent) : AbstractApiMethod(parent) {}

void AbstractSearchMethod::setKeyWord(QString const& keyword)
{
    setTextParam(QStringLiteral("keyword"), keyword);
}

bool AbstractSearchMethod::atEnd() const
{
    return m_cursor == ApiValue::toList(result()).size();
}

QVariant AbstractSearchMethod::elementField(QString const& field) const
{
    QVariantList const list = ApiValue::toList(result());
    if (m_cursor < 0 || m_cursor >= list.size())
        return QVariant();
    return ApiValue::toMap(list.at(m_cursor)).value(field);
}

QString AbstractSearchMethod::version() const
{
    return ApiValue::toText(elementField(QStringLiteral("version")));
}

QString AbstractSearchMethod::uuid() const
{
    return ApiValue::toText(elementField(QStringLiteral("uuid")));
}

QString AbstractSearchMethod::name() const
{
    return ApiValue::toText(elementField(QStringLiteral("name")));
}
