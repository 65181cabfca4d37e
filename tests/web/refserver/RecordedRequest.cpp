#include "RecordedRequest.h"

QByteArray RecordedRequest::header(QByteArray const& name) const
{
    for (auto const& pair : headers) {
        if (pair.first.compare(name, Qt::CaseInsensitive) == 0)
            return pair.second;
    }
    return QByteArray();
}

bool RecordedRequest::has(QString const& name) const
{
    for (auto const& pair : fields) {
        if (pair.first == name)
            return true;
    }
    return false;
}

QByteArray RecordedRequest::field(QString const& name) const
{
    for (auto const& pair : fields) {
        if (pair.first == name)
            return pair.second.value;
    }
    return QByteArray();
}

QStringList RecordedRequest::fieldNames() const
{
    QStringList names;
    for (auto const& pair : fields)
        names << pair.first;
    return names;
}

namespace RequestParsing {

namespace {

bool isUnreserved(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
           || c == '.' || c == '_' || c == '~';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1; // lowercase digits are not what the client sends
}

void parseForm(RecordedRequest& request)
{
    if (request.body.isEmpty())
        return;
    for (QByteArray const& piece : request.body.split('&')) {
        qsizetype const eq = piece.indexOf('=');
        if (eq < 0) {
            request.problems << QStringLiteral("form piece without '='");
            continue;
        }
        RecordedField field;
        field.value = formDecode(piece.mid(eq + 1), &request.problems);
        request.fields.append({QString::fromUtf8(piece.left(eq)), field});
    }
}

void parseMultipart(RecordedRequest& request, QByteArray const& boundary)
{
    QByteArray const crlf("\r\n");
    QByteArray const delimiter = "--" + boundary;
    QByteArray const& body = request.body;
    if (!body.startsWith(delimiter + crlf)) {
        request.problems << QStringLiteral("multipart body does not start with the delimiter");
        return;
    }
    QByteArray const closing = delimiter + "--" + crlf;
    if (!body.endsWith(closing)) {
        request.problems << QStringLiteral("multipart body does not end with the closing line");
        return;
    }
    qsizetype pos = delimiter.size() + 2;
    QByteArray const separator = crlf + delimiter;
    while (pos < body.size()) {
        qsizetype const headerEnd = body.indexOf(crlf + crlf, pos);
        if (headerEnd < 0) {
            request.problems << QStringLiteral("part without header end");
            return;
        }
        QList<QByteArray> const lines = body.mid(pos, headerEnd - pos).split('\n');
        qsizetype const valueStart = headerEnd + 4;
        qsizetype const valueEnd = body.indexOf(separator, valueStart);
        if (valueEnd < 0) {
            request.problems << QStringLiteral("part without end");
            return;
        }
        RecordedField field;
        field.value = body.mid(valueStart, valueEnd - valueStart);
        QString name;
        for (QByteArray line : lines) {
            line = line.trimmed();
            if (line.startsWith("Content-Disposition: form-data; name=\"")) {
                QList<QByteArray> const bits = line.split('"');
                name = QString::fromUtf8(bits.value(1));
                if (line.contains("; filename=\""))
                    field.fileName = QString::fromUtf8(bits.value(3));
            } else if (line.startsWith("Content-Type: ")) {
                field.contentType = QString::fromLatin1(line.mid(14));
            } else {
                request.problems << QStringLiteral("unexpected part header: %1")
                                        .arg(QString::fromLatin1(line));
            }
        }
        if (name.isEmpty())
            request.problems << QStringLiteral("part without name");
        request.fields.append({name, field});
        pos = valueEnd + separator.size();
        if (body.mid(pos, 4) == "--\r\n")
            return;
        if (body.mid(pos, 2) != crlf) {
            request.problems << QStringLiteral("delimiter not followed by CRLF");
            return;
        }
        pos += 2;
    }
}

} // namespace

QByteArray formDecode(QByteArray const& text, QStringList* problems)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char const c = text.at(i);
        if (c == '%' && i + 2 < text.size()) {
            int const high = hexValue(text.at(i + 1));
            int const low = hexValue(text.at(i + 2));
            if (high < 0 || low < 0) {
                if (problems)
                    *problems << QStringLiteral("bad percent escape");
                return out;
            }
            out.append(char(high * 16 + low));
            i += 2;
        } else if (isUnreserved(c)) {
            out.append(c);
        } else {
            if (problems)
                *problems << QStringLiteral("raw byte %1 in a form value").arg(int(uchar(c)));
            out.append(c);
        }
    }
    return out;
}

void parse(RecordedRequest& request)
{
    if (request.verb != "POST")
        request.problems << QStringLiteral("method %1").arg(QString::fromLatin1(request.verb));
    if (request.header("Connection").compare("keep-alive", Qt::CaseInsensitive) != 0)
        request.problems << QStringLiteral("no Connection: keep-alive");
    bool ok = false;
    qint64 const length = request.header("Content-Length").toLongLong(&ok);
    if (!ok || length != request.body.size())
        request.problems << QStringLiteral("Content-Length does not match the body");

    QByteArray const type = request.header("Content-Type");
    QByteArray const multipartPrefix("multipart/form-data; boundary=");
    if (type == "application/x-www-form-urlencoded") {
        parseForm(request);
    } else if (type.startsWith(multipartPrefix)) {
        QByteArray const boundary = type.mid(multipartPrefix.size());
        if (boundary.size() != 59 || !boundary.startsWith(QByteArray(27, '-')))
            request.problems << QStringLiteral("boundary is not 27 hyphens and 32 digits");
        parseMultipart(request, boundary);
    } else {
        request.problems << QStringLiteral("Content-Type %1").arg(QString::fromLatin1(type));
    }
}

} // namespace RequestParsing
