#include "effects/color/VyxCurveNode.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QTransform>

#include <algorithm>

namespace KelVyxNodes {

VyxCurveNode::VyxCurveNode(int id)
    : VyxNode(id)
{
}

VyxCurveNode::~VyxCurveNode() = default;

int VyxCurveNode::getPreview(QImage* picture) const
{
    if (!picture || picture->isNull())
        return 0;
    picture->fill(0u);

    const int side = std::min(picture->width(), picture->height());
    // The square spans side + 1 pixels and may start one pixel outside the picture.
    const int left = (picture->width() - 1) / 2 - side / 2;
    const int top = (picture->height() - 1) / 2 - side / 2;
    const QPainterPath path = QTransform::fromScale(side, side).map(pathCurve());

    QImage curve(side + 1, side + 1, QImage::Format_ARGB32);
    curve.fill(0u);
    {
        QPainter painter(&curve);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(QColor(0, 255, 0), 3.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    }

    QPainter painter(picture);
    painter.drawImage(QRect(left, top, side + 1, side + 1), curve);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(Qt::NoBrush);
    // A stroked rectangle covers one pixel more than its size: left..left + side.
    painter.drawRect(QRect(left, top, side, side));
    return 0;
}

} // namespace KelVyxNodes
