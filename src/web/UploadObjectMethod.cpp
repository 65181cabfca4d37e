#include "web/UploadObjectMethod.h"

UploadObjectMethod::UploadObjectMethod(QObject* parent) : AbstractUploadMethod(QStringLiteral("object"), parent) {}

QString UploadObjectMethod::methodName() const
{
    return QStringLiteral("upload_object");
}
