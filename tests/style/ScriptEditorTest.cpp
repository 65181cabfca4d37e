#include "KelStyleTestSupport.h"
#include "ScriptTestSupport.h"

#include "style/KelScriptEditor.h"
#include "style/KelScriptEditorLineNumberArea.h"
#include "style/KelScriptHighlighter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

using KelStyleTest::store;

namespace {

class PaintCounter : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }

    int count = 0;
};

class ScriptEditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->add(QStringLiteral("KelScriptEditor.lineHighlightColor"), QColor(40, 40, 40));
        store()->add(QStringLiteral("KelScriptEditor.windowColor"), QColor(0, 0, 0));
        store()->add(QStringLiteral("KelScriptEditor.textColor"), QColor(0, 0, 255));
        store()->add(QStringLiteral("KelScriptEditor.highlightedTextColor"), QColor(255, 0, 0));
        editor = new KelScriptEditor;
        editor->resize(400, 300);
    }

    void TearDown() override { delete editor; }

    void show()
    {
        editor->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
        QApplication::processEvents();
    }

    // Text with the cursor placed at a 0-based line and column.
    void setText(const QString& text, int line, int column)
    {
        editor->setPlainText(text);
        QTextCursor cursor(editor->document()->findBlockByNumber(line));
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, column);
        editor->setTextCursor(cursor);
    }

    void type(const char* text) { QTest::keyClicks(editor, QLatin1String(text)); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(editor, key, modifiers);
    }

    int column() const { return editor->textCursor().columnNumber(); }
    // Where the text area starts, right of the gutter.
    int textLeft() const
    {
        return editor->viewport()->geometry().left() - editor->contentsRect().left();
    }
    int line() const { return editor->textCursor().blockNumber(); }

    int widthOf(const char* digits) const
    {
        return editor->fontMetrics().horizontalAdvance(QLatin1String(digits));
    }

    KelScriptEditorLineNumberArea* gutter() const
    {
        return editor->findChild<KelScriptEditorLineNumberArea*>();
    }

    ScriptTest::SettingsSandbox sandbox;
    KelScriptEditor* editor = nullptr;
};

TEST_F(ScriptEditorTest, GutterColoursAndLineHighlightComeFromTheStore)
{
    EXPECT_EQ(editor->lineHighlightColor(), QColor(40, 40, 40));
    const QPalette palette = editor->lineNumberAreaPalette();
    EXPECT_EQ(palette.color(QPalette::Inactive, QPalette::Window), QColor(0, 0, 0));
    EXPECT_EQ(palette.color(QPalette::Disabled, QPalette::Text), QColor(0, 0, 255));
    EXPECT_EQ(palette.color(QPalette::Active, QPalette::HighlightedText), QColor(255, 0, 0));
    EXPECT_EQ(editor->highlighter()->document(), editor->document());
}

TEST_F(ScriptEditorTest, OpeningBracketsAreClosedWithoutOvertyping)
{
    show();
    type("(");
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("()"));
    EXPECT_EQ(column(), 1);
    type(")");
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("())"));

    editor->clear();
    editor->setAutoIndentationEnabled(false);
    type("[{");
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("[{}]"));
    EXPECT_EQ(column(), 2);
}

TEST_F(ScriptEditorTest, TabFillsToTheNextIndentationStop)
{
    show();
    press(Qt::Key_Tab);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("    "));
    setText(QStringLiteral("abcdef"), 0, 6);
    press(Qt::Key_Tab);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("abcdef  "));
    EXPECT_EQ(column(), 8);
}

TEST_F(ScriptEditorTest, IndentationWidthBelowOneCountsAsOne)
{
    show();
    editor->setIndentationWidth(0);
    EXPECT_EQ(editor->indentationWidth(), 0);
    setText(QStringLiteral("ab"), 0, 2);
    press(Qt::Key_Tab);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("ab "));
    editor->setIndentationWidth(-3);
    setText(QStringLiteral("{"), 0, 1);
    press(Qt::Key_Return);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("{\n "));
}

TEST_F(ScriptEditorTest, ReturnCarriesTheIndentationAndOpensBraces)
{
    show();
    setText(QStringLiteral("    foo {"), 0, 9);
    press(Qt::Key_Return);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("    foo {\n        "));
    EXPECT_EQ(line(), 1);
    EXPECT_EQ(column(), 8);

    setText(QStringLiteral("  {}"), 0, 3);
    press(Qt::Key_Return);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("  {\n      \n  }"));
    EXPECT_EQ(line(), 1);
    EXPECT_EQ(column(), 6);

    setText(QStringLiteral("  x"), 0, 3);
    press(Qt::Key_Return);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("  x\n  "));
}

