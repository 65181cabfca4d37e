#include "web/TwCheckUserAccountDialog.h"

#include "ui_TwCheckUserAccountDialog.h"

#include "app/ShownText.h"
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
    // The keyring's words come from outside: plain text, cut.
    ui->rememberAccountCheckBox->setToolTip(ShownText::toolTip(
        tr("The account cannot be remembered: no system keyring is reachable to keep the "
           "password safely (%1).")
            .arg(reason.isEmpty() ? tr("no reason given") : ShownText::name(reason))));
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
