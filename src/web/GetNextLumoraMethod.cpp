#include "web/GetNextLumoraMethod.h"

GetNextLumoraMethod::GetNextLumoraMethod(QObject* parent) : AbstractDownloadMethod(QStringLiteral("lumora"), parent) {}

QString GetNextLumoraMethod::methodName() const
{
    return QStringLiteral("get_next_lumora");
}

void GetNextLumoraMethod::setID(QString const& id)
{
    setTextParam(QStringLiteral("id"), id);
}
