#include "web/GetNextMaterialMethod.h"

GetNextMaterialMethod::GetNextMaterialMethod(QObject* parent) : AbstractDownloadMethod(QStringLiteral("material"), parent) {}

QString GetNextMaterialMethod::methodName() const
{
    return QStringLiteral("get_next_material");
}

void GetNextMaterialMethod::setID(QString const& id)
{
    setTextParam(QStringLiteral("id"), id);
}
