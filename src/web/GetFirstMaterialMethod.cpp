#include "web/GetFirstMaterialMethod.h"

#include "web/ApiValue.h"

GetFirstMaterialMethod::GetFirstMaterialMethod(QObject* parent) : AbstractDownloadMethod(QStringLiteral("material"), parent) {}

QString GetFirstMaterialMethod::methodName() const
{
    return QStringLiteral("get_first_material");
}

int GetFirstMaterialMethod::materailCount() const
{
    return ApiValue::toInt(field(QStringLiteral("material_count")));
}
