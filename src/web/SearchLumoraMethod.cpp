#include "web/SearchLumoraMethod.h"

SearchLumoraMethod::SearchLumoraMethod(QObject* parent) : AbstractSearchMethod(parent) {}

QString SearchLumoraMethod::methodName() const
{
    return QStringLiteral("search_lumora");
}
