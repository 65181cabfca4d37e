#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QUrl>

// One file of the help collection as a network reply. An empty one (a URL the collection does
// not hold) finishes at once with ContentNotFoundError.
class HelpReply : public QNetworkReply
{
    Q_OBJECT

public:
    HelpReply(QByteArray const& data, QUrl const& url);

    bool isSequential() const override;
    qint64 bytesAvailable() const override;
    void abort() override;

    // By the lower-cased suffix of the URL's path.
    static QByteArray contentType(QUrl const& url);

protected:
    qint64 readData(char* data, qint64 maxSize) override;

private:
    qint64 m_offset = 0;
    QByteArray m_data;
};
