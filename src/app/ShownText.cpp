#include "app/ShownText.h"

namespace ShownText {

namespace {

const QChar Ellipsis(0x2026);

} // namespace

QString head(QString const& text, qsizetype count)
{
    if (count > 0 && count < text.size() && text.at(count - 1).isHighSurrogate())
        --count;
    return text.left(count);
}

QString bounded(QString const& text, int maxChars, int maxLines)
{
    qsizetype end = qMin<qsizetype>(text.size(), maxChars);
    bool cut = end < text.size();
    // Only the kept head is searched for line breaks: the cost stays bounded whatever the size.
    int lines = 1;
    for (qsizetype i = 0; i < end; ++i) {
        if (text.at(i) == QLatin1Char('\n') && ++lines > maxLines) {
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
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
    return kept;
}

} // namespace ShownText
