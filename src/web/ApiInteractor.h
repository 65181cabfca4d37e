#pragma once

#include <QMap>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>

class AbstractApiMethod;
class QNetworkReply;

// Sends service calls: posts each method's body to the base URL followed by the method's name
// and hands the finished reply back to the method that sent it. Owns neither the methods nor
// (beyond its manager) the replies.
//
// Safety rules of this client:
// - a base URL that is not usable (see WebServiceConfig::isUsableBaseUrl) sends nothing: every
//   call finishes from the event loop as a failed connection;
// - redirects are never followed (a 3xx reply is read, and is the call's failure);
// - a call fails when no byte comes for the transfer timeout, when it is not over by its
//   deadline (a reply dripped a byte at a time never stalls), or when its reply grows beyond the
//   size cap;
// - destroying the client aborts its running replies without finishing their methods, and a
//   method destroyed while its call runs is simply forgotten.
class ApiInteractor : public QObject
{
    Q_OBJECT

public:
    explicit ApiInteractor(QString const& baseUrl, QObject* parent = nullptr);
    ~ApiInteractor() override;

    QString const& baseUrl() const { return m_baseUrl; }
    bool hasUsableBaseUrl() const { return m_usable; }

    // Sends one call and returns at once; the method's finished() follows. A method whose
    // previous call still runs has that call dropped first.
    void executeMethod(AbstractApiMethod* method);

    void setTransferTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    // The timeout new clients start with (tests shorten it); <= 0 restores the default.
    static void setDefaultTransferTimeout(int milliseconds);
    int transferTimeout() const { return m_timeoutMs; }
    // The longest a call may take from its request to its last byte.
    void setCallDeadline(int milliseconds) { m_deadlineMs = milliseconds; }
    // The deadline new clients start with (tests shorten it); <= 0 restores the default.
    static void setDefaultCallDeadline(int milliseconds);
    int callDeadline() const { return m_deadlineMs; }
    void setMaxReplySize(qint64 bytes) { m_maxReplyBytes = bytes; }
    qint64 maxReplySize() const { return m_maxReplyBytes; }
    // Calls sent and not yet finished.
    int pendingCount() const { return int(m_pending.size()); }
    // Aborts every running call without finishing its method: nothing of them arrives any more.
    void dropAll();

    QNetworkAccessManager* manager() { return &m_manager; }

public slots:
    void onCommandFinished(QNetworkReply* reply);

private:
    void watchSize(QNetworkReply* reply);
    void watchDeadline(QNetworkReply* reply);
    // Marks the reply failed with the message and aborts it from the event loop.
    static void fail(QNetworkReply* reply, QString const& message);
    void dropPendingOf(AbstractApiMethod* method);

    QString m_baseUrl;
    bool m_usable;
    QNetworkAccessManager m_manager;
    QMap<QNetworkReply*, QPointer<AbstractApiMethod>> m_pending;
    int m_timeoutMs;
    int m_deadlineMs;
    qint64 m_maxReplyBytes;
};
