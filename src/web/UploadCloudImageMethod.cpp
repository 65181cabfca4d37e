#include "web/UploadCloudImageMethod.h"

#include "web/WebServiceConfig.h"

UploadCloudImageMethod::UploadCloudImageMethod(QObject* parent) : AbstractApiMethod(parent)
{
    switchMultiPart(true);
    setTextParam(QStringLiteral("secret_token"),
                 QString::fromLatin1(WebServiceConfig::cloudImageToken()));
}

QString UploadCloudImageMethod::methodName() const
{
    return QStringLiteral("images");
}

void UploadCloudImageMethod::setSecretToken(QString const& value)
{
    setTextParam(QStringLiteral("secret_token"), value);
}

void UploadCloudImageMethod::setImageTitle(QString const& value)
{
    setTextParam(QStringLiteral("title"), value);
}

void UploadCloudImageMethod::setUserID(QString const& value)
{
    setTextParam(QStringLiteral("user_id"), value);
}

void UploadCloudImageMethod::setText(QString const& value)
{
    setTextParam(QStringLiteral("text"), value);
}

void UploadCloudImageMethod::setImage(QByteArray const& png)
{
    setFileParam(QStringLiteral("cloud_image"), png, QStringLiteral("image/png"));
}

void UploadCloudImageMethod::setLog(QString const& value)
{
    setTextParam(QStringLiteral("cloud_log"), value);
}