TEST_F(ScriptEditorTest, ReturnOnABlankLineOrWithoutAutoIndentationAddsNoSpaces)
{
    show();
    setText(QStringLiteral("    "), 0, 4);
    press(Qt::Key_Return);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("    \n"));

    editor->setAutoIndentationEnabled(false);
    setText(QStringLiteral("    x {"), 0, 7);
    press(Qt::Key_Return);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("    x {\n"));
}

TEST_F(ScriptEditorTest, ShiftReturnStartsANewParagraph)
{
    show();
    setText(QStringLiteral("  x"), 0, 3);
    press(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(editor->blockCount(), 2);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("  x\n  "));
}

TEST_F(ScriptEditorTest, ReadOnlyEditorGetsNoInsertedText)
{
    show();
    setText(QStringLiteral("  {}"), 0, 3);
    editor->setReadOnly(true);
    type("(");
    press(Qt::Key_Tab);
    press(Qt::Key_Return);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("  {}"));
}

TEST_F(ScriptEditorTest, ReadOnlyEditorHasNoLineHighlightButReportsMoves)
{
    editor->setPlainText(QStringLiteral("one\ntwo"));
    ASSERT_EQ(editor->extraSelections().size(), 1);
    EXPECT_EQ(editor->extraSelections().at(0).format.background().color(), QColor(40, 40, 40));
    EXPECT_TRUE(
        editor->extraSelections().at(0).format.property(QTextFormat::FullWidthSelection).toBool());

    editor->setReadOnly(true);
    QSignalSpy spy(editor, qOverload<int, int>(&KelScriptEditor::cursorPositionChanged));
    editor->setCursorPosition(2, 3);
    EXPECT_TRUE(editor->extraSelections().isEmpty());
    ASSERT_GE(spy.count(), 1);
    EXPECT_EQ(spy.last().at(0).toInt(), 2);
    EXPECT_EQ(spy.last().at(1).toInt(), 3);
}

TEST_F(ScriptEditorTest, HighlightSettingsRepaintOnlyOnChange)
{
    QSignalSpy spy(editor, qOverload<int, int>(&KelScriptEditor::cursorPositionChanged));
    editor->setLineHighlightColor(QColor(40, 40, 40));
    editor->setCurrentLineHighlighted(true);
    EXPECT_EQ(spy.count(), 0);

    editor->setLineHighlightColor(Qt::yellow);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(editor->extraSelections().at(0).format.background().color(), QColor(Qt::yellow));

    editor->setCurrentLineHighlighted(false);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_TRUE(editor->extraSelections().isEmpty());
}

TEST_F(ScriptEditorTest, GutterIsWideEnoughForOneDigitMoreThanTheLines)
{
    EXPECT_FALSE(editor->areLineNumbersVisible());
    EXPECT_EQ(editor->lineNumberAreaWidth(), 0);
    show();
    EXPECT_TRUE(editor->areLineNumbersVisible());
    EXPECT_EQ(editor->lineNumberAreaWidth(), widthOf("1000"));
    EXPECT_EQ(textLeft(), widthOf("1000"));
    EXPECT_EQ(gutter()->width(), widthOf("1000"));
    EXPECT_EQ(gutter()->sizeHint(), QSize(widthOf("1000"), 0));

    const auto lines = [](int count) {
        QStringList list;
        for (int i = 0; i < count; ++i)
            list << QStringLiteral("x");
        return list.join(QLatin1Char('\n'));
    };
    editor->setPlainText(lines(100));
    EXPECT_EQ(editor->lineNumberAreaWidth(), widthOf("1000"));
    editor->setPlainText(lines(101));
    EXPECT_EQ(editor->lineNumberAreaWidth(), widthOf("1010"));
    editor->setPlainText(lines(1000));
    EXPECT_EQ(editor->lineNumberAreaWidth(), widthOf("10000"));
    EXPECT_EQ(textLeft(), widthOf("10000"));
}

TEST_F(ScriptEditorTest, HiddenGutterGivesTheTextTheWholeWidth)
{
    show();
    editor->setLineNumbersVisible(false);
    EXPECT_FALSE(editor->areLineNumbersVisible());
    EXPECT_EQ(editor->lineNumberAreaWidth(), 0);
    EXPECT_EQ(textLeft(), 0);
    editor->setLineNumbersVisible(true);
    EXPECT_EQ(textLeft(), widthOf("1000"));
}

