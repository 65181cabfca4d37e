#include "web/GetFirstObjectMethod.h"

#include "web/ApiValue.h"

GetFirstObjectMethod::GetFirstObjectMethod(QObject* parent) : AbstractDownloadMethod(QStringLiteral("object"), parent) {}

QString GetFirstObjectMethod::methodName() const
{
    return QStringLiteral("get_first_object");
}

int GetFirstObjectMethod::objectCount() const
{
    return ApiValue::toInt(field(QStringLiteral("object_count")));
}
