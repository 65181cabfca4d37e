#include "web/AbstractNLPDownloadMethod.h"

#include "web/ApiValue.h"

namespace {
QString itemKey()
{
    return QStringLiteral("nlp_extension");
}
} // namespace

AbstractNLPDownloadMethod::AbstractNLPDownloadMethod(QObject* parent) : AbstractApiMethod(parent) {}

QString AbstractNLPDownloadMethod::text(QString const& field) const
{
    return ApiValue::toText(itemField(itemKey(), field));
}

QString AbstractNLPDownloadMethod::nlpType() const { return text(QStringLiteral("nlp_type")); }
QString AbstractNLPDownloadMethod::supportedLanguage() const { return text(QStringLiteral("supported_language")); }
QString AbstractNLPDownloadMethod::version() const { return text(QStringLiteral("version")); }
QString AbstractNLPDownloadMethod::userId() const { return text(QStringLiteral("user_id")); }
QString AbstractNLPDownloadMethod::id() const { return text(QStringLiteral("id")); }
QString AbstractNLPDownloadMethod::uuid() const { return text(QStringLiteral("uuid")); }
QString AbstractNLPDownloadMethod::name() const { return text(QStringLiteral("name")); }

QDateTime AbstractNLPDownloadMethod::createdAt() const
{
    return ApiValue::toDateTime(itemField(itemKey(), QStringLiteral("created_at")));
}

bool AbstractNLPDownloadMethod::isSuccess() const
{
    return ApiValue::isPresent(resultValue(itemKey()));
}
