#include "web/ServiceIcon.h"

#include "io/picture/PictureReader.h"

namespace ServiceIcon {

QImage read(QByteArray const& bytes, QSize const& bound)
{
    if (bytes.isEmpty())
        return QImage();
    // A format that ignores the scaled size gives its full picture, scaled down by the reader.
    return PictureReader::readBytes(bytes, maxPixels, bound);
}

} // namespace ServiceIcon
