#include "effects/ConvolutionFilterNode.h"

#include "effects/VyxNodeGraph.h"
#include "params/GroupBoxParameter.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>

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
    m_rows1D.startRender();
    m_rows3D.startRender();
}

KernelRows& ConvolutionFilterNode::rows(PerRenderThreadState<KernelRows> const& state,
                                        bool colour) const
{
    auto setup = [&]() {
        KernelRows::Setup s;
        s.width = m_imageWidth;
        s.height = m_imageHeight;
        s.kernel = m_kernel;
        s.kernelWidth = m_kernelWidth;
        s.kernelHeight = m_kernelHeight;
        s.factor = m_renderFactor;
        s.bias = m_renderBias;
        if (colour)
            s.colour = m_upstream3D;
        else
            s.channel = m_upstream1D;
        return s;
    };
    KernelRows& k = state.local([&](KernelRows& fresh) { fresh.reset(setup()); });
    // A link changed after the render (a preview reads on): start over from the new input.
    if (!k.sameInput(colour ? nullptr : m_upstream1D, colour ? m_upstream3D : nullptr))
        k.reset(setup());
    return k;
}

bool ConvolutionFilterNode::filtering() const
{
    return m_kernel && m_kernelWidth > 0 && m_kernelHeight > 0 && m_imageWidth > 0
           && m_imageHeight > 0;
}

unsigned int ConvolutionFilterNode::getSample(QPoint const& point) const
{
    if (!m_upstream1D)
        return 128;
    if (!filtering())
        return m_upstream1D->getSample(point);
    return rows(m_rows1D, false).sample(point.x(), point.y());
}

unsigned int ConvolutionFilterNode::getSample3(QPoint const& point) const
{
    if (!m_upstream3D)
        return m_unlinkedColour;
    if (!filtering())
        return m_upstream3D->getSample3(point);
    return rows(m_rows3D, true).sample(point.x(), point.y());
}

void ConvolutionFilterNode::getSpan(int y, int x, int count, unsigned int* out) const
{
    if (!m_upstream1D) {
        std::fill(out, out + count, 128u);
        return;
    }
    if (!filtering()) {
        m_upstream1D->getSpan(y, x, count, out);
        return;
    }
    rows(m_rows1D, false).sampleSpan(y, x, count, out);
}

void ConvolutionFilterNode::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_upstream3D) {
        std::fill(out, out + count, m_unlinkedColour);
        return;
    }
    if (!filtering()) {
        m_upstream3D->getSpan3(y, x, count, out);
        return;
    }
    rows(m_rows3D, true).sampleSpan(y, x, count, out);
}

} // namespace KelVyxNodes