TEST_F(ScriptEditorTest, GutterPaintingSettlesDown)
{
    show();
    PaintCounter counter;
    gutter()->installEventFilter(&counter);
    gutter()->update();
    QTest::qWait(300);
    EXPECT_GE(counter.count, 1);
    EXPECT_LE(counter.count, 4);
}

TEST_F(ScriptEditorTest, CurrentLineNumberIsDrawnInTheHighlightColourOnlyWhileHighlighting)
{
    QFont font = editor->font();
    font.setPixelSize(20);
    editor->setFont(font);
    setText(QStringLiteral("one\ntwo\nthree"), 1, 0);
    show();
    const auto colours = [this] {
        const QImage image = gutter()->grab().toImage();
        int red = 0;
        int blue = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width() - 1; ++x) {
                const QColor c = image.pixelColor(x, y);
                red += c.red() > 128 && c.blue() < 64;
                blue += c.blue() > 128 && c.red() < 64;
            }
        }
        return std::make_pair(red, blue);
    };
    const auto [redOn, blueOn] = colours();
    EXPECT_GT(redOn, 0);
    EXPECT_GT(blueOn, 0);
    editor->setCurrentLineHighlighted(false);
    const auto [redOff, blueOff] = colours();
    EXPECT_EQ(redOff, 0);
    EXPECT_GT(blueOff, blueOn);
}

TEST_F(ScriptEditorTest, ColumnMovesStayOnTheLineOrGoToItsEnd)
{
    setText(QStringLiteral("abc\nlonger line"), 0, 0);
    editor->setCursorColumnNumber(3);
    EXPECT_EQ(line(), 0);
    EXPECT_EQ(column(), 2);
    editor->setCursorColumnNumber(10);
    EXPECT_EQ(line(), 0);
    EXPECT_EQ(column(), 3);

    // On the last line a column beyond the end leaves the cursor where it was.
    setText(QStringLiteral("abc\nxy"), 1, 1);
    editor->setCursorColumnNumber(10);
    EXPECT_EQ(line(), 1);
    EXPECT_EQ(column(), 1);
    EXPECT_EQ(editor->cursorColumnNumber(), 2);
}

TEST_F(ScriptEditorTest, LineMovesKeepTheColumnWhereTheLineIsLongEnough)
{
    setText(QStringLiteral("0123456789ab\nx\n0123456789abcdef\nabcd\nmore"), 0, 10);
    editor->setCursorLineNumber(3);
    EXPECT_EQ(line(), 2);
    EXPECT_EQ(column(), 10);
    editor->setCursorLineNumber(4);
    EXPECT_EQ(line(), 3);
    EXPECT_EQ(column(), 4);
    EXPECT_EQ(editor->cursorLineNumber(), 4);

    setText(QStringLiteral("0123456789ab\nx\nabcd"), 0, 10);
    editor->setCursorLineNumber(3);
    EXPECT_EQ(line(), 0);
    EXPECT_EQ(column(), 10);

    editor->setCursorLineNumber(9);
    EXPECT_EQ(line(), 0);
    editor->setCursorLineNumber(0);
    EXPECT_EQ(line(), 0);
}

TEST_F(ScriptEditorTest, PositionMovesToLineAndColumn)
{
    setText(QStringLiteral("first\nsecond\nthird"), 0, 0);
    editor->setCursorPosition(2, 4);
    EXPECT_EQ(line(), 1);
    EXPECT_EQ(column(), 3);
    editor->setCursorPosition(1, 50);
    EXPECT_EQ(line(), 0);
    EXPECT_EQ(column(), 5);
    editor->setCursorPosition(3, 50);
    EXPECT_EQ(line(), 0);
    editor->setCursorPosition(4, 1);
    EXPECT_EQ(line(), 0);
    EXPECT_EQ(column(), 5);
}

TEST_F(ScriptEditorTest, SetHighlighterCopiesIntoTheEditorsOwn)
{
    QTextDocument otherDocument;
    auto* other = new KelScriptHighlighter(&otherDocument);
    QTextCharFormat keyword = other->keywordFormat();
    keyword.setForeground(Qt::magenta);
    other->setKeywordFormat(keyword);

    KelScriptHighlighter* own = editor->highlighter();
    editor->setHighlighter(other);
    EXPECT_EQ(editor->highlighter(), own);
    EXPECT_EQ(own->keywordFormat().foreground().color(), QColor(Qt::magenta));
    EXPECT_EQ(other->document(), &otherDocument);
    editor->setHighlighter(nullptr);
    EXPECT_EQ(editor->highlighter(), own);
}

} // namespace
