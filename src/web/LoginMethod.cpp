#include "web/LoginMethod.h"

#include "web/ApiValue.h"

LoginMethod::LoginMethod(QObject* parent) : AbstractApiMethod(parent) {}

QString LoginMethod::methodName() const
{
    return QStringLiteral("get_user_session");
}

void LoginMethod::setLogin(QString const& login)
{
    setTextParam(QStringLiteral("login"), login);
}

void LoginMethod::setPassword(QString const& password)
{
    setTextParam(QStringLiteral("password"), password);
}

QVariant LoginMethod::userField(QString const& field) const
{
    return itemField(QStringLiteral("user"), field);
}

bool LoginMethod::hasUser() const
{
    return ApiValue::isPresent(resultValue(QStringLiteral("user")));
}

QString LoginMethod::email() const { return ApiValue::toText(userField(QStringLiteral("email"))); }
QString LoginMethod::postalCode() const { return ApiValue::toText(userField(QStringLiteral("postal_code"))); }
QString LoginMethod::country() const { return ApiValue::toText(userField(QStringLiteral("country"))); }
QString LoginMethod::name() const { return ApiValue::toText(userField(QStringLiteral("name"))); }
QString LoginMethod::city() const { return ApiValue::toText(userField(QStringLiteral("city"))); }

QDateTime LoginMethod::lastLoginAt() const
{
    return ApiValue::toDateTime(userField(QStringLiteral("last_login_at")));
}

QDateTime LoginMethod::currentLoginAt() const
{
    return ApiValue::toDateTime(userField(QStringLiteral("current_login_at")));
}

int LoginMethod::loginCount() const { return ApiValue::toInt(userField(QStringLiteral("login_count"))); }
int LoginMethod::userId() const { return ApiValue::toInt(userField(QStringLiteral("user_id"))); }

int LoginMethod::failedLoginCount() const
{
    return ApiValue::toInt(userField(QStringLiteral("failed_login_count")));
}
