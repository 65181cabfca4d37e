#include "help/HelpReply.h"

#include <QFileInfo>
#include <QHash>
#include <QTimer>

#include <cstring>

HelpReply::HelpReply(QByteArray const& data, QUrl const& url)
    : QNetworkReply(nullptr), m_data(data)
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    setHeader(QNetworkRequest::ContentTypeHeader, contentType(url));
    setHeader(QNetworkRequest::ContentLengthHeader, QByteArray::number(m_data.size()));
    setUrl(url);
    QTimer::singleShot(0, this, &QNetworkReply::metaDataChanged);
    if (m_data.isEmpty()) {
        // Nothing will ever be read: the reader must not wait for bytes.
        setError(ContentNotFoundError, tr("The help collection has no file %1").arg(url.toString()));
        setFinished(true);
        QTimer::singleShot(0, this, [this] {
            emit errorOccurred(ContentNotFoundError);
            emit finished();
        });
        return;
    }
    QTimer::singleShot(0, this, &QIODevice::readyRead);
}

bool HelpReply::isSequential() const
{
    return true;
}

qint64 HelpReply::bytesAvailable() const
{
    return m_data.size() - m_offset;
}

qint64 HelpReply::readData(char* data, qint64 maxSize)
{
    if (bytesAvailable() < 1)
        return -1;
    const qint64 n = qMin(bytesAvailable(), maxSize);
    std::memcpy(data, m_data.constData() + m_offset, size_t(n));
    m_offset += n;
    if (bytesAvailable() == 0) {
        QTimer::singleShot(0, this, [this] {
            setFinished(true);
            emit finished();
        });
    }
    return n;
}

void HelpReply::abort() {}

QByteArray HelpReply::contentType(QUrl const& url)
{
    static const QHash<QString, QByteArray> types{
        {QStringLiteral("html"), "text/html"}, {QStringLiteral("htm"), "text/html"},
        {QStringLiteral("css"), "text/css"},   {QStringLiteral("png"), "image/png"},
        {QStringLiteral("jpg"), "image/jpeg"}, {QStringLiteral("jpeg"), "image/jpeg"},
    };
    const QString path = url.path();
    const int slash = int(path.lastIndexOf(QLatin1Char('/')));
    const int dot = int(path.lastIndexOf(QLatin1Char('.')));
    if (dot <= slash)
        return QByteArrayLiteral("application/octet-stream");
    return types.value(path.mid(dot + 1).toLower(), QByteArrayLiteral("application/octet-stream"));
}
