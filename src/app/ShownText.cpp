#include "app/ShownText.h"

namespace ShownText {

namespace {

const QChar Ellipsis(0x2026);

// Text layout breaks a line at the Unicode line and paragraph separators as it does at "\n".
bool breaksLine(QChar c)
{
    return c == QLatin1Char('\n') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

bool isLineOrTabControl(QChar c)
{
    return breaksLine(c) || c == QLatin1Char('\r') || c == QLatin1Char('\t') || c == QLatin1Char('\v')
        || c == QLatin1Char('\f') || c == QChar(0x85);
}

// The first `count` characters, one fewer when that would end inside a surrogate pair.
QString head(QString const& text, qsizetype count)
{
    if (count > 0 && count < text.size() && text.at(count - 1).isHighSurrogate())
        --count;
    return text.left(count);
}

} // namespace

QString bounded(QString const& text, int maxChars, int maxLines)
{
    qsizetype end = qMin<qsizetype>(text.size(), maxChars);
    bool cut = end < text.size();
    // Only the kept head is searched for line breaks: the cost stays bounded whatever the size.
    int lines = 1;
    for (qsizetype i = 0; i < end; ++i) {
        if (breaksLine(text.at(i)) && ++lines > maxLines) {
            end = i;
            cut = true;
            break;
        }
    }
    if (!cut)
        return text;
    return head(text, end) + Ellipsis;
}

QString name(QString const& text, int maxChars)
{
    QString kept = text.size() > maxChars ? head(text, maxChars) + Ellipsis : text;
    for (QChar& c : kept) {
        if (isLineOrTabControl(c))
            c = QLatin1Char(' ');
    }
    return kept;
}

} // namespace ShownText
