#pragma once

#include "KelStyleTestSupport.h"
#include "style/KelStyleConfig.h"

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPen>
#include <QPixmap>
#include <QVariant>
#include <QApplication>
#include <QPainter>
#include <QWidget>

// Small helpers shared by the tests of the toolkit widgets.
namespace WidgetTestHelpers {

// The style tests' own, so that a file using both namespaces finds one of each.
using KelStyleTest::pixel;
using KelStyleTest::solidPixmap;
using KelStyleTest::store;

// A gradient as the style file stores it: colour stops only.
inline QVariant gradient(const QColor& from, const QColor& to)
{
    QLinearGradient g;
    g.setColorAt(0.0, from);
    g.setColorAt(1.0, to);
    return QVariant::fromValue(g);
}

inline QVariant pen(const QColor& color)
{
    return QVariant::fromValue(QPen(color, 1));
}

// The widget's own painting (and its children's) over a transparent image, without the window
// background.
inline QImage renderWidget(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace WidgetTestHelpers
