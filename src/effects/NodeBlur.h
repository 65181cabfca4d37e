#pragma once

#include "effects/BaseGeneratorNode.h"
#include "effects/PerRenderThreadState.h"
#include "effects/ThreadPixelsCache.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

#include <QPoint>

namespace KelVyxNodes {

// Box blur of one channel or a colour: the rounded mean of the input over the square of side
// 2 x radius + 1 around the point, clipped to the image and to the selection mask. Every image
// point is computed once per render and thread (memo), and the colour sums slide along the
// rows instead of being recomputed. Sampling takes no lock: the memos and the running sums are
// per thread and fresh for every render.
class NodeBlur : public BaseGeneratorNode
{
public:
    explicit NodeBlur(int id);
    ~NodeBlur() override;

    static KelNodes::NodeDescriptor m_descriptor;
    static KelNodes::Node* create(int uid);

    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }
    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    // -1 when the graph has no original image.
    int onFilterStart(KelUtils::StatusObserver* observer) override;

    // 128 / 0x808080 while unlinked. Before the first render (no image size yet) the input
    // passes through.
    unsigned int getSample(QPoint const& point) const override;
    unsigned int getSample3(QPoint const& point) const override;

private:
    // Sums of the colour window of the last computed point and of the first point of its row run.
    struct RunningSums
    {
        int sum[3];
        int rowStartSum[3];
        QPoint last;
        QPoint rowStart;
        int rowStartCount;
        int count;
    };
    // Channel sums (red, green, blue) and pixel count of a window.
    struct Window
    {
        int sum[3] = {0, 0, 0};
        int count = 0;
    };

    bool inImage(int x, int y) const;
    bool counted(int x, int y) const;
    // Adds (sign 1) or takes away (sign -1) the counted pixels of a column / row segment.
    void addColumn(Window& w, int x, int yFrom, int yTo, int sign) const;
    void addRow(Window& w, int y, int xFrom, int xTo, int sign) const;
    Window fullWindow(QPoint const& p) const;
    unsigned int packedMean(Window const& w) const;

    KelNodes::NodeParameterContainer m_container;
    int m_radius = 4;

    // Prepared per render, read-only while sampling.
    int m_renderRadius = 4;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    unsigned char const* m_mask = nullptr;

    PerRenderThreadState<RunningSums> m_running;
    ThreadPixelsCache<unsigned char> m_cache1D;
    ThreadPixelsCache<unsigned int> m_cache3D;
};

} // namespace KelVyxNodes
