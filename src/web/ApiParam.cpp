#include "web/ApiParam.h"

namespace {
QString plainText()
{
    return QStringLiteral("text/plain");
}
} // namespace

ApiParam::ApiParam() : contentType(plainText()) {}

ApiParam::ApiParam(char const* text) : value(text), contentType(plainText()) {}

ApiParam::ApiParam(QByteArray const& bytes) : value(bytes), contentType(plainText()) {}

ApiParam::ApiParam(QString const& text) : value(text.toUtf8()), contentType(plainText()) {}

bool ApiParam::isFilePart() const
{
    return contentType != plainText();
}
