#include "web/SearchObjectsMethod.h"

SearchObjectsMethod::SearchObjectsMethod(QObject* parent) : AbstractSearchMethod(parent) {}

QString SearchObjectsMethod::methodName() const
{
    return QStringLiteral("search_objects");
}
