#pragma once

#include <QColor>
#include <QPalette>
#include <QPlainTextEdit>

class KelScriptHighlighter;

// A plain-text script editor: line numbers in a gutter, the current line highlighted, brackets
// closed as they are opened, soft tabs, indentation carried over on Return, and a syntax
// highlighter on its document. Line and column numbers of its interface count from 1.
class KelScriptEditor : public QPlainTextEdit
{
    Q_OBJECT
    Q_PROPERTY(int cursorColumnNumber READ cursorColumnNumber WRITE setCursorColumnNumber)
    Q_PROPERTY(int cursorLineNumber READ cursorLineNumber WRITE setCursorLineNumber)
    Q_PROPERTY(bool lineNumbersVisible READ areLineNumbersVisible WRITE setLineNumbersVisible)
    Q_PROPERTY(bool currentLineHighlighted READ isCurrentLineHighlighted
                   WRITE setCurrentLineHighlighted)
    Q_PROPERTY(QColor lineHighlightColor READ lineHighlightColor WRITE setLineHighlightColor)
    Q_PROPERTY(QPalette lineNumberAreaPalette READ lineNumberAreaPalette
                   WRITE setLineNumberAreaPalette)
    Q_PROPERTY(bool autoIndentationEnabled READ isAutoIndentationEnabled
                   WRITE setAutoIndentationEnabled)
    Q_PROPERTY(int indentationWidth READ indentationWidth WRITE setIndentationWidth)

public:
    explicit KelScriptEditor(QWidget* parent = nullptr);
    ~KelScriptEditor() override;

    KelScriptHighlighter* highlighter() const;
    // Copies the other highlighter's formats and font into this editor's own one.
    void setHighlighter(KelScriptHighlighter* other);

    QString name() const;

    // Any value is kept; the editing rules count a width below 1 as 1.
    int indentationWidth() const;
    void setIndentationWidth(int width);

    bool isAutoIndentationEnabled() const;
    void setAutoIndentationEnabled(bool enabled);

    QColor lineHighlightColor() const;
    void setLineHighlightColor(const QColor& color);

    bool isCurrentLineHighlighted() const;

    QPalette lineNumberAreaPalette() const;
    void setLineNumberAreaPalette(const QPalette& palette);

    // The gutter's actual visibility: false while the editor itself is not shown.
    bool areLineNumbersVisible() const;

    int cursorLineNumber() const;
    int cursorColumnNumber() const;

    // 0 while the gutter is hidden; else the width of max(10 x lines, 1000) in the editor's font.
    int lineNumberAreaWidth() const;

public slots:
    void setCurrentLineHighlighted(bool highlighted);
    void setLineNumbersVisible(bool visible);
    void setCursorPosition(int line, int column);
    void setCursorLineNumber(int line);
    void setCursorColumnNumber(int column);

signals:
    void cursorPositionChanged(int line, int column);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private slots:
    void updateLineNumberAreaWidth();
    void highlightCurrentLine();
    void updateLineNumberArea(const QRect& rect, int dy);

private:
    class Private;
    friend class Private;
    Private* d;
};
