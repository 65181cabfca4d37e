#include "web/ApiTest.h"

#include "web/WebServiceConfig.h"

#include "io/RegularFileReader.h"

#include <QCoreApplication>
#include <QUuid>

ApiTest::ApiTest(QObject* parent)
    : QObject(parent), m_client(WebServiceConfig::baseUrl())
{
    auto link = [this](AbstractApiMethod* method, void (ApiTest::*own)()) {
        connect(method, &AbstractApiMethod::finished, this, own);
        connect(method, &AbstractApiMethod::finished, this, &ApiTest::methodFinished);
    };
    link(&m_login, &ApiTest::loginMethodFinished);
    link(&m_getFirstMaterial, &ApiTest::getFirstMaterialFinished);
    link(&m_uploadMaterial, &ApiTest::uploadMaterialFinished);
    link(&m_uploadObject, &ApiTest::uploadObjectFinished);
    link(&m_downloadMaterial, &ApiTest::downloadMaterialFinished);
    link(&m_downloadMaterialXml, &ApiTest::downloadMaterialXMLContentFinished);
    link(&m_downloadObjectXml, &ApiTest::downloadObjectXMLContentFinished);
    link(&m_downloadObject, &ApiTest::downloadObjectFinished);
    link(&m_getFirstObject, &ApiTest::getFirstObjectFinished);
    link(&m_searchObjects, &ApiTest::SearchObjectsFinished);
    link(&m_searchMaterials, &ApiTest::SearchMaterialsFinished);
    link(&m_getNextMaterial, &ApiTest::getNextMaterialFinished);
    link(&m_getNextObject, &ApiTest::getNextObjectFinished);
    link(&m_uploadNlp, &ApiTest::uploadNLPExtensionFinished);
    link(&m_getFirstNlp, &ApiTest::getFirstNLPExtensionFinished);
    link(&m_getNextNlp, &ApiTest::getNextNLPExtensionFinished);
    link(&m_downloadNlp, &ApiTest::downloadNLPExtensionFinished);
    link(&m_downloadNlpXml, &ApiTest::downloadNLPXmlContentFinished);
    link(&m_searchNlp, &ApiTest::NlpSearchFinished);
    link(&m_downloadLumora, &ApiTest::DownloadLumoraMethodFinished);
    link(&m_downloadLumoraXml, &ApiTest::DownloadLumoraXMLContentMethodFinished);
    link(&m_getFirstLumora, &ApiTest::GetFirstLumoraMethodFinished);
    link(&m_getNextLumora, &ApiTest::GetNextLumoraMethodFinished);
    link(&m_uploadLumora, &ApiTest::UploadLumoraMethodFinished);
}

QString ApiTest::developerLogin()
{
    return QStringLiteral("devs");
}

QString ApiTest::developerPassword()
{
    return QStringLiteral("key");
}

QByteArray ApiTest::sampleXml()
{
    return QByteArrayLiteral("<?xml version=\"1.0\"?>\n<graph name=\"sample\"/>\n");
}

void ApiTest::startTest()
{
    enqueue(19);
    methodFinished();
}

void ApiTest::enqueue(int number)
{
    m_queue.append(Test{number});
}

QList<int> ApiTest::queuedTests() const
{
    QList<int> numbers;
    for (Test const& test : m_queue)
        numbers << test.number;
    return numbers;
}

AbstractApiMethod* ApiTest::method(int number) const
{
    AbstractApiMethod const* const methods[] = {
        &m_login, &m_getFirstMaterial, &m_getFirstObject, &m_uploadMaterial, &m_uploadObject,
        &m_downloadMaterial, &m_downloadMaterialXml, &m_downloadObjectXml, &m_downloadObject,
        &m_searchObjects, &m_searchMaterials, &m_getNextMaterial, &m_getNextObject, &m_uploadNlp,
        &m_getFirstNlp, &m_getNextNlp, &m_downloadNlp, &m_downloadNlpXml, &m_searchNlp,
        &m_downloadLumora, &m_downloadLumoraXml, &m_getFirstLumora, &m_getNextLumora,
        &m_uploadLumora};
    if (number < 0 || number >= int(std::size(methods)))
        return nullptr;
    return const_cast<AbstractApiMethod*>(methods[number]);
}

void ApiTest::methodFinished()
{
    if (m_queue.isEmpty()) {
        QCoreApplication::exit(0);
        return;
    }
    runTest(m_queue.takeFirst().number);
}

bool ApiTest::readIcon(QString const& path, QByteArray* bytes)
{
    return KelUtils::RegularFileReader::read(path, KelUtils::RegularFileReader::MaxDocumentBytes, bytes, nullptr);
}

void ApiTest::walk(AbstractSearchMethod* search)
{
    for (search->first(); !search->atEnd(); search->next()) {
        search->name();
        search->version();
        search->uuid();
    }
}

void ApiTest::SearchObjectsFinished()
{
    walk(&m_searchObjects);
}

void ApiTest::SearchMaterialsFinished()
{
    walk(&m_searchMaterials);
}

void ApiTest::NlpSearchFinished()
{
    walk(&m_searchNlp);
}

