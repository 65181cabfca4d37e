#pragma once

#include <QByteArray>
#include <QString>

// One request field's value: the bytes sent and their content type. Any content type other
// than "text/plain" makes the field a file part of a multipart body.
class ApiParam
{
public:
    ApiParam();
    ApiParam(char const* text);
    ApiParam(QByteArray const& bytes);
    // The text's UTF-8 bytes.
    ApiParam(QString const& text);

    QByteArray value;
    QString contentType;

    bool isFilePart() const;
};
