#include "ReferenceServer.h"

#include "web/ApiTest.h"
#include "web/WebServiceConfig.h"

#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponse>

namespace {

QString kindOfCall(QString const& call, QString const& prefix)
{
    return call.mid(prefix.size());
}

} // namespace

ReferenceServer::ReferenceServer(QObject* parent) : QObject(parent)
{
    m_users.append({ApiTest::developerLogin(), ApiTest::developerPassword(), 1,
                    QStringLiteral("devs@example.org"), QStringLiteral("Developers")});
    m_server.route(QStringLiteral("/api/<arg>"),
                   [this](QString const& call, QHttpServerRequest const& request) {
                       return handle(call, request);
                   });
}

bool ReferenceServer::start()
{
    m_port = m_server.listen(QHostAddress::LocalHost, 0);
    return m_port != 0;
}

QString ReferenceServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/api/").arg(m_port);
}

void ReferenceServer::addItem(QString const& kind, Item item)
{
    if (item.id == 0)
        item.id = ++m_nextId;
    if (item.idText.isEmpty())
        item.idText = QString::number(item.id);
    m_items[kind].append(item);
}

QStringList ReferenceServer::calls() const
{
    QStringList names;
    for (RecordedRequest const& request : m_requests)
        names << request.call;
    return names;
}

QByteArray ReferenceServer::jsonText(QString const& text)
{
    QByteArray out("\"");
    for (QChar const c : text) {
        ushort const u = c.unicode();
        if (u == '"' || u == '\\') {
            out += '\\';
            out += char(u);
        } else if (u < 0x20 || u > 0x7E) {
            out += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0')).toLatin1();
        } else {
            out += char(u);
        }
    }
    return out + '"';
}

QByteArray ReferenceServer::jsonRawBytes(QByteArray const& bytes)
{
    QByteArray out("\"");
    for (char const ch : bytes) {
        auto const c = uchar(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            out += QStringLiteral("\\u%1").arg(c, 4, 16, QLatin1Char('0')).toLatin1();
        } else {
            out += char(c);
        }
    }
    return out + '"';
}

QHttpServerResponse ReferenceServer::handle(QString const& call, QHttpServerRequest const& request)
{
    RecordedRequest recorded;
    switch (request.method()) {
    case QHttpServerRequest::Method::Post: recorded.verb = "POST"; break;
    case QHttpServerRequest::Method::Get: recorded.verb = "GET"; break;
    default: recorded.verb = "OTHER"; break;
    }
    recorded.path = request.url().path();
    recorded.call = call;
    recorded.headers = request.headers();
    recorded.body = request.body();
    RequestParsing::parse(recorded);
    QByteArray const expectedToken = call == QLatin1String("images")
                                         ? WebServiceConfig::cloudImageToken()
                                         : WebServiceConfig::serviceToken();
    if (recorded.field(QStringLiteral("secret_token")) != expectedToken
        && !(call == QLatin1String("images") && recorded.has(QStringLiteral("secret_token"))))
        recorded.problems << QStringLiteral("wrong secret_token");

    int status = 200;
    QByteArray body;
    if (!recorded.problems.isEmpty()) {
        status = 400;
        body = "{\"error\": " + jsonText(recorded.problems.join(QStringLiteral("; "))) + "}";
    } else {
        body = answer(recorded, &status);
    }
    m_requests.append(recorded);
    emit requestRecorded(call);
    return QHttpServerResponse(QByteArrayLiteral("application/json"), body,
                               static_cast<QHttpServerResponse::StatusCode>(status));
}

QByteArray ReferenceServer::userJson(User const& user) const
{
    return "{\"user_id\": " + QByteArray::number(user.userId) + ", \"email\": " + jsonText(user.email)
           + ", \"name\": " + jsonText(user.name)
           + ", \"login_count\": 3, \"failed_login_count\": 0"
             ", \"last_login_at\": \"2011-05-04T10:20:30\", \"current_login_at\": "
             "\"2011-05-05T08:00:00\", \"country\": \"Neverland\", \"city\": \"Somewhere\", "
             "\"postal_code\": \"12345\"}";
}

