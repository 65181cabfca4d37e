#include "web/Json.h"

#include <QVariantList>
#include <QVariantMap>

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')
           || c == QLatin1Char('\r');
}

bool isNumberChar(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('+')
           || c == QLatin1Char('-') || c == QLatin1Char('.') || c == QLatin1Char('e')
           || c == QLatin1Char('E');
}

} // namespace

QVariant Json::parse(QString const& json)
{
    bool success = true;
    return parse(json, success);
}

QVariant Json::parse(QString const& json, bool& success)
{
    QString error;
    return parse(json, success, error);
}

QVariant Json::parse(QString const& json, bool& success, QString& error)
{
    success = true;
    error.clear();
    if (json.isNull())
        return QVariant();
    int index = 0;
    Budget budget;
    QVariant value = parseValue(json, index, success, 0, budget);
    if (success)
        return value;
    if (budget.tooMany)
        error = QStringLiteral("The reply holds more than %1 values.").arg(maxElements);
    else if (budget.tooDeep)
        error = QStringLiteral("The reply nests deeper than %1 levels.").arg(maxDepth);
    else
        error = QStringLiteral("The reply is no JSON text.");
    return value;
}

void Json::eatWhitespace(QString const& json, int& index)
{
    while (index < json.size() && isBlank(json.at(index)))
        ++index;
}

int Json::nextToken(QString const& json, int& index)
{
    eatWhitespace(json, index);
    if (index >= json.size())
        return TokenNone;

    QChar const c = json.at(index);
    ++index;
    switch (c.unicode()) {
    case '{': return TokenCurlyOpen;
    case '}': return TokenCurlyClose;
    case '[': return TokenSquaredOpen;
    case ']': return TokenSquaredClose;
    case ':': return TokenColon;
    case ',': return TokenComma;
    case '"': return TokenString;
    case '-': case '0': case '1': case '2': case '3': case '4':
    case '5': case '6': case '7': case '8': case '9':
        return TokenNumber;
    default: break;
    }
    --index;

    int const remaining = json.size() - index;
    if (remaining >= 4 && QStringView(json).mid(index, 4) == QLatin1String("true")) {
        index += 4;
        return TokenTrue;
    }
    if (remaining >= 5 && QStringView(json).mid(index, 5) == QLatin1String("false")) {
        index += 5;
        return TokenFalse;
    }
    if (remaining >= 4 && QStringView(json).mid(index, 4) == QLatin1String("null")) {
        index += 4;
        return TokenNull;
    }
    return TokenNone;
}

int Json::lookAhead(QString const& json, int index)
{
    return nextToken(json, index);
}

int Json::lastIndexOfNumber(QString const& json, int index)
{
    int last = index;
    while (last < json.size() && isNumberChar(json.at(last)))
        ++last;
    return last - 1;
}

QVariant Json::parseValue(QString const& json, int& index, bool& success, int depth,
                          Budget& budget)
{
    // Counted before it is built: a list of millions of small values costs gigabytes.
    if (--budget.remaining < 0) {
        budget.tooMany = true;
        success = false;
        return QVariant();
    }
    switch (lookAhead(json, index)) {
    case TokenCurlyOpen:
        return parseObject(json, index, success, depth + 1, budget);
    case TokenSquaredOpen:
        return parseArray(json, index, success, depth + 1, budget);
    case TokenString:
        return parseString(json, index, success);
    case TokenNumber:
        return parseNumber(json, index);
    case TokenTrue:
        nextToken(json, index);
        return QVariant(true);
    case TokenFalse:
        nextToken(json, index);
        return QVariant(false);
    case TokenNull:
        nextToken(json, index);
        return QVariant();
    default:
        success = false;
        return QVariant();
    }
}

QVariant Json::parseObject(QString const& json, int& index, bool& success, int depth,
                          Budget& budget)
{
    if (depth > maxDepth) {
        budget.tooDeep = true;
        success = false;
        return QVariantMap();
    }
    QVariantMap map;
    nextToken(json, index);
    for (;;) {
        int const token = lookAhead(json, index);
        if (token == TokenNone) {
            success = false;
            return QVariantMap();
        }
        if (token == TokenComma) {
            nextToken(json, index);
            continue;
        }
        if (token == TokenCurlyClose) {
            nextToken(json, index);
            return map;
        }
        QString const key = parseString(json, index, success).toString();
        if (!success)
            return QVariantMap();
        if (nextToken(json, index) != TokenColon) {
            success = false;
            return QVariantMap();
        }
        QVariant const value = parseValue(json, index, success, depth, budget);
        if (!success)
            return QVariantMap();
        map.insert(key, value);
    }
}

QVariant Json::parseArray(QString const& json, int& index, bool& success, int depth,
                          Budget& budget)
{
    if (depth > maxDepth) {
        budget.tooDeep = true;
        success = false;
        return QVariantList();
    }
    QVariantList list;
    nextToken(json, index);
    for (;;) {
        int const token = lookAhead(json, index);
        if (token == TokenNone) {
            success = false;
            return QVariantList();
        }
        if (token == TokenComma) {
            nextToken(json, index);
            continue;
        }
        if (token == TokenSquaredClose) {
            nextToken(json, index);
            return list;
        }
        QVariant const value = parseValue(json, index, success, depth, budget);
        if (!success)
            return QVariantList();
        list.append(value);
    }
}

QVariant Json::parseString(QString const& json, int& index, bool& success)
{
    QString text;
    eatWhitespace(json, index);
    ++index; // the opening quote, whatever it is
    for (;;) {
        if (index >= json.size()) {
            success = false;
            return QVariant();
        }
        QChar const c = json.at(index++);
        if (c == QLatin1Char('"'))
            return QVariant(text);
        if (c != QLatin1Char('\\')) {
            text.append(c);
            continue;
        }
        if (index >= json.size()) {
            success = false;
            return QVariant();
        }
        QChar const escaped = json.at(index++);
        switch (escaped.unicode()) {
        case '"': text.append(QLatin1Char('"')); break;
        case '\\': text.append(QLatin1Char('\\')); break;
        case '/': text.append(QLatin1Char('/')); break;
        case 'b': text.append(QChar(8)); break;
        case 'f': text.append(QChar(12)); break;
        case 'n': text.append(QChar(10)); break;
        case 'r': text.append(QChar(13)); break;
        case 't': text.append(QChar(9)); break;
        case 'u': {
            if (json.size() - index < 4) {
                success = false;
                return QVariant();
            }
            int const code = json.mid(index, 4).toInt(nullptr, 16);
            text.append(QChar(char16_t(code & 0xFFFF)));
            index += 4;
            break;
        }
        default:
            break; // an escape without meaning is dropped
        }
    }
}

QVariant Json::parseNumber(QString const& json, int& index)
{
    eatWhitespace(json, index);
    int const last = lastIndexOfNumber(json, index);
    int const length = last - index + 1;
    QString const number = json.mid(index, length);
    index = last + 1;
    return QVariant(number);
}
