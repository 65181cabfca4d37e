#pragma once

// Small shared pieces of the application-style tests.

#include "style/KelStyleConfig.h"

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace KelStyleTest {

inline KelStyleConfig* store()
{
    return KelStyleConfig::instance();
}

inline QPixmap solidPixmap(int width, int height, const QColor& color)
{
    QPixmap pixmap(width, height);
    pixmap.fill(color);
    return pixmap;
}

inline void addPixmap(const QString& key, int width, int height, const QColor& color = Qt::red)
{
    store()->add(key, solidPixmap(width, height, color));
}

// A transparent canvas to paint single elements into.
inline QImage canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

inline QColor pixel(const QImage& image, int x, int y)
{
    return QColor::fromRgba(image.pixel(x, y));
}

} // namespace KelStyleTest