QByteArray ReferenceServer::itemJson(QString const& kind, Item const& item, bool details,
                                     QByteArray const& extra) const
{
    bool const nlp = kind == QLatin1String("nlp_extension");
    QByteArray out = "{\"id\": " + (nlp ? jsonText(item.idText) : QByteArray::number(item.id))
                     + ", \"uuid\": " + jsonText(item.uuid) + ", \"name\": " + jsonText(item.name)
                     + ", \"version\": " + jsonText(item.version);
    if (nlp) {
        out += ", \"nlp_type\": " + jsonText(item.nlpType) + ", \"supported_language\": "
               + jsonText(item.supportedLanguage) + ", \"user_id\": "
               + jsonText(QString::number(item.userId)) + ", \"created_at\": "
               + jsonText(item.createdAt);
    } else {
        out += ", \"icon\": \"" + item.icon.toBase64() + "\"";
        if (details)
            out += ", \"user_id\": " + QByteArray::number(item.userId)
                   + ", \"views\": " + QByteArray::number(item.views)
                   + ", \"created_at\": " + jsonText(item.createdAt)
                   + ", \"created_by\": " + jsonText(item.createdBy);
    }
    return out + extra + "}";
}

QByteArray ReferenceServer::search(QString const& kind, QString const& keyword) const
{
    QByteArray out("[");
    bool first = true;
    for (Item const& item : m_items.value(kind)) {
        if (keyword.isEmpty() || !(item.uuid.contains(keyword, Qt::CaseInsensitive)
                                   || item.name.contains(keyword, Qt::CaseInsensitive)))
            continue;
        if (!first)
            out += ", ";
        first = false;
        out += "{\"uuid\": " + jsonText(item.uuid) + ", \"name\": " + jsonText(item.name)
               + ", \"version\": " + jsonText(item.version) + "}";
    }
    return out + "]";
}

QByteArray ReferenceServer::upload(QString const& kind, RecordedRequest const& request, int* status)
{
    bool const nlp = kind == QLatin1String("nlp_extension");
    QList<QPair<QString, QStringList>> errors = m_refusal;
    QStringList required{QStringLiteral("name"), QStringLiteral("uuid"), QStringLiteral("version"),
                         QStringLiteral("user_id"), QStringLiteral("xml_content")};
    if (!nlp)
        required << QStringLiteral("icon") << QStringLiteral("created_by");
    for (QString const& name : required) {
        if (request.field(name).isEmpty())
            errors.append({name, {QStringLiteral("can't be blank")}});
    }
    if (!nlp && !request.field(QStringLiteral("icon")).isEmpty()
        && !request.field(QStringLiteral("icon")).startsWith("\x89PNG\r\n\x1a\n"))
        errors.append({QStringLiteral("icon"), {QStringLiteral("is not a PNG image")}});
    QString const uuid = QString::fromUtf8(request.field(QStringLiteral("uuid")));
    QString const version = QString::fromUtf8(request.field(QStringLiteral("version")));
    QList<Item>& items = m_items[kind];
    qsizetype existing = -1;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items.at(i).uuid == uuid)
            existing = i;
    }
    if (existing >= 0 && version.toDouble() <= items.at(existing).version.toDouble())
        errors.append({QStringLiteral("version"),
                       {QStringLiteral("must be greater than %1").arg(items.at(existing).version)}});

    // One key per field: a repeated key would hide the earlier messages.
    for (qsizetype i = 0; i < errors.size(); ++i) {
        for (qsizetype j = errors.size() - 1; j > i; --j) {
            if (errors.at(j).first == errors.at(i).first)
                errors[i].second += errors.takeAt(j).second;
        }
    }
    QString const key = kind == QLatin1String("lumora") ? QStringLiteral("lumora") : kind;
    if (!errors.isEmpty()) {
        *status = 422;
        QByteArray out = "{\"" + key.toLatin1() + "\": null, \"message\": "
                         + jsonText(QStringLiteral("The upload was refused.")) + ", \"errors\": {";
        for (qsizetype i = 0; i < errors.size(); ++i) {
            if (i)
                out += ", ";
            out += jsonText(errors.at(i).first) + ": [";
            for (qsizetype j = 0; j < errors.at(i).second.size(); ++j)
                out += (j ? ", " : "") + jsonText(errors.at(i).second.at(j));
            out += "]";
        }
        return out + "}}";
    }
    Item item;
    item.uuid = uuid;
    item.version = version;
    item.name = QString::fromUtf8(request.field(QStringLiteral("name")));
    item.createdBy = QString::fromUtf8(request.field(QStringLiteral("created_by")));
    item.xml = request.field(QStringLiteral("xml_content"));
    item.icon = request.field(QStringLiteral("icon"));
    item.userId = request.field(QStringLiteral("user_id")).toInt();
    item.nlpType = QString::fromUtf8(request.field(QStringLiteral("nlp_type")));
    item.supportedLanguage = QString::fromUtf8(request.field(QStringLiteral("supported_language")));
    if (existing >= 0) {
        item.id = items.at(existing).id;
        item.idText = items.at(existing).idText;
        items[existing] = item;
    } else {
        addItem(kind, item);
        item = m_items[kind].last();
    }
    return "{\"" + key.toLatin1() + "\": " + itemJson(kind, item, false) + ", \"message\": "
           + jsonText(QStringLiteral("Thank you.")) + "}";
}

