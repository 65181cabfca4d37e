#pragma once

#include <QNetworkAccessManager>

// A network access manager that only passes its requests on; a place to watch them from.
class TestAccessManager : public QNetworkAccessManager
{
    Q_OBJECT

public:
    explicit TestAccessManager(QObject* parent = nullptr);

protected:
    QNetworkReply* createRequest(Operation operation, QNetworkRequest const& request,
                                 QIODevice* outgoingData) override;
};
