#include "web/TwWebUtilities.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/PlainTextWidgets.h"
#include "app/ModalWait.h"
#include "app/ShownText.h"
#include "app/TwCore.h"
#include "app/TwMainWindowInterface.h"
#include "app/TwTemplateContainer.h"
#include "io/RegularFileReader.h"
#include "web/ServiceFailureText.h"
#include "web/TwCheckUserAccountDialog.h"
#include "web/TwDatabaseDialog.h"
#include "web/TwKeyring.h"
#include "web/TwProgressDialog.h"
#include "web/WebServiceConfig.h"

#include <QBuffer>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QSettings>

#include <memory>

namespace {

QString loginKey()
{
    return QStringLiteral("UserAccount::Login");
}

QString oldPasswordKey()
{
    return QStringLiteral("UserAccount::Password");
}

// Shared with the keyring's answer, which may come after the wait was ended with Esc.
struct KeyringRead
{
    TwKeyring::ReadStatus status = TwKeyring::ReadStatus::Unavailable;
    QString password;
    QString reason;
    ModalWait wait;
};

} // namespace

TwWebUtilities::TwWebUtilities(TwCore* core, TwKeyring* keyring)
    : m_core(core), m_client(WebServiceConfig::baseUrl()), m_keyring(keyring)
{
    if (!m_keyring)
        m_keyring = TwKeyring::create(this);
    else if (!m_keyring->parent())
        m_keyring->setParent(this);
    connect(&m_login, &AbstractApiMethod::finished, this, &TwWebUtilities::loginMethodFinished);
    connect(&m_upload, &AbstractApiMethod::finished, this, &TwWebUtilities::uploadFinished);
    connect(&m_search, &AbstractApiMethod::finished, this, &TwWebUtilities::searchFinished);
    moveOldPassword();
}

TwWebUtilities::~TwWebUtilities()
{
    delete m_progress.data();
}

void TwWebUtilities::installAsWebFlows()
{
    TwWebFlows::setFactory([](TwCore* core) -> TwWebFlows* { return new TwWebUtilities(core); });
}

void TwWebUtilities::moveOldPassword()
{
    QSettings settings;
    if (!settings.contains(oldPasswordKey()))
        return;
    QString const password = settings.value(oldPasswordKey()).toString();
    // The plain-text copy goes once the keyring holds the password, or at once without a
    // keyring; a reachable keyring that refuses it leaves it where it is, so nothing is lost.
    QPointer<TwKeyring> keyring(m_keyring);
    m_keyring->readPassword([keyring, password](TwKeyring::ReadStatus status, QString, QString) {
        if (status == TwKeyring::ReadStatus::Unavailable) {
            QSettings().remove(oldPasswordKey());
            return;
        }
        if (!keyring)
            return;
        keyring->writePassword(password, [](bool stored, QString) {
            if (stored)
                QSettings().remove(oldPasswordKey());
        });
    });
}

QWidget* TwWebUtilities::dialogParent() const
{
    return m_core && m_core->mainWindow() ? m_core->mainWindow()->widget() : nullptr;
}

bool TwWebUtilities::stillThere() const
{
    return m_object && m_template && m_object->objectTemplate() == m_template.data();
}

bool TwWebUtilities::endIfGone()
{
    // The dialog or the object and its template went while the service answered: end quietly.
    if (m_progress && stillThere())
        return false;
    endUpload();
    emit uploadEnded();
    return true;
}

void TwWebUtilities::endUpload()
{
    delete m_progress.data();
    m_object = nullptr;
    m_template = nullptr;
}

void TwWebUtilities::cancelUpload()
{
    if (!m_progress)
        return;
    // Inside the dialog's own signal: it goes from the event loop.
    m_progress->deleteLater();
    m_progress = nullptr;
    m_client.dropAll();
    m_object = nullptr;
    m_template = nullptr;
    emit uploadEnded();
}

void TwWebUtilities::checkForTemplateUpdatesInDatabase(bool)
{
    TwDatabaseDialog dialog(dialogParent(), m_core);
    dialog.exec();
}

