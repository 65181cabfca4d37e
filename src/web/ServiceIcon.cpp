#include "web/ServiceIcon.h"

#include "io/RasterPictureReader.h"

#include <QBuffer>

namespace ServiceIcon {

QImage read(QByteArray const& bytes, QSize const& bound)
{
    if (bytes.isEmpty())
        return QImage();
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return QImage();
    RasterPictureReader reader(&buffer, QString(), maxPixels);
    if (!reader.isValid())
        return QImage();
    QSize const size = reader.size();
    if (size.width() > bound.width() || size.height() > bound.height())
        reader.setScaledSize(size.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    // A format that ignores the scaled size gives its full picture: still within the budget.
    if (!image.isNull() && (image.width() > bound.width() || image.height() > bound.height()))
        image = image.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace ServiceIcon
