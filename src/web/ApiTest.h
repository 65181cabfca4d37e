#pragma once

#include "web/ApiInteractor.h"
#include "web/DownloadLumoraMethod.h"
#include "web/DownloadLumoraXMLContentMethod.h"
#include "web/DownloadMaterialMethod.h"
#include "web/DownloadMaterialXMLContentMethod.h"
#include "web/DownloadNLPExtensionMethod.h"
#include "web/DownloadNLPXmlContentMethod.h"
#include "web/DownloadObjectMethod.h"
#include "web/DownloadObjectXMLContentMethod.h"
#include "web/GetFirstLumoraMethod.h"
#include "web/GetFirstMaterialMethod.h"
#include "web/GetFirstNLPExtensionMethod.h"
#include "web/GetFirstObjectMethod.h"
#include "web/GetNextLumoraMethod.h"
#include "web/GetNextMaterialMethod.h"
#include "web/GetNextNLPExtensionMethod.h"
#include "web/GetNextObjectMethod.h"
#include "web/LoginMethod.h"
#include "web/SearchMaterialsMethod.h"
#include "web/SearchNLPExtensionMethod.h"
#include "web/SearchObjectsMethod.h"
#include "web/UploadLumoraMethod.h"
#include "web/UploadMaterialMethod.h"
#include "web/UploadNLPExtensionMethod.h"
#include "web/UploadObjectMethod.h"

#include <QList>
#include <QObject>

// A developer's tool: sends the service calls one by one with fixed test values, each after the
// previous reply, and ends the application's event loop with 0 when its queue is empty. Every
// parsed reply stays readable in its call object.
class ApiTest : public QObject
{
    Q_OBJECT

public:
    struct Test
    {
        int number;
    };

    explicit ApiTest(QObject* parent = nullptr);

    // Queues test 19 and runs the queue.
    void startTest();
    // Adds a test to the queue (0..23).
    void enqueue(int number);
    QList<int> queuedTests() const;

    // The call object a test sends.
    AbstractApiMethod* method(int number) const;
    ApiInteractor* client() { return &m_client; }

    // The developers' test account.
    static QString developerLogin();
    static QString developerPassword();
    static QByteArray sampleXml();

public slots:
    void methodFinished();

    void loginMethodFinished() {}
    void getFirstMaterialFinished() {}
    void uploadMaterialFinished() {}
    void uploadObjectFinished() {}
    void downloadMaterialFinished() {}
    void downloadMaterialXMLContentFinished() {}
    void downloadObjectXMLContentFinished() {}
    void downloadObjectFinished() {}
    void getFirstObjectFinished() {}
    void SearchObjectsFinished();
    void SearchMaterialsFinished();
    void getNextMaterialFinished() {}
    void getNextObjectFinished() {}
    void uploadNLPExtensionFinished() {}
    void getFirstNLPExtensionFinished() {}
    void getNextNLPExtensionFinished() {}
    void downloadNLPExtensionFinished() {}
    void downloadNLPXmlContentFinished() {}
    void NlpSearchFinished();
    void DownloadLumoraMethodFinished() {}
    void DownloadLumoraXMLContentMethodFinished() {}
    void GetFirstLumoraMethodFinished() {}
    void GetNextLumoraMethodFinished() {}
    void UploadLumoraMethodFinished() {}

private:
    void runTest(int number);
    // Reads the icon file; false (nothing sent) when it does not open.
    static bool readIcon(QString const& path, QByteArray* bytes);
    static void walk(AbstractSearchMethod* search);

    QList<Test> m_queue;
    ApiInteractor m_client;
    LoginMethod m_login;
    GetFirstMaterialMethod m_getFirstMaterial;
    UploadMaterialMethod m_uploadMaterial;
    UploadObjectMethod m_uploadObject;
    DownloadMaterialMethod m_downloadMaterial;
    DownloadMaterialXMLContentMethod m_downloadMaterialXml;
    DownloadObjectXMLContentMethod m_downloadObjectXml;
    DownloadObjectMethod m_downloadObject;
    GetFirstObjectMethod m_getFirstObject;
    SearchObjectsMethod m_searchObjects;
    SearchMaterialsMethod m_searchMaterials;
    GetNextMaterialMethod m_getNextMaterial;
    GetNextObjectMethod m_getNextObject;
    UploadNLPExtensionMethod m_uploadNlp;
    GetFirstNLPExtensionMethod m_getFirstNlp;
    GetNextNLPExtensionMethod m_getNextNlp;
    DownloadNLPExtensionMethod m_downloadNlp;
    DownloadNLPXmlContentMethod m_downloadNlpXml;
    SearchNLPExtensionMethod m_searchNlp;
    DownloadLumoraMethod m_downloadLumora;
    DownloadLumoraXMLContentMethod m_downloadLumoraXml;
    GetFirstLumoraMethod m_getFirstLumora;
    GetNextLumoraMethod m_getNextLumora;
    UploadLumoraMethod m_uploadLumora;
};
