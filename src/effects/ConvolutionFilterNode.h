#pragma once

#include "effects/BaseGeneratorNode.h"
#include "effects/PerRenderThreadState.h"
#include "effects/KernelRows.h"
#include "nodes/NodeParameterContainer.h"

namespace KelUtils {
class Parameter;
}

namespace KelVyxNodes {

// What sharpen, emboss and edge detection share: one input "in" and one output "out" whose
// kind follows the link, the parameters "factor" and "bias", and sampling through a kernel
// chosen for each render. Each sampling thread has its own KernelRows per kind (one channel,
// colour), fresh for every render: the input rows it read and the values it computed last
// (a kernel node downstream asks each point up to 9 or 25 times). Sampling takes no lock and
// reads only what onFilterStart prepared.
class ConvolutionFilterNode : public BaseGeneratorNode
{
public:
    ~ConvolutionFilterNode() override;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    // 128 / the node's own unlinked colour when the input does not carry that kind. Without a
    // kernel or with an empty image the input passes through unfiltered.
    unsigned int getSample(QPoint const& point) const override;
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    // Each point reads the kernel's square of the input, through rows it keeps.
    InputRead inputRead() const override { return InputRead::InAWindow; }

    int imageWidth() const { return m_imageWidth; }
    int imageHeight() const { return m_imageHeight; }

protected:
    // unlinkedColour: what getSample3 gives while the input carries no colour.
    ConvolutionFilterNode(int id, QString const& typeId, unsigned int unlinkedColour);

    // Appends the "basic" list: the "basicsBox" group, then `parameters` in order.
    void addParameters(QList<KelUtils::Parameter*> const& parameters);

    // The kernel sampling uses from now on; null means pass the input through. The array must
    // stay alive and unchanged while the node can be sampled.
    void setKernel(float const* kernel, int kernelWidth, int kernelHeight);
    // Starts a render: takes the graph's image size, factor and bias, and gives every sampling
    // thread a fresh memo. Call from onFilterStart after setKernel.
    void startRender();

    KelNodes::NodeParameterContainer m_container;
    float m_factor = 1.0f;
    float m_bias = 0.0f;

private:
    unsigned int m_unlinkedColour;
    // Prepared per render, read-only while sampling.
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    float const* m_kernel = nullptr;
    int m_kernelWidth = 0;
    int m_kernelHeight = 0;
    float m_renderFactor = 1.0f;
    float m_renderBias = 0.0f;
    bool filtering() const;
    KernelRows& rows(PerRenderThreadState<KernelRows> const& state, bool colour) const;

    PerRenderThreadState<KernelRows> m_rows1D;
    PerRenderThreadState<KernelRows> m_rows3D;
};

} // namespace KelVyxNodes
