#include "style/KelScriptEditor.h"

#include "style/KelScriptEditorLineNumberArea.h"
#include "style/KelScriptHighlighter.h"
#include "style/KelStyleConfig.h"

#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextEdit>

#include <algorithm>

namespace {

void insertAtCursor(QPlainTextEdit* editor, const QString& text)
{
    QTextCursor cursor = editor->textCursor();
    cursor.insertText(text);
    editor->setTextCursor(cursor);
}

} // namespace

class KelScriptEditor::Private
{
public:
    explicit Private(KelScriptEditor* owner);

    int lineNumberAreaWidth() const;
    void updateLineNumberAreaWidth();
    void highlightCurrentLine();
    void updateLineNumberArea(const QRect& rect, int dy);
    void lineNumberAreaPaintEvent(QPaintEvent* event);
    // The editing rules divide by the width, so a width below 1 counts as 1.
    int effectiveIndentationWidth() const { return std::max(indentationWidth, 1); }

    KelScriptEditor* editor;
    KelScriptEditorLineNumberArea lineNumberArea;
    bool currentLineHighlighted = true;
    QColor lineHighlightColor;
    bool autoIndentationEnabled = true;
    int indentationWidth = 4;
    KelScriptHighlighter* highlighter = nullptr;
    QString name;
};

KelScriptEditor::Private::Private(KelScriptEditor* owner)
    : editor(owner)
    , lineNumberArea(owner)
    , lineHighlightColor(KelStyleConfig::instance()->value<QColor>(
          QStringLiteral("KelScriptEditor.lineHighlightColor")))
    , name(KelScriptEditor::tr("Untitled.js"))
{
    const KelStyleConfig* config = KelStyleConfig::instance();
    QPalette palette = lineNumberArea.palette();
    palette.setBrush(QPalette::All, QPalette::Window,
                     QBrush(config->value<QColor>(QStringLiteral("KelScriptEditor.windowColor"))));
    palette.setBrush(QPalette::All, QPalette::Text,
                     QBrush(config->value<QColor>(QStringLiteral("KelScriptEditor.textColor"))));
    palette.setBrush(QPalette::All, QPalette::HighlightedText,
                     QBrush(config->value<QColor>(
                         QStringLiteral("KelScriptEditor.highlightedTextColor"))));
    lineNumberArea.setPalette(palette);
    lineNumberArea.setAutoFillBackground(true);
    lineNumberArea.installEventFilter(owner);
}

int KelScriptEditor::Private::lineNumberAreaWidth() const
{
    if (!lineNumberArea.isVisible())
        return 0;
    const int widest = std::max(10 * editor->blockCount(), 1000);
    return editor->fontMetrics().horizontalAdvance(QString::number(widest));
}

void KelScriptEditor::Private::updateLineNumberAreaWidth()
{
    const int width = lineNumberAreaWidth();
    const QRect contents = editor->contentsRect();
    const QRect area(contents.left(), contents.top(), width, contents.height());
    // Also called from the gutter's own painting: repainting when nothing changed would never
    // end. The gutter follows the width here too, not only on resize, for the same reason.
    if (editor->viewportMargins().left() == width && lineNumberArea.geometry() == area)
        return;
    editor->setViewportMargins(width, 0, 0, 0);
    lineNumberArea.setGeometry(area);
    editor->update();
}

void KelScriptEditor::Private::highlightCurrentLine()
{
    QList<QTextEdit::ExtraSelection> selections;
    if (!editor->isReadOnly() && currentLineHighlighted) {
        QTextEdit::ExtraSelection selection;
        selection.format.setBackground(QBrush(lineHighlightColor));
        selection.format.setProperty(QTextFormat::FullWidthSelection, true);
        selection.cursor = editor->textCursor();
        selection.cursor.clearSelection();
        selections.append(selection);
    }
    editor->setExtraSelections(selections);
    emit editor->cursorPositionChanged(editor->cursorLineNumber(), editor->cursorColumnNumber());
}

void KelScriptEditor::Private::updateLineNumberArea(const QRect& rect, int dy)
{
    if (dy != 0)
        lineNumberArea.scroll(0, dy);
    else
        lineNumberArea.update(0, rect.y(), lineNumberArea.width(), rect.height());
    if (rect.contains(editor->viewport()->rect()))
        updateLineNumberAreaWidth();
}

