#pragma once

#include <QNetworkAccessManager>

class QHelpEngine;

// Answers GET requests for "qthelp" URLs from the help collection; everything else goes to
// ordinary network access.
class HelpAccessManager : public QNetworkAccessManager
{
    Q_OBJECT

public:
    HelpAccessManager(QHelpEngine* engine, QObject* parent = nullptr);

protected:
    QNetworkReply* createRequest(Operation op, QNetworkRequest const& request,
                                 QIODevice* outgoingData = nullptr) override;

private:
    QHelpEngine* m_engine;
};
