#pragma once

#include "effects/Base3DGeneratorNode.h"
#include "effects/NodeOf.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"
#include "params/Color.h"

namespace KelUtils {
class Parameter;
class StatusObserver;
}

namespace KelVyxNodes {

class Base1DGenerator;
class VyxTerminal;

// Posterises "source" into two colours by brightness: below the threshold the low colour,
// at or above it the high colour, with a linear ramp between them as wide as the smoothing.
// Threshold, smoothing and both colours can come per pixel from inputs, which disable the
// settings they replace.
class NodeThreshold : public NodeOf<NodeThreshold, Base3DGeneratorNode>
{
public:
    explicit NodeThreshold(int id);
    ~NodeThreshold() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;
    int onFilterStart(KelUtils::StatusObserver* observer) override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;

    // The mix of low and high (0x??RRGGBB) for the source pixel at point, smooth and threshold
    // in 0..100; the result is opaque. Needs a linked source.
    unsigned int applySmooth(QPoint const& point, int smooth, int threshold, unsigned int low,
                             unsigned int high) const;

private:
    // The mix of low and high for the colour c (0x??RRGGBB), opaque.
    // A span with any of the settings coming from inputs.
    void linkedSpan3(int y, int x, int count, unsigned int* out) const;
    static unsigned int mixByBrightness(unsigned int c, int smooth, int threshold, unsigned int low,
                                        unsigned int high);

    // Override inputs in terminal order; each stands for the setting of the same index.
    enum Input { ThresholdInput, SmoothInput, LowInput, HighInput, InputCount };

    static int inputIndex(QString const& terminalName);

    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_sourceTerminal = nullptr;
    VyxTerminal* m_inputTerminal[InputCount] = {nullptr, nullptr, nullptr, nullptr};
    Base3DGenerator const* m_source = nullptr;
    Base1DGenerator const* m_threshold1D = nullptr;
    Base1DGenerator const* m_smooth1D = nullptr;
    Base3DGenerator const* m_low3D = nullptr;
    Base3DGenerator const* m_high3D = nullptr;
    int m_threshold = 50;
    int m_smooth = 0;
    KelUtils::Color m_low{0.0f, 0.0f, 0.0f, 1.0f};
    KelUtils::Color m_high{1.0f, 1.0f, 1.0f, 1.0f};
    KelUtils::Parameter* m_param[InputCount] = {nullptr, nullptr, nullptr, nullptr};
    // The result for each brightness at the render's settings, built when it starts.
    unsigned int m_byBrightness[256] = {};
};

} // namespace KelVyxNodes
