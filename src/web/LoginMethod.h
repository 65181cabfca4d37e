#pragma once

#include "web/AbstractApiMethod.h"

#include <QDateTime>

// "get_user_session": sends a login name and password, reads back the account under "user".
class LoginMethod : public AbstractApiMethod
{
    Q_OBJECT

public:
    explicit LoginMethod(QObject* parent = nullptr);

    QString methodName() const override;

    void setLogin(QString const& login);
    void setPassword(QString const& password);

    // The reply holds a user that is not null (absent, null and "" are none).
    bool hasUser() const;
    QString email() const;
    QString postalCode() const;
    QString country() const;
    QString name() const;
    QString city() const;
    QDateTime lastLoginAt() const;
    QDateTime currentLoginAt() const;
    int loginCount() const;
    int userId() const;
    int failedLoginCount() const;

private:
    QVariant userField(QString const& field) const;
};
