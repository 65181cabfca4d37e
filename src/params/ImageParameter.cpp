#include "params/ImageParameter.h"

#include "params/BinaryData.h"
#include "params/XmlNumbers.h"

#include <QDomDocument>
#include <QDomElement>
#include <QImage>

#include <cstring>

namespace KelUtils {

ImageParameter::ImageParameter(QString const& name, QString const& text,
                               IParameterContainer* container, QImage* image)
    : Parameter(name, text, container, DisplayEnabled), m_image(image)
{
}

ImageParameter::~ImageParameter() = default;

bool ImageParameter::isAcceptableImage(int width, int height, int format)
{
    if (width < 1 || height < 1)
        return false;
    if (format <= QImage::Format_Invalid || format >= QImage::NImageFormats)
        return false;
    const int bits = QImage::toPixelFormat(QImage::Format(format)).bitsPerPixel();
    if (bits < 1)
        return false;
    // Rows are padded to 32 bits, as QImage lays them out.
    const qint64 bytesPerLine = (qint64(width) * bits + 31) / 32 * 4;
    return bytesPerLine <= MaxBinaryDataSize / height;
}

int ImageParameter::storeSpecific(QDomElement& element, QDomDocument&) const
{
    if (!m_image)
        return 0;
    element.setAttribute(QStringLiteral("width"), formatXmlInt(m_image->width()));
    element.setAttribute(QStringLiteral("height"), formatXmlInt(m_image->height()));
    element.setAttribute(QStringLiteral("format"), formatXmlInt(int(m_image->format())));
    return 0;
}

int ImageParameter::loadSpecific(QDomElement const& element)
{
    int width = 0;
    int height = 0;
    int format = 0;
    readXmlAttribute(element, QStringLiteral("width"), width);
    readXmlAttribute(element, QStringLiteral("height"), height);
    readXmlAttribute(element, QStringLiteral("format"), format);
    if (!m_image || !isAcceptableImage(width, height, format))
        return -1;
    const auto imageFormat = QImage::Format(format);
    if (!m_image->isNull() && m_image->width() == width && m_image->height() == height
        && m_image->format() == imageFormat)
        return 0;
    QImage resized(width, height, imageFormat);
    if (resized.isNull())
        return -1;
    *m_image = resized;
    return 0;
}

int ImageParameter::embedData(QDomElement& parent, QDomDocument& document) const
{
    QReadLocker locker(&m_lock);
    if (!m_image || m_image->isNull() || m_image->sizeInBytes() < 1)
        return 0;
    if (m_image->sizeInBytes() > MaxBinaryDataSize)
        return -1;
    QDomElement data = document.createElement(QStringLiteral("data"));
    data.setAttribute(QStringLiteral("owner"), m_name);
    parent.appendChild(data);
    QImage const& image = *m_image;
    return storeBinaryData(document, data, image.constBits(), int(image.sizeInBytes()));
}

int ImageParameter::parseEmbeddedData(QDomElement const& dataElement)
{
    QByteArray bytes;
    if (loadBinaryData(dataElement, bytes) < 0)
        return -1;
    QWriteLocker locker(&m_lock);
    if (!m_image || m_image->isNull() || bytes.size() != m_image->sizeInBytes())
        return -1;
    std::memcpy(m_image->bits(), bytes.constData(), size_t(bytes.size()));
    return 0;
}

} // namespace KelUtils
