#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

// One request as a test server received it, with its body taken apart.
struct RecordedField
{
    QByteArray value;
    // Multipart only: the part's file name and content type (empty for a plain part).
    QString fileName;
    QString contentType;
};

struct RecordedRequest
{
    QByteArray verb;
    QString path;
    // The last segment of the path: the call's name.
    QString call;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // Fields in body order, parsed as the Content-Type says.
    QList<QPair<QString, RecordedField>> fields;
    // What the server found wrong with the request (empty for a correct one).
    QStringList problems;

    QByteArray header(QByteArray const& name) const;
    bool has(QString const& name) const;
    QByteArray field(QString const& name) const;
    QStringList fieldNames() const;
};

namespace RequestParsing {

// Fills fields and problems from headers and body. Checks method, Content-Type, Content-Length,
// "Connection: keep-alive", the strict form encoding and the multipart layout.
void parse(RecordedRequest& request);

// Percent-decodes a form value; lowercase hex digits, "+" and raw reserved bytes are problems.
QByteArray formDecode(QByteArray const& text, QStringList* problems);

} // namespace RequestParsing
