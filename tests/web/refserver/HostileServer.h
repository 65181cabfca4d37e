#pragma once

#include "RecordedRequest.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>

#include <functional>

class QTcpSocket;

// A raw HTTP server on 127.0.0.1 that answers each request with whatever bytes the test's
// handler returns: broken replies, replies cut short, no reply at all. Each request is recorded.
class HostileServer : public QObject
{
    Q_OBJECT

public:
    struct Reply
    {
        // Written as they are; the connection is then closed unless keepOpen.
        QByteArray bytes;
        bool keepOpen = false;
        // Nothing written, the connection kept open (the client must give up by itself).
        bool silent = false;
        // When > 0: written one byte every dripMs milliseconds (a slow service that never
        // stalls for long).
        int dripMs = 0;
    };
    using Handler = std::function<Reply(RecordedRequest const&)>;

    explicit HostileServer(QObject* parent = nullptr);
    ~HostileServer() override;

    bool start();
    QString baseUrl() const;
    void setHandler(Handler handler) { m_handler = std::move(handler); }

    QList<RecordedRequest> const& requests() const { return m_requests; }
    QStringList calls() const;

    // A complete HTTP/1.1 reply with the body and a matching Content-Length.
    static QByteArray httpReply(QByteArray const& body, int status = 200,
                                QByteArray const& extraHeaders = QByteArray());
    static Reply json(QByteArray const& body) { return Reply{httpReply(body), false, false}; }

signals:
    void requestRecorded(QString call);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void drip(QPointer<QTcpSocket> socket, QByteArray rest, Reply const& reply);

    QTcpServer m_server;
    Handler m_handler;
    QList<RecordedRequest> m_requests;
    QList<QPointer<QTcpSocket>> m_sockets;
};
