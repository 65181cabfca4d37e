#include "nodeui/KelNodeDescriptionTitle.h"

#include "nodeui/ElidedTitle.h"
#include "style/KelStyleConfig.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QMenuBar>
#include <QPainter>
#include <QPen>
#include <QToolBar>

KelNodeDescriptionTitle::KelNodeDescriptionTitle(QWidget* parent)
    : QWidget(parent)
{
    // The title is measured with the widget's own font: that is the bold one it is painted in,
    // or a cut title could still run past the bar's end without its "…".
    QFont bold = font();
    bold.setWeight(QFont::Bold);
    setFont(bold);
}

QString KelNodeDescriptionTitle::shownTitle() const
{
    return ElidedTitle::fit(title, font(), layoutDirection() == Qt::LeftToRight ? width() - 16 : width() - 34);
}

void KelNodeDescriptionTitle::paintEvent(QPaintEvent*)
{
    KelStyleConfig const* style = KelStyleConfig::instance();
    const int w = width();

    // A bar right under a tool or menu bar shares that bar's bottom line.
    int top = 0;
    if (QWidget* topLevel = window()) {
        QWidget* above = topLevel->childAt(mapTo(topLevel, QPoint(0, -4)));
        if (qobject_cast<QToolBar*>(above) || qobject_cast<QMenuBar*>(above))
            top = -1;
    }

    QPainter painter(this);
    painter.fillRect(QRect(QPoint(0, top), QPoint(w - 1, 19)),
                     style->value<QColor>(QStringLiteral("KelParamTitle.borderColor")));
    painter.setPen(style->value<QPen>(QStringLiteral("KelParamTitle.borderColor2")));
    painter.drawLine(0, 18, w - 2, 18);

    QLinearGradient gradient = style->value<QLinearGradient>(QStringLiteral("KelParamTitle.backgroundGradient"));
    gradient.setStart(0, 1);
    gradient.setFinalStop(0, 17);
    painter.fillRect(QRect(QPoint(1, top + 1), QPoint(w - 2, 17)), QBrush(gradient));

    painter.setPen(style->value<QColor>(QStringLiteral("KelParamTitle.fontColor")));
    painter.setFont(font());
    const bool leftToRight = layoutDirection() == Qt::LeftToRight;
    const QRect textRect(QPoint(8, top), QPoint(leftToRight ? w - 9 : w - 27, 19));
    painter.drawText(textRect, Qt::AlignVCenter, shownTitle());
}
