#include "web/DownloadObjectMethod.h"

#include "web/ApiValue.h"

DownloadObjectMethod::DownloadObjectMethod(QObject* parent) : AbstractDownloadMethod(QStringLiteral("object"), parent) {}

QString DownloadObjectMethod::methodName() const
{
    return QStringLiteral("download_object");
}

int DownloadObjectMethod::userID() const
{
    return ApiValue::toInt(field(QStringLiteral("user_id")));
}

int DownloadObjectMethod::views() const
{
    return ApiValue::toInt(field(QStringLiteral("views")));
}

QDateTime DownloadObjectMethod::createdAt() const
{
    return ApiValue::toDateTime(field(QStringLiteral("created_at")));
}

QString DownloadObjectMethod::createdBy() const
{
    return ApiValue::toText(field(QStringLiteral("created_by")));
}
