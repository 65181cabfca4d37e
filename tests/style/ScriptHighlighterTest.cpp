#include "ScriptTestSupport.h"

#include "style/KelScriptHighlighter.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTextDocument>

using ScriptTest::foregroundAt;
using ScriptTest::formatAt;

namespace {

const QColor TEXT(QStringLiteral("#8fa7b8"));
const QColor TEXT_BACKGROUND(QStringLiteral("#131313"));
const QColor KEYWORD(QStringLiteral("#c89c1a"));
const QColor STRING(QStringLiteral("#885397"));
const QColor CLASS(QStringLiteral("#1eb44e"));
const QColor COMMENT(QStringLiteral("#917a4d"));

class ScriptHighlighterTest : public ::testing::Test
{
protected:
    // A document highlighted from built-in defaults.
    QTextDocument* highlighted(const QString& text)
    {
        document.setPlainText(text);
        highlighter = new KelScriptHighlighter(&document);
        highlighter->rehighlight();
        return &document;
    }

    ScriptTest::SettingsSandbox sandbox;
    QTextDocument document;
    KelScriptHighlighter* highlighter = nullptr;
};

TEST_F(ScriptHighlighterTest, TwoStringsOnALineAreColouredAsOne)
{
    const QString line = QStringLiteral("a = \"x\" + \"y\";");
    highlighted(line);
    const int first = int(line.indexOf(QLatin1Char('"')));
    const int last = int(line.lastIndexOf(QLatin1Char('"')));
    for (int i = first; i <= last; ++i)
        EXPECT_EQ(foregroundAt(document, 0, i), STRING) << i;
    EXPECT_FALSE(foregroundAt(document, 0, last + 1).isValid());
    EXPECT_FALSE(foregroundAt(document, 0, 0).isValid());
}

TEST_F(ScriptHighlighterTest, KeywordsWinOverLineCommentsAndStringsButNotBlockComments)
{
    highlighted(QStringLiteral("// int x\n\"int\"\n/* int */"));
    EXPECT_EQ(foregroundAt(document, 0, 3), KEYWORD);
    EXPECT_EQ(foregroundAt(document, 0, 7), COMMENT);
    EXPECT_EQ(foregroundAt(document, 1, 1), KEYWORD);
    EXPECT_EQ(foregroundAt(document, 1, 0), STRING);
    EXPECT_EQ(foregroundAt(document, 2, 3), COMMENT);
}

TEST_F(ScriptHighlighterTest, ClassLineTakesTheFunctionFormatAroundItsKeywords)
{
    const QString line = QStringLiteral("class Foo : public Bar");
    highlighted(line);
    EXPECT_EQ(foregroundAt(document, 0, 0), KEYWORD);
    EXPECT_EQ(foregroundAt(document, 0, int(line.indexOf(QLatin1String("public")))), KEYWORD);
    for (const char* rest : {"Foo", ":", "Bar"}) {
        const int at = int(line.indexOf(QLatin1String(rest)));
        EXPECT_EQ(foregroundAt(document, 0, at), TEXT) << rest;
        EXPECT_EQ(formatAt(document, 0, at).background().color(), TEXT_BACKGROUND) << rest;
    }
}

TEST_F(ScriptHighlighterTest, WordDirectlyBeforeAParenthesisIsAFunction)
{
    highlighted(QStringLiteral("call(x)\ncall (x)\nTwCore y"));
    EXPECT_EQ(foregroundAt(document, 0, 0), TEXT);
    EXPECT_EQ(foregroundAt(document, 0, 3), TEXT);
    EXPECT_FALSE(foregroundAt(document, 0, 4).isValid());
    EXPECT_FALSE(foregroundAt(document, 1, 0).isValid());
    EXPECT_EQ(foregroundAt(document, 2, 0), CLASS);
    EXPECT_EQ(foregroundAt(document, 2, 5), CLASS);
    EXPECT_FALSE(foregroundAt(document, 2, 7).isValid());
}

TEST_F(ScriptHighlighterTest, BlockCommentSpansLinesUpToItsEndDelimiter)
{
    highlighted(QStringLiteral("x /* open\nint inside\nend */ int y\nint z"));
    EXPECT_FALSE(foregroundAt(document, 0, 0).isValid());
    EXPECT_EQ(foregroundAt(document, 0, 2), COMMENT);
    EXPECT_EQ(foregroundAt(document, 0, 8), COMMENT);
    EXPECT_EQ(foregroundAt(document, 1, 0), COMMENT);
    EXPECT_EQ(foregroundAt(document, 2, 5), COMMENT);
    EXPECT_EQ(foregroundAt(document, 2, 7), KEYWORD);
    EXPECT_EQ(foregroundAt(document, 3, 0), KEYWORD);
    EXPECT_EQ(document.findBlockByNumber(0).userState(), 1);
    EXPECT_EQ(document.findBlockByNumber(1).userState(), 1);
    EXPECT_EQ(document.findBlockByNumber(2).userState(), 0);
}

TEST_F(ScriptHighlighterTest, SlashStarSlashIsAWholeComment)
{
    highlighted(QStringLiteral("/*/ int\nint"));
    EXPECT_EQ(foregroundAt(document, 0, 2), COMMENT);
    EXPECT_EQ(foregroundAt(document, 0, 4), KEYWORD);
    EXPECT_EQ(foregroundAt(document, 1, 0), KEYWORD);
}

TEST_F(ScriptHighlighterTest, CommentStartInsideAStringStillOpensAComment)
{
    highlighted(QStringLiteral("s = \"/*\"; int x;\nint"));
    EXPECT_EQ(foregroundAt(document, 0, 11), COMMENT);
    EXPECT_EQ(foregroundAt(document, 1, 0), COMMENT);
}

TEST_F(ScriptHighlighterTest, DefaultFormatsAreNeitherBoldNorItalic)
{
    highlighted(QString());
    EXPECT_EQ(highlighter->keywordFormat().foreground().color(), KEYWORD);
    EXPECT_EQ(highlighter->keywordFormat().background().color(), QColor(Qt::transparent));
    EXPECT_EQ(highlighter->textFormat().foreground().color(), TEXT);
    EXPECT_EQ(highlighter->functionFormat().background().color(), TEXT_BACKGROUND);
    EXPECT_EQ(highlighter->selectionFormat().foreground().color(), QColor("#7a8386"));
    EXPECT_EQ(highlighter->selectionFormat().background().color(), QColor("#464649"));
    EXPECT_EQ(highlighter->quotationFormat().background().style(), Qt::NoBrush);
    for (const QTextCharFormat& format :
         {highlighter->textFormat(), highlighter->keywordFormat(), highlighter->selectionFormat(),
          highlighter->classFormat(), highlighter->commentFormat(),
          highlighter->quotationFormat(), highlighter->functionFormat()}) {
        EXPECT_EQ(format.fontWeight(), QFont::Normal);
        EXPECT_FALSE(format.fontItalic());
    }
    EXPECT_EQ(highlighter->font().family(), QStringLiteral("Monaco"));
    EXPECT_EQ(highlighter->font().pointSize(), 11);
}

TEST_F(ScriptHighlighterTest, RuleListKeepsItsOrderWithPrivateTwice)
{
    highlighted(QString());
    const auto rules = highlighter->highlightingRules();
    ASSERT_EQ(rules.size(), 39);
    EXPECT_EQ(rules.at(0).pattern.pattern(), QStringLiteral("\".*\""));
    EXPECT_EQ(rules.at(5).pattern.pattern(), QStringLiteral("\\bchar\\b"));
    EXPECT_EQ(rules.at(17).pattern.pattern(), QStringLiteral("\\bprivate\\b"));
    EXPECT_EQ(rules.at(29).pattern.pattern(), QStringLiteral("\\bprivate\\b"));
    EXPECT_EQ(rules.at(38).pattern.pattern(), QStringLiteral("\\bfalse\\b"));
    for (const auto& rule : rules)
        EXPECT_TRUE(rule.pattern.isValid()) << rule.pattern.pattern().toStdString();
}

TEST_F(ScriptHighlighterTest, FormatsChangeTheRulesOnlyWhenRebuilt)
{
    highlighted(QString());
    QTextCharFormat red = highlighter->keywordFormat();
    red.setForeground(Qt::red);
    highlighter->setKeywordFormat(red);
    EXPECT_EQ(highlighter->highlightingRules().at(5).format.foreground().color(), KEYWORD);
    highlighter->buildSyntaxList();
    EXPECT_EQ(highlighter->highlightingRules().at(5).format.foreground().color(),
              QColor(Qt::red));
}

TEST_F(ScriptHighlighterTest, SavedFormatsComeBackInANewHighlighter)
{
    highlighted(QString());
    QTextCharFormat keyword = highlighter->keywordFormat();
    keyword.setForeground(QColor(10, 20, 30));
    keyword.setFontWeight(QFont::Bold);
    keyword.setFontItalic(true);
    keyword.setFontUnderline(true);
    highlighter->setKeywordFormat(keyword);
    highlighter->setFont(QFont(QStringLiteral("Courier"), 13));
    highlighter->saveToSettings();

    QTextDocument other;
    other.setPlainText(QStringLiteral("int"));
    auto* loaded = new KelScriptHighlighter(&other);
    loaded->rehighlight();
    EXPECT_EQ(loaded->font().family(), QStringLiteral("Courier"));
    EXPECT_EQ(loaded->keywordFormat().foreground().color(), QColor(10, 20, 30));
    EXPECT_EQ(loaded->keywordFormat().fontWeight(), QFont::Bold);
    EXPECT_TRUE(loaded->keywordFormat().fontItalic());
    // Only colours, weight and italics are taken over.
    EXPECT_FALSE(loaded->keywordFormat().fontUnderline());
    EXPECT_EQ(foregroundAt(other, 0, 0), QColor(10, 20, 30));
}

TEST_F(ScriptHighlighterTest, OnlyTheFontStoredLeavesFormatsWithoutColours)
{
    QSettings().setValue(QStringLiteral("KelScriptHighlighter::font"),
                         QFont(QStringLiteral("Courier"), 9));
    highlighted(QStringLiteral("int x"));
    EXPECT_EQ(highlighter->keywordFormat().foreground().style(), Qt::NoBrush);
    EXPECT_EQ(highlighter->textFormat().background().style(), Qt::NoBrush);
    EXPECT_EQ(highlighter->commentFormat().fontWeight(), QFont::Normal);
    EXPECT_FALSE(highlighter->commentFormat().fontItalic());
    EXPECT_FALSE(foregroundAt(document, 0, 0).isValid());
}

TEST_F(ScriptHighlighterTest, MalformedStoredValuesGiveEmptyFormatsWithoutTrouble)
{
    QSettings settings;
    settings.setValue(QStringLiteral("KelScriptHighlighter::font"), QStringLiteral("not a font"));
    settings.setValue(QStringLiteral("KelScriptHighlighter::keywordFormat"), 42);
    highlighted(QStringLiteral("int x"));
    EXPECT_EQ(highlighter->keywordFormat().foreground().style(), Qt::NoBrush);
    EXPECT_EQ(highlighter->highlightingRules().size(), 39);
}

TEST_F(ScriptHighlighterTest, CopyingTakesFourPropertiesAndCountsWeightZeroAsNormal)
{
    highlighted(QString());
    QTextCharFormat target;
    target.setFontFamilies({QStringLiteral("Target")});
    QTextCharFormat source;
    source.setForeground(Qt::green);
    source.setBackground(Qt::blue);
    source.setProperty(QTextFormat::FontWeight, 0);
    source.setFontItalic(true);
    source.setFontFamilies({QStringLiteral("Source")});
    source.setFontPointSize(30);
    highlighter->copyTextCharFormat(target, source);
    EXPECT_EQ(target.foreground().color(), QColor(Qt::green));
    EXPECT_EQ(target.background().color(), QColor(Qt::blue));
    EXPECT_EQ(target.fontWeight(), QFont::Normal);
    EXPECT_TRUE(target.fontItalic());
    EXPECT_EQ(target.fontFamilies().toStringList(), QStringList{QStringLiteral("Target")});
    EXPECT_FALSE(target.hasProperty(QTextFormat::FontPointSize));
}

TEST_F(ScriptHighlighterTest, AssignmentCopiesFormatsAndKeepsTheDocument)
{
    highlighted(QStringLiteral("int"));
    QTextDocument otherDocument;
    auto* other = new KelScriptHighlighter(&otherDocument);
    QTextCharFormat comment = other->commentFormat();
    comment.setForeground(Qt::cyan);
    other->setCommentFormat(comment);
    other->setFont(QFont(QStringLiteral("Other"), 20));

    *highlighter = *other;
    EXPECT_EQ(highlighter->document(), &document);
    EXPECT_EQ(highlighter->commentFormat().foreground().color(), QColor(Qt::cyan));
    EXPECT_EQ(highlighter->font().family(), QStringLiteral("Other"));
    EXPECT_EQ(highlighter->highlightingRules().at(3).format.foreground().color(),
              QColor(Qt::cyan));

    KelScriptHighlighter& self = *highlighter;
    self = *highlighter;
    EXPECT_EQ(highlighter->highlightingRules().size(), 39);
}

} // namespace
