#include "web/GetNextObjectMethod.h"

GetNextObjectMethod::GetNextObjectMethod(QObject* parent) : AbstractDownloadMethod(QStringLiteral("object"), parent) {}

QString GetNextObjectMethod::methodName() const
{
    return QStringLiteral("get_next_object");
}

void GetNextObjectMethod::setID(QString const& id)
{
    setTextParam(QStringLiteral("id"), id);
}
