#include "nodeui/ElidedTitle.h"

#include <QFont>
#include <QFontMetrics>

namespace ElidedTitle {

QString fit(QString const& title, QFont const& font, int width)
{
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(title) <= width)
        return title;
    const QString ellipsis(QChar(0x2026));
    QString kept = title;
    while (!kept.isEmpty() && metrics.horizontalAdvance(kept + ellipsis) > width) {
        kept.chop(1);
        // Never half a surrogate pair.
        if (!kept.isEmpty() && kept.back().isHighSurrogate())
            kept.chop(1);
    }
    return kept + ellipsis;
}

} // namespace ElidedTitle
