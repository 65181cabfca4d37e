#include "web/GetFirstLumoraMethod.h"

#include "web/ApiValue.h"

GetFirstLumoraMethod::GetFirstLumoraMethod(QObject* parent) : AbstractDownloadMethod(QStringLiteral("lu_mora"), parent) {}

QString GetFirstLumoraMethod::methodName() const
{
    return QStringLiteral("get_first_lumora");
}

int GetFirstLumoraMethod::objectCount() const
{
    return ApiValue::toInt(field(QStringLiteral("lu_mora_count")));
}
