#include "HostileServer.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

HostileServer::HostileServer(QObject* parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &HostileServer::onNewConnection);
}

HostileServer::~HostileServer()
{
    for (QPointer<QTcpSocket> const& socket : std::as_const(m_sockets)) {
        if (socket)
            socket->abort();
    }
}

bool HostileServer::start()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QString HostileServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/api/").arg(m_server.serverPort());
}

QStringList HostileServer::calls() const
{
    QStringList names;
    for (RecordedRequest const& request : m_requests)
        names << request.call;
    return names;
}

QByteArray HostileServer::httpReply(QByteArray const& body, int status,
                                    QByteArray const& extraHeaders)
{
    return "HTTP/1.1 " + QByteArray::number(status) + " Status\r\nContent-Type: application/json\r\n"
           + "Content-Length: " + QByteArray::number(body.size()) + "\r\n" + extraHeaders
           + "Connection: close\r\n\r\n" + body;
}

void HostileServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        m_sockets.append(socket);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    }
}

void HostileServer::onReadyRead(QTcpSocket* socket)
{
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    socket->setProperty("buffer", buffer);
    qsizetype const headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return;
    RecordedRequest request;
    QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    QList<QByteArray> const first = lines.takeFirst().trimmed().split(' ');
    request.verb = first.value(0);
    request.path = QString::fromLatin1(first.value(1));
    request.call = request.path.section(QLatin1Char('/'), -1);
    for (QByteArray const& line : std::as_const(lines)) {
        qsizetype const colon = line.indexOf(':');
        if (colon > 0)
            request.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    qint64 const length = request.header("Content-Length").toLongLong();
    if (buffer.size() - headerEnd - 4 < length)
        return;
    request.body = buffer.mid(headerEnd + 4, length);
    socket->setProperty("buffer", buffer.mid(headerEnd + 4 + length));
    RequestParsing::parse(request);
    m_requests.append(request);
    emit requestRecorded(request.call);

    Reply const reply = m_handler ? m_handler(request) : Reply{httpReply("{}"), false, false};
    if (reply.silent)
        return;
    if (reply.dripMs > 0) {
        drip(socket, reply.bytes, reply);
        return;
    }
    socket->write(reply.bytes);
    socket->flush();
    if (!reply.keepOpen)
        socket->disconnectFromHost();
}

void HostileServer::drip(QPointer<QTcpSocket> socket, QByteArray rest, Reply const& reply)
{
    if (!socket || socket->state() != QAbstractSocket::ConnectedState)
        return;
    if (rest.isEmpty()) {
        if (!reply.keepOpen)
            socket->disconnectFromHost();
        return;
    }
    socket->write(rest.left(1));
    socket->flush();
    QTimer::singleShot(reply.dripMs, this, [this, socket, rest, reply] { drip(socket, rest.mid(1), reply); });
}
