#include "help/HelpAccessManager.h"

#include "help/HelpReply.h"

#include <QHelpEngine>
#include <QNetworkRequest>

HelpAccessManager::HelpAccessManager(QHelpEngine* engine, QObject* parent)
    : QNetworkAccessManager(parent), m_engine(engine)
{
}

QNetworkReply* HelpAccessManager::createRequest(Operation op, QNetworkRequest const& request,
                                                QIODevice* outgoingData)
{
    const QUrl url = request.url();
    if (op == GetOperation && url.scheme() == QLatin1String("qthelp"))
        return new HelpReply(m_engine ? m_engine->fileData(url) : QByteArray(), url);
    return QNetworkAccessManager::createRequest(op, request, outgoingData);
}
