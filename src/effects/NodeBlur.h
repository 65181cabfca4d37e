#pragma once

#include "effects/BaseGeneratorNode.h"
#include "effects/BoxBlurRows.h"
#include "effects/NodeOf.h"
#include "effects/PerRenderThreadState.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

#include <QPoint>

namespace KelVyxNodes {

// Box blur of one channel or a colour: the rounded mean of the input over the square of side
// 2 x radius + 1 around the point, clipped to the image and to the selection mask. Each sampling
// thread has its own running column sums and last rows (BoxBlurRows), fresh for every render,
// so sampling takes no lock and the cost per pixel does not grow with the radius.
class NodeBlur : public NodeOf<NodeBlur, BaseGeneratorNode>
{
public:
    explicit NodeBlur(int id);
    ~NodeBlur() override;

    // Each point reads a square of the input, through rows it keeps.
    InputRead inputRead() const override { return InputRead::InAWindow; }

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    // -1 when the graph has no original image.
    int onFilterStart(KelUtils::StatusObserver* observer) override;

    // 128 / 0x808080 while unlinked. Before the first render (no image size yet) the input
    // passes through.
    unsigned int getSample(QPoint const& point) const override;
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

private:
    BoxBlurRows::Setup setup(bool colour) const;
    // This thread's blur of the render, made afresh when the input changed since.
    BoxBlurRows& rows(PerRenderThreadState<BoxBlurRows> const& state, bool colour) const;

    KelNodes::NodeParameterContainer m_container;
    int m_radius = 4;

    // Prepared per render, read-only while sampling.
    int m_renderRadius = 4;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    unsigned char const* m_mask = nullptr;

    PerRenderThreadState<BoxBlurRows> m_rows1D;
    PerRenderThreadState<BoxBlurRows> m_rows3D;
};

} // namespace KelVyxNodes