void TwWebUtilities::uploadTemplateToDatabase(KelNGObject* object)
{
    if (m_progress) {
        m_progress->raise();
        m_progress->activateWindow();
        return;
    }
    if (m_starting || !object || !object->objectTemplate())
        return;
    QScopedValueRollback<bool> const starting(m_starting, true);
    QPointer<KelNGObject> guardedObject(object);
    QPointer<KelTemplate> guardedTemplate(object->objectTemplate());

    // The stored password first: the dialog shows it, or says why it cannot remember one.
    auto read = std::make_shared<KeyringRead>();
    // A keyring may first ask the user to unlock it: Esc ends the wait and the upload.
    m_keyring->readPassword([read](TwKeyring::ReadStatus status, QString password, QString reason) {
        read->status = status;
        read->password = password;
        read->reason = reason;
        read->wait.end();
    });
    if (read->wait.exec() == ModalWait::Outcome::Escaped)
        return;

    TwCheckUserAccountDialog dialog(dialogParent(), m_keyring);
    bool const canRemember = read->status != TwKeyring::ReadStatus::Unavailable;
    if (!canRemember)
        dialog.setRememberUnavailable(read->reason);
    QSettings settings;
    if (settings.contains(loginKey())) {
        dialog.userEdit()->setText(settings.value(loginKey()).toString()); // plain field
        if (canRemember)
            dialog.rememberAccountCheckBox()->setChecked(true);
    }
    if (read->status == TwKeyring::ReadStatus::Found)
        dialog.passwordEdit()->setText(read->password); // plain field
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!guardedObject || !guardedTemplate || guardedObject->objectTemplate() != guardedTemplate)
        return;

    m_object = guardedObject;
    m_template = guardedTemplate;
    QString const login = dialog.userEdit()->text();
    QString const password = dialog.passwordEdit()->text();
    m_login.setLogin(login);
    m_login.setPassword(password);
    if (canRemember && dialog.rememberAccountCheckBox()->isChecked()) {
        settings.setValue(loginKey(), login);
        m_keyring->writePassword(password, {});
    }

    m_progress = new TwProgressDialog(dialogParent(), false);
    connect(m_progress, &QDialog::rejected, this, &TwWebUtilities::cancelUpload);
    m_progress->setWindowTitle(tr("Template Upload"));
    m_progress->show();
    m_progress->showStatus(tr("Verifying account..."));
    m_client.executeMethod(&m_login);
}

void TwWebUtilities::loginMethodFinished()
{
    if (!m_progress)
        return;
    if (endIfGone())
        return;
    if (m_login.hasFailed() && m_login.httpStatus() != 0) {
        // The service answered, but not with a verdict on the account: say what went wrong.
        endUpload();
        PlainTextWidgets::showMessage(QMessageBox::Warning, nullptr, tr("Template Upload"),
                                      tr("The account could not be checked on the template web "
                                         "service.\n\n%1")
                                          .arg(ServiceFailureText::of(m_login, m_login.hasUser())),
                                      QMessageBox::Ok);
        emit uploadEnded();
        return;
    }
    if (m_login.hasFailed() || !m_login.hasUser()) {
        QString text = tr("This combination of user name and password does not exist on the "
                          "template web service, or the internet connection is not working.");
        // No answer at all: why not.
        if (m_login.hasFailed())
            text += QStringLiteral("\n\n") + ServiceFailureText::of(m_login, false);
        endUpload();
        PlainTextWidgets::showMessage(QMessageBox::Warning, nullptr, tr("Wrong user name or password."), text,
                                      QMessageBox::Ok);
        emit uploadEnded();
        return;
    }
    m_userId = m_login.userId();
    m_search.setKeyWord(m_template->uuid());
    m_client.executeMethod(&m_search);
}