void KelScriptEditor::Private::lineNumberAreaPaintEvent(QPaintEvent* event)
{
    QPainter painter(&lineNumberArea);
    const QPalette& areaPalette = lineNumberArea.palette();
    const int areaWidth = lineNumberArea.width();
    painter.fillRect(lineNumberArea.rect(), areaPalette.brush(QPalette::Window));
    painter.setPen(editor->palette().color(QPalette::Text));
    painter.drawLine(areaWidth - 1, 0, areaWidth - 1, lineNumberArea.height() - 1);

    const QRect paintRect = event->rect();
    const int currentBlock = currentLineHighlighted ? editor->textCursor().blockNumber() : -1;
    QTextBlock block = editor->firstVisibleBlock();
    int number = block.blockNumber() + 1;
    while (block.isValid()) {
        const QRectF geometry =
            editor->blockBoundingGeometry(block).translated(editor->contentOffset());
        const int top = int(geometry.top());
        const int height = int(geometry.height());
        if (block.isVisible() && top + height >= paintRect.top()) {
            const QPalette::ColorRole role = block.blockNumber() == currentBlock
                                                 ? QPalette::HighlightedText
                                                 : QPalette::Text;
            painter.setPen(areaPalette.color(role));
            painter.drawText(QRect(0, top + 1, areaWidth, height), Qt::AlignRight,
                             QString::number(number));
        }
        // The first block below the painted strip is still drawn; the loop ends after it.
        if (top > paintRect.bottom())
            break;
        block = block.next();
        ++number;
    }
}

KelScriptEditor::KelScriptEditor(QWidget* parent)
    : QPlainTextEdit(parent)
    , d(new Private(this))
{
    connect(this, &QPlainTextEdit::blockCountChanged, this,
            &KelScriptEditor::updateLineNumberAreaWidth);
    connect(this, &QPlainTextEdit::textChanged, this,
            &KelScriptEditor::updateLineNumberAreaWidth);
    connect(this, &QPlainTextEdit::updateRequest, this, &KelScriptEditor::updateLineNumberArea);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this,
            &KelScriptEditor::highlightCurrentLine);
    updateLineNumberAreaWidth();
    highlightCurrentLine();
    setTabStopDistance(20);
    d->highlighter = new KelScriptHighlighter(document());
}

KelScriptEditor::~KelScriptEditor()
{
    // The plain-text editor's own teardown may still signal; the private object is gone by then.
    disconnect(this, nullptr, this, nullptr);
    delete d;
    d = nullptr;
}

KelScriptHighlighter* KelScriptEditor::highlighter() const
{
    return d->highlighter;
}

void KelScriptEditor::setHighlighter(KelScriptHighlighter* other)
{
    if (other)
        *d->highlighter = *other;
}

QString KelScriptEditor::name() const
{
    return d->name;
}

int KelScriptEditor::indentationWidth() const
{
    return d->indentationWidth;
}

void KelScriptEditor::setIndentationWidth(int width)
{
    d->indentationWidth = width;
}

bool KelScriptEditor::isAutoIndentationEnabled() const
{
    return d->autoIndentationEnabled;
}

void KelScriptEditor::setAutoIndentationEnabled(bool enabled)
{
    d->autoIndentationEnabled = enabled;
}

QColor KelScriptEditor::lineHighlightColor() const
{
    return d->lineHighlightColor;
}

void KelScriptEditor::setLineHighlightColor(const QColor& color)
{
    if (color == d->lineHighlightColor)
        return;
    d->lineHighlightColor = color;
    highlightCurrentLine();
}

bool KelScriptEditor::isCurrentLineHighlighted() const
{
    return d->currentLineHighlighted;
}

void KelScriptEditor::setCurrentLineHighlighted(bool highlighted)
{
    if (highlighted == d->currentLineHighlighted)
        return;
    d->currentLineHighlighted = highlighted;
    highlightCurrentLine();
}

QPalette KelScriptEditor::lineNumberAreaPalette() const
{
    return d->lineNumberArea.palette();
}

void KelScriptEditor::setLineNumberAreaPalette(const QPalette& palette)
{
    d->lineNumberArea.setPalette(palette);
}

bool KelScriptEditor::areLineNumbersVisible() const
{
    return d->lineNumberArea.isVisible();
}

void KelScriptEditor::setLineNumbersVisible(bool visible)
{
    d->lineNumberArea.setVisible(visible);
    updateLineNumberAreaWidth();
}

int KelScriptEditor::cursorLineNumber() const
{
    return textCursor().blockNumber() + 1;
}

int KelScriptEditor::cursorColumnNumber() const
{
    return textCursor().columnNumber() + 1;
}

int KelScriptEditor::lineNumberAreaWidth() const
{
    return d->lineNumberAreaWidth();
}

void KelScriptEditor::setCursorPosition(int line, int column)
{
    if (line < 1 || column < 1)
        return;
    QTextCursor lineStart = textCursor();
    lineStart.movePosition(QTextCursor::Start);
    if (!lineStart.movePosition(QTextCursor::NextBlock, QTextCursor::MoveAnchor, line - 1))
        return;
    QTextCursor cursor = lineStart;
    cursor.movePosition(QTextCursor::StartOfBlock);
    const int block = cursor.blockNumber();
    const bool moved =
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, column - 1);
    if (moved && cursor.blockNumber() == block) {
        setTextCursor(cursor);
    } else if (cursor.blockNumber() > block) {
        cursor.setPosition(lineStart.position());
        cursor.movePosition(QTextCursor::EndOfBlock);
        setTextCursor(cursor);
    }
}

