#pragma once

#include <QFont>
#include <QRegularExpression>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <QVector>

class QTextDocument;

// Colours script text: an ordered list of pattern rules (strings, function calls, the
// application's class names, line comments, class lines, keywords) and, over them, block
// comments that may span lines. Formats and font have built-in defaults and can be kept in
// the application's settings.
class KelScriptHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT

public:
    struct HighlightingRule
    {
        QRegularExpression pattern;
        QTextCharFormat format;
    };

    // Attaches to `document`, which owns the highlighter; defaults, then the stored settings.
    explicit KelScriptHighlighter(QTextDocument* document);

    // Copies the font and the seven formats whole and rebuilds the rules; the document stays.
    KelScriptHighlighter& operator=(const KelScriptHighlighter& other);

    void reset();
    // Does nothing unless a font is stored.
    void loadFromSettings();
    void saveToSettings();
    // Rules hold copies of the formats: a changed format takes effect only after this.
    void buildSyntaxList();
    // Foreground, background, weight and italics of `source` into `target`; nothing else.
    void copyTextCharFormat(QTextCharFormat& target, QTextCharFormat source);

    QVector<HighlightingRule> highlightingRules() const;

    QFont font() const;
    void setFont(const QFont& font);
    QTextCharFormat textFormat() const;
    void setTextFormat(const QTextCharFormat& format);
    QTextCharFormat keywordFormat() const;
    void setKeywordFormat(const QTextCharFormat& format);
    QTextCharFormat selectionFormat() const;
    void setSelectionFormat(const QTextCharFormat& format);
    QTextCharFormat classFormat() const;
    void setClassFormat(const QTextCharFormat& format);
    QTextCharFormat commentFormat() const;
    void setCommentFormat(const QTextCharFormat& format);
    QTextCharFormat quotationFormat() const;
    void setQuotationFormat(const QTextCharFormat& format);
    QTextCharFormat functionFormat() const;
    void setFunctionFormat(const QTextCharFormat& format);

protected:
    void highlightBlock(const QString& text) override;

private:
    QVector<HighlightingRule> m_highlightingRules;
    QRegularExpression m_commentStartExpression;
    QRegularExpression m_commentEndExpression;
    QTextCharFormat m_textFormat;
    QTextCharFormat m_keywordFormat;
    QTextCharFormat m_selectionFormat;
    QTextCharFormat m_classFormat;
    QTextCharFormat m_commentFormat;
    QTextCharFormat m_quotationFormat;
    QTextCharFormat m_functionFormat;
    QFont m_font;
};
