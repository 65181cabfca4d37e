#pragma once

#include <QString>
#include <QVariant>

// Reads the text of a web-service reply into a QVariant tree: objects as QVariantMap, arrays as
// QVariantList, strings as QString ("" a null QString), numbers as their literal text, true and
// false as bool, null as an invalid QVariant. Lenient: commas are optional and the text after
// the first complete value is ignored. Any failure empties the whole value.
//
// Objects and arrays nest at most maxDepth levels and a text builds at most maxElements values in
// all; a deeper or larger text fails like any other, so that a hostile reply can exhaust neither
// the stack nor the memory.
class Json
{
public:
    enum Token {
        TokenNone = 0,
        TokenCurlyOpen = 1,
        TokenCurlyClose = 2,
        TokenSquaredOpen = 3,
        TokenSquaredClose = 4,
        TokenColon = 5,
        TokenComma = 6,
        TokenString = 7,
        TokenNumber = 8,
        TokenTrue = 9,
        TokenFalse = 10,
        TokenNull = 11
    };

    static constexpr int maxDepth = 512;
    static constexpr int maxElements = 1000000;

    // What the caps met while reading one text.
    struct Budget
    {
        int remaining = maxElements;
        bool tooMany = false;
        bool tooDeep = false;
    };

    static QVariant parse(QString const& json, bool& success);
    static QVariant parse(QString const& json);
    // As parse; on a failure `error` says why in a sentence.
    static QVariant parse(QString const& json, bool& success, QString& error);

    static void eatWhitespace(QString const& json, int& index);
    static int nextToken(QString const& json, int& index);
    static int lookAhead(QString const& json, int index);
    static int lastIndexOfNumber(QString const& json, int index);

    static QVariant parseValue(QString const& json, int& index, bool& success, int depth,
                             Budget& budget);
    static QVariant parseObject(QString const& json, int& index, bool& success, int depth,
                             Budget& budget);
    static QVariant parseArray(QString const& json, int& index, bool& success, int depth,
                             Budget& budget);
    static QVariant parseString(QString const& json, int& index, bool& success);
    static QVariant parseNumber(QString const& json, int& index);
};
