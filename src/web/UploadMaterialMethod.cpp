#include "web/UploadMaterialMethod.h"

UploadMaterialMethod::UploadMaterialMethod(QObject* parent) : AbstractUploadMethod(QStringLiteral("material"), parent) {}

QString UploadMaterialMethod::methodName() const
{
    return QStringLiteral("upload_material");
}
