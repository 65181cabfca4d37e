#pragma once

#include "web/ApiParam.h"

#include <QBuffer>
#include <QMap>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>



// One call of the template web service: its request fields by name (always "secret_token"), the
// body built from them (form-urlencoded or multipart), the reply of the running call and the
// parsed reply of the last finished one, which the accessors of derived classes read.
//
// finished() is emitted for every call, failed or not. A failed call reads as a reply without
// any item: the accessors never fail. failure() tells a failed call (no connection, an HTTP
// error, a reply that cannot be read) from a reply that holds no item.
class AbstractApiMethod : public QObject
{
    Q_OBJECT

public:
    explicit AbstractApiMethod(QObject* parent = nullptr);
    ~AbstractApiMethod() override;

    // The call's name on the wire, appended to the base URL.
    virtual QString methodName() const = 0;

    QNetworkRequest* request() { return &m_request; }
    // The body for the current mode, built afresh.
    QByteArray data() const;
    // A fresh body in the method's buffer, opened read-only.
    QIODevice* dataDevice();
    void switchMultiPart(bool on);
    bool isMultiPart() const { return m_multipart; }
    QString const& boundary() const { return m_boundary; }

    // Releases the previous reply (deferred) and forwards the new one's progress.
    void setReply(QNetworkReply* reply);
    QNetworkReply* reply() const { return m_reply; }
    // Reads the held reply's body as the new result and emits finished(). A network or HTTP
    // error of the reply, or a body that is no JSON text, is the call's failure; the body is
    // read all the same (an error reply may carry the service's messages).
    void finish();
    // Ends the call as failed (no connection, timeout, oversized reply): empty result, the
    // message as failure(), finished().
    void finishFailed(QString const& message);
    // The reply body up to its first zero byte, each byte one character, parsed as JSON. A body
    // that cannot be read makes the failure; a readable one clears it.
    void parseReplyBody(QByteArray const& body);

    // Why the last call failed, in a sentence of a few hundred characters at most; empty when
    // it brought a readable reply.
    QString const& failure() const { return m_failure; }
    bool hasFailed() const { return !m_failure.isEmpty(); }
    // The service's own words in the last reply: its first error ("field: message"), else its
    // "message", else its "error"; empty when it gave none. Uncut.
    QString serviceWords() const;
    // The HTTP status of the last call's reply; 0 when the service sent none (no connection, no
    // answer in time, no usable address).
    int httpStatus() const { return m_httpStatus; }

    QMap<QString, ApiParam> const& params() const { return m_params; }
    QVariant const& result() const { return m_result; }

signals:
    void finished();
    void uploadProgress(qint64 bytesSent, qint64 bytesTotal);
    void downloadProgress(qint64 bytesReceived, qint64 bytesTotal);

protected:
    void setParam(QString const& name, ApiParam const& param);
    // A text field: its UTF-8 bytes, "text/plain".
    void setTextParam(QString const& name, QString const& text);
    // A file part with its own content type.
    void setFileParam(QString const& name, QByteArray const& bytes, QString const& contentType);

    // The reply taken as an object, and a value in it (invalid when absent).
    QVariantMap resultMap() const;
    QVariant resultValue(QString const& key) const;
    // The named field of the item stored under itemKey.
    QVariant itemField(QString const& itemKey, QString const& field) const;
    // The reply's "errors" object as "field: message" lines, in the order the service gave.
    QStringList errorLines() const;

private:
    QByteArray formBody() const;
    QByteArray multipartBody() const;
    static int httpStatusOf(QNetworkReply const* reply);

    QMap<QString, ApiParam> m_params;
    QNetworkRequest m_request;
    QPointer<QNetworkReply> m_reply;
    QVariant m_result;
    QString m_failure;
    int m_httpStatus = 0;
    bool m_multipart = false;
    QString m_boundary;
    QBuffer m_buffer;
};
