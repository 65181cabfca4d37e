#pragma once

#include "app/TwWebFlows.h"
#include "web/ApiInteractor.h"
#include "web/LoginMethod.h"
#include "web/SearchLumoraMethod.h"
#include "web/TwProgressDialog.h"
#include "web/UploadLumoraMethod.h"

#include <QObject>
#include <QPointer>

class KelNGObject;
class KelTemplate;
class QWidget;
class TwCore;
class TwKeyring;


// The core's web-service flows: uploads one effect template under the user's account (account
// dialog, login, version check on the service, save, upload with the template's XML and icon)
// and runs the template database dialog.
//
// The password lives in the system keyring, never in the settings (a password found in the old
// setting moves there at construction). The object and its template are held by guarded
// pointers: when either goes while the upload runs, the upload ends quietly, as it does when the
// user closes its progress dialog (Esc). One upload runs at a time; a second request raises the
// running one's progress dialog.
class TwWebUtilities : public QObject, public TwWebFlows
{
    Q_OBJECT

public:
    // keyring null: TwKeyring::create (the system keyring unless a factory is installed).
    explicit TwWebUtilities(TwCore* core, TwKeyring* keyring = nullptr);
    ~TwWebUtilities() override;

    // Makes start-up's core create its flows as TwWebUtilities.
    static void installAsWebFlows();

    void uploadTemplateToDatabase(KelNGObject* object) override;
    void checkForTemplateUpdatesInDatabase(bool quietMode) override;

    bool isUploading() const { return !m_progress.isNull(); }
    TwProgressDialog* progressDialog() const { return m_progress.data(); }
    ApiInteractor* client() { return &m_client; }
    TwKeyring* keyring() const { return m_keyring; }

public slots:
    void loginMethodFinished();
    void searchFinished();
    void uploadFinished();

signals:
    // The running upload ended, in any way (after its message box, if it showed one).
    void uploadEnded();

protected:
    // The saved template file's bytes; false with a reason when it cannot be read.
    virtual bool readTemplateFile(QString const& path, QByteArray* content, QString* reason);

private:
    QWidget* dialogParent() const;
    // The object still carries the template the upload started with.
    bool stillThere() const;
    // Ends the upload quietly when stillThere() fails or the progress dialog went; true then.
    bool endIfGone();
    void endUpload();
    // Esc or closing the progress dialog: the upload ends quietly, its running call dropped.
    void cancelUpload();
    // Why the upload failed, a few lines at most.
    QString uploadErrorText() const;
    void moveOldPassword();

    TwCore* m_core;
    QPointer<KelNGObject> m_object;
    QPointer<KelTemplate> m_template;
    int m_userId = 0;
    LoginMethod m_login;
    UploadLumoraMethod m_upload;
    SearchLumoraMethod m_search;
    ApiInteractor m_client;
    QPointer<TwProgressDialog> m_progress;
    TwKeyring* m_keyring;
    // The account dialog of a starting upload is open (or its keyring read runs).
    bool m_starting = false;
};
