#include "web/DownloadLumoraMethod.h"

#include "web/ApiValue.h"

DownloadLumoraMethod::DownloadLumoraMethod(QObject* parent) : AbstractDownloadMethod(QStringLiteral("lumora"), parent) {}

QString DownloadLumoraMethod::methodName() const
{
    return QStringLiteral("download_lumora");
}

int DownloadLumoraMethod::userID() const
{
    return ApiValue::toInt(field(QStringLiteral("user_id")));
}

int DownloadLumoraMethod::views() const
{
    return ApiValue::toInt(field(QStringLiteral("views")));
}

QDateTime DownloadLumoraMethod::createdAt() const
{
    return ApiValue::toDateTime(field(QStringLiteral("created_at")));
}

QString DownloadLumoraMethod::createdBy() const
{
    return ApiValue::toText(field(QStringLiteral("created_by")));
}
