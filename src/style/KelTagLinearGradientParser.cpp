#include "style/KelTagLinearGradientParser.h"

#include "style/KelStyleConfig.h"
#include "style/KelTagColorParser.h"
#include "style/XmlStanza.h"

#include <QLinearGradient>

#include <cmath>

QVariant KelTagLinearGradientParser::parse(XmlStanza const& element, KelStyleConfig const& config)
{
    QLinearGradient gradient;
    for (XmlStanza const& child : element.childs()) {
        if (child.tag().name() != QLatin1String("color"))
            return QVariant();
        XmlAttributes const& attrs = child.tag().attrs();

        QColor color;
        const QString defined = attrs.value(QStringLiteral("defined"));
        if (!defined.isEmpty()) {
            // Looked up in the store as filled so far; a key defined later gives an invalid colour.
            color = config.value<QColor>(defined);
        } else {
            const QVariant read = KelTagColorParser::readColor(child);
            if (!read.isValid())
                return QVariant();
            color = read.value<QColor>();
        }

        const QString at = attrs.value(QStringLiteral("at"));
        if (at.isEmpty())
            return QVariant();
        const float position = at.toFloat();
        // Qt ignores stops outside 0..1 (with a warning) but would take a NaN one.
        if (std::isnan(position) || position < 0.0f || position > 1.0f)
            continue;
        gradient.setColorAt(position, color);
    }
    return QVariant(KelStyleConfig::gradientMetaType(), &gradient);
}