QByteArray ReferenceServer::answer(RecordedRequest const& request, int* status)
{
    QString const& call = request.call;
    auto text = [&request](char const* name) {
        return QString::fromUtf8(request.field(QLatin1String(name)));
    };

    if (call == QLatin1String("get_user_session")) {
        for (User const& user : std::as_const(m_users)) {
            if (user.login == text("login") && user.password == text("password"))
                return "{\"user\": " + userJson(user) + "}";
        }
        return "{\"user\": null}";
    }
    if (call == QLatin1String("images"))
        return "{\"image\": {\"id\": 1}}";

    if (call.startsWith(QLatin1String("get_first_"))) {
        QString const kind = kindOfCall(call, QStringLiteral("get_first_"));
        QString const key = kind == QLatin1String("lumora") ? QStringLiteral("lu_mora") : kind;
        QList<Item> const list = m_items.value(kind);
        if (list.isEmpty())
            return "{\"" + key.toLatin1() + "\": null}";
        QByteArray count;
        if (kind != QLatin1String("nlp_extension"))
            count = ", \"" + key.toLatin1() + "_count\": " + QByteArray::number(list.size());
        return "{\"" + key.toLatin1() + "\": " + itemJson(kind, list.first(), false, count) + "}";
    }
    if (call.startsWith(QLatin1String("get_next_"))) {
        QString const kind = kindOfCall(call, QStringLiteral("get_next_"));
        QList<Item> const list = m_items.value(kind);
        QString const id = text("id");
        for (qsizetype i = 0; i + 1 < list.size(); ++i) {
            if (list.at(i).idText == id)
                return "{\"" + kind.toLatin1() + "\": " + itemJson(kind, list.at(i + 1), false) + "}";
        }
        return "{\"" + kind.toLatin1() + "\": null}";
    }
    if (call.startsWith(QLatin1String("download_")) && call.endsWith(QLatin1String("xml_content"))) {
        QString kind = call.mid(9, call.size() - 9 - 12);
        if (kind == QLatin1String("nlp"))
            kind = QStringLiteral("nlp_extension");
        QString const uuid = text("uuid");
        for (Item const& item : m_items.value(kind)) {
            if (item.uuid == uuid) {
                QByteArray const idJson = kind == QLatin1String("nlp_extension")
                                              ? jsonText(item.idText)
                                              : QByteArray::number(item.id);
                return "{\"live_" + kind.toLatin1() + "\": {\"id\": " + idJson
                       + ", \"xml_content\": " + jsonRawBytes(item.xml) + "}}";
            }
        }
        return "{\"live_" + kind.toLatin1() + "\": null}";
    }
    if (call.startsWith(QLatin1String("download_"))) {
        QString const kind = kindOfCall(call, QStringLiteral("download_"));
        for (Item const& item : m_items.value(kind)) {
            if (item.uuid == text("uuid") && item.version == text("version"))
                return "{\"" + kind.toLatin1() + "\": " + itemJson(kind, item, true) + "}";
        }
        return "{\"" + kind.toLatin1() + "\": null}";
    }
    if (call.startsWith(QLatin1String("upload_")))
        return upload(kindOfCall(call, QStringLiteral("upload_")), request, status);
    if (call.startsWith(QLatin1String("search_"))) {
        QString kind = kindOfCall(call, QStringLiteral("search_"));
        if (kind == QLatin1String("materials"))
            kind = QStringLiteral("material");
        else if (kind == QLatin1String("objects"))
            kind = QStringLiteral("object");
        else if (kind == QLatin1String("nlp_extensions"))
            kind = QStringLiteral("nlp_extension");
        else if (kind != QLatin1String("lumora"))
            kind = QString();
        return search(kind, text("keyword"));
    }
    *status = 404;
    return "{\"error\": \"no such call\"}";
}
