#pragma once

// Shared pieces of the painting tests: store fillers for solid looks, a style that records the
// nested elements it is asked for, and painting into an image.

#include "style/KelStyle.h"

#include "KelStyleTestSupport.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPen>

#include <functional>
#include <vector>

namespace KelStylePaint {

inline void addColor(const QString& key, const QColor& color)
{
    KelStyleTest::store()->add(key, color);
}

inline void addPen(const QString& key, const QColor& color)
{
    KelStyleTest::store()->add(key, QPen(color, 0));
}

// A gradient of one colour: wherever its start and stop land, every pixel is that colour.
inline void addGradient(const QString& key, const QColor& color)
{
    QLinearGradient gradient;
    gradient.setColorAt(0, color);
    gradient.setColorAt(1, color);
    KelStyleTest::store()->add(key, QVariant::fromValue(gradient));
}

inline void addGradient(const QString& key, const QGradientStops& stops)
{
    QLinearGradient gradient;
    gradient.setStops(stops);
    KelStyleTest::store()->add(key, QVariant::fromValue(gradient));
}

inline QImage paint(int width, int height, const std::function<void(QPainter*)>& draw)
{
    QImage image = KelStyleTest::canvas(width, height);
    QPainter painter(&image);
    draw(&painter);
    painter.end();
    return image;
}

inline bool containsColor(const QImage& image, const QRect& area, const QColor& color)
{
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (KelStyleTest::pixel(image, x, y) == color)
                return true;
    return false;
}

// Any pixel painted in that colour, at whatever coverage (antialiased text).
inline bool containsInk(const QImage& image, const QRect& area, const QColor& color)
{
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor found = image.pixelColor(x, y);
            // Unpremultiplying a faint pixel is inexact.
            if (found.alpha() >= 64 && qAbs(found.red() - color.red()) <= 3
                && qAbs(found.green() - color.green()) <= 3
                && qAbs(found.blue() - color.blue()) <= 3)
                return true;
        }
    return false;
}

inline bool isTransparent(const QImage& image, int x, int y)
{
    return qAlpha(image.pixel(x, y)) == 0;
}

// What the style was asked to paint along the way.
struct Call
{
    int element;
    QStyle::State state;
    QRect rect;
    QString text;
    const QWidget* widget;
    QColor pen;
    QPalette palette;
};

class RecordingStyle : public KelStyle
{
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override
    {
        primitives.push_back(record(element, option, painter, widget));
        KelStyle::drawPrimitive(element, option, painter, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override
    {
        controls.push_back(record(element, option, painter, widget));
        KelStyle::drawControl(element, option, painter, widget);
    }

    const Call* primitive(PrimitiveElement element) const
    {
        for (const Call& call : primitives)
            if (call.element == static_cast<int>(element))
                return &call;
        return nullptr;
    }

    const Call* control(ControlElement element) const
    {
        for (const Call& call : controls)
            if (call.element == static_cast<int>(element))
                return &call;
        return nullptr;
    }

    mutable std::vector<Call> primitives;
    mutable std::vector<Call> controls;

private:
    static Call record(int element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget)
    {
        Call call{element, {}, {}, {}, widget, painter->pen().color(), {}};
        if (option) {
            call.state = option->state;
            call.rect = option->rect;
            call.palette = option->palette;
        }
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option))
            call.text = item->text;
        if (const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option))
            call.text = tab->text;
        return call;
    }
};

} // namespace KelStylePaint
