#include "web/SearchMaterialsMethod.h"

SearchMaterialsMethod::SearchMaterialsMethod(QObject* parent) : AbstractSearchMethod(parent) {}

QString SearchMaterialsMethod::methodName() const
{
    return QStringLiteral("search_materials");
}
