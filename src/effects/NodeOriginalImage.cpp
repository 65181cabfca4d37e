#include "effects/NodeOriginalImage.h"

#include <QCoreApplication>
#include <QDebug>
#include <QImage>
#include <QObject>
#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

KelNodes::NodeDescriptor NodeOriginalImage::m_descriptor{
    QStringLiteral("orgimage"), QUuid(QStringLiteral("015c44e2-0c3a-46fa-9e92-c472d43bc65b")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Original Image")), QString(),
    &NodeOriginalImage::create};

NodeOriginalImage::NodeOriginalImage(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    addTerminal(QStringLiteral("rgb"), 0, 5);
    addTerminal(QStringLiteral("alpha"), 0, 3);
    m_container.helpItem()->title = QCoreApplication::translate("QObject", "Original Image");
    m_container.helpItem()->text = QObject::tr(
        "The node represents the original image or the output of the previous filter or effect (if any).");
}

NodeOriginalImage::~NodeOriginalImage() = default;

void NodeOriginalImage::setImage(QImage const* image)
{
    m_image = image;
    takePixels();
}

void NodeOriginalImage::takePixels()
{
    const bool usable = m_image && m_image->width() > 0 && m_image->height() > 0
                        && m_image->depth() == 32;
    m_pixels = usable ? reinterpret_cast<unsigned int const*>(m_image->constBits()) : nullptr;
    m_stride = usable ? m_image->bytesPerLine() / 4 : 0;
    m_width = usable ? m_image->width() : 0;
    m_height = usable ? m_image->height() : 0;
    m_hasAlpha = usable && m_image->hasAlphaChannel();
}

int NodeOriginalImage::onFilterStart(KelUtils::StatusObserver* /*observer*/)
{
    takePixels();
    if (m_image || m_upstream3D)
        return 0;
    qDebug() << "NodeOriginalImage error: neither original image was set nor external connection "
                "was provided, therefore the filtered image cannot be produced";
    return -1;
}

unsigned int NodeOriginalImage::getSample3(QPoint const& point) const
{
    if (m_upstream3D)
        return m_upstream3D->getSample3(point);
    if (!m_pixels)
        return 0x808080u;
    // Points come from the render rectangle, but a neighbourhood filter may reach past the
    // picture's edge: read the nearest pixel instead of memory outside the image.
    const int x = std::clamp(point.x(), 0, m_width - 1);
    const int y = std::clamp(point.y(), 0, m_height - 1);
    return m_pixels[qsizetype(y) * m_stride + x] & 0xFFFFFFu;
}

unsigned int NodeOriginalImage::getSample(QPoint const& point) const
{
    if (m_upstream1D)
        return m_upstream1D->getSample(point);
    if (!m_pixels || !m_hasAlpha)
        return 255u;
    const int x = std::clamp(point.x(), 0, m_width - 1);
    const int y = std::clamp(point.y(), 0, m_height - 1);
    return m_pixels[qsizetype(y) * m_stride + x] >> 24;
}

void NodeOriginalImage::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (m_upstream3D) {
        m_upstream3D->getSpan3(y, x, count, out);
        return;
    }
    if (!m_pixels) {
        std::fill(out, out + count, 0x808080u);
        return;
    }
    unsigned int const* row = m_pixels + qsizetype(std::clamp(y, 0, m_height - 1)) * m_stride;
    if (x >= 0 && x + count <= m_width) {
        row += x;
        for (int i = 0; i < count; ++i)
            out[i] = row[i] & 0xFFFFFFu;
        return;
    }
    for (int i = 0; i < count; ++i)
        out[i] = row[std::clamp(x + i, 0, m_width - 1)] & 0xFFFFFFu;
}

void NodeOriginalImage::getSpan(int y, int x, int count, unsigned int* out) const
{
    if (m_upstream1D) {
        m_upstream1D->getSpan(y, x, count, out);
        return;
    }
    if (!m_pixels || !m_hasAlpha) {
        std::fill(out, out + count, 255u);
        return;
    }
    unsigned int const* row = m_pixels + qsizetype(std::clamp(y, 0, m_height - 1)) * m_stride;
    if (x >= 0 && x + count <= m_width) {
        row += x;
        for (int i = 0; i < count; ++i)
            out[i] = row[i] >> 24;
        return;
    }
    for (int i = 0; i < count; ++i)
        out[i] = row[std::clamp(x + i, 0, m_width - 1)] >> 24;
}

} // namespace KelVyxNodes
