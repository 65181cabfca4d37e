#pragma once

#include <QDialog>

#include <memory>

class QCheckBox;
class QLineEdit;
class TwKeyring;

namespace Ui {
class CheckUserAccountDialog;
}

// Asks for the web-service account. Its widgets are read and written by the caller; unchecking
// "Remember account details" forgets the stored account at once (login setting and keyring
// entry), whichever button then closes the dialog.
class TwCheckUserAccountDialog : public QDialog
{
    Q_OBJECT

public:
    // keyring may be null (nothing to forget there).
    explicit TwCheckUserAccountDialog(QWidget* parent, TwKeyring* keyring = nullptr);
    ~TwCheckUserAccountDialog() override;

    // No keyring to remember the password in: the box is unchecked and disabled, with the reason.
    void setRememberUnavailable(QString const& reason);

    // The form's fields, which the caller fills before and reads after exec().
    QLineEdit* userEdit() const;
    QLineEdit* passwordEdit() const;
    QCheckBox* rememberAccountCheckBox() const;

protected slots:
    void on_rememberAccountCheckBox_toggled(bool checked);

private:
    std::unique_ptr<Ui::CheckUserAccountDialog> ui;
    TwKeyring* m_keyring;
};