void KelScriptEditor::setCursorLineNumber(int line)
{
    if (line < 1)
        return;
    const int column = textCursor().columnNumber();
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::Start);
    if (!cursor.movePosition(QTextCursor::NextBlock, QTextCursor::MoveAnchor, line - 1))
        return;
    const bool moved =
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, column);
    if (moved && cursor.blockNumber() == line - 1) {
        setTextCursor(cursor);
    } else if (cursor.blockNumber() >= line) {
        QTextCursor end = textCursor();
        end.movePosition(QTextCursor::Start);
        end.movePosition(QTextCursor::NextBlock, QTextCursor::MoveAnchor, line - 1);
        end.movePosition(QTextCursor::EndOfBlock);
        setTextCursor(end);
    }
}

void KelScriptEditor::setCursorColumnNumber(int column)
{
    if (column < 1)
        return;
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::StartOfBlock);
    const int block = cursor.blockNumber();
    const bool moved =
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, column - 1);
    if (moved && cursor.blockNumber() == block) {
        setTextCursor(cursor);
    } else if (cursor.blockNumber() > block) {
        QTextCursor end = textCursor();
        end.movePosition(QTextCursor::EndOfBlock);
        setTextCursor(end);
    }
}

bool KelScriptEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &d->lineNumberArea && event->type() == QEvent::Paint) {
        d->updateLineNumberAreaWidth();
        d->lineNumberAreaPaintEvent(static_cast<QPaintEvent*>(event));
        return true;
    }
    return QPlainTextEdit::eventFilter(watched, event);
}

void KelScriptEditor::keyPressEvent(QKeyEvent* event)
{
    // The editing rules write text: a read-only editor gets the plain behaviour.
    if (isReadOnly()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const QString text = event->text();

    static const QString openers = QStringLiteral("{[(");
    static const QString closers = QStringLiteral("}])");
    if (text.size() == 1 && openers.contains(text)) {
        QPlainTextEdit::keyPressEvent(event);
        QTextCursor cursor = textCursor();
        cursor.insertText(QString(closers.at(openers.indexOf(text))));
        cursor.movePosition(QTextCursor::PreviousCharacter);
        setTextCursor(cursor);
        return;
    }

    if (event->key() == Qt::Key_Tab && !text.isEmpty()) {
        const int width = d->effectiveIndentationWidth();
        const int column = textCursor().columnNumber();
        insertAtCursor(this, QString(width - column % width, QLatin1Char(' ')));
        event->accept();
        return;
    }

    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (d->autoIndentationEnabled && isReturn && !text.isEmpty()) {
        const QString line = textCursor().block().text();
        const int column = textCursor().columnNumber();
        const QChar before = column > 0 && column <= line.size() ? line.at(column - 1) : QChar();
        const QChar after = column < line.size() ? line.at(column) : QChar();

        // Without modifiers, so Shift+Return also starts a new paragraph.
        QKeyEvent plain(event->type(), event->key(), Qt::NoModifier, text, event->isAutoRepeat(),
                        event->count());
        QPlainTextEdit::keyPressEvent(&plain);

        static const QRegularExpression nonBlank(QStringLiteral("[^\\s]"));
        int indent = int(line.indexOf(nonBlank));
        if (before == QLatin1Char('{')) {
            if (after == QLatin1Char('}')) {
                QTextCursor cursor = textCursor();
                cursor.insertBlock();
                cursor.insertText(QString(std::max(indent, 0), QLatin1Char(' ')));
                cursor.movePosition(QTextCursor::PreviousBlock);
                setTextCursor(cursor);
            }
            indent += d->effectiveIndentationWidth();
        }
        if (indent > 0)
            insertAtCursor(this, QString(indent, QLatin1Char(' ')));
        event->accept();
        return;
    }

    QPlainTextEdit::keyPressEvent(event);
}

void KelScriptEditor::paintEvent(QPaintEvent* event)
{
    if (d->lineNumberArea.width() != d->lineNumberAreaWidth())
        d->updateLineNumberAreaWidth();
    QPlainTextEdit::paintEvent(event);
}

void KelScriptEditor::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    const QRect contents = contentsRect();
    d->lineNumberArea.setGeometry(contents.left(), contents.top(), d->lineNumberAreaWidth(),
                                  contents.height());
}

void KelScriptEditor::updateLineNumberAreaWidth()
{
    d->updateLineNumberAreaWidth();
}

void KelScriptEditor::highlightCurrentLine()
{
    d->highlightCurrentLine();
}

void KelScriptEditor::updateLineNumberArea(const QRect& rect, int dy)
{
    d->updateLineNumberArea(rect, dy);
}
