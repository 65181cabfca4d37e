#include "web/TwCheckUserAccountDialog.h"

#include "ui_TwCheckUserAccountDialog.h"

#include "web/TwKeyring.h"

#include <QSettings>
#include <QSignalBlocker>

TwCheckUserAccountDialog::TwCheckUserAccountDialog(QWidget* parent, TwKeyring* keyring)
    : QDialog(parent), ui(std::make_unique<Ui::CheckUserAccountDialog>()), m_keyring(keyring)
{
    ui->setupUi(this);
}

TwCheckUserAccountDialog::~TwCheckUserAccountDialog() = default;

QLineEdit* TwCheckUserAccountDialog::userEdit() const
{
    return ui->userEdit;
}

QLineEdit* TwCheckUserAccountDialog::passwordEdit() const
{
    return ui->passwordEdit;
}

QCheckBox* TwCheckUserAccountDialog::rememberAccountCheckBox() const
{
    return ui->rememberAccountCheckBox;
}

void TwCheckUserAccountDialog::setRememberUnavailable(QString const& reason)
{
    QSignalBlocker const blocker(ui->rememberAccountCheckBox);
    ui->rememberAccountCheckBox->setChecked(false);
    ui->rememberAccountCheckBox->setEnabled(false);
    ui->rememberAccountCheckBox->setToolTip(
        tr("The account cannot be remembered: no system keyring is reachable to keep the "
           "password safely (%1).")
            .arg(reason.isEmpty() ? tr("no reason given") : reason));
}

void TwCheckUserAccountDialog::on_rememberAccountCheckBox_toggled(bool checked)
{
    if (checked)
        return;
    ui->userEdit->clear();
    ui->passwordEdit->clear();
    QSettings settings;
    settings.remove(QStringLiteral("UserAccount::Login"));
    settings.remove(QStringLiteral("UserAccount::Password"));
    if (m_keyring)
        m_keyring->removePassword();
}
