#include "web/GetNextNLPExtensionMethod.h"

GetNextNLPExtensionMethod::GetNextNLPExtensionMethod(QObject* parent) : AbstractNLPDownloadMethod(parent) {}

QString GetNextNLPExtensionMethod::methodName() const
{
    return QStringLiteral("get_next_nlp_extension");
}

void GetNextNLPExtensionMethod::setId(QString const& value)
{
    setTextParam(QStringLiteral("id"), value);
}