void TwWebUtilities::searchFinished()
{
    if (!m_progress)
        return;
    if (endIfGone())
        return;
    // A failed search is no empty one: the version check cannot be made.
    if (m_search.hasFailed()) {
        endUpload();
        PlainTextWidgets::showMessage(QMessageBox::Warning, nullptr, tr("Template Upload"),
                                      tr("The template could not be looked up on the template web "
                                         "service; nothing was uploaded.\n\n%1")
                                          .arg(ServiceFailureText::of(m_search, false)),
                                      QMessageBox::Ok);
        emit uploadEnded();
        return;
    }
    // The last hit decides.
    bool hit = false;
    QString hitName;
    QString hitVersion;
    for (m_search.first(); !m_search.atEnd(); m_search.next()) {
        hit = true;
        hitName = m_search.name();
        hitVersion = m_search.version();
    }
    if (hit && m_template->version().toDouble() <= hitVersion.toDouble()) {
        QString const title = ShownText::name(m_template->name()) + QLatin1Char(' ') + tr("Template");
        endUpload();
        PlainTextWidgets::showMessage(QMessageBox::Warning, nullptr, title,
                                      tr("A template (\"%1\") with the same UUID already exists in the "
                                         "database with the same or higher version number (%2).\n\n"
                                         "Please increase the version of the template before uploading.")
                                          .arg(ShownText::name(hitName), ShownText::name(hitVersion, 40)),
                                      QMessageBox::Ok);
        emit uploadEnded();
        return;
    }

    TwTemplateContainer* store = m_core ? m_core->templateStore() : nullptr;
    if (!store || !store->saveTemplate(m_object, false) || !stillThere()) {
        endUpload();
        emit uploadEnded();
        return;
    }
    QString const path = m_template->filePath();
    QByteArray xml;
    QString reason;
    if (!readTemplateFile(path, &xml, &reason)) {
        endUpload();
        PlainTextWidgets::showMessage(QMessageBox::Warning, nullptr, tr("Template Upload"),
                                      tr("The template file \"%1\" could not be read (%2).\n\n"
                                         "Nothing was uploaded.")
                                          .arg(path, reason),
                                      QMessageBox::Ok);
        emit uploadEnded();
        return;
    }

    m_progress->showStatus(tr("Generating icon..."));
    if (endIfGone())
        return;
    QByteArray icon;
    auto* temporary = new KelTemplate(path);
    if (store->loadObjectTemplate(temporary, nullptr)) {
        store->objectTemplateList.removeOne(temporary);
        QBuffer buffer(&icon);
        buffer.open(QIODevice::WriteOnly);
        temporary->objectIcon().save(&buffer, "PNG");
        temporary->deleteObjectInstance();
        delete temporary;
    }

    m_progress->showStatus(tr("Uploading the template to the web service..."));
    if (endIfGone())
        return;
    m_upload.setName(m_template->name());
    m_upload.setCreator(m_template->createdBy());
    m_upload.setUUID(m_template->uuid());
    m_upload.setVersion(m_template->version());
    m_upload.setXMLContent(xml);
    m_upload.setIcon(icon);
    m_upload.setUserID(QStringLiteral("%1").arg(m_userId));
    m_client.executeMethod(&m_upload);
}

bool TwWebUtilities::readTemplateFile(QString const& path, QByteArray* content, QString* reason)
{
    return KelUtils::RegularFileReader::read(path, KelUtils::RegularFileReader::MaxDocumentBytes,
                                             content, reason);
}

void TwWebUtilities::uploadFinished()
{
    if (!m_progress)
        return;
    endUpload();
    // A reply that names the item is no success when the call itself failed (an HTTP error, the
    // deadline, a refused reply).
    if (!m_upload.hasFailed() && m_upload.isSuccess()) {
        PlainTextWidgets::showMessage(
            QMessageBox::Information, nullptr, tr("Upload Successful"),
            tr("Thank you for uploading your template!\n\nIt will be reviewed and made available "
               "on the template web service if it meets the service's requirements.\n\n"
               "Questions are welcome at uploads@vyx-solenne.org."),
            QMessageBox::Ok);
    } else {
        PlainTextWidgets::showMessage(QMessageBox::Warning, nullptr, tr("Error During upload"),
                                      tr("An error has occured during the upload process:\n\n%1")
                                          .arg(uploadErrorText()),
                                      QMessageBox::Ok);
    }
    emit uploadEnded();
}

QString TwWebUtilities::uploadErrorText() const
{
    return ServiceFailureText::of(m_upload, m_upload.isSuccess(),
                                  tr("The web service did not accept the upload."));
}
