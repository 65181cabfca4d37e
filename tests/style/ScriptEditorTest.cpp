#include "KelStyleTestSupport.h"
#include "ScriptTestSupport.h"

#include "style/KelScriptEditor.h"
#include "style/KelScriptEditorLineNumberArea.h"
#include "style/KelScriptHighlighter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

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

} // namespace
