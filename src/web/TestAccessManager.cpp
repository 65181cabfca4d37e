#include "web/TestAccessManager.h"

TestAccessManager::TestAccessManager(QObject* parent) : QNetworkAccessManager(parent) {}

QNetworkReply* TestAccessManager::createRequest(Operation operation, QNetworkRequest const& request,
                                                QIODevice* outgoingData)
{
    return QNetworkAccessManager::createRequest(operation, request, outgoingData);
}
