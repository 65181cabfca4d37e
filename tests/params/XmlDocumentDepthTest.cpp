#include "params/XmlDocumentDepth.h"

#include <gtest/gtest.h>

#include <QDomDocument>
#include <QElapsedTimer>

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
        EXPECT_EQ(checkXmlDepth(c.text, &message, &line, &column), c.accepted) << c.text.size();
        EXPECT_EQ(message.isEmpty(), c.accepted) << qPrintable(message);
        if (!c.accepted) {
            EXPECT_TRUE(message.contains(QString::number(MaxXmlDepth))) << qPrintable(message);
            EXPECT_EQ(line, 1);
            EXPECT_GT(column, MaxXmlDepth * 3);
        }
    }
}

TEST(XmlDocumentDepth, OtherFaultsAreLeftToTheParserWithItsOwnMessage)
{
    QDomDocument document;
    QString message;
    int line = 0;
    EXPECT_TRUE(checkXmlDepth("<a><b></a>"));
    EXPECT_FALSE(setXmlContent(document, "<a>\n<b></a>", &message, &line));
    EXPECT_FALSE(message.isEmpty());
    EXPECT_EQ(line, 2);
    EXPECT_TRUE(checkXmlDepth(QByteArray()));
}

TEST(XmlDocumentDepth, HundredThousandLevelsAreRefusedAtOnceAndTheDocumentStaysAsItWas)
{
    QDomDocument document;
    ASSERT_TRUE(setXmlContent(document, "<kept attribute=\"1\"/>"));
    QElapsedTimer timer;
    timer.start();
    QString message;
    EXPECT_FALSE(setXmlContent(document, nested(100000, "graph"), &message));
    // Generous: the quadratic parse this replaces took over a minute here.
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_FALSE(message.isEmpty());
    EXPECT_EQ(document.documentElement().tagName(), QStringLiteral("kept"));
    EXPECT_EQ(document.documentElement().attribute(QStringLiteral("attribute")), QStringLiteral("1"));
}
