#include "web/ApiInteractor.h"

#include "web/AbstractApiMethod.h"
#include "web/WebServiceConfig.h"

#include <QNetworkReply>
#include <QTimer>
#include <QUrl>

namespace {
char const* const kFailedProperty = "vyxCallFailure";
int g_defaultTimeoutMs = WebServiceConfig::defaultTransferTimeoutMs;
int g_defaultDeadlineMs = WebServiceConfig::defaultCallDeadlineMs;

QString failureOf(QNetworkReply* reply)
{
    return reply->property(kFailedProperty).toString();
}

QString seconds(int milliseconds)
{
    return QString::number(milliseconds / 1000.0, 'g', 4);
}
} // namespace

void ApiInteractor::setDefaultTransferTimeout(int milliseconds)
{
    g_defaultTimeoutMs = milliseconds > 0 ? milliseconds : WebServiceConfig::defaultTransferTimeoutMs;
}

void ApiInteractor::setDefaultCallDeadline(int milliseconds)
{
    g_defaultDeadlineMs = milliseconds > 0 ? milliseconds : WebServiceConfig::defaultCallDeadlineMs;
}

void ApiInteractor::fail(QNetworkReply* reply, QString const& message)
{
    if (!failureOf(reply).isEmpty())
        return;
    reply->setProperty(kFailedProperty, message);
    // Not from inside the reply's own signal.
    QMetaObject::invokeMethod(reply, &QNetworkReply::abort, Qt::QueuedConnection);
}

ApiInteractor::ApiInteractor(QString const& baseUrl, QObject* parent)
    : QObject(parent),
      m_baseUrl(baseUrl),
      m_usable(WebServiceConfig::isUsableBaseUrl(baseUrl)),
      m_timeoutMs(g_defaultTimeoutMs),
      m_deadlineMs(g_defaultDeadlineMs),
      m_maxReplyBytes(WebServiceConfig::maxReplyBytes)
{
    m_manager.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    connect(&m_manager, &QNetworkAccessManager::finished, this, &ApiInteractor::onCommandFinished);
}

ApiInteractor::~ApiInteractor()
{
    // Aborting emits finished(): nobody may hear it while the owner is being destroyed.
    disconnect(&m_manager, nullptr, this, nullptr);
    QList<QNetworkReply*> const replies = m_pending.keys();
    m_pending.clear();
    for (QNetworkReply* reply : replies) {
        reply->disconnect();
        reply->abort();
    }
}

void ApiInteractor::executeMethod(AbstractApiMethod* method)
{
    if (!method)
        return;
    dropPendingOf(method);
    if (!m_usable) {
        // No reply of an earlier call may speak for this one.
        method->setReply(nullptr);
        QPointer<AbstractApiMethod> guarded(method);
        QString const problem = WebServiceConfig::baseUrlProblem(m_baseUrl);
        QString const text = problem.isEmpty()
                                 ? tr("No usable address of the template web service is set up.")
                                 : tr("The address of the template web service is malformed: %1")
                                       .arg(problem);
        QTimer::singleShot(0, this, [guarded, text] {
            if (guarded)
                guarded->finishFailed(text);
        });
        return;
    }

    QNetworkRequest* request = method->request();
    request->setUrl(QUrl(m_baseUrl + method->methodName()));
    QByteArray const body = method->data();
    request->setRawHeader(QByteArrayLiteral("Connection"), QByteArrayLiteral("keep-alive"));
    request->setHeader(QNetworkRequest::ContentLengthHeader, body.size());
    request->setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                          QNetworkRequest::ManualRedirectPolicy);
    request->setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request->setTransferTimeout(m_timeoutMs);

    QNetworkReply* reply = m_manager.post(*request, body);
    watchSize(reply);
    watchDeadline(reply);
    method->setReply(reply);
    m_pending.insert(reply, QPointer<AbstractApiMethod>(method));
}

void ApiInteractor::watchSize(QNetworkReply* reply)
{
    auto check = [this, reply] {
        qint64 const announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (announced > m_maxReplyBytes || reply->bytesAvailable() > m_maxReplyBytes)
            fail(reply, tr("The service's reply is larger than %1 bytes.").arg(m_maxReplyBytes));
    };
    connect(reply, &QNetworkReply::metaDataChanged, this, check);
    connect(reply, &QIODevice::readyRead, this, check);
}

void ApiInteractor::watchDeadline(QNetworkReply* reply)
{
    // A child of the reply: it goes with it.
    auto* timer = new QTimer(reply);
    timer->setSingleShot(true);
    int const deadline = m_deadlineMs;
    connect(timer, &QTimer::timeout, reply, [reply, deadline] {
        fail(reply, tr("The service did not answer within %1 s.").arg(seconds(deadline)));
    });
    connect(reply, &QNetworkReply::finished, timer, &QTimer::stop);
    timer->start(deadline);
}

void ApiInteractor::dropPendingOf(AbstractApiMethod* method)
{
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it.value() == method) {
            QNetworkReply* reply = it.key();
            it = m_pending.erase(it);
            reply->disconnect(this);
            reply->abort();
        } else {
            ++it;
        }
    }
}

void ApiInteractor::dropAll()
{
    QList<QNetworkReply*> const replies = m_pending.keys();
    m_pending.clear();
    for (QNetworkReply* reply : replies) {
        reply->disconnect(this);
        reply->abort();
    }
}

void ApiInteractor::onCommandFinished(QNetworkReply* reply)
{
    auto it = m_pending.find(reply);
    if (it == m_pending.end())
        return;
    QPointer<AbstractApiMethod> method = it.value();
    m_pending.erase(it);
    if (!method)
        return;
    QString failure = failureOf(reply);
    // The transfer timeout cancels the reply: every other abort of a pending call is marked.
    if (failure.isEmpty()
        && (reply->error() == QNetworkReply::OperationCanceledError
            || reply->error() == QNetworkReply::TimeoutError))
        failure = tr("The service sent nothing for %1 s.").arg(seconds(m_timeoutMs));
    if (!failure.isEmpty())
        method->finishFailed(failure);
    else
        method->finish();
}
