#include "web/DownloadMaterialMethod.h"

#include "web/ApiValue.h"

DownloadMaterialMethod::DownloadMaterialMethod(QObject* parent) : AbstractDownloadMethod(QStringLiteral("material"), parent) {}

QString DownloadMaterialMethod::methodName() const
{
    return QStringLiteral("download_material");
}

int DownloadMaterialMethod::userID() const
{
    return ApiValue::toInt(field(QStringLiteral("user_id")));
}

int DownloadMaterialMethod::views() const
{
    return ApiValue::toInt(field(QStringLiteral("views")));
}

QDateTime DownloadMaterialMethod::createdAt() const
{
    return ApiValue::toDateTime(field(QStringLiteral("created_at")));
}

QString DownloadMaterialMethod::createdBy() const
{
    return ApiValue::toText(field(QStringLiteral("created_by")));
}
