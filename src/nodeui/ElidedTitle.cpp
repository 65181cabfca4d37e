#include "nodeui/ElidedTitle.h"

#include "app/ShownText.h"

#include <QFont>
#include <QFontMetrics>

namespace ElidedTitle {

namespace {

// More characters than any title box holds: a name is cut to this before it is measured, so
// that a name of a million characters costs what one of a few hundred does.
constexpr int kLongestMeasured = 256;

const QChar Ellipsis(0x2026);

// The first `count` characters, one fewer when that would end inside a surrogate pair.
QString head(QString const& text, qsizetype count)
{
    if (count > 0 && count < text.size() && text.at(count - 1).isHighSurrogate())
        --count;
    return text.left(count);
}

} // namespace

QString fit(QString const& title, QFont const& font, int width)
{
    const QFontMetrics metrics(font);
    const QString shown = ShownText::name(title, kLongestMeasured);
    if (metrics.horizontalAdvance(shown) <= width)
        return shown;
    // The longest head that fits with its "…", found with a logarithmic number of measurements.
    const QString kept = title.size() > kLongestMeasured ? shown.chopped(1) : shown;
    qsizetype fits = 0;
    qsizetype tooLong = kept.size() + 1;
    while (tooLong - fits > 1) {
        const qsizetype middle = fits + (tooLong - fits) / 2;
        if (metrics.horizontalAdvance(ShownText::closed(head(kept, middle)) + Ellipsis) <= width)
            fits = middle;
        else
            tooLong = middle;
    }
    return ShownText::closed(head(kept, fits)) + Ellipsis;
}

} // namespace ElidedTitle
