#include "web/UploadLumoraMethod.h"

UploadLumoraMethod::UploadLumoraMethod(QObject* parent) : AbstractUploadMethod(QStringLiteral("lumora"), parent) {}

QString UploadLumoraMethod::methodName() const
{
    return QStringLiteral("upload_lumora");
}
