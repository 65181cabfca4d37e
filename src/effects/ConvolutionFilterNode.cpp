#include "effects/ConvolutionFilterNode.h"

#include "effects/MaskBasedFilter.h"
#include "effects/VyxNodeGraph.h"
#include "params/GroupBoxParameter.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

namespace KelVyxNodes {

ConvolutionFilterNode::ConvolutionFilterNode(int id, QString const& typeId,
                                             unsigned int unlinkedColour)
    : BaseGeneratorNode(id, QStringLiteral("in"), QStringLiteral("out"))
    , m_container(typeId, QString(), this)
    , m_unlinkedColour(unlinkedColour)
{
}

ConvolutionFilterNode::~ConvolutionFilterNode() = default;

void ConvolutionFilterNode::addParameters(QList<KelUtils::Parameter*> const& parameters)
{
    KelUtils::ParameterList list{QStringLiteral("basic"), true, {}};
    list.parameters.append(new KelUtils::GroupBoxParameter(
        QStringLiteral("basicsBox"), QCoreApplication::translate("QObject", "Basics"),
        &m_container, 1));
    list.parameters.append(parameters);
    m_container.paramLists().append(list);
}

void ConvolutionFilterNode::setKernel(float const* kernel, int kernelWidth, int kernelHeight)
{
    m_kernel = kernel;
    m_kernelWidth = kernelWidth;
    m_kernelHeight = kernelHeight;
}

void ConvolutionFilterNode::startRender()
{
    QImage const* image = m_graph ? m_graph->originalImage() : nullptr;
    m_imageWidth = image ? image->width() : 0;
    m_imageHeight = image ? image->height() : 0;
    m_renderFactor = m_factor;
    m_renderBias = m_bias;
    m_cache1D.init(m_imageWidth, m_imageHeight);
    m_cache3D.init(m_imageWidth, m_imageHeight);
}

unsigned int ConvolutionFilterNode::getSample(QPoint const& point) const
{
    if (!m_upstream1D)
        return 128;
    NodeCache<unsigned char>& cache = m_cache1D.local();
    unsigned char cached = 0;
    if (cache.lookup(point.x(), point.y(), cached))
        return cached;
    if (!m_kernel || m_kernelWidth <= 0 || m_kernelHeight <= 0 || m_imageWidth <= 0
        || m_imageHeight <= 0)
        return m_upstream1D->getSample(point);

    const unsigned int v = MaskBasedFilter::filter1(m_upstream1D, m_imageWidth, m_imageHeight, point,
                                                    m_kernelWidth, m_kernelHeight, m_kernel,
                                                    m_renderFactor, m_renderBias);
    cache.store(point.x(), point.y(), static_cast<unsigned char>(v));
    return v;
}

unsigned int ConvolutionFilterNode::getSample3(QPoint const& point) const
{
    if (!m_upstream3D)
        return m_unlinkedColour;
    NodeCache<unsigned int>& cache = m_cache3D.local();
    unsigned int cached = 0;
    if (cache.lookup(point.x(), point.y(), cached))
        return cached;
    if (!m_kernel || m_kernelWidth <= 0 || m_kernelHeight <= 0 || m_imageWidth <= 0
        || m_imageHeight <= 0)
        return m_upstream3D->getSample3(point);

    const unsigned int v = MaskBasedFilter::filter3(m_upstream3D, m_imageWidth, m_imageHeight, point,
                                                    m_kernelWidth, m_kernelHeight, m_kernel,
                                                    m_renderFactor, m_renderBias);
    cache.store(point.x(), point.y(), v);
    return v;
}

} // namespace KelVyxNodes
