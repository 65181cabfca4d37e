#include "style/KelTagConnectingLineParser.h"

#include "style/ConnectingLine.h"
#include "style/KelTagPenParser.h"
#include "style/XmlStanza.h"

namespace {

bool isTrueWord(QString const& text)
{
    const QString lower = text.toLower();
    return lower == QLatin1String("true") || lower == QLatin1String("yes") || lower == QLatin1String("1");
}

} // namespace

QVariant KelTagConnectingLineParser::parse(XmlStanza const& element, KelStyleConfig const&)
{
    ConnectingLine line(QPointF(0, 0), QPointF(0, 0), false, false);

    XmlAttributes const& attrs = element.tag().attrs();
    if (attrs.has(QStringLiteral("arrow_size")))
        line.setArrowLength(attrs.value(QStringLiteral("arrow_size")).toDouble());
    if (attrs.has(QStringLiteral("arc_radius")))
        line.setArcRadius(attrs.value(QStringLiteral("arc_radius")).toDouble());
    if (attrs.has(QStringLiteral("topbottom")))
        line.setTopBottom(isTrueWord(attrs.value(QStringLiteral("topbottom"))));
    if (attrs.has(QStringLiteral("top_horisontal")))
        line.setBumpHorizontalLine(isTrueWord(attrs.value(QStringLiteral("top_horisontal"))));

    for (XmlStanza const& child : element.childs()) {
        if (child.tag().name() != QLatin1String("pen"))
            continue;
        const QString role = child.tag().attrs().value(QStringLiteral("name"));
        const bool arrow = role == QLatin1String("pen_arrow");
        if (!arrow && role != QLatin1String("pen_line"))
            continue;
        // A pen that does not read gives the role a plain black cosmetic pen.
        const QVariant read = KelTagPenParser::readPen(child);
        const QPen pen = read.isValid() ? read.value<QPen>() : QPen(Qt::black, 0);
        if (arrow)
            line.setPenArrow(pen);
        else
            line.setPenLine(pen);
    }
    return QVariant(ConnectingLine::metaType(), &line);
}
