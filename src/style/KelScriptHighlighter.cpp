#include "style/KelScriptHighlighter.h"

#include <QBrush>
#include <QColor>
#include <QSettings>
#include <QStringList>
#include <QTextDocument>

#include <algorithm>

namespace {

const QString FONT_KEY = QStringLiteral("KelScriptHighlighter::font");

// Keyword rules in their order; "private" twice, as the list always had it.
const QStringList KEYWORDS = {
    QStringLiteral("char"),     QStringLiteral("class"),     QStringLiteral("const"),
    QStringLiteral("double"),   QStringLiteral("enum"),      QStringLiteral("explicit"),
    QStringLiteral("friend"),   QStringLiteral("inline"),    QStringLiteral("int"),
    QStringLiteral("long"),     QStringLiteral("bool"),      QStringLiteral("operator"),
    QStringLiteral("private"),  QStringLiteral("protected"), QStringLiteral("public"),
    QStringLiteral("short"),    QStringLiteral("signals"),   QStringLiteral("signed"),
    QStringLiteral("slots"),    QStringLiteral("static"),    QStringLiteral("struct"),
    QStringLiteral("return"),   QStringLiteral("typedef"),   QStringLiteral("typename"),
    QStringLiteral("private"),  QStringLiteral("unsigned"),  QStringLiteral("virtual"),
    QStringLiteral("void"),     QStringLiteral("volatile"),  QStringLiteral("Noun"),
    QStringLiteral("BBox"),     QStringLiteral("float"),     QStringLiteral("true"),
    QStringLiteral("false"),
};

void setPlain(QTextCharFormat& format)
{
    format.setFontWeight(QFont::Normal);
    format.setFontItalic(false);
}

QTextCharFormat colored(QTextCharFormat format, const char* foreground)
{
    format.setForeground(QBrush(QColor(QLatin1String(foreground))));
    setPlain(format);
    return format;
}

} // namespace

KelScriptHighlighter::KelScriptHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(document)
{
    reset();
    loadFromSettings();
}

KelScriptHighlighter& KelScriptHighlighter::operator=(const KelScriptHighlighter& other)
{
    if (&other == this)
        return *this;
    m_font = other.m_font;
    m_textFormat = other.m_textFormat;
    m_keywordFormat = other.m_keywordFormat;
    m_selectionFormat = other.m_selectionFormat;
    m_classFormat = other.m_classFormat;
    m_commentFormat = other.m_commentFormat;
    m_quotationFormat = other.m_quotationFormat;
    m_functionFormat = other.m_functionFormat;
    buildSyntaxList();
    return *this;
}

void KelScriptHighlighter::reset()
{
    m_font = QFont(QStringLiteral("Monaco"), 11);

    m_textFormat = colored(m_textFormat, "#8fa7b8");
    m_textFormat.setBackground(QBrush(QColor(QStringLiteral("#131313"))));
    m_selectionFormat = colored(m_selectionFormat, "#7a8386");
    m_selectionFormat.setBackground(QBrush(QColor(QStringLiteral("#464649"))));
    m_keywordFormat = colored(m_keywordFormat, "#c89c1a");
    m_keywordFormat.setBackground(QBrush(Qt::transparent));
    // These three keep whatever background they already have.
    m_quotationFormat = colored(m_quotationFormat, "#885397");
    m_classFormat = colored(m_classFormat, "#1eb44e");
    m_commentFormat = colored(m_commentFormat, "#917a4d");
    m_functionFormat = m_textFormat;
    setPlain(m_functionFormat);

    buildSyntaxList();
}

void KelScriptHighlighter::loadFromSettings()
{
    QSettings settings;
    if (!settings.contains(FONT_KEY))
        return;
    m_font = settings.value(FONT_KEY).value<QFont>();
    const auto load = [&settings, this](const char* name, QTextCharFormat& member) {
        const QString key = QStringLiteral("KelScriptHighlighter::") + QLatin1String(name);
        copyTextCharFormat(member, settings.value(key).value<QTextFormat>().toCharFormat());
    };
    load("textFormat", m_textFormat);
    load("selectionFormat", m_selectionFormat);
    load("keywordFormat", m_keywordFormat);
    load("quotationFormat", m_quotationFormat);
    load("classFormat", m_classFormat);
    load("commentFormat", m_commentFormat);
    load("functionFormat", m_functionFormat);
    buildSyntaxList();
}

void KelScriptHighlighter::saveToSettings()
{
    QSettings settings;
    settings.setValue(FONT_KEY, m_font);
    const auto save = [&settings](const char* name, const QTextCharFormat& member) {
        const QString key = QStringLiteral("KelScriptHighlighter::") + QLatin1String(name);
        settings.setValue(key, QVariant::fromValue(static_cast<const QTextFormat&>(member)));
    };
    save("textFormat", m_textFormat);
    save("selectionFormat", m_selectionFormat);
    save("keywordFormat", m_keywordFormat);
    save("quotationFormat", m_quotationFormat);
    save("classFormat", m_classFormat);
    save("commentFormat", m_commentFormat);
    save("functionFormat", m_functionFormat);
}

