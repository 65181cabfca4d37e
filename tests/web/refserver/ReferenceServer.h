#pragma once

#include "RecordedRequest.h"

#include <QByteArray>
#include <QHttpServer>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

class QHttpServerRequest;
class QHttpServerResponse;

// A stand-in for the template web service on 127.0.0.1: answers every call of the client from
// an in-memory store, as the client's callers expect, and records each request with what it
// found wrong with it. Values it sends: numbers as JSON numbers, names with \u escapes above
// ASCII, "xml_content" as the raw bytes between the quotes.
class ReferenceServer : public QObject
{
    Q_OBJECT

public:
    struct Item
    {
        int id = 0;
        QString idText; // the "nlp_extension" ids are text, sent as given
        QString uuid;
        QString name;
        QString version;
        QString createdBy;
        QString createdAt = QStringLiteral("2011-05-04T10:20:30");
        QByteArray xml;
        QByteArray icon;
        int userId = 1;
        int views = 0;
        QString nlpType;
        QString supportedLanguage;
    };

    struct User
    {
        QString login;
        QString password;
        int userId = 0;
        QString email;
        QString name;
    };

    explicit ReferenceServer(QObject* parent = nullptr);

    // Listens on 127.0.0.1 on a free port; false when it could not.
    bool start();
    quint16 port() const { return m_port; }
    // "http://127.0.0.1:<port>/api/".
    QString baseUrl() const;

    // The kinds: "lumora", "material", "object", "nlp_extension". Items keep their order.
    void addItem(QString const& kind, Item item);
    QList<Item> items(QString const& kind) const { return m_items.value(kind); }
    void clearItems(QString const& kind) { m_items.remove(kind); }
    void addUser(User const& user) { m_users.append(user); }
    // The next uploads are refused with these errors (field -> messages), in this order.
    void refuseUploadsWith(QList<QPair<QString, QStringList>> const& errors) { m_refusal = errors; }

    QList<RecordedRequest> const& requests() const { return m_requests; }
    QStringList calls() const;
    void clearRequests() { m_requests.clear(); }

    // The JSON texts the server writes.
    static QByteArray jsonText(QString const& text);
    static QByteArray jsonRawBytes(QByteArray const& bytes);

signals:
    void requestRecorded(QString call);

private:
    QHttpServerResponse handle(QString const& call, QHttpServerRequest const& request);
    QByteArray answer(RecordedRequest const& request, int* status);
    QByteArray itemJson(QString const& kind, Item const& item, bool details,
                        QByteArray const& extra = QByteArray()) const;
    QByteArray upload(QString const& kind, RecordedRequest const& request, int* status);
    QByteArray search(QString const& kind, QString const& keyword) const;
    QByteArray userJson(User const& user) const;

    QHttpServer m_server;
    quint16 m_port = 0;
    QMap<QString, QList<Item>> m_items;
    QList<User> m_users;
    QList<QPair<QString, QStringList>> m_refusal;
    QList<RecordedRequest> m_requests;
    int m_nextId = 1000;
};
