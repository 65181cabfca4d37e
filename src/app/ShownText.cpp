#include "app/ShownText.h"

#include <QTextDocument>

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

} // namespace

QString head(QString const& text, qsizetype count)
{
    if (count > 0 && count < text.size() && text.at(count - 1).isHighSurrogate())
        --count;
    return text.left(count);
}

namespace {

bool isIsolateOpener(QChar c)
{
    return c.unicode() >= 0x2066 && c.unicode() <= 0x2068; // LRI, RLI, FSI
}

// The marks that close what `text` leaves open of its directional embeddings, overrides and
// isolates: left open, they would turn around whatever is shown after the text, such as the
// program's own words after a name.
QString directionalClosers(QStringView text)
{
    QString open;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x202A && u <= 0x202E && u != 0x202C) || isIsolateOpener(c)) {
            open.append(c);
        } else if (u == 0x202C) { // PDF: the innermost embedding or override, inside its isolate
            if (!open.isEmpty() && !isIsolateOpener(open.back()))
                open.chop(1);
        } else if (u == 0x2069) { // PDI: the innermost isolate and all it holds
            const qsizetype isolate = [&open] {
                for (qsizetype i = open.size() - 1; i >= 0; --i) {
                    if (isIsolateOpener(open.at(i)))
                        return i;
                }
                return qsizetype(-1);
            }();
            if (isolate >= 0)
                open.truncate(isolate);
        }
    }
    QString closers;
    for (qsizetype i = open.size() - 1; i >= 0; --i)
        closers.append(isIsolateOpener(open.at(i)) ? QChar(0x2069) : QChar(0x202C));
    return closers;
}

// The first `end` characters of `text`, with the closers they need, in at most `maxChars`
// characters (fewer kept when the closers need room), and "…" when anything was left out.
QString fitted(QString const& text, qsizetype end, bool cut, int maxChars)
{
    QString kept = head(text, end);
    cut = cut || kept.size() < text.size();
    QString closers = directionalClosers(kept);
    while (!kept.isEmpty() && kept.size() + closers.size() > maxChars) {
        // Each opener left out also spares its closer.
        const qsizetype excess = kept.size() + closers.size() - maxChars;
        kept = head(text, kept.size() - (excess + 1) / 2);
        closers = directionalClosers(kept);
        cut = true;
    }
    return cut ? kept + closers + Ellipsis : kept + closers;
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
    return fitted(text, end, cut, maxChars);
}

QString name(QString const& text, int maxChars)
{
    QString kept = fitted(text, qMin<qsizetype>(text.size(), maxChars), false, maxChars);
    for (QChar& c : kept) {
        if (isLineOrTabControl(c))
            c = QLatin1Char(' ');
    }
    return kept;
}

QString html(QString const& text)
{
    if (text.isEmpty())
        return QString();
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + text.toHtmlEscaped()
           + QStringLiteral("</p>");
}

QString toolTip(QString const& text)
{
    const QString shown = bounded(text);
    // Qt shows a tip as rich text exactly when this says it might be; one that does not look
    // like markup stays plain and shows as before (rich tips wrap at a fraction of the width).
    return Qt::mightBeRichText(shown) ? html(shown) : shown;
}

QString closed(QString const& text)
{
    return text + directionalClosers(text);
}

} // namespace ShownText