void KelScriptHighlighter::copyTextCharFormat(QTextCharFormat& target, QTextCharFormat source)
{
    target.setForeground(source.foreground());
    target.setBackground(source.background());
    // Formats stored by older versions keep normal as weight 0.
    const int weight = source.intProperty(QTextFormat::FontWeight);
    target.setFontWeight(weight == 0 ? int(QFont::Normal) : weight);
    target.setFontItalic(source.fontItalic());
}

void KelScriptHighlighter::buildSyntaxList()
{
    m_highlightingRules.clear();
    const auto add = [this](const QString& pattern, const QTextCharFormat& format) {
        m_highlightingRules.append({QRegularExpression(pattern), format});
    };
    // Greedy: two strings on a line are coloured as one, with the text between them.
    add(QStringLiteral("\".*\""), m_quotationFormat);
    add(QStringLiteral("\\b[A-Za-z0-9_]+(?=\\()"), m_functionFormat);
    add(QStringLiteral("\\bTw[A-Za-z0-9]+\\b"), m_classFormat);
    add(QStringLiteral("//[^\n]*"), m_commentFormat);
    add(QStringLiteral("class [^\n]*"), m_functionFormat);
    for (const QString& keyword : KEYWORDS)
        add(QStringLiteral("\\b") + keyword + QStringLiteral("\\b"), m_keywordFormat);

    m_commentStartExpression = QRegularExpression(QStringLiteral("/\\*"));
    m_commentEndExpression = QRegularExpression(QStringLiteral("\\*/"));
}

void KelScriptHighlighter::highlightBlock(const QString& text)
{
    for (const HighlightingRule& rule : std::as_const(m_highlightingRules)) {
        QRegularExpressionMatch match = rule.pattern.match(text);
        while (match.hasMatch()) {
            const int index = int(match.capturedStart());
            const int length = int(match.capturedLength());
            setFormat(index, length, rule.format);
            // An empty match would never move on.
            match = rule.pattern.match(text, index + std::max(length, 1));
        }
    }

    setCurrentBlockState(0);
    int start = 0;
    if (previousBlockState() != 1)
        start = int(m_commentStartExpression.match(text).capturedStart());
    while (start >= 0) {
        // The end is searched from the start delimiter itself, so "/*/" is a whole comment.
        const QRegularExpressionMatch end = m_commentEndExpression.match(text, start);
        int length = 0;
        if (!end.hasMatch()) {
            setCurrentBlockState(1);
            length = int(text.length()) - start;
        } else {
            length = int(end.capturedEnd()) - start;
        }
        setFormat(start, length, m_commentFormat);
        start = int(m_commentStartExpression.match(text, start + length).capturedStart());
    }
}

QVector<KelScriptHighlighter::HighlightingRule> KelScriptHighlighter::highlightingRules() const
{
    return m_highlightingRules;
}

QFont KelScriptHighlighter::font() const
{
    return m_font;
}

void KelScriptHighlighter::setFont(const QFont& font)
{
    m_font = font;
}

QTextCharFormat KelScriptHighlighter::textFormat() const
{
    return m_textFormat;
}

void KelScriptHighlighter::setTextFormat(const QTextCharFormat& format)
{
    m_textFormat = format;
}

QTextCharFormat KelScriptHighlighter::keywordFormat() const
{
    return m_keywordFormat;
}

void KelScriptHighlighter::setKeywordFormat(const QTextCharFormat& format)
{
    m_keywordFormat = format;
}

QTextCharFormat KelScriptHighlighter::selectionFormat() const
{
    return m_selectionFormat;
}

void KelScriptHighlighter::setSelectionFormat(const QTextCharFormat& format)
{
    m_selectionFormat = format;
}

QTextCharFormat KelScriptHighlighter::classFormat() const
{
    return m_classFormat;
}

void KelScriptHighlighter::setClassFormat(const QTextCharFormat& format)
{
    m_classFormat = format;
}

QTextCharFormat KelScriptHighlighter::commentFormat() const
{
    return m_commentFormat;
}

void KelScriptHighlighter::setCommentFormat(const QTextCharFormat& format)
{
    m_commentFormat = format;
}

QTextCharFormat KelScriptHighlighter::quotationFormat() const
{
    return m_quotationFormat;
}

void KelScriptHighlighter::setQuotationFormat(const QTextCharFormat& format)
{
    m_quotationFormat = format;
}

QTextCharFormat KelScriptHighlighter::functionFormat() const
{
    return m_functionFormat;
}

void KelScriptHighlighter::setFunctionFormat(const QTextCharFormat& format)
{
    m_functionFormat = format;
}
