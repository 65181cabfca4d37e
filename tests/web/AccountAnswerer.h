#pragma once

// Answers the account dialog when it is the active modal window: records what it showed, fills
// it in and accepts it (or cancels).

#include "web/TwCheckUserAccountDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTimer>
#include <QToolTip>

struct AccountShown
{
    QString login;
    QString password;
    bool rememberChecked = false;
    bool rememberEnabled = true;
    QString rememberToolTip;
};

class AccountAnswerer : public QObject
{
public:
    AccountAnswerer(QString login, QString password, bool remember, bool accept = true)
        : m_login(std::move(login)), m_password(std::move(password)), m_remember(remember),
          m_accept(accept)
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

    QList<AccountShown> shown;

private:
    void poll()
    {
        auto* dialog = qobject_cast<TwCheckUserAccountDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || dialog->property("answered").toBool())
            return;
        dialog->setProperty("answered", true);
        shown.append({dialog->userEdit()->text(), dialog->passwordEdit()->text(),
                      dialog->rememberAccountCheckBox()->isChecked(),
                      dialog->rememberAccountCheckBox()->isEnabled(),
                      dialog->rememberAccountCheckBox()->toolTip()});
        if (dialog->rememberAccountCheckBox()->isEnabled())
            dialog->rememberAccountCheckBox()->setChecked(m_remember);
        dialog->userEdit()->setText(m_login);
        dialog->passwordEdit()->setText(m_password);
        if (m_accept)
            dialog->accept();
        else
            dialog->reject();
    }

    QString m_login;
    QString m_password;
    bool m_remember;
    bool m_accept;
    QTimer m_timer;
};
