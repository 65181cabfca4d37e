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

} // namespace
