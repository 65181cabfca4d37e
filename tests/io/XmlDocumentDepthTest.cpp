#include "io/XmlDocumentDepth.h"

#include <gtest/gtest.h>

#include <QDomDocument>

using namespace KelUtils;

namespace {

QByteArray nested(int levels, QByteArray const& tag = "a")
{
    QByteArray open = "<" + tag + ">";
    QByteArray close = "</" + tag + ">";
    return open.repeated(levels) + close.repeated(levels);
}

} // namespace

TEST(XmlDocumentDepth, TheLimitIsTheDeepestNestingAccepted)
{
    struct Case {
        QByteArray text;
        bool accepted;
    };
    const Case cases[] = {
        {nested(1), true},
        {nested(MaxXmlDepth), true},
        {nested(MaxXmlDepth + 1), false},
        // Siblings do not add up: only the depth counts.
        {"<r>" + nested(MaxXmlDepth - 1).repeated(3) + "</r>", true},
        // Refused where the limit is passed, even when the rest is broken.
        {nested(MaxXmlDepth + 1).left(MaxXmlDepth * 3 + 10), false},
    };
    for (Case const& c : cases) {
        QString message;
        int line = 0;
        int column = 0;
        EXPECT_EQ(checkXmlDocument(c.text, &message, &line, &column), c.accepted) << c.text.size();
        EXPECT_EQ(message.isEmpty(), c.accepted) << qPrintable(message);
        if (!c.accepted) {
            EXPECT_TRUE(message.contains(QString::number(MaxXmlDepth))) << qPrintable(message);
            EXPECT_EQ(line, 1);
            EXPECT_GT(column, MaxXmlDepth * 3);
        }
    }
}

TEST(XmlDocumentDepth, WhatTheParserCannotReadIsRefusedInTheParsersWords)
{
    struct Case {
        QByteArray text;
        bool accepted;
    };
    const Case cases[] = {
        {"<a>\n<b></a>", false},
        {QByteArray(), false},
        {"\x89PNG\r\n\x1a\n", false},
        // Namespaces are not processed, as by the parser: a prefix needs no declaration.
        {"<p:q/>", true},
        // An undeclared prefix at the top no longer ends the pass before the depth is seen.
        {"<p:q>" + nested(MaxXmlDepth) + "</p:q>", false},
    };
    for (Case const& c : cases) {
        QString checkMessage;
        int checkLine = 0;
        int checkColumn = 0;
        EXPECT_EQ(checkXmlDocument(c.text, &checkMessage, &checkLine, &checkColumn), c.accepted) << c.text.constData();
        QDomDocument document;
        QString parserMessage;
        int parserLine = 0;
        int parserColumn = 0;
        const bool parsed = document.setContent(c.text, false, &parserMessage, &parserLine, &parserColumn);
        if (!parsed) {
            EXPECT_EQ(checkMessage, parserMessage);
            EXPECT_EQ(checkLine, parserLine);
            EXPECT_EQ(checkColumn, parserColumn);
        }
    }
}

TEST(XmlDocumentDepth, HundredThousandLevelsAreRefusedAtOnceAndTheDocumentStaysAsItWas)
{
    QDomDocument document;
    ASSERT_TRUE(setXmlContent(document, "<kept attribute=\"1\"/>"));
    QString message;
    // Refused by the depth check itself, not by a parse that would take minutes.
    EXPECT_FALSE(setXmlContent(document, nested(100000, "graph"), &message));
    EXPECT_TRUE(message.contains(QString::number(MaxXmlDepth))) << qPrintable(message);
    message.clear();
    EXPECT_FALSE(setXmlContent(document, "<p:q>" + nested(100000, "graph") + "</p:q>", &message));
    EXPECT_TRUE(message.contains(QString::number(MaxXmlDepth))) << qPrintable(message);
    EXPECT_EQ(document.documentElement().tagName(), QStringLiteral("kept"));
    EXPECT_EQ(document.documentElement().attribute(QStringLiteral("attribute")), QStringLiteral("1"));
}
