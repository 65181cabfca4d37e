#include "web/GetFirstNLPExtensionMethod.h"

GetFirstNLPExtensionMethod::GetFirstNLPExtensionMethod(QObject* parent) : AbstractNLPDownloadMethod(parent) {}

QString GetFirstNLPExtensionMethod::methodName() const
{
    return QStringLiteral("get_first_nlp_extension");
}
