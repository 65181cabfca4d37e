#include "web/SearchNLPExtensionMethod.h"

SearchNLPExtensionMethod::SearchNLPExtensionMethod(QObject* parent) : AbstractSearchMethod(parent) {}

QString SearchNLPExtensionMethod::methodName() const
{
    return QStringLiteral("search_nlp_extensions");
}
