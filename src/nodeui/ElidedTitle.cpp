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
        if (metrics.horizontalAdvance(ShownText::closed(ShownText::head(kept, middle)) + Ellipsis) <= width)
            fits = middle;
        else
            tooLong = middle;
    }
    return ShownText::closed(ShownText::head(kept, fits)) + Ellipsis;
}

} // namespace ElidedTitle
