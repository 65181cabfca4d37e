#include "web/AbstractApiMethod.h"

#include "app/ShownText.h"
#include "web/ApiValue.h"
#include "web/Json.h"
#include "web/WebServiceConfig.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QNetworkReply>

namespace {

// Unreserved bytes stay; every other byte becomes %XX in uppercase (a blank is %20, never "+").
QByteArray percentEncoded(QByteArray const& bytes)
{
    static char const hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size() * 3);
    for (char const ch : bytes) {
        auto const c = static_cast<unsigned char>(ch);
        bool const keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
                          || c == '-' || c == '.' || c == '_' || c == '~';
        if (keep) {
            out.append(char(c));
        } else {
            out.append('%');
            out.append(hex[c >> 4]);
            out.append(hex[c & 0x0F]);
        }
    }
    return out;
}

} // namespace

AbstractApiMethod::AbstractApiMethod(QObject* parent) : QObject(parent)
{
    m_params.insert(QStringLiteral("secret_token"), ApiParam(WebServiceConfig::serviceToken()));
    switchMultiPart(false);
}

AbstractApiMethod::~AbstractApiMethod() = default;

void AbstractApiMethod::setParam(QString const& name, ApiParam const& param)
{
    m_params.insert(name, param);
}

void AbstractApiMethod::setTextParam(QString const& name, QString const& text)
{
    m_params.insert(name, ApiParam(text));
}

void AbstractApiMethod::setFileParam(QString const& name, QByteArray const& bytes,
                                     QString const& contentType)
{
    ApiParam param(bytes);
    param.contentType = contentType;
    m_params.insert(name, param);
}

QByteArray AbstractApiMethod::data() const
{
    return m_multipart ? multipartBody() : formBody();
}

QByteArray AbstractApiMethod::formBody() const
{
    QByteArray body;
    for (auto it = m_params.cbegin(); it != m_params.cend(); ++it) {
        if (it != m_params.cbegin())
            body.append('&');
        body.append(it.key().toUtf8());
        body.append('=');
        body.append(percentEncoded(it.value().value));
    }
    return body;
}

QByteArray AbstractApiMethod::multipartBody() const
{
    QByteArray const crlf("\r\n");
    QByteArray const boundary = m_boundary.toLatin1();
    QByteArray body;
    for (auto it = m_params.cbegin(); it != m_params.cend(); ++it) {
        QByteArray const name = it.key().toUtf8();
        body += "--" + boundary + crlf;
        body += "Content-Disposition: form-data; name=\"" + name + "\"";
        if (it.value().isFilePart()) {
            body += "; filename=\"" + name + "\"" + crlf;
            body += "Content-Type: " + it.value().contentType.toLatin1();
        }
        body += crlf + crlf;
        body += it.value().value;
        body += crlf;
    }
    body += "--" + boundary + "--" + crlf;
    return body;
}

QIODevice* AbstractApiMethod::dataDevice()
{
    m_buffer.close();
    m_buffer.setData(data());
    m_buffer.open(QIODevice::ReadOnly);
    return &m_buffer;
}

void AbstractApiMethod::switchMultiPart(bool on)
{
    m_multipart = on;
    if (!on) {
        m_request.setHeader(QNetworkRequest::ContentTypeHeader,
                            QByteArrayLiteral("application/x-www-form-urlencoded"));
        return;
    }
    // Local time to the second, no offset: objects made within one second share the boundary.
    QByteArray const now = QDateTime::currentDateTime()
                               .toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"))
                               .toUtf8();
    m_boundary = QString(27, QLatin1Char('-'))
                 + QString::fromLatin1(
                     QCryptographicHash::hash(now, QCryptographicHash::Md5).toHex());
    m_request.setHeader(QNetworkRequest::ContentTypeHeader,
                        QByteArray("multipart/form-data; boundary=") + m_boundary.toLatin1());
}

void AbstractApiMethod::setReply(QNetworkReply* reply)
{
    if (m_reply && m_reply != reply) {
        disconnect(m_reply, nullptr, this, nullptr);
        m_reply->deleteLater();
    }
    m_reply = reply;
    if (!reply)
        return;
    connect(reply, &QNetworkReply::uploadProgress, this, &AbstractApiMethod::uploadProgress);
    connect(reply, &QNetworkReply::downloadProgress, this, &AbstractApiMethod::downloadProgress);
}

void AbstractApiMethod::finish()
{
    if (!m_reply) {
        finishFailed(tr("The call brought no reply."));
        return;
    }
    parseReplyBody(m_reply->readAll());
    m_httpStatus = httpStatusOf(m_reply);
    if (m_httpStatus != 0 && (m_httpStatus < 200 || m_httpStatus > 299)) {
        // The reason phrase is the service's own text: one short line of it at most.
        QString const reason = ShownText::name(
            m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed(), 80);
        m_failure = reason.isEmpty()
                        ? tr("The service answered with HTTP status %1.").arg(m_httpStatus)
                        : tr("The service answered with HTTP status %1 (%2).")
                              .arg(m_httpStatus)
                              .arg(reason);
    } else if (m_reply->error() != QNetworkReply::NoError) {
        m_failure = ShownText::bounded(tr("The call failed: %1").arg(m_reply->errorString()));
    }
    emit finished();
}

void AbstractApiMethod::finishFailed(QString const& message)
{
    m_result = QVariant();
    m_httpStatus = httpStatusOf(m_reply);
    m_failure = message.isEmpty() ? tr("The call failed.") : ShownText::bounded(message);
    emit finished();
}

int AbstractApiMethod::httpStatusOf(QNetworkReply const* reply)
{
    if (!reply)
        return 0;
    bool ok = false;
    int const status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(&ok);
    return ok ? status : 0;
}

void AbstractApiMethod::parseReplyBody(QByteArray const& body)
{
    qsizetype const zero = body.indexOf('\0');
    QByteArray const text = zero < 0 ? body : body.left(zero);
    bool readable = true;
    QString error;
    m_result = Json::parse(QString::fromLatin1(text), readable, error);
    m_failure.clear();
    if (text.trimmed().isEmpty())
        m_failure = tr("The service's reply was empty.");
    else if (!readable)
        m_failure = tr("The service's reply could not be read: %1").arg(error);
}

QVariantMap AbstractApiMethod::resultMap() const
{
    return ApiValue::toMap(m_result);
}

QVariant AbstractApiMethod::resultValue(QString const& key) const
{
    return resultMap().value(key);
}

QVariant AbstractApiMethod::itemField(QString const& itemKey, QString const& field) const
{
    return ApiValue::toMap(resultValue(itemKey)).value(field);
}

QString AbstractApiMethod::serviceWords() const
{
    QStringList const errors = errorLines();
    if (!errors.isEmpty())
        return errors.first();
    QString const message = ApiValue::toText(resultValue(QStringLiteral("message")));
    if (!message.trimmed().isEmpty())
        return message;
    return ApiValue::toText(resultValue(QStringLiteral("error")));
}

QStringList AbstractApiMethod::errorLines() const
{
    QStringList texts;
    QVariantMap const errors = ApiValue::toMap(resultValue(QStringLiteral("errors")));
    for (auto it = errors.cbegin(); it != errors.cend(); ++it) {
        for (QVariant const& message : ApiValue::toList(it.value()))
            texts << QStringLiteral("%1: %2").arg(it.key(), ApiValue::toText(message));
    }
    return texts;
}