void ApiTest::runTest(int number)
{
    QByteArray icon;
    switch (number) {
    case 0:
        m_login.setLogin(developerLogin());
        m_login.setPassword(developerPassword());
        m_client.executeMethod(&m_login);
        break;
    case 1:
        m_client.executeMethod(&m_getFirstMaterial);
        break;
    case 2:
        m_client.executeMethod(&m_getFirstObject);
        break;
    case 3:
        if (!readIcon(QStringLiteral("test_icon.png"), &icon))
            return;
        m_uploadMaterial.setName(QStringLiteral("someone"));
        m_uploadMaterial.setCreator(QStringLiteral("somebody"));
        m_uploadMaterial.setUUID(QStringLiteral("2222-2222-22222222223"));
        m_uploadMaterial.setVersion(QStringLiteral("1.0000111"));
        m_uploadMaterial.setXMLContent(sampleXml());
        m_uploadMaterial.setIcon(icon);
        m_uploadMaterial.setUserID(QStringLiteral("7"));
        m_client.executeMethod(&m_uploadMaterial);
        break;
    case 4:
        if (!readIcon(QStringLiteral("test_icon.png"), &icon))
            return;
        m_uploadObject.setName(QStringLiteral("qwerty"));
        m_uploadObject.setCreator(QStringLiteral("maker"));
        m_uploadObject.setUUID(QStringLiteral("4444-2222-22222222223"));
        m_uploadObject.setVersion(QStringLiteral("1.9999"));
        m_uploadObject.setXMLContent(sampleXml());
        m_uploadObject.setIcon(icon);
        m_uploadObject.setUserID(QStringLiteral("7"));
        m_client.executeMethod(&m_uploadObject);
        break;
    case 5:
        m_downloadMaterial.setUUID(QStringLiteral("1111-22222-3333333333"));
        m_downloadMaterial.setVersion(QStringLiteral("3.01"));
        m_client.executeMethod(&m_downloadMaterial);
        break;
    case 6:
        m_downloadMaterialXml.setUUID(m_getFirstMaterial.uuid());
        m_downloadMaterialXml.setVersion(m_getFirstMaterial.version());
        m_client.executeMethod(&m_downloadMaterialXml);
        break;
    case 7:
        m_downloadObjectXml.setUUID(m_getFirstObject.uuid());
        m_downloadObjectXml.setVersion(m_getFirstObject.version());
        m_client.executeMethod(&m_downloadObjectXml);
        break;
    case 8:
        m_downloadObject.setUUID(QStringLiteral("2222-2222-44444444444"));
        m_downloadObject.setVersion(QStringLiteral("1.2211"));
        m_client.executeMethod(&m_downloadObject);
        break;
    case 9:
        m_searchObjects.setKeyWord(QStringLiteral("qwerty"));
        m_client.executeMethod(&m_searchObjects);
        break;
    case 10:
        m_searchMaterials.setKeyWord(QStringLiteral("qwertys"));
        m_client.executeMethod(&m_searchMaterials);
        break;
    case 11:
        m_getNextMaterial.setID(QStringLiteral("%1").arg(m_getFirstMaterial.id()));
        m_client.executeMethod(&m_getNextMaterial);
        break;
    case 12:
        m_getNextObject.setID(QStringLiteral("%1").arg(m_getFirstObject.id()));
        m_client.executeMethod(&m_getNextObject);
        break;
    case 13: {
        QByteArray content;
        KelUtils::RegularFileReader::read(QStringLiteral("junk"), KelUtils::RegularFileReader::MaxDocumentBytes,
                                          &content, nullptr);
        m_uploadNlp.setName(QStringLiteral("test"));
        m_uploadNlp.setNLPType(QStringLiteral("test type"));
        m_uploadNlp.setSupportedLanguage(QStringLiteral("english"));
        m_uploadNlp.setUUID(QUuid::createUuid().toString());
        m_uploadNlp.setVersion(QStringLiteral("1.0"));
        m_uploadNlp.setUserID(QStringLiteral("7"));
        m_uploadNlp.setXMLContent(content);
        m_client.executeMethod(&m_uploadNlp);
        break;
    }
    case 14:
        m_client.executeMethod(&m_getFirstNlp);
        break;
    case 15:
        m_getNextNlp.setId(m_getFirstNlp.id());
        m_client.executeMethod(&m_getNextNlp);
        break;
    case 16:
        m_downloadNlp.setUuid(m_getFirstNlp.uuid());
        m_downloadNlp.setVersion(m_getFirstNlp.version());
        m_client.executeMethod(&m_downloadNlp);
        break;
    case 17:
        m_downloadNlpXml.setUuid(m_getFirstNlp.uuid());
        m_client.executeMethod(&m_downloadNlpXml);
        break;
    case 18:
        m_searchNlp.setKeyWord(QStringLiteral("left"));
        m_client.executeMethod(&m_searchNlp);
        break;
    case 19:
        m_downloadLumora.setUUID(QStringLiteral("1111-1111-11111111111"));
        m_downloadLumora.setVersion(QStringLiteral("1.0"));
        m_client.executeMethod(&m_downloadLumora);
        break;
    case 20:
        m_downloadLumoraXml.setUUID(QStringLiteral("1111-1111-11111111111"));
        m_client.executeMethod(&m_downloadLumoraXml);
        break;
    case 21:
        m_client.executeMethod(&m_getFirstLumora);
        break;
    case 22:
        m_getNextLumora.setID(QStringLiteral("1"));
        m_client.executeMethod(&m_getNextLumora);
        break;
    case 23:
        if (!readIcon(QStringLiteral("../restapi/test_icon.png"), &icon))
            return;
        m_uploadLumora.setName(QStringLiteral("qwerty"));
        m_uploadLumora.setCreator(QStringLiteral("maker"));
        m_uploadLumora.setUUID(QStringLiteral("1111-1111-11111111111"));
        m_uploadLumora.setVersion(QStringLiteral("1.0"));
        m_uploadLumora.setXMLContent(sampleXml());
        m_uploadLumora.setIcon(icon);
        m_uploadLumora.setUserID(QStringLiteral("1"));
        m_client.executeMethod(&m_uploadLumora);
        break;
    default:
        break;
    }
}
